#pragma once
// Firmware upgrade files (*.upg), the library's own binary format:
//
//   offset  size  field
//        0     4  magic "VXUP"
//        4     2  format version, little-endian (1)
//        6     2  new firmware version word (four 4-bit parts, most significant first)
//        8    32  product name the firmware is for, NUL-padded
//       40     4  payload length n, little-endian (1 byte to 64 MiB)
//       44     n  firmware image
//   44 + n     4  CRC-32 (IEEE) of bytes 0 .. 44 + n - 1, little-endian
#include <cstdint>
#include <string>

namespace vexo::sdk {

constexpr uint32_t kLargestFirmwareImage = 64u << 20;

std::string encodeFirmwareFile(const std::string& productName, uint16_t firmwareVersion, const std::string& image);

// Checks a firmware file held in memory for the given product. Returns VEXO_SDK_OK and the
// new version word, or NOT_MATCHING when the file is not a valid upgrade for that product
// (not an upgrade file, empty or oversized image, truncated, failed checksum, other product).
int decodeFirmwareFile(const std::string& bytes, const std::string& productName,
                       uint16_t& firmwareVersion);

// The same checks on a file, reading it in blocks so that memory stays small whatever the
// file's size. Returns OK, WRONG_PATH (no readable regular file) or NOT_MATCHING.
int readFirmwareFile(const std::string& path, const std::string& productName,
                     uint16_t& firmwareVersion);

}  // namespace vexo::sdk
