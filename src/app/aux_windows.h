// The three auxiliary windows, created hidden after the main window; closing one only hides it.
#pragma once

#include <QWidget>

namespace morvalen::app {

// The probability editor (Form1), the nearest brief systems (Form2), the distribution by outcomes (Form3).
QWidget* create_probability_editor(QWidget* owner);
QWidget* create_nearest_systems_window(QWidget* owner);
QWidget* create_distribution_window(QWidget* owner);

}  // namespace morvalen::app
