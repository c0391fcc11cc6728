#pragma once
// IPv4 address rules for the network configuration of GigE cameras.
#include <cstdint>
#include <string>

namespace vexo::sdk {

// Strict dotted decimal: four parts of 1 to 3 digits, each 0 .. 255, nothing else.
bool parseIpv4(const std::string& text, uint32_t& address);
std::string formatIpv4(uint32_t address);
// Contiguous leading ones, at least /1 and at most /30 (room for two hosts).
bool isValidSubnetMask(uint32_t mask);
// A unicast host address that is neither the network nor the broadcast address.
bool isUsableHostAddress(uint32_t address, uint32_t mask);
// A static camera address: a usable host of a valid subnet, its gateway 0 (none) or a
// usable host of the same subnet.
bool isValidStaticAddress(uint32_t address, uint32_t mask, uint32_t gateway);
// The same rule for stored text: addressMode 1 (static) as above; 0 (DHCP) needs
// well-formed addresses and a valid mask only.
bool isValidStoredAddress(int addressMode, const std::string& address, const std::string& mask,
                          const std::string& gateway);
// An address in hostAddress's subnet other than the host itself, chosen by seed.
uint32_t hostInterfaceNeighbour(uint32_t hostAddress, uint32_t mask, uint32_t seed);

}  // namespace vexo::sdk
