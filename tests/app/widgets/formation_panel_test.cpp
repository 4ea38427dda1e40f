// The formation panel: method controls, the five methods through the link, and refusal of a second run.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

#include <QTimer>

#include "core/pages/list_page.h"
#include "core/formats/payload.h"
#include "../window_harness.h"

namespace morvalen::app::testing {
namespace {

QString label(const Harness& h, const char* name) { return h.find<QLabel>(name)->text(); }
bool shown(const Harness& h, const char* name) { return !h.find<QWidget>(name)->isHidden(); }

TEST(FormationPanel, EachMethodShowsItsOwnControls) {
    Harness h;
    auto* methods = h.find<QComboBox>("method");
    methods->setCurrentIndex(1);
    EXPECT_TRUE(shown(h, "yellow_max") && shown(h, "yellow_min") && shown(h, "upsets_caption"));
    EXPECT_FALSE(shown(h, "guarantee") || shown(h, "repeat_count") || shown(h, "start_with") || shown(h, "edit_probabilities_link"));
    methods->setCurrentIndex(2);
    EXPECT_TRUE(shown(h, "repeat_count") && shown(h, "edit_probabilities_link") && shown(h, "repeat_caption"));
    EXPECT_FALSE(shown(h, "guarantee") || shown(h, "yellow_max") || shown(h, "start_with_caption"));
    methods->setCurrentIndex(3);
    EXPECT_TRUE(shown(h, "guarantee") && shown(h, "repeat_count") && shown(h, "guarantee_caption"));
    EXPECT_FALSE(shown(h, "edit_probabilities_link") || shown(h, "start_with") || shown(h, "yellow_min"));
    QTest::mouseClick(h.find<LinkLabel>("edit_probabilities_link"), Qt::LeftButton);
    EXPECT_FALSE(h.find<QWidget>("probability_editor_window")->isHidden());
}

TEST(FormationPanel, AutoformationAppendsAtMostTheRepeatCountAndShowsCoverage) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.mark_every_event({1, 7});
    h.find<QComboBox>("method")->setCurrentIndex(3);
    // The check alone: nothing is covered yet.
    EXPECT_EQ(label(h, "coverage_summary"), "Покрыто ставками 0 вариантов (0%) с гарантией 7 событий");
    h.find<QSpinBox>("repeat_count")->setValue(5);
    const QString caption = h.window->windowTitle();
    // The player's own click on the shown link starts the pass.
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    ASSERT_TRUE(h.find<QWidget>("add_to_list_link")->isVisible());
    h.add_to_list();
    const std::size_t appended = h.window->session().bets.size();
    EXPECT_GE(appended, 1U);
    EXPECT_LE(appended, 5U);
    EXPECT_EQ(h.memo().split('\n').size(), static_cast<qsizetype>(appended));
    EXPECT_FALSE(h.memo_edit()->isHidden());
    EXPECT_TRUE(label(h, "coverage_summary").startsWith("Покрыто ставками "));
    EXPECT_NE(label(h, "coverage_summary"), "Покрыто ставками 0 вариантов (0%) с гарантией 7 событий");
    EXPECT_EQ(h.window->windowTitle(), caption);
    // A new guarantee re-runs the check: with 2 of 8 events every variant is covered.
    h.find<QSpinBox>("guarantee")->setValue(2);
    EXPECT_EQ(label(h, "coverage_summary"), "Покрыто ставками 256 вариантов (100%) с гарантией 2 событий");
    // Any later change clears the coverage line.
    h.click_cell(2, 1);
    EXPECT_TRUE(label(h, "coverage_summary").isEmpty());
}

TEST(FormationPanel, EscStopsTheAutoformationPassAndTheCaptionComesBack) {
    // Every reading of this clock is two seconds later, so the pass shows every step in the caption.
    auto ticks = std::make_shared<std::chrono::steady_clock::time_point>();
    Harness h(QStringLiteral("http://127.0.0.1:1"), [ticks] { return *ticks += std::chrono::seconds(2); });
    // Enough variants that the pass is still at work when its first step is shown.
    h.mark_every_event({1, 2, 3, 4, 5, 6, 7, 8});
    h.find<QComboBox>("method")->setCurrentIndex(3);
    h.find<QSpinBox>("repeat_count")->setValue(1000);
    h.settle();
    const QString caption = h.window->windowTitle();
    QStringList captions;
    QObject::connect(h.window.get(), &QWidget::windowTitleChanged, [&](const QString& title) {
        captions << title;
        if (title.startsWith("Шаг ") && captions.filter(QStringLiteral("Шаг ")).size() == 1)
            QTest::keyClick(h.grid(), Qt::Key_Escape);
    });
    h.add_to_list();
    EXPECT_LT(h.window->session().bets.size(), 1000U);
    // The caption comes back, saying that the run was stopped and what it kept.
    EXPECT_EQ(h.window->windowTitle(), caption + QStringLiteral(" — прервано клавишей Esc, оставлено ставок: %1")
                                                     .arg(h.window->session().bets.size()));
    EXPECT_TRUE(std::any_of(captions.begin(), captions.end(), [](const QString& c) { return c.startsWith("Шаг "); }));
    // Without Esc the pass goes on to cover every variant.
    Harness small;
    small.mark_every_event({1, 7});
    small.find<QComboBox>("method")->setCurrentIndex(3);
    small.find<QSpinBox>("repeat_count")->setValue(1000);
    small.add_to_list();
    EXPECT_GT(small.window->session().bets.size(), 2U);
    EXPECT_TRUE(small.find<QLabel>("coverage_summary")->text().contains("(100%)"));
}

TEST(FormationPanel, BriefSystemIsDownloadedAndExpandedIntoTheList) {
    Harness h;
    h.mark_every_event({1, 7});
    h.fetcher->immediate[QStringLiteral("signat")] = {core::encode_payload({0, 1, 17}), "application/octet-stream", true};
    h.add_to_list();
    ASSERT_EQ(h.fetcher->kinds.back(), FetchKind::brief_system);
    EXPECT_TRUE(h.fetcher->requests.back().startsWith("http://127.0.0.1:1/sttot/getbrief.ashx?signat="));
    EXPECT_EQ(h.window->session().bets.size(), 3U);
    EXPECT_EQ(label(h, "package_summary"), "Ставок  3 (На сумму 9.3)");
    EXPECT_EQ(h.memo().split('\n').size(), 3);
}

TEST(FormationPanel, WithoutASystemTheNearestSystemsAreAskedForAndShown) {
    Harness h;
    h.mark_every_event({1, 7});
    h.find<QSpinBox>("guarantee")->setValue(6);
    h.fetcher->immediate[QStringLiteral("signat")] = {"", "text/plain", true};
    h.add_to_list();
    EXPECT_TRUE(h.window->session().bets.empty());
    ASSERT_EQ(h.fetcher->pending.size(), 2U);  // the line page and the list page
    EXPECT_TRUE(h.fetcher->requests.back().contains("?grant=6_11&dt="));
    h.fetcher->pending.pop_front();
    h.fetcher->answer(core::write_list_page({{6LL * 17 * 17 * 17 * 17 * 17 * 17 * 17 * 17 + 1, 12}}));
    EXPECT_FALSE(h.find<QWidget>("nearest_systems_window")->isHidden());
    EXPECT_TRUE(h.boxes.boxes.empty());
}

TEST(FormationPanel, CorruptBriefSystemIsAnUnexpectedErrorAndTheMemoComesBack) {
    Harness h;
    h.mark_every_event({1});
    h.fetcher->immediate[QStringLiteral("signat")] = {"not a gzip stream", "application/octet-stream", true};
    h.add_to_list();
    ASSERT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_EQ(h.boxes.boxes[0].title, "Morvalen_trs_zrn");
    EXPECT_FALSE(h.memo_edit()->isHidden());
    EXPECT_FALSE(h.window->formation_running());
}

TEST(FormationPanel, ABriefSystemWithMoreBetsThanItsShapeHasVariantsIsRefusedWhole) {
    Harness h;
    h.mark_every_event({1, 7});  // 2^8 = 256 variants
    h.fetcher->immediate[QStringLiteral("signat")] = {core::encode_payload(std::vector<std::uint64_t>(257, 0)),
                                                      "application/octet-stream", true};
    h.add_to_list();
    ASSERT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_TRUE(h.boxes.boxes[0].text.contains(QStringLiteral("more bets than its shape has variants")))
        << h.boxes.boxes[0].text.toStdString();
    EXPECT_TRUE(h.window->session().bets.empty());
    EXPECT_FALSE(h.window->formation_running());
}

TEST(FormationPanel, AServiceThatAsksToComeBackLaterSaysSoAndAddsNothing) {
    Harness h;
    h.mark_every_event({1, 7});
    h.fetcher->immediate[QStringLiteral("signat")] = {"too many new systems asked for from one address\n",
                                                      "text/plain; charset=utf-8", true,
                                                      QStringLiteral("ответ с ошибкой HTTP 503"), 503};
    h.add_to_list();
    ASSERT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_TRUE(h.boxes.boxes[0].text.contains(QStringLiteral("Повторите позже"))) << h.boxes.boxes[0].text.toStdString();
    EXPECT_TRUE(h.window->session().bets.empty());
    // No list of the nearest systems is asked for: there may well be a system, just not now.
    EXPECT_EQ(h.fetcher->kinds.back(), FetchKind::brief_system);

    h.boxes.boxes.clear();
    h.fetcher->immediate[QStringLiteral("signat")] = {"not found\n", "text/plain; charset=utf-8", true,
                                                      QStringLiteral("ответ с ошибкой HTTP 404"), 404};
    h.add_to_list();
    ASSERT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_EQ(h.boxes.boxes[0].text, QStringLiteral("Бриф-система не получена: ответ с ошибкой HTTP 404."));
}

TEST(FormationPanel, SecondClickDuringADownloadStartsNoSecondRun) {
    Harness h;
    h.mark_every_event({1});
    h.fetcher->pending.clear();  // the line page is never answered here
    bool memo_hidden_meanwhile = true;
    QTimer::singleShot(0, [&] {
        memo_hidden_meanwhile = h.memo_edit()->isHidden();
        h.add_to_list(false);
        h.find<QComboBox>("method")->setCurrentIndex(3);
        h.find<QComboBox>("method")->setCurrentIndex(0);
        h.click_cell(5, 5);
        h.fetcher->answer(core::encode_payload({0}), "application/octet-stream");
    });
    h.add_to_list();
    // The memo stays in view while the program waits for the system.
    EXPECT_FALSE(memo_hidden_meanwhile);
    EXPECT_EQ(h.fetcher->requests.size(), 2U);  // the line page and one system
    EXPECT_EQ(h.window->session().bets.size(), 1U);
    EXPECT_EQ(h.window->session().events.cell(5, 5).mark, 0);
    EXPECT_FALSE(h.memo_edit()->isHidden());
}

TEST(FormationPanel, SensationsAndRandomDrawingAppendThroughTheLink) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.mark_every_event({1, 7});
    QTest::keyPress(h.grid(), Qt::Key_Control);
    h.click_cell(7, 1);
    QTest::keyRelease(h.grid(), Qt::Key_Control);
    h.find<QComboBox>("method")->setCurrentIndex(1);
    h.add_to_list();
    // Exactly one yellow outcome: event 1 takes 0:0, every other event its two ordinary outcomes.
    ASSERT_EQ(h.window->session().bets.size(), 1U);
    EXPECT_EQ(h.memo(), "396.8|1-(0:0);2-(1:0,0:0);3-(1:0,0:0);4-(1:0,0:0);5-(1:0,0:0);6-(1:0,0:0);7-(1:0,0:0);8-(1:0,0:0)#");

