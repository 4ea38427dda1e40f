// The main window's menu bar: "Файлы", "Действия", "Пакет" and "Информация", one action per command.
#pragma once

#include <QAction>
#include <QMainWindow>

namespace morvalen::app {

struct MainMenu {
    // "Файлы"
    QAction* export_by_columns = nullptr;
    QAction* export_by_rows = nullptr;
    QAction* save_text = nullptr;
    QAction* save_quotes = nullptr;
    QAction* load_quotes = nullptr;
    QAction* refresh_line = nullptr;
    // "Действия"
    QAction* copy_for_transfer = nullptr;
    QAction* add_coupon = nullptr;
    QAction* split_into_singles = nullptr;
    QAction* remove_repeats = nullptr;
    QAction* remove_variants = nullptr;
    QAction* clear_list = nullptr;
    QAction* filter_by_conditions = nullptr;
    QAction* undo = nullptr;
    QAction* redo = nullptr;
    // "Пакет"
    QAction* show_distribution = nullptr;
    QAction* check_results = nullptr;
    QAction* show_conditions = nullptr;
    QAction* conditions_enabled = nullptr;  // checkable
    QAction* show_nearest_systems = nullptr;
    QAction* pool_rules = nullptr;
    QAction* value_tint = nullptr;  // checkable
    // On the bar itself.
    QAction* show_information = nullptr;
};

// Fills the window's menu bar; the actions are named after their commands and not yet connected.
MainMenu build_main_menu(QMainWindow& window);

}  // namespace morvalen::app
