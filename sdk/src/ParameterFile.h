#pragma once
// Camera parameter files (*.bin), the library's own binary format:
//
//   offset  size  field
//        0     4  magic "VXPF"
//        4     2  format version, little-endian (2; version 1 files still load)
//        6     2  reserved, 0
//        8    32  product name the parameters belong to, NUL-padded
//       40     4  payload length n, little-endian
//       44     n  payload: the parameter set as UTF-8 JSON
//   44 + n     4  CRC-32 (IEEE) of bytes 0 .. 44 + n - 1, little-endian
//
// Version 1 payloads lack the crosshair, line, channel and focus settings; those keep
// their factory values when such a file is loaded. Every other field must be present: a
// file missing one is damaged, not a request for factory values.
#include <string>

#include "CameraModel.h"
#include "CameraSettings.h"

namespace vexo::sdk {

constexpr uint16_t kParameterFileVersion = 2;
constexpr size_t kLargestParameterPayload = 1 << 20;
constexpr size_t kLargestParameterFile = 44 + kLargestParameterPayload + 4;

std::string encodeParameterFile(const CameraModel& model, const CameraSettings& settings);

// Decodes a parameter file for this model into settings (untouched unless the result is
// VEXO_SDK_OK). Results: OK, FILE_FOREIGN (not a parameter file, or a newer format),
// FILE_TRUNCATED, FILE_CORRUPT (checksum or contents), NOT_MATCHING (another model).
int decodeParameterFile(const std::string& bytes, const CameraModel& model, CameraSettings& settings);

}  // namespace vexo::sdk
