// The menu "Файлы" (spreadsheet export, text save, quotes files), "Информация" and the results check command.
#pragma once

namespace morvalen::app {

class Form7;

// Connects the file commands, the information command and "Проверка по результатам" (added to
// the menu "Пакет") of the window; called once while the window is built.
void install_file_commands(Form7& window);

void ExcellCtrlE1Click(Form7& window);  // one column per memo line, at most 256
void ExcellCtrlS1Click(Form7& window);  // one row per memo line
void mmtClick(Form7& window);
void mmkClick(Form7& window);
void mmlClick(Form7& window);
// Opens the results check window, made at its first use.
void results_check_click(Form7& window);

}  // namespace morvalen::app
