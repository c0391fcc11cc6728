#pragma once
// The full parameter set as JSON: what parameter groups store and parameter files carry.
#include <nlohmann/json.hpp>

#include "CameraModel.h"
#include "CameraSettings.h"

namespace vexo::sdk {

nlohmann::json settingsToJson(const CameraSettings& settings);

// Reads settings written by settingsToJson for this model. Fields that are missing keep
// the factory value (older writers knew fewer fields); a field of the wrong type or out of
// the model's range makes the whole read fail, leaving settings untouched.
bool settingsFromJson(const CameraModel& model, const nlohmann::json& document, CameraSettings& settings);

}  // namespace vexo::sdk
