#pragma once
// Feature values as text, as they cross the C interface and stand in feature files:
// parsing, formatting and the checks a value passes before anything is sent to a camera.
#include <cstdint>
#include <string>

#include "CameraBackend.h"

namespace vexo::sdk {

bool parseFeatureInteger(const std::string& text, int64_t& value);
bool parseFeatureFloat(const std::string& text, double& value);
// "true" / "false", "1" / "0".
bool parseFeatureBoolean(const std::string& text, bool& value);
// The shortest text that reads back as the same double.
std::string formatFeatureFloat(double value);
inline const char* formatFeatureBoolean(bool value)
{
    return value ? "true" : "false";
}

// Checks text against the feature's type, entries, range, increment and the access it
// has now. Returns 0, or INVALID_ARGUMENT (not of the type), NOT_MATCHING (no such
// entry, a command), OUT_OF_RANGE or WRONG_MODE, with the reason in words.
int checkFeatureValue(const FeatureDescription& feature, FeatureAccess accessNow,
                      const std::string& text, std::string& reason);

}  // namespace vexo::sdk
