// The auxiliary windows over the main window's session.
#include "app/windows/aux_windows.h"

namespace morvalen::app {

ProbabilityEditorWindow* create_probability_editor(core::Session& session, QWidget* owner) {
    return new ProbabilityEditorWindow(session.events, owner);
}

NearestSystemsWindow* create_nearest_systems_window(const core::Session& session, QWidget* owner) {
    return new NearestSystemsWindow(session, owner);
}

DistributionWindow* create_distribution_window(const core::Session& session, QWidget* owner) {
    return new DistributionWindow(session, owner);
}

}  // namespace morvalen::app
