// The camera's whole GenICam feature tree, for the library's feature operations.
#include <set>

#include "AravisCamera.h"
#include "FeatureValues.h"
#include "VexoCameraApi.h"

namespace vexo::sdk::aravis {

namespace {

std::optional<FeatureType> typeOf(ArvGcNode* node)
{
    // Enumerations also answer as integers and strings: ask for them first.
    if (ARV_IS_GC_ENUMERATION(node))
        return FeatureType::Enumeration;
    if (ARV_IS_GC_COMMAND(node))
        return FeatureType::Command;
    if (ARV_IS_GC_BOOLEAN(node))
        return FeatureType::Boolean;
    if (ARV_IS_GC_FLOAT(node))
        return FeatureType::Float;
    if (ARV_IS_GC_INTEGER(node))
        return FeatureType::Integer;
    if (ARV_IS_GC_STRING(node))
        return FeatureType::String;
    return std::nullopt;  // registers, ports: nothing a user edits
}

FeatureAccess accessOf(ArvGcFeatureNode* node)
{
    GErrorHolder e;
    if (!arv_gc_feature_node_is_implemented(node, e.out()) || e.failed())
        return FeatureAccess::NotAvailable;
    if (!arv_gc_feature_node_is_available(node, e.out()) || e.failed())
        return FeatureAccess::NotAvailable;
    const ArvGcAccessMode mode = arv_gc_feature_node_get_actual_access_mode(node);
    if (mode == ARV_GC_ACCESS_MODE_RO)
        return FeatureAccess::ReadOnly;
    // pIsLocked: for example the size while the camera streams.
    if (arv_gc_feature_node_is_locked(node, e.out()) || e.failed())
        return FeatureAccess::ReadOnly;
    return FeatureAccess::ReadWrite;
}

std::string text(const char* value)
{
    return value ? std::string(value) : std::string();
}

FeatureDescription describeNode(ArvGcFeatureNode* node, FeatureType type,
                                const std::string& category)
{
    FeatureDescription d;
    d.name = text(arv_gc_feature_node_get_name(node));
    d.displayName = text(arv_gc_feature_node_get_display_name(node));
    if (d.displayName.empty())
        d.displayName = d.name;
    d.category = category;
    d.description = text(arv_gc_feature_node_get_description(node));
    if (d.description.empty())
        d.description = text(arv_gc_feature_node_get_tooltip(node));
    d.type = type;
    d.access = accessOf(node);
    switch (arv_gc_feature_node_get_visibility(node)) {
        case ARV_GC_VISIBILITY_GURU:
            d.visibility = FeatureVisibility::Guru;
            break;
        case ARV_GC_VISIBILITY_EXPERT:
            d.visibility = FeatureVisibility::Expert;
            break;
        default:
            d.visibility = FeatureVisibility::Beginner;
            break;
    }
    GErrorHolder e;
    if (type == FeatureType::Integer) {
        ArvGcInteger* i = ARV_GC_INTEGER(node);
        d.minimum = static_cast<double>(arv_gc_integer_get_min(i, e.out()));
        d.maximum = static_cast<double>(arv_gc_integer_get_max(i, e.out()));
        d.increment = static_cast<double>(arv_gc_integer_get_inc(i, e.out()));
        d.unit = text(arv_gc_integer_get_unit(i));
    } else if (type == FeatureType::Float) {
        ArvGcFloat* f = ARV_GC_FLOAT(node);
        d.minimum = arv_gc_float_get_min(f, e.out());
        d.maximum = arv_gc_float_get_max(f, e.out());
        d.increment = arv_gc_float_get_inc(f, e.out());
        // Without an increment Aravis answers the smallest double.
        if (e.failed() || !(d.increment > 1e-300))
            d.increment = 0;
        d.unit = text(arv_gc_float_get_unit(f));
    } else if (type == FeatureType::Enumeration) {
        guint n = 0;
        const char** values =
            arv_gc_enumeration_dup_available_string_values(ARV_GC_ENUMERATION(node), &n, e.out());
        for (guint k = 0; values && k < n; ++k)
            d.entries.emplace_back(values[k]);
        g_free(values);
    }
    return d;
}

// Display names may hold the path separator.
std::string categoryPart(ArvGcFeatureNode* node)
{
    std::string part = text(arv_gc_feature_node_get_display_name(node));
    if (part.empty())
        part = text(arv_gc_feature_node_get_name(node));
    for (char& c : part)
        if (c == '/')
            c = '-';
    return part;
}

void collect(ArvGc* genicam, ArvGcCategory* category, const std::string& path,
             std::set<std::string>& seen, std::vector<FeatureDescription>& out)
{
    for (const GSList* item = arv_gc_category_get_features(category); item; item = item->next) {
        const char* name = static_cast<const char*>(item->data);
        if (!name || !seen.insert(name).second)
            continue;
        ArvGcNode* node = arv_gc_get_node(genicam, name);
        if (!ARV_IS_GC_FEATURE_NODE(node))
            continue;
        ArvGcFeatureNode* feature = ARV_GC_FEATURE_NODE(node);
        if (arv_gc_feature_node_get_visibility(feature) == ARV_GC_VISIBILITY_INVISIBLE)
            continue;
        if (ARV_IS_GC_CATEGORY(node)) {
            const std::string part = categoryPart(feature);
            collect(genicam, ARV_GC_CATEGORY(node), path.empty() ? part : path + "/" + part, seen,
                    out);
            continue;
        }
        if (const auto type = typeOf(node))
            out.push_back(describeNode(feature, *type, path));
    }
}

}  // namespace

std::vector<FeatureDescription> AravisCamera::describeFeatures()
{
    std::lock_guard<std::mutex> guard(mutex);
    std::vector<FeatureDescription> features;
    if (controlLost.load())
        return features;
    ArvGc* genicam = arv_device_get_genicam(device());
    ArvGcNode* root = genicam ? arv_gc_get_node(genicam, "Root") : nullptr;
    if (!ARV_IS_GC_CATEGORY(root))
        return features;
    std::set<std::string> seen{"Root"};
    collect(genicam, ARV_GC_CATEGORY(root), {}, seen, features);
    return features;
}

ArvGcFeatureNode* AravisCamera::featureNode(const std::string& name, int& code, std::string& reason)
{
    if (controlLost.load()) {
        code = VEXO_SDK_DETACHED;
        reason = "the camera is gone";
        return nullptr;
    }
    ArvGc* genicam = arv_device_get_genicam(device());
    ArvGcNode* node = genicam ? arv_gc_get_node(genicam, name.c_str()) : nullptr;
    if (!ARV_IS_GC_FEATURE_NODE(node) || ARV_IS_GC_CATEGORY(node) || !typeOf(node)) {
        code = VEXO_SDK_NOT_MATCHING;
        reason = "the camera has no feature " + name;
        return nullptr;
    }
    code = VEXO_SDK_OK;
    return ARV_GC_FEATURE_NODE(node);
}

int AravisCamera::readFeature(const std::string& name, std::string& value, FeatureAccess& access,
                              std::string& reason)
{
    std::lock_guard<std::mutex> guard(mutex);
    int code = 0;
    ArvGcFeatureNode* node = featureNode(name, code, reason);
    if (!node)
        return code;
    const FeatureType type = *typeOf(ARV_GC_NODE(node));
    if (type == FeatureType::Command) {
        reason = name + " is a command: it has no value";
        return VEXO_SDK_NOT_MATCHING;
    }
    const FeatureAccess now = accessOf(node);
    if (now == FeatureAccess::NotAvailable ||
        arv_gc_feature_node_get_actual_access_mode(node) == ARV_GC_ACCESS_MODE_WO) {
        value.clear();
        access = now;
        return VEXO_SDK_OK;
    }
    GErrorHolder e;
    std::string read;
    switch (type) {
        case FeatureType::Integer:
            read = std::to_string(arv_gc_integer_get_value(ARV_GC_INTEGER(node), e.out()));
            break;
        case FeatureType::Float:
            read = formatFeatureFloat(arv_gc_float_get_value(ARV_GC_FLOAT(node), e.out()));
            break;
        case FeatureType::Enumeration:
            read = text(arv_gc_enumeration_get_string_value(ARV_GC_ENUMERATION(node), e.out()));
            break;
        case FeatureType::Boolean:
            read = formatFeatureBoolean(arv_gc_boolean_get_value(ARV_GC_BOOLEAN(node), e.out()));
            break;
        case FeatureType::String:
            read = text(arv_gc_string_get_value(ARV_GC_STRING(node), e.out()));
            break;
        case FeatureType::Command:
            break;
    }
    if (e.failed()) {
        reason = e.message();
        return controlLost.load() ? VEXO_SDK_DETACHED : VEXO_SDK_FAILED;
    }
    value = read;
    access = now;
    return VEXO_SDK_OK;
}

int AravisCamera::writeFeature(const std::string& name, const std::string& value,
                               std::string& reason)
{
    std::lock_guard<std::mutex> guard(mutex);
    int code = 0;
    ArvGcFeatureNode* node = featureNode(name, code, reason);
    if (!node)
        return code;
    const FeatureType type = *typeOf(ARV_GC_NODE(node));
    const FeatureDescription d = describeNode(node, type, {});
    if (int r = checkFeatureValue(d, d.access, value, reason))
        return r;
    GErrorHolder e;
    switch (type) {
        case FeatureType::Integer: {
            int64_t v = 0;
            parseFeatureInteger(value, v);
            arv_gc_integer_set_value(ARV_GC_INTEGER(node), v, e.out());
            break;
        }
        case FeatureType::Float: {
            double v = 0;
            parseFeatureFloat(value, v);
            arv_gc_float_set_value(ARV_GC_FLOAT(node), v, e.out());
            break;
        }
        case FeatureType::Boolean: {
            bool v = false;
            parseFeatureBoolean(value, v);
            arv_gc_boolean_set_value(ARV_GC_BOOLEAN(node), v, e.out());
            break;
        }
        case FeatureType::Enumeration:
            arv_gc_enumeration_set_string_value(ARV_GC_ENUMERATION(node), value.c_str(), e.out());
            break;
        case FeatureType::String:
            arv_gc_string_set_value(ARV_GC_STRING(node), value.c_str(), e.out());
            break;
        case FeatureType::Command:
            break;
    }
    if (e.failed()) {
        reason = e.message();
        return controlLost.load() ? VEXO_SDK_DETACHED : VEXO_SDK_FAILED;
    }
    return VEXO_SDK_OK;
}

int AravisCamera::executeFeature(const std::string& name, std::string& reason)
{
    std::lock_guard<std::mutex> guard(mutex);
    int code = 0;
    ArvGcFeatureNode* node = featureNode(name, code, reason);
    if (!node)
        return code;
    if (!ARV_IS_GC_COMMAND(node)) {
        reason = name + " is not a command";
        return VEXO_SDK_NOT_MATCHING;
    }
    if (accessOf(node) != FeatureAccess::ReadWrite) {
        reason = name + " is not available now";
        return VEXO_SDK_WRONG_MODE;
    }
    GErrorHolder e;
    arv_gc_command_execute(ARV_GC_COMMAND(node), e.out());
    if (e.failed()) {
        reason = e.message();
        return controlLost.load() ? VEXO_SDK_DETACHED : VEXO_SDK_FAILED;
    }
    return VEXO_SDK_OK;
}

}  // namespace vexo::sdk::aravis
