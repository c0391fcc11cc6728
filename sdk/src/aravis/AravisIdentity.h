#pragma once
// How a GenICam camera found by discovery becomes a camera of the library: its
// identifier, interface text, names, firmware word and network identity. Plain functions
// over texts, so the rules are tested without a camera.
#include <cstdint>
#include <string>
#include <vector>

#include "CameraModel.h"

namespace vexo::sdk::aravis {

// What discovery reports of one camera (before it is opened).
struct DiscoveredCamera {
    std::string deviceId;  // Aravis' own key to open it
    std::string vendor, model, serial;
    std::string protocol;    // "GigEVision", "USB3Vision", "Fake"
    std::string address;     // GigE: camera IP address
    std::string physicalId;  // GigE: MAC address as "aa:bb:cc:dd:ee:ff"
};

// The library's identifier for a camera serial number (or device id when the camera has
// no serial number): characters outside A-Z a-z 0-9 . _ - become '_', and the text is
// cut to 35 characters. Empty when there is nothing to build it from.
std::string identifierFromSerial(const std::string& serial);

// "GigE" for GigE Vision, "USB3.0" for USB3 Vision and the in-process fake camera (which
// is no network camera either).
std::string interfaceTextFor(const std::string& protocol);

// The 16-bit firmware word from a version text such as "1.2.3", "v2.0.1.4" or
// "Version 3.1 build 77": its first four numbers, each limited to 0..15; missing parts
// are 0. 0 when the text holds no number.
uint16_t firmwareWordFromText(const std::string& version);

// Parses "aa:bb:cc:dd:ee:ff" (or with '-'); false when malformed.
bool parseMacAddress(const std::string& text, uint8_t (&mac)[6]);

// The identity part of a camera model per discovered camera, in the same order (sizes and
// capabilities come from the camera itself). A camera with nothing to name it by gets an
// empty identifier. Identifiers must be unique: a later camera that maps onto an
// identifier already taken gets "-2", "-3", ... appended.
std::vector<CameraModel> modelsFromDiscovery(const std::vector<DiscoveredCamera>& cameras);

}  // namespace vexo::sdk::aravis
