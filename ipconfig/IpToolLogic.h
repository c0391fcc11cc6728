#pragma once
#include <QColor>
#include <QHostAddress>
#include <QList>
#include <QString>

#include <cstddef>
#include <cstring>

#include "VexoCameraRecords.h"

// The rules of the IP configuration tool that need no widget: which PC interfaces are
// listed, which cameras an interface shows, how the table cells read and the host range
// of a subnet.
namespace iptool {

// One GigE camera as the tool keeps it: the device record directly followed by its
// network configuration, zero-filled before the library fills it.
struct GigeDeviceBlock {
    VexoDeviceInfo device;
    VexoNetworkConfig network;
};
static_assert(sizeof(GigeDeviceBlock) == 772, "a GigE device block is 772 bytes");
static_assert(offsetof(GigeDeviceBlock, network) == 600, "network configuration follows the device record");

// The bytes of a record's text field up to its NUL (or the end of the field).
template <std::size_t N>
QByteArray fieldBytes(const char (&field)[N])
{
    const void* end = std::memchr(field, '\0', N);
    const int length = end ? int(static_cast<const char*>(end) - field) : int(N);
    return QByteArray(field, length);
}

// Writes text into a fixed text field, cut to leave room for the NUL, rest zero-filled.
template <std::size_t N>
void setFieldBytes(char (&field)[N], const QByteArray& text)
{
    std::memset(field, 0, N);
    std::memcpy(field, text.constData(), std::min<std::size_t>(std::size_t(text.size()), N - 1));
}

// A PC network interface as the system reports it.
struct HostInterface {
    QString humanReadableName;
    QList<QHostAddress> addresses;  // in the order the system lists them
    bool loopback = false;
};

// One entry of the interface list: the address cameras report for it and its text.
struct InterfaceItem {
    QString address;
    QString text;  // four spaces + name + "[" + address + "]"
};

// Every non-loopback interface with an IPv4 address, by its first IPv4 address. The
// systems differ in where an interface's IPv4 entry sits among its IPv6 ones, so the
// position of an entry says nothing.
QList<InterfaceItem> interfaceItems(const QList<HostInterface>& interfaces);
// The interfaces of this PC, in the order the system returns them.
QList<HostInterface> systemInterfaces();

// A network camera says "GigE" in its interface text; the test is case-sensitive.
bool isGigE(const QByteArray& interfaceText);
// A camera is shown for the header item (empty key) or for the interface it is seen through.
bool shownForInterface(const QString& key, const QString& cameraInterfaceAddress);

// "静态IP" for any mode but 0, "动态IP" for DHCP.
QString addressModeText(int addressMode);

// The status cell of a camera: its text and, for a camera marked open with exactly 1,
// the green background (an invalid colour means no background).
struct StatusCell {
    QString text;
    QColor background;
};
StatusCell deviceStatusCell(int openedFlag);

// Host range of the subnet given by an address and its mask: network + 1 up to
// broadcast - 1 in the last part, "192.168.10.1 - 192.168.10.254". Missing or
// non-numeric parts count as 0.
QString ipValidRange(const QString& address, const QString& mask);

}  // namespace iptool
