// Writes pictures of the three auxiliary windows over a known line and package into a folder,
// for the documentation: aux_window_shots <folder>. Run it under a real X server (Xvfb).
#include <QApplication>
#include <QDir>
#include <QGraphicsView>
#include <QMouseEvent>
#include <QPixmap>
#include <QTest>

#include "app/windows/distribution_window.h"
#include "app/windows/nearest_systems_window.h"
#include "app/windows/probability_editor_window.h"
#include "aux_test_support.h"

namespace {

bool save(QWidget& window, const QDir& folder, const QString& name) {
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) return false;
    QTest::qWait(200);
    return window.grab().save(folder.filePath(name));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    if (argc < 2) return 2;
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    using namespace morvalen;

    app::SessionModel model;
    model.change(app::SessionModel::line)->events = app::test::sample_line();
    const core::EventTable& events = model.session().events;
    app::ProbabilityEditorWindow editor(model, nullptr);
    for (int e = 1; e <= core::event_count; ++e)
        editor.add_event(QString::fromStdString(events.event(e).name));
    editor.select_event(0);
    // A point dragged up a little, so the set curve leaves the bookmaker's.
    editor.show();
    if (!QTest::qWaitForWindowExposed(&editor)) return 1;
    QWidget* chart = editor.findChild<QGraphicsView*>(QStringLiteral("chart_view"))->viewport();
    const QPoint point = editor.set_point_position(7);
    QTest::mousePress(chart, Qt::LeftButton, {}, point);
    const QPointF raised(point.x(), point.y() - 6 * editor.pixels_per_percent());
    QMouseEvent move(QEvent::MouseMove, raised, chart->mapToGlobal(raised), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(chart, &move);
    QTest::mouseRelease(chart, Qt::LeftButton, {}, raised.toPoint());
    if (!save(editor, folder, QStringLiteral("probability-editor.png"))) return 1;
    editor.hide();

    // A package of a 3 × 2 × 2 coupon and a few single bets over the same line.
    {
        const app::SessionModel::Edit session = model.change(app::SessionModel::package);
        core::BetEntry coupon;
        const int coupon_columns[8][3] = {{1, 3, 8}, {7, 8, 0}, {2, 11, 0}, {1, 0, 0}, {8, 0, 0}, {3, 0, 0}, {11, 0, 0}, {17, 0, 0}};
        for (int e = 1; e <= 8; ++e)
            for (int c : coupon_columns[e - 1])
                if (c != 0) coupon.set(e).add(c);
        coupon.bet_count = 12;
        session->bets.push_back(coupon);
        for (int k = 0; k < 5; ++k) {
            core::BetEntry single;
            for (int e = 1; e <= 8; ++e) single.set(e).add(1 + (e * 3 + k * 5) % 17);
            single.bet_count = 1;
            session->bets.push_back(single);
        }
    }
    app::DistributionWindow distribution(model, nullptr);
    for (int e = 1; e <= core::event_count; ++e)
        distribution.set_event_name(e, QString::fromStdString(events.event(e).name));
    distribution.open();
    if (!save(distribution, folder, QStringLiteral("distribution-window.png"))) return 1;
    distribution.hide();

    // The player marked 3, 2, 2, 1, ...; the service offers these systems for that guarantee.
    {
        const app::SessionModel::Edit session = model.change(0);
        session->expansion_order[0].marked = 3;
        session->expansion_order[1].marked = 2;
        const std::pair<core::MarkedCounts, std::int32_t> offered[] = {
            {{3, 2, 2, 2, 1, 1, 1, 1}, 9},  {{3, 2, 2, 1, 1, 1, 1, 1}, 6},  {{3, 3, 2, 1, 1, 1, 1, 1}, 12},
            {{3, 3, 3, 2, 2, 1, 1, 1}, 27}, {{3, 1, 1, 1, 1, 1, 1, 1}, 3},  {{3, 3, 3, 3, 3, 3, 3, 3}, 729}};
        for (const auto& [counts, bets] : offered) session->brief_systems.push_back({counts, bets});
    }
    app::NearestSystemsWindow nearest(model, nullptr);
    nearest.show_nearest_systems();
    if (!save(nearest, folder, QStringLiteral("nearest-systems-window.png"))) return 1;
    return 0;
}
