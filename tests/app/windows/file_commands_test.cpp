// The menu "Файлы" through scripted dialogs: workbooks read back with openpyxl, text and quotes files byte by byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <map>

#include <QFileInfo>
#include <QGroupBox>
#include <QRadioButton>

#include "../files_harness.h"
#include "app/widgets/string_grid.h"
#include "app/windows/probability_editor_window.h"

namespace morvalen::app::testing {
namespace {

const QString first_line = QStringLiteral("3.1|1-(1:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");
const QString second_line = QStringLiteral("3.1|1-(2:0);2-(0:0);3-(2:1);4-(ЛД);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#");

QString lines(int count) {
    QString text;
    for (int i = 0; i < count; ++i) text += (i % 2 ? second_line : first_line) + QLatin1Char('\n');
    return text;
}

// The workbook as openpyxl reads it: "sheet …", "columns …" lines and the cells by coordinate.
struct Workbook {
    std::vector<std::string> sheets;
    std::vector<std::string> columns;
    std::map<std::string, std::string> cells;  // "A1" -> "s (1:0) 1 right"
};

std::optional<Workbook> read_back(const QString& path) {
    const char* reader = std::getenv("MORVALEN_XLSX_READER");
    if (reader == nullptr || *reader == '\0') return std::nullopt;
    const std::string command = std::string("PYTHONIOENCODING=utf-8 ") + reader + " " +
                                std::getenv("MORVALEN_SOURCE_DIR") + "/tests/export/read_xlsx.py '" + path.toStdString() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return std::nullopt;
    std::string dump;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) dump.append(buffer, n);
    if (pclose(pipe) != 0) {
        ADD_FAILURE() << "openpyxl could not read " << path.toStdString();
        return Workbook{};
    }
    Workbook book;
    for (const QString& line : QString::fromStdString(dump).split(QLatin1Char('\n'), Qt::SkipEmptyParts)) {
        QStringList fields = line.split(QLatin1Char('\t'));
        const QString kind = fields.takeFirst();
        if (kind == QLatin1String("cell")) {
            const QString coordinate = fields.takeFirst();
            book.cells[coordinate.toStdString()] = fields.join(QLatin1Char(' ')).toStdString();
        } else if (kind == QLatin1String("sheet")) {
            book.sheets.push_back(fields.join(QLatin1Char(' ')).toStdString());
        } else {
            book.columns.push_back(fields.join(QLatin1Char(' ')).toStdString());
        }
    }
    return book;
}

TEST(SpreadsheetExport, RowLayoutWritesTheWorkedExampleAddsXlsxAndOpensIt) {
    FilesHarness h;
    h.set_memo(first_line + QLatin1Char('\n') + second_line);
    ASSERT_TRUE(h.action("export_by_rows")->isEnabled());
    h.dialogs.save_answers = {h.path(QStringLiteral("pack"))};
    h.action("export_by_rows")->trigger();
    const QString written = h.path(QStringLiteral("pack.xlsx"));
    ASSERT_TRUE(QFileInfo::exists(written));
    EXPECT_TRUE(h.boxes.boxes.empty());
    ASSERT_EQ(h.desktop.opened.size(), 1u);
    EXPECT_EQ(h.desktop.opened[0], QUrl::fromLocalFile(written));
    const auto book = read_back(written);
    if (!book) GTEST_SKIP() << "no python3 with openpyxl";
    ASSERT_EQ(book->sheets, std::vector<std::string>{"Pack_2 2 9"});
    const char* texts[] = {"(1:0)", "(0:0)", "(2:1)", "(ЛД)", "(0:1)", "(1:2)", "(3:0)", "(2:2)"};
    for (int c = 0; c < 8; ++c) {
        const std::string column(1, static_cast<char>('A' + c));
        EXPECT_EQ(book->cells.at(column + "1"), std::string("s ") + texts[c] + " 1 right") << column;
    }
    EXPECT_EQ(book->cells.at("A2"), "s (2:0) 1 right");
    EXPECT_EQ(book->cells.at("I1"), "n 3.1 1 right");
    EXPECT_EQ(book->cells.at("I2"), "n 3.1 1 right");
    // Width 8 characters is 8.7109375 in the file's own unit.
    EXPECT_EQ(book->columns, std::vector<std::string>{"1 16384 8.7109375 1 right"});
}

TEST(SpreadsheetExport, ColumnLayoutTakes256LinesAndRefuses257WithoutAskingForAName) {
    FilesHarness h;
    h.set_memo(lines(256));
    h.dialogs.save_answers = {h.path(QStringLiteral("wide.xlsx"))};
    h.action("export_by_columns")->trigger();
    ASSERT_TRUE(h.boxes.boxes.empty());
    if (const auto book = read_back(h.path(QStringLiteral("wide.xlsx")))) {
        EXPECT_EQ(book->sheets, std::vector<std::string>{"Pack_256 9 256"});
        EXPECT_EQ(book->cells.at("A1"), "s (1:0) 1 right");
        EXPECT_EQ(book->cells.at("B1"), "s (2:0) 1 right");
        EXPECT_EQ(book->cells.at("IV9"), "n 3.1 1 right");
    }

    h.set_memo(lines(257));
    h.dialogs.save_calls = 0;
    h.action("export_by_columns")->trigger();
    EXPECT_EQ(h.dialogs.save_calls, 0);
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].title, "Ошибка");
    EXPECT_EQ(h.boxes.boxes[0].text, "Формат Excell не позволяет сохранять более 256 вариантов");

    // The row layout has no limit of its own.
    h.dialogs.save_answers = {h.path(QStringLiteral("long.book"))};
    h.action("export_by_rows")->trigger();
    EXPECT_EQ(h.boxes.boxes.size(), 1u);
    ASSERT_TRUE(QFileInfo::exists(h.path(QStringLiteral("long.book"))));
    // The reader goes by the extension; the workbook is the same under another name.
    ASSERT_TRUE(QFile::copy(h.path(QStringLiteral("long.book")), h.path(QStringLiteral("long-copy.xlsx"))));
    if (const auto book = read_back(h.path(QStringLiteral("long-copy.xlsx")))) {
        EXPECT_EQ(book->sheets, std::vector<std::string>{"Pack_257 257 9"});
    }
}

