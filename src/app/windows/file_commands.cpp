// The file commands read the memo or the event table, let the core shape the bytes and write them whole.
#include "app/windows/file_commands.h"

#include <optional>
#include <sstream>
#include <stdexcept>

#include <QFile>
#include <QUrl>

#include "app/platform/desktop_services.h"
#include "app/windows/guarded.h"
#include "app/session/package_history.h"
#include "app/windows/results_window.h"
#include "app/windows/texts.h"
#include "app/session/update_checker.h"
#include "app/platform/whole_file_writer.h"
#include "core/model/bet.h"
#include "core/formats/quotes_file.h"
#include "core/formats/spreadsheet_table.h"
#include "export/xlsx_writer.h"

namespace morvalen::app {
namespace {

QString to_qstring(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

void show_error(const FileCommandTarget& target, const QString& title, const QString& text) {
    if (MessageBoxes* boxes = target.platform.boxes) boxes->show_error(target.window, title, text);
}

template <typename Command>
void guarded(const FileCommandTarget& target, Command&& command) {
    app::guarded(target.window, target.platform.boxes, std::forward<Command>(command));
}

QString chosen_save_name(const FileCommandTarget& target) {
    FileDialogs* dialogs = target.platform.dialogs;
    return dialogs ? dialogs->save_file_name(target.window) : QString();
}

// Replaces the file only when every byte was written and flushed: a full disk or a locked file
// leaves the old file (or none) instead of a truncated one, and the player is told.
void save_whole_file(const QString& path, const std::string& bytes) {
    const FileWrite written = write_whole_file(path, bytes);
    if (!written.ok) throw std::runtime_error("Не удалось записать файл " + path.toStdString() + ": " + written.error.toStdString());
}

void export_sheet(const FileCommandTarget& target, core::SheetLayout layout) {
    const QByteArray text = target.memo->memo_text().toUtf8();
    const std::vector<std::string_view> lines =
        core::memo_lines(std::string_view(text.constData(), static_cast<std::size_t>(text.size())));
    if (layout == core::SheetLayout::column_per_line && lines.size() > core::column_layout_line_limit) {
        show_error(target, error_caption, to_qstring(core::column_layout_limit_message));
        return;
    }
    const QString chosen = chosen_save_name(target);
    if (chosen.isEmpty()) return;
    const core::SpreadsheetBuild build = core::build_spreadsheet_table(lines, layout);
    if (!build.table) throw std::runtime_error(build.error);
    const exporter::XlsxWorkbook workbook = exporter::xlsx_workbook(*build.table);
    if (!workbook.error.empty()) throw std::runtime_error(workbook.error);
    const QString path = QString::fromStdString(exporter::xlsx_file_name(chosen.toStdString()));
    save_whole_file(path, workbook.bytes);
    // The player sees the saved workbook in the desktop's spreadsheet application.
    if (Desktop* desktop = target.platform.desktop) desktop->open_url(QUrl::fromLocalFile(path));
}


void export_by_columns(const FileCommandTarget& target) {
    guarded(target, [&] { export_sheet(target, core::SheetLayout::column_per_line); });
}

void export_by_rows(const FileCommandTarget& target) {
    guarded(target, [&] { export_sheet(target, core::SheetLayout::row_per_line); });
}

void save_text(const FileCommandTarget& target) {
    guarded(target, [&] {
        const QString chosen = chosen_save_name(target);
        if (chosen.isEmpty()) return;
        QString memo = target.memo->memo_text();
        // The memo's lines each end with a break in the file, the last one too.
        if (!memo.isEmpty() && !memo.endsWith(QLatin1Char('\n'))) memo += QLatin1Char('\n');
        const QByteArray text = memo.toUtf8();
        std::ostringstream out;
        if (!core::write_memo_text(out, std::string_view(text.constData(), static_cast<std::size_t>(text.size()))))
            throw std::runtime_error("Не удалось подготовить текст пакета");
        save_whole_file(QString::fromStdString(core::text_file_name(chosen.toStdString())), out.str());
    });
}

void save_quotes(const FileCommandTarget& target) {
    guarded(target, [&] {
        const QString chosen = chosen_save_name(target);
        if (chosen.isEmpty()) return;
        // The names are those the grid shows.
        core::EventTable table = target.model->session().events;
        for (int e = 1; e <= core::event_count; ++e) table.event(e).name = target.grid->cell(0, e).toStdString();
        std::ostringstream out;
        if (!core::write_quotes(out, table, target.window->windowTitle().toStdString()))
            throw std::runtime_error("Не удалось подготовить файл котировок");
        save_whole_file(QString::fromStdString(core::quotes_file_name(chosen.toStdString())), out.str());
    });
}

void load_quotes(const FileCommandTarget& target) {
    guarded(target, [&] {
        FileDialogs* dialogs = target.platform.dialogs;
        const QString chosen = dialogs ? dialogs->open_file_name(target.window) : QString();
        if (chosen.isEmpty()) return;
        QFile file(chosen);
        if (!file.open(QIODevice::ReadOnly)) {
            show_error(target, error_caption, to_qstring(core::quotes_format_error));
            return;
        }
        // A quotes file is 9 short lines; anything far larger is not one and is not read into memory.
        constexpr qint64 largest_quotes_file = 1 << 20;
        const QByteArray bytes = file.read(largest_quotes_file + 1);
        // A load that changes the line is one step: undo takes the figures and the caption back.
        std::optional<PackageHistory::Step> step;
        if (target.history) step.emplace(*target.history, PackageHistory::Keeps{true, true});
        core::QuotesLoad load;
        {
            // What was read stays applied, a failed load included; every view of the line, the grid
            // among them, shows it.
            const SessionModel::Edit edit = target.model->change(SessionModel::line);
            if (bytes.size() <= largest_quotes_file) {
                std::istringstream in(std::string(bytes.constData(), static_cast<std::size_t>(bytes.size())));
                load = core::read_quotes(in, edit->events);
            }
            if (load.caption) target.window->setWindowTitle(QString::fromStdString(*load.caption));
        }
        if (!load.ok) show_error(target, error_caption, to_qstring(core::quotes_format_error));
    });
}

void check_results(const FileCommandTarget& target) {
    guarded(target, [&] {
        auto* results = target.window->findChild<ResultsWindow*>(QStringLiteral("results_window"));
        if (!results)
            results = new ResultsWindow(*target.model, target.window,
                                        [memo = target.memo](int line) { return memo ? memo->line_text(line) : QString(); });
        results->open();
    });
}


}  // namespace

void install_file_commands(const MainMenu& menu, const FileCommandTarget& target) {
    QObject* context = target.window;
    const auto connect = [&](QAction* action, void (*command)(const FileCommandTarget&)) {
        QObject::connect(action, &QAction::triggered, context, [target, command] { command(target); });
    };
    connect(menu.export_by_columns, &export_by_columns);
    connect(menu.export_by_rows, &export_by_rows);
    connect(menu.save_text, &save_text);
    connect(menu.save_quotes, &save_quotes);
    connect(menu.load_quotes, &load_quotes);
    connect(menu.check_results, &check_results);
    QObject::connect(menu.show_information, &QAction::triggered, context,
                     [target] { show_information(target.update_url, target.platform); });
}

}  // namespace morvalen::app
