// Writes pictures of the three auxiliary windows over a known line and package into a folder,
// for the documentation: aux_window_shots <folder>. Run it under a real X server (Xvfb).
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTest>

#include "app/probability_editor_window.h"
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

    core::EventTable events = app::test::sample_line();
    app::ProbabilityEditorWindow editor(events, nullptr);
    for (int e = 1; e <= core::event_count; ++e)
        editor.add_event(QString::fromStdString(core::short_event_name(events.event(e).name)));
    editor.select_event(0);
    // A point dragged up a little, so the set curve leaves the bookmaker's.
    editor.show();
    if (!QTest::qWaitForWindowExposed(&editor)) return 1;
    editor.Series3Click(7, 100);
    editor.Chart1MouseMove(100 - 6 * editor.pixels_per_percent());
    editor.Chart1MouseUp();
    if (!save(editor, folder, QStringLiteral("probability-editor.png"))) return 1;
    return 0;
}
