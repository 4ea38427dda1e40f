// The three auxiliary windows, created hidden after the main window; closing one only hides it.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include <QWidget>

namespace morvalen::app {

// The probability editor (Form1), the nearest brief systems (Form2), the distribution by outcomes (Form3).
QWidget* create_probability_editor(QWidget* owner);
QWidget* create_nearest_systems_window(QWidget* owner);
QWidget* create_distribution_window(QWidget* owner);

// Writes the rows (the first is the header) into the nearest brief systems window's grid.
void fill_nearest_systems(QWidget* window, const std::vector<std::pair<std::string, std::string>>& rows);

}  // namespace morvalen::app
