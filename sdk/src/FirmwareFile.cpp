#include "FirmwareFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>

#include <vector>

#include "AtomicFile.h"
#include "BinaryFile.h"
#include "VexoCameraApi.h"

namespace vexo::sdk {

namespace {

const char kMagic[] = "VXUP";
constexpr size_t kHeaderSize = 44;
constexpr size_t kTrailerSize = 4;

// Checks the header against the file size; length receives the image size.
int checkHeader(const std::string& header, unsigned long long fileSize,
                const std::string& productName, uint32_t& length)
{
    if (fileSize < kHeaderSize + kTrailerSize || header.size() < kHeaderSize ||
        header.compare(0, 4, std::string(kMagic, 4)) != 0 || readUint16(header, 4) != 1)
        return VEXO_SDK_NOT_MATCHING;
    length = readUint32(header, 40);
    if (length == 0 || length > kLargestFirmwareImage ||
        fileSize != kHeaderSize + length + kTrailerSize)
        return VEXO_SDK_NOT_MATCHING;
    if (readText(header, 8, 32) != productName)
        return VEXO_SDK_NOT_MATCHING;
    return VEXO_SDK_OK;
}

// Reads exactly size bytes unless the file ends first; false on a read error.
bool readFully(int fd, uint8_t* data, size_t size, size_t& got)
{
    got = 0;
    while (got < size) {
        const ssize_t n = ::read(fd, data + got, size - got);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        got += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

std::string encodeFirmwareFile(const std::string& productName, uint16_t firmwareVersion,
                               const std::string& image)
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

int decodeFirmwareFile(const std::string& bytes, const std::string& productName,
                       uint16_t& firmwareVersion)
{
    uint32_t length = 0;
    const int checked = checkHeader(bytes, bytes.size(), productName, length);
    if (checked != VEXO_SDK_OK)
        return checked;
    if (!checksumMatches(bytes))
        return VEXO_SDK_NOT_MATCHING;
    firmwareVersion = readUint16(bytes, 6);
    return VEXO_SDK_OK;
}

int readFirmwareFile(const std::string& path, const std::string& productName,
                     uint16_t& firmwareVersion)
{
    // A FIFO given as the upgrade file must not hold the caller until someone writes to it.
    const int fd = openRegularFileForReading(path);
    if (fd < 0)
        return VEXO_SDK_WRONG_PATH;
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return VEXO_SDK_WRONG_PATH;

    std::vector<uint8_t> block(256 * 1024);
    size_t got = 0;
    if (!readFully(fd, block.data(), kHeaderSize, got))
        return VEXO_SDK_WRONG_PATH;
    const std::string header(reinterpret_cast<const char*>(block.data()), got);
    uint32_t length = 0;
    const int checked =
        checkHeader(header, static_cast<unsigned long long>(st.st_size), productName, length);
    if (checked != VEXO_SDK_OK)
        return checked;

    uint32_t crc = crc32Update(0, block.data(), kHeaderSize);
    size_t remaining = length;
    while (remaining > 0) {
        const size_t want = std::min(remaining, block.size());
        if (!readFully(fd, block.data(), want, got))
            return VEXO_SDK_WRONG_PATH;
        if (got < want)
            return VEXO_SDK_NOT_MATCHING;  // shorter than it was a moment ago
        crc = crc32Update(crc, block.data(), got);
        remaining -= got;
    }
    if (!readFully(fd, block.data(), kTrailerSize, got))
        return VEXO_SDK_WRONG_PATH;
    const std::string trailer(reinterpret_cast<const char*>(block.data()), got);
    if (got < kTrailerSize || readUint32(trailer, 0) != crc)
        return VEXO_SDK_NOT_MATCHING;
    firmwareVersion = readUint16(header, 6);
    return VEXO_SDK_OK;
}

}  // namespace vexo::sdk
