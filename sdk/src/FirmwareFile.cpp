#include "FirmwareFile.h"

#include "BinaryFile.h"

namespace vexo::sdk {

namespace {

const char kMagic[] = "VXUP";
constexpr size_t kHeaderSize = 44;
constexpr uint32_t kMaxImage = 64u << 20;

}  // namespace

std::string encodeFirmwareFile(const std::string& productName, uint16_t firmwareVersion, const std::string& image)
{
    std::string out(kMagic, 4);
    appendUint16(out, 1);
    appendUint16(out, firmwareVersion);
    appendText(out, productName, 32);
    appendUint32(out, static_cast<uint32_t>(image.size()));
    out += image;
    appendChecksum(out);
    return out;
}

bool decodeFirmwareFile(const std::string& bytes, const std::string& productName, uint16_t& firmwareVersion)
{
    if (bytes.size() < kHeaderSize + 4 || bytes.compare(0, 4, std::string(kMagic, 4)) != 0)
        return false;
    if (readUint16(bytes, 4) != 1)
        return false;
    const uint32_t length = readUint32(bytes, 40);
    if (length > kMaxImage || bytes.size() != kHeaderSize + length + 4 || !checksumMatches(bytes))
        return false;
    if (readText(bytes, 8, 32) != productName)
        return false;
    firmwareVersion = readUint16(bytes, 6);
    return true;
}

}  // namespace vexo::sdk
