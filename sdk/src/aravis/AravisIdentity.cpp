#include "AravisIdentity.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <set>

namespace vexo::sdk::aravis {

namespace {

constexpr size_t kIdentifierLength = 35;

bool identifierCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '_' || c == '-';
}

std::string cut(const std::string& text, size_t n)
{
    return text.size() <= n ? text : text.substr(0, n);
}

}  // namespace

std::string identifierFromSerial(const std::string& serial)
{
    // Blanks after a serial number are padding of its register, not part of it.
    const size_t end = serial.find_last_not_of(' ');
    std::string id;
    for (size_t i = 0; end != std::string::npos && i <= end; ++i) {
        const char c = serial[i];
        if (static_cast<unsigned char>(c) < 0x20)
            continue;
        id += identifierCharacter(c) ? c : '_';
    }
    return cut(id, kIdentifierLength);
}

std::string interfaceTextFor(const std::string& protocol)
{
    if (protocol == "GigEVision")
        return "GigE";
    return "USB3.0";
}

uint16_t firmwareWordFromText(const std::string& version)
{
    unsigned parts[4] = {0, 0, 0, 0};
    int found = 0;
    size_t i = 0;
    while (i < version.size() && found < 4) {
        if (!std::isdigit(static_cast<unsigned char>(version[i]))) {
            ++i;
            continue;
        }
        unsigned value = 0;
        while (i < version.size() && std::isdigit(static_cast<unsigned char>(version[i]))) {
            value = std::min(value * 10 + static_cast<unsigned>(version[i] - '0'), 1000u);
            ++i;
        }
        parts[found++] = std::min(value, 15u);
    }
    if (found == 0)
        return 0;
    return static_cast<uint16_t>(parts[0] << 12 | parts[1] << 8 | parts[2] << 4 | parts[3]);
}

bool parseMacAddress(const std::string& text, uint8_t (&mac)[6])
{
    if (text.size() != 17)
        return false;
    uint8_t parsed[6];
    for (int i = 0; i < 6; ++i) {
        const size_t at = static_cast<size_t>(i) * 3;
        if (i < 5 && text[at + 2] != ':' && text[at + 2] != '-')
            return false;
        if (!std::isxdigit(static_cast<unsigned char>(text[at])) ||
            !std::isxdigit(static_cast<unsigned char>(text[at + 1])))
            return false;
        parsed[i] = static_cast<uint8_t>(std::stoul(text.substr(at, 2), nullptr, 16));
    }
    std::copy(parsed, parsed + 6, mac);
    return true;
}

std::vector<CameraModel> modelsFromDiscovery(const std::vector<DiscoveredCamera>& cameras)
{
    std::vector<CameraModel> models;
    std::set<std::string> taken;
    for (const DiscoveredCamera& c : cameras) {
        std::string id = identifierFromSerial(c.serial.empty() ? c.deviceId : c.serial);
        if (id.empty())
            id = identifierFromSerial(c.deviceId);
        CameraModel m;
        if (id.empty()) {
            models.push_back(std::move(m));
            continue;
        }
        const std::string base = id;
        for (int n = 2; taken.count(id); ++n) {
            const std::string suffix = "-" + std::to_string(n);
            id = cut(base, kIdentifierLength - suffix.size()) + suffix;
        }
        taken.insert(id);

        m.identifier = id;
        m.productSeries = cut(c.vendor, 31);
        m.productName = cut(c.model.empty() ? c.deviceId : c.model, 31);
        m.nickname = m.productName;
        m.interfaceText = interfaceTextFor(c.protocol);
        m.edition = c.protocol == "Fake" ? "Aravis fake camera" : "Aravis " + c.protocol;
        m.edition = cut(m.edition, 31);
        if (m.isGigE()) {
            m.ipAddress = c.address;
            parseMacAddress(c.physicalId, m.macAddress);
        }
        models.push_back(std::move(m));
    }
    return models;
}

}  // namespace vexo::sdk::aravis
