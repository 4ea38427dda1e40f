// The menu "Файлы" (spreadsheet export, text save, quotes files), "Информация" and the results check command.
#pragma once

#include <QMainWindow>

#include "app/widgets/bet_memo.h"
#include "app/windows/main_menu.h"
#include "app/widgets/outcome_grid.h"
#include "app/platform/platform.h"
#include "app/session/session_model.h"

namespace morvalen::app {

class PackageHistory;

// What the file commands read and write: the window's caption, the memo, the grid's event names and
// the session's event table (a quotes load is announced by the model to every view of the line).
struct FileCommandTarget {
    QMainWindow* window = nullptr;
    SessionModel* model = nullptr;
    BetMemo* memo = nullptr;
    OutcomeGrid* grid = nullptr;
    Platform platform;
    QString update_url;
    // Loading quotes is a step of the package's history; null: no history.
    PackageHistory* history = nullptr;
};

// Connects the file commands, the information command and the results check of the menu; called
// once while the window is built.
void install_file_commands(const MainMenu& menu, const FileCommandTarget& target);

}  // namespace morvalen::app
