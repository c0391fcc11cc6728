#pragma once
// Building blocks of the library's own binary files (parameter files, firmware upgrade
// files): little-endian fields, a fixed-size text field and the CRC-32 trailer.
#include <cstdint>
#include <string>

namespace vexo::sdk {

uint32_t crc32(const uint8_t* data, size_t size);
// Continues crc (the CRC-32 of the bytes before data, 0 for none) over data.
uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t size);

void appendUint16(std::string& out, uint16_t value);
void appendUint32(std::string& out, uint32_t value);
// Text cut to size - 1 bytes and padded with NUL to exactly size bytes.
void appendText(std::string& out, const std::string& text, size_t size);

uint16_t readUint16(const std::string& in, size_t offset);
uint32_t readUint32(const std::string& in, size_t offset);
// The text of a fixed-size field up to its first NUL.
std::string readText(const std::string& in, size_t offset, size_t size);

// Appends the CRC-32 of everything written so far.
void appendChecksum(std::string& out);
// True when the last four bytes are the CRC-32 of the bytes before them.
bool checksumMatches(const std::string& in);

}  // namespace vexo::sdk
