// Runs a command of a window; an unexpected error ends it and is shown titled with the application title.
#pragma once

#include <exception>

#include "app/platform/platform.h"
#include "app/windows/texts.h"

namespace morvalen::app {

template <typename Command>
void guarded(QWidget* window, MessageBoxes* boxes, Command&& command) {
    try {
        command();
    } catch (const std::exception& error) {
        if (boxes) boxes->show_error(window, app_title, QString::fromUtf8(error.what()));
    }
}

}  // namespace morvalen::app
