// The typical road on the real embedded service over the loopback: the line arrives, marks, a package.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app/platform/service_address.h"
#include "../window_harness.h"

namespace morvalen::app::testing {
namespace {

TEST(EmbeddedRoad, LineFromTheEmbeddedServiceThenMarksAutoformationAndCopy) {
    qunsetenv("MORVALEN_SERVICE_URL");
    const ServiceAddress service = find_service();
    if (service.url.isEmpty()) GTEST_SKIP() << "the program is built without the embedded service";
    RecordingBoxes boxes;
    MemoryClipboard clipboard;
    UnchangedKeyboardLayout layout;
    WindowOptions options;
    options.platform = {&boxes, &clipboard, &layout};
    options.service_url = service.url;
    MainWindow window(options);
    QSignalSpy read(&window, &MainWindow::page_read);
    ASSERT_TRUE(read.wait(20000));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(window.windowTitle().startsWith("Анализ вариантов (по состоянию на "));
    auto* grid = find_in<OutcomeGrid>(window, "outcome_grid");
    for (int e = 1; e <= core::event_count; ++e) EXPECT_FALSE(grid->cell(0, e).isEmpty()) << e;
    EXPECT_TRUE(grid->cell(1, 1).contains('/'));

    for (int e = 1; e <= core::event_count; ++e)
        for (int c : {1, 7}) QTest::mouseClick(grid, Qt::LeftButton, {}, grid->cell_rect(c, e).center());
    EXPECT_TRUE(find_in<QLabel>(window, "variants_summary")->text().startsWith("Всего вариантов по отмеченным исходам 256 "));
    find_in<QComboBox>(window, "method")->setCurrentIndex(3);
    find_in<QSpinBox>(window, "repeat_count")->setValue(5);
    auto* link = find_in<LinkLabel>(window, "add_to_list_link");
    QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
    EXPECT_LE(window.session().bets.size(), 5U);
    EXPECT_GE(window.session().bets.size(), 1U);
    find_in<QAction>(window, "copy_for_transfer")->trigger();
    QString expected = find_in<BetMemo>(window, "bet_memo")->toPlainText();
    expected.replace('\n', "\r\n");
    EXPECT_EQ(clipboard.content, expected);
}

}  // namespace
}  // namespace morvalen::app::testing
