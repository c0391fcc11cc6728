#include "BinaryFile.h"

#include <array>

namespace vexo::sdk {

namespace {

std::array<uint32_t, 256> makeCrcTable()
{
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[i] = c;
    }
    return table;
}

}  // namespace

uint32_t crc32Update(uint32_t crc, const uint8_t* data, size_t size)
{
    static const std::array<uint32_t, 256> table = makeCrcTable();
    uint32_t c = crc ^ 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = table[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

uint32_t crc32(const uint8_t* data, size_t size)
{
    return crc32Update(0, data, size);
}

void appendUint16(std::string& out, uint16_t value)
{
    out.push_back(static_cast<char>(value & 0xFF));
    out.push_back(static_cast<char>(value >> 8));
}

void appendUint32(std::string& out, uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

void appendText(std::string& out, const std::string& text, size_t size)
{
    const std::string cut = text.substr(0, size - 1);
    out += cut;
    out.append(size - cut.size(), '\0');
}

uint16_t readUint16(const std::string& in, size_t offset)
{
    return static_cast<uint16_t>(static_cast<uint8_t>(in[offset]) | static_cast<uint8_t>(in[offset + 1]) << 8);
}

uint32_t readUint32(const std::string& in, size_t offset)
{
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<uint8_t>(in[offset + static_cast<size_t>(i)]);
    return value;
}

std::string readText(const std::string& in, size_t offset, size_t size)
{
    const std::string field = in.substr(offset, size);
    return field.substr(0, field.find('\0'));
}

void appendChecksum(std::string& out)
{
    appendUint32(out, crc32(reinterpret_cast<const uint8_t*>(out.data()), out.size()));
}

bool checksumMatches(const std::string& in)
{
    if (in.size() < 4)
        return false;
    return crc32(reinterpret_cast<const uint8_t*>(in.data()), in.size() - 4) == readUint32(in, in.size() - 4);
}

}  // namespace vexo::sdk