    h.find<QComboBox>("method")->setCurrentIndex(2);
    h.find<QSpinBox>("repeat_count")->setValue(3);
    h.window->model().change(SessionModel::package)->bets.clear();
    h.memo_edit()->clear();
    h.add_to_list();
    EXPECT_LE(h.window->session().bets.size(), 3U);
    EXPECT_GE(h.window->session().bets.size(), 1U);
    EXPECT_TRUE(h.boxes.boxes.empty());
}

TEST(FormationPanel, RandomDrawingWithoutProbabilitiesReportsAndAppendsNothing) {
    Harness h;  // no line: every probability is 0
    h.mark_every_event({1});
    h.find<QComboBox>("method")->setCurrentIndex(2);
    h.add_to_list();
    ASSERT_EQ(h.boxes.boxes.size(), 1U);
    EXPECT_EQ(h.boxes.boxes[0].title, "Morvalen_trs_zrn");
    EXPECT_TRUE(h.window->session().bets.empty());
    EXPECT_FALSE(h.memo_edit()->isHidden());
}

TEST(FormationPanel, BestChancesFormsItsPackageThroughTheLink) {
    Harness h;
    h.fetcher->answer(demo_line_page());
    h.mark_every_event({1, 7, 11});
    auto* methods = h.find<QComboBox>("method");
    ASSERT_EQ(methods->count(), 6);
    EXPECT_EQ(methods->itemText(3), "Автоформирование");
    EXPECT_EQ(methods->itemText(4), "Максимум шансов");
    h.window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(h.window.get()));
    QTest::keyClick(methods, Qt::Key_End);
    QTest::keyClick(methods, Qt::Key_Up);
    ASSERT_EQ(methods->currentIndex(), 4);
    EXPECT_TRUE(shown(h, "guarantee") && shown(h, "guarantee_caption") && shown(h, "repeat_count") && shown(h, "repeat_caption"));
    EXPECT_TRUE(shown(h, "edit_probabilities_link"));
    EXPECT_FALSE(shown(h, "start_with") || shown(h, "yellow_min"));

    auto* guarantee = h.find<QSpinBox>("guarantee");
    EXPECT_EQ(guarantee->maximum(), 8);
    guarantee->selectAll();
    QTest::keyClicks(guarantee, "6");
    auto* repeat = h.find<QSpinBox>("repeat_count");
    repeat->selectAll();
    QTest::keyClicks(repeat, "12");
    ASSERT_EQ(guarantee->value(), 6);
    ASSERT_EQ(repeat->value(), 12);
    const QString caption = h.window->windowTitle();
    h.add_to_list();

    const core::Session& session = h.window->session();
    ASSERT_EQ(session.bets.size(), 12U);
    EXPECT_EQ(h.memo().split('\n').size(), 12);
    for (const core::BetEntry& bet : session.bets) EXPECT_EQ(bet.bet_count, 1);
    EXPECT_EQ(h.window->windowTitle(), caption);
    EXPECT_TRUE(h.boxes.boxes.empty());

    // The link opens the probability editor, as for the random distribution.
    QTest::mouseClick(h.find<LinkLabel>("edit_probabilities_link"), Qt::LeftButton);
    EXPECT_FALSE(h.find<QWidget>("probability_editor_window")->isHidden());
    // Back to autoformation: the guarantee stops at 7 again.
    guarantee->setValue(8);
    QTest::keyClick(methods, Qt::Key_Up);
    EXPECT_EQ(guarantee->maximum(), 7);
    EXPECT_EQ(guarantee->value(), 7);
}

}  // namespace
}  // namespace morvalen::app::testing
