// The auxiliary windows over the main window's session.
#include "app/windows/aux_windows.h"

namespace morvalen::app {

ProbabilityEditorWindow* create_probability_editor(SessionModel& model, QWidget* owner) {
    return new ProbabilityEditorWindow(model, owner);
}

NearestSystemsWindow* create_nearest_systems_window(const SessionModel& model, QWidget* owner) {
    return new NearestSystemsWindow(model, owner);
}

DistributionWindow* create_distribution_window(const SessionModel& model, QWidget* owner) {
    return new DistributionWindow(model, owner);
}

}  // namespace morvalen::app
