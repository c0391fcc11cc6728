#pragma once
// What this PC's set-up means for receiving a GigE Vision stream. Aravis reads the stream
// from a packet socket when the program may open one (CAP_NET_RAW), which costs much less
// CPU; otherwise from an ordinary UDP socket, whose receive buffer the kernel limits to
// net.core.rmem_max, and a buffer smaller than one frame loses packets whenever the PC
// is busy for a moment.
#include <cstdint>
#include <string>

#include "CameraBackend.h"

namespace vexo::sdk::aravis {

struct StreamSetup {
    bool packetSocket = false;       // the program may open a packet socket
    uint64_t socketBufferLimit = 0;  // net.core.rmem_max; 0 when it cannot be read
};

// Whether this process may open a packet socket (it opens and closes one; no traffic).
bool packetSocketAllowed();
// The number in a sysctl file such as /proc/sys/net/core/rmem_max; 0 when unreadable.
uint64_t readSysctlNumber(const std::string& path);
// Both, for this process and system.
StreamSetup probeStreamSetup();

// What to tell about a stream of frames of frameBytes received with this set-up.
StreamAdvice adviceFor(bool gigE, const StreamSetup& setup, uint64_t frameBytes);

}  // namespace vexo::sdk::aravis
