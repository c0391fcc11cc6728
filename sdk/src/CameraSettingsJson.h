#pragma once
// The full parameter set as JSON: what parameter groups store and parameter files carry.
#include <nlohmann/json.hpp>

#include "CameraModel.h"
#include "CameraSettings.h"

namespace vexo::sdk {

// Region names are the caller's bytes (Latin-1 in the records): names that are not UTF-8
// are kept as "nameHex" so they survive exactly.
nlohmann::json settingsToJson(const CameraSettings& settings);

// Which fields a stored parameter set must have. Sets of the first parameter-file version
// lack the crosshair, line, channel and focus settings, which then keep their values.
enum class FieldSet { Version1, Complete };
// Stored parameter groups have no version of their own: they must hold what the first
// file version held.
constexpr FieldSet kStoredGroupFields = FieldSet::Version1;

// Reads settings written by settingsToJson for this model. A missing field, a field of the
// wrong type or out of the model's range makes the whole read fail, leaving settings
// untouched. Exposure times are checked and rounded to whole steps exactly as
// SdkSetExposureTime and SdkSetAutoExposureTimeRange check and round them.
bool settingsFromJson(const CameraModel& model, const nlohmann::json& document, FieldSet fields,
                      CameraSettings& settings);

}  // namespace vexo::sdk
