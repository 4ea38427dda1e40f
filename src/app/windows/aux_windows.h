// The three auxiliary windows, created hidden after the main window; closing one only hides it.
#pragma once

#include <QWidget>

#include "app/windows/distribution_window.h"
#include "app/windows/nearest_systems_window.h"
#include "app/windows/probability_editor_window.h"
#include "app/session/session_model.h"

namespace morvalen::app {

// The probability editor writes the session's set probabilities; the nearest brief systems
// window and the distribution by outcomes only read the session. Each follows the model itself.
ProbabilityEditorWindow* create_probability_editor(SessionModel& model, QWidget* owner);
NearestSystemsWindow* create_nearest_systems_window(const SessionModel& model, QWidget* owner);
DistributionWindow* create_distribution_window(const SessionModel& model, QWidget* owner);

}  // namespace morvalen::app
