// Reading the camera list file that replaces the built-in camera set.
#include <fstream>
#include <set>
#include <sstream>

#include <nlohmann/json.hpp>

#include "CameraModel.h"

namespace vexo::sdk {

namespace {

using nlohmann::json;

template <typename T>
void optionalField(const json& object, const char* key, T& target)
{
    auto it = object.find(key);
    if (it != object.end() && !it->is_null())
        target = it->get<T>();
}

bool parseMac(const std::string& text, uint8_t mac[6])
{
    unsigned values[6];
    char extra;
    if (std::sscanf(text.c_str(), "%x:%x:%x:%x:%x:%x%c", &values[0], &values[1], &values[2],
                    &values[3], &values[4], &values[5], &extra) != 6)
        return false;
    for (int i = 0; i < 6; ++i) {
        if (values[i] > 0xFF)
            return false;
        mac[i] = static_cast<uint8_t>(values[i]);
    }
    return true;
}

CameraModel modelFromJson(const json& j, size_t position)
{
    if (!j.is_object())
        throw std::runtime_error("camera " + std::to_string(position) + " is not an object");
    CameraModel m;
    m.identifier = j.at("identifier").get<std::string>();
    m.sensorWidth = j.at("sensorWidth").get<int>();
    m.sensorHeight = j.at("sensorHeight").get<int>();
    optionalField(j, "productSeries", m.productSeries);
    optionalField(j, "productName", m.productName);
    optionalField(j, "nickname", m.nickname);
    optionalField(j, "edition", m.edition);
    optionalField(j, "sensor", m.sensorText);
    optionalField(j, "interface", m.interfaceText);
    optionalField(j, "deviceTypeCode", m.deviceTypeCode);
    optionalField(j, "color", m.colorSensor);
    optionalField(j, "maxFramesPerSecond", m.maxFramesPerSecond);
    optionalField(j, "exposureStepUs", m.exposureStepUs);
    optionalField(j, "exposureMinSteps", m.exposureMinSteps);
    optionalField(j, "exposureMaxSteps", m.exposureMaxSteps);
    optionalField(j, "gainMinMilli", m.gainMinMilli);
    optionalField(j, "gainMaxMilli", m.gainMaxMilli);
    optionalField(j, "inputLines", m.inputLines);
    optionalField(j, "outputLines", m.outputLines);
    optionalField(j, "channels", m.channelCount);
    optionalField(j, "sceneSeed", m.sceneSeed);
    if (m.productName.empty())
        m.productName = m.identifier;
    if (m.interfaceText.empty())
        m.interfaceText = "USB3.0";

    std::string firmware;
    optionalField(j, "firmwareVersion", firmware);
    if (!firmware.empty() && !parseFirmwareVersion(firmware, m.firmwareVersion))
        throw std::runtime_error(m.identifier + ": firmwareVersion must look like \"1.2.0.3\"");

    if (auto focus = j.find("focus"); focus != j.end() && !focus->is_null()) {
        m.focusDrive = true;
        m.focusMin = focus->at("min").get<int>();
        m.focusMax = focus->at("max").get<int>();
        m.focusDefault = focus->value("default", (m.focusMin + m.focusMax) / 2);
    }
    if (auto network = j.find("network"); network != j.end() && !network->is_null()) {
        m.ipAddress = network->value("ip", "");
        m.subnetMask = network->value("mask", "255.255.255.0");
        m.gateway = network->value("gateway", "");
        const std::string mac = network->value("mac", "");
        if (!mac.empty() && !parseMac(mac, m.macAddress))
            throw std::runtime_error(m.identifier + ": mac must look like \"00:0a:1b:2c:3d:4e\"");
    }
    if (auto list = j.find("resolutions"); list != j.end() && !list->is_null()) {
        for (const auto& r : *list) {
            ResolutionPreset p;
            p.name = r.at("name").get<std::string>();
            p.offsetX = r.value("offsetX", 0);
            p.offsetY = r.value("offsetY", 0);
            p.regionWidth = r.at("width").get<int>();
            p.regionHeight = r.at("height").get<int>();
            const int binning = r.value("binning", 1);
            if (binning != 1 && binning != 2)
                throw std::runtime_error(m.identifier + ": binning is 1 or 2");
            p.outputWidth = p.regionWidth / binning;
            p.outputHeight = p.regionHeight / binning;
            m.resolutions.push_back(p);
        }
    }
    if (m.sceneSeed == 1)
        m.sceneSeed = static_cast<uint32_t>(std::hash<std::string>()(m.identifier));
    return m;
}

}  // namespace

bool readCameraListFile(const std::string& path, std::vector<CameraModel>& models, std::string& error)
{
    models.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot read camera list " + path;
        return false;
    }
    std::vector<CameraModel> result;
    try {
        const json document = json::parse(in);
        const json& cameras = document.is_array() ? document : document.at("cameras");
        if (!cameras.is_array())
            throw std::runtime_error("\"cameras\" must be a list");
        std::set<std::string> identifiers;
        for (size_t i = 0; i < cameras.size(); ++i) {
            CameraModel m = modelFromJson(cameras[i], i);
            const std::string problem = completeCameraModel(m);
            if (!problem.empty())
                throw std::runtime_error(problem);
            if (!identifiers.insert(m.identifier).second)
                throw std::runtime_error("identifier " + m.identifier + " appears twice");
            result.push_back(std::move(m));
        }
    } catch (const std::exception& e) {
        error = path + ": " + e.what();
        return false;
    }
    models = std::move(result);
    return true;
}

}  // namespace vexo::sdk
