#pragma once
#include <array>
#include <cstddef>
#include <string>

namespace vexo::sdk {

// Reads exactly four decimal numbers separated by '.', from position start to the end of
// text: each of 1 .. maxDigits digits and at most maxValue. The form of IPv4 addresses
// and of firmware versions.
bool parseDottedNumbers(const std::string& text, size_t start, size_t maxDigits,
                        unsigned maxValue, std::array<unsigned, 4>& parts);

}  // namespace vexo::sdk