TEST(SpreadsheetExport, CancelledOrUnwritableLeavesNoFileAndOpensNothing) {
    FilesHarness h;
    h.set_memo(first_line);
    h.action("export_by_columns")->trigger();  // cancelled
    EXPECT_EQ(h.dialogs.save_calls, 1);
    EXPECT_TRUE(h.boxes.boxes.empty());

    const QString blocked = h.path(QStringLiteral("no-such-folder/pack.xlsx"));
    h.dialogs.save_answers = {blocked};
    h.action("export_by_rows")->trigger();
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].title, "Morvalen_trs_zrn");
    EXPECT_FALSE(h.boxes.boxes[0].text.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(blocked));
    EXPECT_TRUE(QDir(h.folder.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    EXPECT_TRUE(h.desktop.opened.empty());

    // An amount with a comma is no number: the export stops before any file is made. (The first
    // line keeps the command enabled; an unreadable line counts no bet.)
    h.set_memo(first_line + QStringLiteral("\n3,1|1-(1:0);2-(0:0)"));
    h.dialogs.save_answers = {h.path(QStringLiteral("comma.xlsx"))};
    h.action("export_by_rows")->trigger();
    ASSERT_EQ(h.boxes.boxes.size(), 2u);
    EXPECT_EQ(h.boxes.boxes[1].title, "Morvalen_trs_zrn");
    EXPECT_TRUE(h.boxes.boxes[1].text.contains(QStringLiteral("3,1"))) << h.boxes.boxes[1].text.toStdString();
    EXPECT_FALSE(QFileInfo::exists(h.path(QStringLiteral("comma.xlsx"))));
    EXPECT_TRUE(h.desktop.opened.empty());
}

TEST(TextSave, WritesWindows1251WithCrLfAndAlwaysAddsTxt) {
    FilesHarness h;
    h.set_memo(first_line + QLatin1Char('\n') + second_line);
    h.dialogs.save_answers = {h.path(QStringLiteral("pack")), h.path(QStringLiteral("pack.txt"))};
    h.action("save_text")->trigger();
    h.action("save_text")->trigger();
    const QByteArray bytes = FilesHarness::read_all(h.path(QStringLiteral("pack.txt")));
    const QByteArray expected = "3.1|1-(1:0);2-(0:0);3-(2:1);4-(\xCB\xC4);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\r\n"
                                "3.1|1-(2:0);2-(0:0);3-(2:1);4-(\xCB\xC4);5-(0:1);6-(1:2);7-(3:0);8-(2:2)#\r\n";
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(FilesHarness::read_all(h.path(QStringLiteral("pack.txt.txt"))), expected);
    EXPECT_TRUE(h.boxes.boxes.empty());
}

TEST(QuotesFile, SavesAndLoadsBackNamesFiguresCellsAndCaption) {
    FilesHarness h;
    h.load_demo_line();
    const QString caption = h.window->windowTitle();
    h.dialogs.save_answers = {h.path(QStringLiteral("line"))};
    h.action("save_quotes")->trigger();
    const QByteArray bytes = FilesHarness::read_all(h.path(QStringLiteral("line.ctr")));
    const QList<QByteArray> file_lines = bytes.split('\n');
    ASSERT_EQ(file_lines.size(), 10);  // 9 lines, each ended by CR LF
    for (int e = 0; e < 8; ++e) {
        EXPECT_EQ(file_lines[e].count('\t'), 35) << e;
        EXPECT_TRUE(file_lines[e].endsWith("\t\r")) << e;
    }
    EXPECT_TRUE(file_lines[0].contains("\t12.5\t13.5\t"));

    // A different line is in the window when the file is loaded back.
    const core::EventTable& events = h.window->session().events;
    {
        const SessionModel::Edit edit = h.window->model().change(SessionModel::line);
        edit->events.cell(3, 5).quote_probability = core::Currency::from_ten_thousandths(10000);
        edit->events.cell(3, 5).setting_probability = core::Currency::from_ten_thousandths(20000);
    }
    h.grid()->set_cell(0, 3, QStringLiteral("Другое"));
    h.window->setWindowTitle(QStringLiteral("другой заголовок"));
    h.dialogs.open_answers = {h.path(QStringLiteral("line.ctr"))};
    h.action("load_quotes")->trigger();
    EXPECT_TRUE(h.boxes.boxes.empty());
    EXPECT_EQ(h.window->windowTitle(), caption);
    EXPECT_EQ(h.grid()->cell(0, 3), "Команда 3 - Соперник 3");
    EXPECT_EQ(h.grid()->cell(5, 3), "12/14");
    for (int e = 1; e <= 8; ++e)
        for (int o = 1; o <= 17; ++o) {
            EXPECT_EQ(events.cell(e, o).quote_probability.ten_thousandths(), 125000);
            EXPECT_EQ(events.cell(e, o).pool_probability.ten_thousandths(), 135000);
            EXPECT_EQ(events.cell(e, o).setting_probability.ten_thousandths(), 125000);
        }

    // A point in the chosen name keeps it; cancelling writes nothing.
    h.dialogs.save_answers = {h.path(QStringLiteral("line.old"))};
    h.action("save_quotes")->trigger();
    EXPECT_TRUE(QFileInfo::exists(h.path(QStringLiteral("line.old"))));
    h.action("save_quotes")->trigger();
    EXPECT_EQ(QDir(h.folder.path()).entryList(QDir::Files).size(), 2);
}

TEST(QuotesFile, UndoTakesALoadBackAndRedoLoadsItAgain) {
    FilesHarness h;
    h.load_demo_line();
    const QString caption = h.window->windowTitle();
    h.dialogs.save_answers = {h.path(QStringLiteral("line"))};
    h.action("save_quotes")->trigger();
    const core::EventTable& events = h.window->session().events;
    {
        const SessionModel::Edit edit = h.window->model().change(SessionModel::line);
        edit->events.cell(3, 5).quote_probability = core::Currency::from_ten_thousandths(10000);
        edit->events.event(3).name = "Другое";
    }
    h.grid()->set_cell(0, 3, QStringLiteral("Другое"));
    h.window->setWindowTitle(QStringLiteral("другой заголовок"));
    h.dialogs.open_answers = {h.path(QStringLiteral("line.ctr"))};
    h.action("load_quotes")->trigger();
    ASSERT_EQ(h.grid()->cell(0, 3), "Команда 3 - Соперник 3");

    h.action("undo")->trigger();
    EXPECT_EQ(events.event(3).name, "Другое");
    EXPECT_EQ(h.grid()->cell(0, 3), "Другое");
    EXPECT_EQ(events.cell(3, 5).quote_probability.ten_thousandths(), 10000);
    EXPECT_EQ(h.window->windowTitle(), "другой заголовок");
    h.action("redo")->trigger();
    EXPECT_EQ(h.grid()->cell(0, 3), "Команда 3 - Соперник 3");
    EXPECT_EQ(events.cell(3, 5).quote_probability.ten_thousandths(), 125000);
    EXPECT_EQ(h.window->windowTitle(), caption);
}

TEST(QuotesFile, BrokenFileShowsTheMessageAndKeepsWhatWasRead) {
    FilesHarness h;
    // The first event's name in Windows-1251 and two figures, the second without its tab.
    const QByteArray broken = QByteArray("\xCF\xE5\xF0\xE2\xEE\xE5\t") + "20\t30\t40\t50\r\n";
    QFile file(h.path(QStringLiteral("broken.ctr")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(broken);
    file.close();
    h.dialogs.open_answers = {h.path(QStringLiteral("broken.ctr")), h.path(QStringLiteral("missing.ctr"))};
    h.action("load_quotes")->trigger();
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].title, "Ошибка");
    EXPECT_EQ(h.boxes.boxes[0].text, "Неверный формат загружаемого файла");
    EXPECT_EQ(h.grid()->cell(0, 1), "Первое");
    EXPECT_EQ(h.grid()->cell(1, 1), "20/30");
    EXPECT_EQ(h.window->session().events.cell(1, 1).setting_probability.ten_thousandths(), 200000);
    EXPECT_EQ(h.window->windowTitle(), "Тотализатор \"Тарвил\"");

    h.action("load_quotes")->trigger();
    ASSERT_EQ(h.boxes.boxes.size(), 2u);
    EXPECT_EQ(h.boxes.boxes[1].text, "Неверный формат загружаемого файла");
    h.action("load_quotes")->trigger();  // cancelled: nothing more
    EXPECT_EQ(h.boxes.boxes.size(), 2u);
}

// The open auxiliary windows hear of a quotes load and of its undo from the session model: the
// editor's chooser, the distribution's names and the results check's captions follow both.
TEST(QuotesFile, ALoadAndItsUndoRenameTheEventsInTheOpenAuxiliaryWindows) {
    FilesHarness h;
    h.load_demo_line();
    h.dialogs.save_answers = {h.path(QStringLiteral("line"))};
    h.action("save_quotes")->trigger();
    // Another name for event 3, as another line would bring.
    h.window->model().change(SessionModel::line)->events.event(3).name = "Другое";
    auto* editor = find_in<ProbabilityEditorWindow>(*h.window, "probability_editor_window");
    editor->show();
    h.action("show_distribution")->trigger();
    h.action("check_results")->trigger();
    const auto chooser_name = [&] { return find_in<QGroupBox>(*editor, "event_chooser")->findChildren<QRadioButton*>().at(2)->text(); };
    const auto distribution_name = [&] { return find_in<StringGrid>(*h.window, "counts_grid")->cell(0, 3); };
    const auto results_caption = [&] { return find_in<QLabel>(*h.window, "event_caption_3")->text(); };
    ASSERT_EQ(chooser_name(), "Другое");
    ASSERT_EQ(distribution_name(), "Другое");
    ASSERT_EQ(results_caption(), "3. Другое");

    h.dialogs.open_answers = {h.path(QStringLiteral("line.ctr"))};
    h.action("load_quotes")->trigger();
    EXPECT_EQ(chooser_name(), "Команда 3 - Соперник 3");
    EXPECT_EQ(distribution_name(), "Команда 3 - Соперник 3");
    EXPECT_EQ(results_caption(), "3. Команда 3 -\nСоперник 3");

    h.action("undo")->trigger();
    EXPECT_EQ(chooser_name(), "Другое");
    EXPECT_EQ(distribution_name(), "Другое");
    EXPECT_EQ(results_caption(), "3. Другое");
}

}  // namespace
}  // namespace morvalen::app::testing
