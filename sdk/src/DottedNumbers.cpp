#include "DottedNumbers.h"

namespace vexo::sdk {

bool parseDottedNumbers(const std::string& text, size_t start, size_t maxDigits,
                        unsigned maxValue, std::array<unsigned, 4>& parts)
{
    size_t pos = start;
    for (size_t part = 0; part < parts.size(); ++part) {
        size_t digits = 0;
        unsigned value = 0;
        while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
            value = value * 10 + static_cast<unsigned>(text[pos] - '0');
            ++pos;
            ++digits;
            // Checked per digit, so a long run can neither overflow nor pass.
            if (digits > maxDigits || value > maxValue)
                return false;
        }
        if (digits == 0)
            return false;
        parts[part] = value;
        if (part + 1 < parts.size()) {
            if (pos >= text.size() || text[pos] != '.')
                return false;
            ++pos;
        }
    }
    return pos == text.size();
}

}  // namespace vexo::sdk
