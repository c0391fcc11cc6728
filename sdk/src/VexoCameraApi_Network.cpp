// Network configuration of GigE cameras, looked up by identifier whether open or not.
#include <arpa/inet.h>
#include <ifaddrs.h>
#include <net/if.h>
#include <netinet/in.h>

#include <cstring>

#include "ApiSupport.h"
#include "NetworkAddress.h"

using namespace vexo::sdk;

namespace {

struct HostInterface {
    std::string name, address, mask;
};

// The PC interface GigE cameras are seen through: VEXOCAM_NETWORK_INTERFACE names one,
// otherwise the first running non-loopback IPv4 interface.
HostInterface hostInterface()
{
    HostInterface result{"lo", "127.0.0.1", "255.0.0.0"};
    const char* wanted = std::getenv("VEXOCAM_NETWORK_INTERFACE");
    ifaddrs* list = nullptr;
    if (getifaddrs(&list) != 0)
        return result;
    for (ifaddrs* entry = list; entry; entry = entry->ifa_next) {
        if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_INET || !entry->ifa_netmask)
            continue;
        const bool loopback = entry->ifa_flags & IFF_LOOPBACK;
        const bool chosen = wanted && *wanted ? std::strcmp(entry->ifa_name, wanted) == 0
                                              : !loopback && (entry->ifa_flags & IFF_UP);
        if (!chosen)
            continue;
        char address[INET_ADDRSTRLEN] = {};
        char mask[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(entry->ifa_addr)->sin_addr, address, sizeof address);
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in*>(entry->ifa_netmask)->sin_addr, mask, sizeof mask);
        result = {entry->ifa_name, address, mask};
        break;
    }
    freeifaddrs(list);
    return result;
}

// The camera's network settings: stored ones, else the camera's factory settings, which
// are moved into the PC interface's subnet so a fresh camera is reachable.
NetworkState currentNetwork(const CameraModel& m, const HostInterface& host)
{
    const StoredCameraState stored = CameraLibrary::instance().userState().load(m.identifier);
    if (stored.network)
        return *stored.network;
    NetworkState n;
    n.addressMode = 1;
    n.ipAddress = m.ipAddress;
    n.subnetMask = m.subnetMask;
    n.gateway = m.gateway;
    uint32_t hostAddress = 0, hostMask = 0;
    if (parseIpv4(host.address, hostAddress) && parseIpv4(host.mask, hostMask) && isValidSubnetMask(hostMask) &&
        host.address != "127.0.0.1") {
        n.ipAddress = formatIpv4(hostInterfaceNeighbour(hostAddress, hostMask, m.macAddress[5]));
        n.subnetMask = host.mask;
        n.gateway = formatIpv4((hostAddress & hostMask) | 1);
    }
    return n;
}

// A camera that is unplugged cannot be reached over the network, stored settings or not.
const CameraModel* attachedModel(const char* identifier)
{
    CameraLibrary& library = CameraLibrary::instance();
    const CameraModel* m = library.model(identifier);
    return m && library.backend().attached(m->identifier) ? m : nullptr;
}

bool openInAnotherProcess(const CameraModel& m)
{
    CameraLibrary& library = CameraLibrary::instance();
    if (!CameraLock::isHeld(library.lockFolder().lockPath(m.identifier)))
        return false;
    return !library.openHere(m.identifier);
}

std::string field(const char (&text)[16])
{
    return std::string(text, strnlen(text, sizeof text));
}

}  // namespace

extern "C" {

int SdkGetNetworkConfig(const char* identifier, VexoNetworkConfig* config)
{
    return guarded([&] {
        if (!identifier || !config)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CameraModel* m = attachedModel(identifier);
        if (!m)
            return static_cast<int>(VEXO_SDK_NOT_FOUND);
        if (!m->isGigE())
            return static_cast<int>(VEXO_SDK_NOT_MATCHING);
        const HostInterface host = hostInterface();
        // A camera that keeps its own settings is read; one that cannot be reached now
        // (open in another program) shows what the library knows.
        NetworkState n;
        const std::optional<int> own =
            CameraLibrary::instance().backend().networkConfig(m->identifier, n);
        if (own && *own == VEXO_SDK_NOT_FOUND)
            return *own;
        if (!own || *own != VEXO_SDK_OK)
            n = currentNetwork(*m, host);
        VexoNetworkConfig c;
        std::memset(&c, 0, sizeof c);
        copyText(c.cameraIdentifier, m->identifier);
        copyText(c.interfaceAddress, host.address);
        copyText(c.interfaceMask, host.mask);
        copyText(c.interfaceName, host.name);
        c.addressMode = n.addressMode;
        copyText(c.ipAddress, n.ipAddress);
        copyText(c.subnetMask, n.subnetMask);
        copyText(c.gateway, n.gateway);
        std::memcpy(c.macAddress, m->macAddress, sizeof c.macAddress);
        *config = c;
        return static_cast<int>(VEXO_SDK_OK);
    });
}

int SdkSetNetworkConfig(const char* identifier, const VexoNetworkConfig* config)
{
    return guarded([&] {
        if (!identifier || !config)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        const CameraModel* m = attachedModel(identifier);
        if (!m)
            return static_cast<int>(VEXO_SDK_NOT_FOUND);
        if (!m->isGigE() || !m->networkSettings)
            return static_cast<int>(VEXO_SDK_NOT_MATCHING);
        if (config->addressMode != 0 && config->addressMode != 1)
            return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
        NetworkState wanted;
        wanted.addressMode = config->addressMode;
        if (config->addressMode == 1) {
            uint32_t address = 0, mask = 0, gateway = 0;
            if (!parseIpv4(field(config->ipAddress), address) || !parseIpv4(field(config->subnetMask), mask) ||
                !parseIpv4(field(config->gateway), gateway))
                return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
            if (!isValidStaticAddress(address, mask, gateway))
                return static_cast<int>(VEXO_SDK_INVALID_ARGUMENT);
            wanted.ipAddress = formatIpv4(address);
            wanted.subnetMask = formatIpv4(mask);
            wanted.gateway = formatIpv4(gateway);
        }
        if (openInAnotherProcess(*m))
            return static_cast<int>(VEXO_SDK_OPEN_ELSEWHERE);
        // A camera that keeps its own settings takes them itself (from its next start).
        if (const auto own =
                CameraLibrary::instance().backend().setNetworkConfig(m->identifier, wanted))
            return *own;
        if (config->addressMode == 0) {
            // DHCP: the PC's network hands out an address in its own subnet.
            const HostInterface host = hostInterface();
            uint32_t hostAddress = 0, hostMask = 0;
            if (!parseIpv4(host.address, hostAddress) || !parseIpv4(host.mask, hostMask) ||
                !isValidSubnetMask(hostMask))
                return static_cast<int>(VEXO_SDK_FAILED);
            wanted.ipAddress = formatIpv4(hostInterfaceNeighbour(hostAddress, hostMask, m->macAddress[5]));
            wanted.subnetMask = host.mask;
            wanted.gateway = formatIpv4((hostAddress & hostMask) | 1);
        }
        const bool stored = CameraLibrary::instance().userState().update(
            m->identifier, [&](StoredCameraState& state) { state.network = wanted; });
        return stored ? static_cast<int>(VEXO_SDK_OK) : static_cast<int>(VEXO_SDK_FAILED);
    });
}

}  // extern "C"
