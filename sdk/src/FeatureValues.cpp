#include "FeatureValues.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "VexoCameraApi.h"

namespace vexo::sdk {

namespace {

std::string trimmed(const std::string& text)
{
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos)
        return {};
    const auto end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

}  // namespace

bool parseFeatureInteger(const std::string& text, int64_t& value)
{
    const std::string t = trimmed(text);
    if (t.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(t.c_str(), &end, 0);
    if (errno != 0 || *end != '\0')
        return false;
    value = v;
    return true;
}

bool parseFeatureFloat(const std::string& text, double& value)
{
    const std::string t = trimmed(text);
    if (t.empty())
        return false;
    errno = 0;
    char* end = nullptr;
    const double v = std::strtod(t.c_str(), &end);
    if (errno != 0 || *end != '\0' || !std::isfinite(v))
        return false;
    value = v;
    return true;
}

bool parseFeatureBoolean(const std::string& text, bool& value)
{
    const std::string t = trimmed(text);
    if (t == "true" || t == "1" || t == "True") {
        value = true;
        return true;
    }
    if (t == "false" || t == "0" || t == "False") {
        value = false;
        return true;
    }
    return false;
}

std::string formatFeatureFloat(double value)
{
    char text[64];
    for (int precision = 6; precision <= 17; ++precision) {
        std::snprintf(text, sizeof text, "%.*g", precision, value);
        if (std::strtod(text, nullptr) == value)
            break;
    }
    return text;
}

int checkFeatureValue(const FeatureDescription& feature, FeatureAccess accessNow,
                      const std::string& text, std::string& reason)
{
    if (feature.type == FeatureType::Command) {
        reason = feature.name + " is a command: it has no value";
        return VEXO_SDK_NOT_MATCHING;
    }
    if (accessNow != FeatureAccess::ReadWrite) {
        reason = feature.name + (accessNow == FeatureAccess::ReadOnly ? " is read-only now"
                                                                      : " is not available now");
        return VEXO_SDK_WRONG_MODE;
    }
    const auto outOfRange = [&](const std::string& shown) {
        reason = shown + " is outside " + formatFeatureFloat(feature.minimum) + " .. " +
                 formatFeatureFloat(feature.maximum) + " of " + feature.name;
        return static_cast<int>(VEXO_SDK_OUT_OF_RANGE);
    };
    switch (feature.type) {
        case FeatureType::Integer: {
            int64_t v = 0;
            if (!parseFeatureInteger(text, v)) {
                reason = "\"" + text + "\" is not a whole number";
                return VEXO_SDK_INVALID_ARGUMENT;
            }
            if (static_cast<double>(v) < feature.minimum ||
                static_cast<double>(v) > feature.maximum)
                return outOfRange(std::to_string(v));
            const auto step = static_cast<int64_t>(feature.increment);
            if (step > 1 && (v - static_cast<int64_t>(feature.minimum)) % step != 0) {
                reason = std::to_string(v) + " is not a step of " + std::to_string(step) +
                         " from " + formatFeatureFloat(feature.minimum) + " (" + feature.name + ")";
                return VEXO_SDK_OUT_OF_RANGE;
            }
            return VEXO_SDK_OK;
        }
        case FeatureType::Float: {
            double v = 0;
            if (!parseFeatureFloat(text, v)) {
                reason = "\"" + text + "\" is not a number";
                return VEXO_SDK_INVALID_ARGUMENT;
            }
            if (v < feature.minimum || v > feature.maximum)
                return outOfRange(formatFeatureFloat(v));
            return VEXO_SDK_OK;
        }
        case FeatureType::Enumeration: {
            const std::string t = trimmed(text);
            if (std::find(feature.entries.begin(), feature.entries.end(), t) ==
                feature.entries.end()) {
                reason = "\"" + t + "\" is not an entry of " + feature.name;
                return VEXO_SDK_NOT_MATCHING;
            }
            return VEXO_SDK_OK;
        }
        case FeatureType::Boolean: {
            bool v = false;
            if (!parseFeatureBoolean(text, v)) {
                reason = "\"" + text + "\" is neither true nor false";
                return VEXO_SDK_INVALID_ARGUMENT;
            }
            return VEXO_SDK_OK;
        }
        case FeatureType::String:
        case FeatureType::Command:
            break;
    }
    return VEXO_SDK_OK;
}

}  // namespace vexo::sdk
