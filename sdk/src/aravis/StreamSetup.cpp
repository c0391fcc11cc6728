#include "StreamSetup.h"

#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <fstream>

#include "VexoCameraApi.h"

namespace vexo::sdk::aravis {

bool packetSocketAllowed()
{
    const int fd = ::socket(AF_PACKET, SOCK_RAW, 0);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

uint64_t readSysctlNumber(const std::string& path)
{
    std::ifstream in(path);
    std::string text;
    if (!(in >> text) || text.empty() || text.size() > 19)
        return 0;
    uint64_t value = 0;
    for (char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return 0;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return value;
}

StreamSetup probeStreamSetup()
{
    StreamSetup setup;
    setup.packetSocket = packetSocketAllowed();
    setup.socketBufferLimit = readSysctlNumber("/proc/sys/net/core/rmem_max");
    return setup;
}

StreamAdvice adviceFor(bool gigE, const StreamSetup& setup, uint64_t frameBytes)
{
    StreamAdvice advice;
    if (!gigE)
        return advice;
    advice.socketBufferLimit = setup.socketBufferLimit;
    advice.frameBytes = frameBytes;
    if (setup.packetSocket)
        return advice;  // the packet socket has its own ring; the socket buffer is unused
    advice.flags |= VEXO_SDK_STREAM_UDP_SOCKET;
    // An unreadable limit says nothing either way.
    if (setup.socketBufferLimit > 0 && setup.socketBufferLimit < frameBytes)
        advice.flags |= VEXO_SDK_STREAM_SMALL_SOCKET_BUFFER;
    return advice;
}

}  // namespace vexo::sdk::aravis
