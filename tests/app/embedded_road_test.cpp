// The typical road on the real embedded service over the loopback: the line arrives, marks, a package.
#include <gtest/gtest.h>

#include <QSignalSpy>

#include "app/service_address.h"
#include "window_harness.h"

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
    Form7 window(options);
    QSignalSpy read(&window, &Form7::page_read);
    ASSERT_TRUE(read.wait(20000));
    EXPECT_TRUE(boxes.boxes.empty());
    EXPECT_TRUE(window.windowTitle().startsWith("Анализ вариантов (по состоянию на "));
    for (int e = 1; e <= core::event_count; ++e) EXPECT_FALSE(window.StringGrid1->cell(0, e).isEmpty()) << e;
    EXPECT_TRUE(window.StringGrid1->cell(1, 1).contains('/'));

    for (int e = 1; e <= core::event_count; ++e)
        for (int c : {1, 7}) {
            const QRect r = window.StringGrid1->cell_rect(c, e);
            QTest::mouseClick(window.StringGrid1, Qt::LeftButton, {}, r.center());
        }
    EXPECT_TRUE(window.Label2->text().startsWith("Всего вариантов по отмеченным исходам 256 "));
    window.ComboBox1->setCurrentIndex(3);
    window.RxSpinEdit4->setValue(5);
    window.Label5Click();
    EXPECT_LE(window.session().bets.size(), 5U);
    EXPECT_GE(window.session().bets.size(), 1U);
    window.mmc->trigger();
    QString expected = window.Memo1->toPlainText();
    expected.replace('\n', "\r\n");
    EXPECT_EQ(clipboard.content, expected);
}

}  // namespace
}  // namespace morvalen::app::testing
