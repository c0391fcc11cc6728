#pragma once
// The rules every parameter set the camera library accepted from outside obeys, whatever
// file it came from: what the setters of the C interface would have allowed.
#include "CameraModel.h"
#include "CameraSettings.h"

namespace fuzzsupport {

// Stops the run when settings break a rule of the model's limits; also derives the
// sensor and pipeline configuration a camera would run with.
void requireUsableSettings(const vexo::sdk::CameraModel& model, const vexo::sdk::CameraSettings& settings);
// Field for field, as the stored JSON form shows them.
bool sameSettings(const vexo::sdk::CameraSettings& a, const vexo::sdk::CameraSettings& b);

}  // namespace fuzzsupport
