#include "NetworkAddress.h"

#include "DottedNumbers.h"

namespace vexo::sdk {

bool parseIpv4(const std::string& text, uint32_t& address)
{
    std::array<unsigned, 4> parts{};
    if (!parseDottedNumbers(text, 0, 3, 255, parts))
        return false;
    address = parts[0] << 24 | parts[1] << 16 | parts[2] << 8 | parts[3];
    return true;
}

std::string formatIpv4(uint32_t address)
{
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

bool isValidSubnetMask(uint32_t mask)
{
    const uint32_t inverted = ~mask;
    // Contiguous ones: the inverted mask plus one is a power of two.
    return mask != 0 && (inverted & (inverted + 1)) == 0 && inverted >= 3;
}

bool isUsableHostAddress(uint32_t address, uint32_t mask)
{
    const uint32_t host = address & ~mask;
    const uint32_t first = address >> 24;
    return host != 0 && host != (~mask) && first != 0 && first != 127 && first < 224;
}

bool isValidStaticAddress(uint32_t address, uint32_t mask, uint32_t gateway)
{
    return isValidSubnetMask(mask) && isUsableHostAddress(address, mask) &&
           (gateway == 0 ||
            ((gateway & mask) == (address & mask) && isUsableHostAddress(gateway, mask)));
}

bool isValidStoredAddress(int addressMode, const std::string& address, const std::string& mask,
                          const std::string& gateway)
{
    uint32_t a = 0, m = 0, g = 0;
    if (!parseIpv4(address, a) || !parseIpv4(mask, m) || !parseIpv4(gateway, g))
        return false;
    if (addressMode == 1)
        return isValidStaticAddress(a, m, g);
    return addressMode == 0 && isValidSubnetMask(m);
}

uint32_t hostInterfaceNeighbour(uint32_t hostAddress, uint32_t mask, uint32_t seed)
{
    const uint32_t network = hostAddress & mask;
    const uint32_t hosts = ~mask - 1;   // usable host numbers 1 .. hosts
    uint32_t host = 100 + seed % 100;
    if (host > hosts)
        host = 1 + seed % hosts;
    if ((network | host) == hostAddress)
        host = host % hosts + 1;
    return network | host;
}

}  // namespace vexo::sdk
