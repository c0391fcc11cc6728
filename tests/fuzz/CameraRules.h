#pragma once
// What the targets of the camera library's readers share. The rules every parameter set the camera library accepted from outside obeys, whatever
// file it came from: what the setters of the C interface would have allowed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "CameraModel.h"
#include "CameraSettings.h"

namespace fuzzsupport {

// Stops the run when settings break a rule of the model's limits; also derives the
// sensor and pipeline configuration a camera would run with.
void requireUsableSettings(const vexo::sdk::CameraModel& model, const vexo::sdk::CameraSettings& settings);
// Field for field, as the stored JSON form shows them.
bool sameSettings(const vexo::sdk::CameraSettings& a, const vexo::sdk::CameraSettings& b);

// The file an input of the parameter-file and upgrade-file targets stands for: the input
// after its option byte, with bit 0x40 of that byte its length field (offset 40) and its
// CRC-32 trailer rewritten to fit, so that mutated payloads get past the frame checks.
std::string libraryFile(const uint8_t* data, size_t size);

}  // namespace fuzzsupport
