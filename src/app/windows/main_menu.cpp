// The menu's captions, shortcuts and hints; the window and the file commands connect the actions.
#include "app/windows/main_menu.h"

#include <QMenuBar>

namespace morvalen::app {

MainMenu build_main_menu(QMainWindow& window) {
    QMenuBar* bar = window.menuBar();
    const auto add = [bar](QMenu* menu, const char* name, const QString& caption, const char* keys) {
        QAction* action = menu ? menu->addAction(caption) : bar->addAction(caption);
        action->setObjectName(QLatin1String(name));
        if (keys) action->setShortcut(QKeySequence(QLatin1String(keys)));
        // The window's own shortcuts, so they also reach it while the memo has the focus.
        action->setShortcutContext(Qt::WindowShortcut);
        return action;
    };
    MainMenu menu;
    QMenu* files = bar->addMenu(QStringLiteral("Файлы"));
    menu.export_by_columns = add(files, "export_by_columns", QStringLiteral("Сохранить для Excell"), "Ctrl+E");
    menu.export_by_rows = add(files, "export_by_rows", QStringLiteral("Сохранить для Excell построчно"), "Ctrl+S");
    menu.save_text = add(files, "save_text", QStringLiteral("Сохранить как текст"), "Ctrl+T");
    menu.save_quotes = add(files, "save_quotes", QStringLiteral("Котировки в файл"), "Ctrl+K");
    menu.load_quotes = add(files, "load_quotes", QStringLiteral("Котировки из файла"), "Ctrl+L");
    files->addSeparator();
    // F5: no Ctrl+letter of the menu, and the memo has no use for it.
    menu.refresh_line = add(files, "refresh_line", QStringLiteral("Обновить линию"), "F5");

    QMenu* actions = bar->addMenu(QStringLiteral("Действия"));
    menu.copy_for_transfer = add(actions, "copy_for_transfer", QStringLiteral("Копировать для переноса"), "Ctrl+C");
    menu.copy_for_transfer->setToolTip(QStringLiteral("Ранее сформированный различными способами пакет ставок копируется в "
                                                      "буфер для переноса на страницу приема ставок тотализатора сайта «БК Зарнит»"));
    menu.add_coupon = add(actions, "add_coupon", QStringLiteral("Добавить купоном"), "Ctrl+D");
    menu.split_into_singles = add(actions, "split_into_singles", QStringLiteral("Разложить на одиночные"), "Ctrl+O");
    menu.remove_repeats = add(actions, "remove_repeats", QStringLiteral("Убрать повторы"), "Ctrl+W");
    menu.remove_variants = add(actions, "remove_variants", QStringLiteral("Изъять варианты из списка"), "Ctrl+Y");
    menu.clear_list = add(actions, "clear_list", QStringLiteral("Очистить список ставок "), "Ctrl+X");
    menu.filter_by_conditions = add(actions, "filter_by_conditions", QStringLiteral("Отбор по условиям"), "Ctrl+F");
    actions->addSeparator();
    // Ctrl+Y already removes variants, so redo is Ctrl+Shift+Z; the memo's own undo is off.
    menu.undo = add(actions, "undo", QStringLiteral("Отменить"), "Ctrl+Z");
    menu.redo = add(actions, "redo", QStringLiteral("Повторить"), "Ctrl+Shift+Z");

    QMenu* package = bar->addMenu(QStringLiteral("Пакет"));
    menu.show_distribution = add(package, "show_distribution", QStringLiteral("Распределение по исходам"), nullptr);
    menu.check_results = add(package, "check_results", QStringLiteral("Проверка по результатам"), nullptr);
    menu.check_results->setToolTip(QStringLiteral("Сколько ставок пакета угадали 8, 7, 6 и меньше событий при заданных "
                                                  "результатах, и шансы пакета при заданных вероятностях"));
    menu.show_conditions = add(package, "show_conditions", QStringLiteral("Условия"), "Ctrl+U");
    menu.conditions_enabled = add(package, "conditions_enabled", QStringLiteral("Условия включены"), nullptr);
    menu.conditions_enabled->setCheckable(true);
    menu.show_nearest_systems =
        add(package, "show_nearest_systems", QStringLiteral("Ближайшие бриф-системы"), nullptr);
    menu.show_nearest_systems->setToolTip(QStringLiteral("Готовые бриф-системы сервиса, близкие к отмеченным исходам"));
    menu.pool_rules = add(package, "pool_rules", QStringLiteral("Правила тотализатора"), nullptr);
    menu.pool_rules->setToolTip(QStringLiteral("Сколько ставят остальные, какая доля идёт на выигрыши и какие разряды платят: "
                                               "по ним считается ожидаемый возврат пакета"));
    menu.value_tint = add(package, "value_tint", QStringLiteral("Подсветить ценность исходов"), nullptr);
    menu.value_tint->setCheckable(true);
    menu.value_tint->setToolTip(QStringLiteral("Исходы, которые толпа недооценивает (заданная вероятность заметно выше доли "
                                               "пула), подсвечиваются синим, переоценённые — красным"));
    menu.show_information = add(nullptr, "show_information", QStringLiteral("Информация"), nullptr);
    return menu;
}

}  // namespace morvalen::app
