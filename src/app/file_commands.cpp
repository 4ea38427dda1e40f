// The file commands read the memo or the event table, let the core shape the bytes and write them whole.
#include "app/file_commands.h"

#include <sstream>
#include <stdexcept>

#include <QFile>
#include <QMenu>
#include <QSaveFile>
#include <QUrl>

#include "app/desktop_services.h"
#include "app/main_window.h"
#include "app/results_window.h"
#include "app/texts.h"
#include "app/update_checker.h"
#include "core/bet.h"
#include "core/quotes_file.h"
#include "core/spreadsheet_table.h"
#include "export/xlsx_writer.h"

namespace morvalen::app {
namespace {

QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void show_error(Form7& window, const QString& title, const QString& text) {
    if (MessageBoxes* boxes = window.platform().boxes) boxes->show_error(&window, title, text);
}

// An unexpected error ends the command and is shown titled with the application title.
template <typename Command>
void guarded(Form7& window, Command&& command) {
    try {
        command();
    } catch (const std::exception& error) {
        show_error(window, app_title, QString::fromUtf8(error.what()));
    }
}

QString chosen_save_name(Form7& window) {
    FileDialogs* dialogs = window.platform().dialogs;
    return dialogs ? dialogs->save_file_name(&window) : QString();
}

// Replaces the file only when every byte was written: a full disk or a locked file leaves the old
// file (or none) instead of a truncated one.
void write_whole_file(const QString& path, const std::string& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) ||
        file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.commit())
        throw std::runtime_error("Не удалось записать файл " + path.toStdString() + ": " + file.errorString().toStdString());
}

void export_sheet(Form7& window, core::SheetLayout layout) {
    const QByteArray text = window.Memo1->memo_text().toUtf8();
    const std::vector<std::string_view> lines =
        core::memo_lines(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    if (layout == core::SheetLayout::column_per_line && lines.size() > core::column_layout_line_limit) {
        show_error(window, error_caption, to_qstring(core::column_layout_limit_message));
        return;
    }
    const QString chosen = chosen_save_name(window);
    if (chosen.isEmpty()) return;
    const core::SpreadsheetBuild build = core::build_spreadsheet_table(lines, layout);
    if (!build.table) throw std::runtime_error(build.error);
    const std::string path = exporter::xlsx_file_name(chosen.toStdString());
    if (const auto failed = exporter::write_xlsx(*build.table, path)) throw std::runtime_error(*failed);
    // The player sees the saved workbook in the desktop's spreadsheet application.
    if (Desktop* desktop = window.platform().desktop) desktop->open_url(QUrl::fromLocalFile(QString::fromStdString(path)));
}

}  // namespace

void install_file_commands(Form7& window) {
    const auto connect = [&window](QAction* action, void (*handler)(Form7&)) {
        QObject::connect(action, &QAction::triggered, &window, [&window, handler] { handler(window); });
    };
    connect(window.ExcellCtrlE1, &ExcellCtrlE1Click);
    connect(window.ExcellCtrlS1, &ExcellCtrlS1Click);
    connect(window.mmt, &mmtClick);
    connect(window.mmk, &mmkClick);
    connect(window.mml, &mmlClick);
    QObject::connect(window.mm3, &QAction::triggered, &window,
                     [&window] { mm3Click(window.update_url(), window.platform()); });
    // The menu "Пакет" is the one that holds "Распределение по исходам".
    if (auto* package = qobject_cast<QMenu*>(window.N4->parent())) {
        QAction* check = package->addAction(QStringLiteral("Проверка по результатам"));
        check->setObjectName(QStringLiteral("N5"));
        check->setToolTip(QStringLiteral("Сколько ставок пакета угадали 8, 7, 6 и меньше событий при заданных "
                                         "результатах, и шансы пакета при заданных вероятностях"));
        connect(check, &results_check_click);
    }
}

void ExcellCtrlE1Click(Form7& window) {
    guarded(window, [&] { export_sheet(window, core::SheetLayout::column_per_line); });
}

void ExcellCtrlS1Click(Form7& window) {
    guarded(window, [&] { export_sheet(window, core::SheetLayout::row_per_line); });
}

void mmtClick(Form7& window) {
    guarded(window, [&] {
        const QString chosen = chosen_save_name(window);
        if (chosen.isEmpty()) return;
        QString memo = window.Memo1->memo_text();
        // The memo's lines each end with a break in the file, the last one too.
        if (!memo.isEmpty() && !memo.endsWith(QLatin1Char('\n'))) memo += QLatin1Char('\n');
        const QByteArray text = memo.toUtf8();
        std::ostringstream out;
        if (!core::write_memo_text(out, std::string_view(text.constData(), static_cast<std::size_t>(text.size()))))
            throw std::runtime_error("Не удалось подготовить текст пакета");
        write_whole_file(QString::fromStdString(core::text_file_name(chosen.toStdString())), out.str());
    });
}

void mmkClick(Form7& window) {
    guarded(window, [&] {
        const QString chosen = chosen_save_name(window);
        if (chosen.isEmpty()) return;
        // The names are those the grid shows.
        core::EventTable table = window.session().events;
        for (int e = 1; e <= core::event_count; ++e) table.event(e).name = window.StringGrid1->cell(0, e).toStdString();
        std::ostringstream out;
        if (!core::write_quotes(out, table, window.windowTitle().toStdString()))
            throw std::runtime_error("Не удалось подготовить файл котировок");
        write_whole_file(QString::fromStdString(core::quotes_file_name(chosen.toStdString())), out.str());
    });
}

void mmlClick(Form7& window) {
    guarded(window, [&] {
        FileDialogs* dialogs = window.platform().dialogs;
        const QString chosen = dialogs ? dialogs->open_file_name(&window) : QString();
        if (chosen.isEmpty()) return;
        QFile file(chosen);
        if (!file.open(QIODevice::ReadOnly)) {
            show_error(window, error_caption, to_qstring(core::quotes_format_error));
            return;
        }
        // A quotes file is 9 short lines; anything far larger is not one and is not read into memory.
        constexpr qint64 largest_quotes_file = 1 << 20;
        const QByteArray bytes = file.read(largest_quotes_file + 1);
        core::EventTable& events = window.session().events;
        const core::EventTable before = events;
        core::QuotesLoad load;
        if (bytes.size() <= largest_quotes_file) {
            std::istringstream in(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
            load = core::read_quotes(in, events);
        }
        // What was read stays applied, a failed load included; the grid shows it.
        for (int e = 1; e <= core::event_count; ++e) {
            if (load.ok || events.event(e).name != before.event(e).name)
                window.StringGrid1->set_cell(0, e, QString::fromStdString(events.event(e).name));
            for (int o = 1; o <= core::outcome_count; ++o) {
                const bool changed = events.cell(e, o).quote_probability != before.cell(e, o).quote_probability ||
                                     events.cell(e, o).pool_probability != before.cell(e, o).pool_probability;
                if (load.ok || changed)
                    window.StringGrid1->set_cell(o, e, QString::fromStdString(core::outcome_cell_text(events, e, o)));
            }
        }
        window.StringGrid1->update();
        if (load.caption) window.setWindowTitle(QString::fromStdString(*load.caption));
        if (!load.ok) show_error(window, error_caption, to_qstring(core::quotes_format_error));
    });
}

void results_check_click(Form7& window) {
    guarded(window, [&] {
        auto* results = window.findChild<ResultsWindow*>(QStringLiteral("Form4"));
        if (!results) results = new ResultsWindow(window.session(), &window);
        results->open();
    });
}

}  // namespace morvalen::app
