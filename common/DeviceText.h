#pragma once
#include <QString>

#include <cstddef>
#include <cstdint>

// Texts built from the camera library's device records, shared by the three programs.

// Firmware word as "v%1.%2.%3.%4": the four 4-bit groups, most significant first.
QString firmwareVersionText(uint16_t firmwareVersion);

// Six MAC bytes as two lower-case hexadecimal digits each, joined by ":"
// (00:0a:1b:01:23:01): every address has the same width and reads as one.
QString macAddressText(const uint8_t* macAddress);

// A text field of a library record, decoded from the local 8-bit encoding. Reads up to
// the first NUL but never beyond the field, so an unterminated field cannot run on.
QString recordText(const char* field, std::size_t fieldSize);

template <std::size_t N>
QString recordText(const char (&field)[N])
{
    return recordText(field, N);
}
