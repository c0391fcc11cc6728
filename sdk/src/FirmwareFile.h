#pragma once
// Firmware upgrade files (*.upg), the library's own binary format:
//
//   offset  size  field
//        0     4  magic "VXUP"
//        4     2  format version, little-endian (1)
//        6     2  new firmware version word (four 4-bit parts, most significant first)
//        8    32  product name the firmware is for, NUL-padded
//       40     4  payload length n, little-endian (at most 64 MiB)
//       44     n  firmware image
//   44 + n     4  CRC-32 (IEEE) of bytes 0 .. 44 + n - 1, little-endian
#include <cstdint>
#include <string>

namespace vexo::sdk {

std::string encodeFirmwareFile(const std::string& productName, uint16_t firmwareVersion, const std::string& image);

// Checks a firmware file for the given product. Returns true and the new version word, or
// false when the file is not a valid upgrade for that product (foreign, truncated, failed
// checksum, other product).
bool decodeFirmwareFile(const std::string& bytes, const std::string& productName, uint16_t& firmwareVersion);

}  // namespace vexo::sdk
