#include "IpToolLogic.h"

#include <QCoreApplication>
#include <QNetworkInterface>
#include <QStringList>

namespace iptool {

QList<InterfaceItem> interfaceItems(const QList<HostInterface>& interfaces)
{
    QList<InterfaceItem> items;
    for (const HostInterface& host : interfaces) {
        if (host.loopback)
            continue;
        for (const QHostAddress& address : host.addresses) {
            if (address.protocol() != QAbstractSocket::IPv4Protocol || address.isLoopback())
                continue;
            const QString text = address.toString();
            items.append({text, QStringLiteral("    ") + host.humanReadableName + QLatin1Char('[') + text +
                                    QLatin1Char(']')});
            break;
        }
    }
    return items;
}

QList<HostInterface> systemInterfaces()
{
    QList<HostInterface> result;
    const QList<QNetworkInterface> all = QNetworkInterface::allInterfaces();
    for (const QNetworkInterface& networkInterface : all) {
        HostInterface host;
        host.humanReadableName = networkInterface.humanReadableName();
        host.loopback = networkInterface.flags().testFlag(QNetworkInterface::IsLoopBack);
        const QList<QNetworkAddressEntry> entries = networkInterface.addressEntries();
        for (const QNetworkAddressEntry& entry : entries)
            host.addresses.append(entry.ip());
        result.append(host);
    }
    return result;
}

bool isGigE(const QByteArray& interfaceText)
{
    return QString::fromLatin1(interfaceText).contains(QLatin1String("GigE"), Qt::CaseSensitive);
}

bool shownForInterface(const QString& key, const QString& cameraInterfaceAddress)
{
    return key.isEmpty() || key == cameraInterfaceAddress;
}

QString addressModeText(int addressMode)
{
    return addressMode != 0 ? QCoreApplication::translate("Addrwright", "静态IP")
                            : QCoreApplication::translate("Addrwright", "动态IP");
}

StatusCell deviceStatusCell(int openedFlag)
{
    StatusCell cell;
    cell.text = openedFlag != 0 ? QCoreApplication::translate("Addrwright", "已打开")
                                : QCoreApplication::translate("Addrwright", "空闲");
    if (openedFlag == 1)
        cell.background = QColor(117, 241, 60);
    return cell;
}

namespace {

// Four numbers of a dotted address; missing or unreadable parts are 0.
void dottedParts(const QString& text, int (&parts)[4])
{
    const QStringList fields = text.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i)
        parts[i] = i < fields.size() ? fields.at(i).trimmed().toInt() : 0;
}

}  // namespace

QString ipValidRange(const QString& address, const QString& mask)
{
    int a[4], m[4], network[4], broadcast[4];
    dottedParts(address, a);
    dottedParts(mask, m);
    for (int i = 0; i < 4; ++i) {
        network[i] = a[i] & m[i];
        broadcast[i] = network[i] + (255 - m[i]);
    }
    network[3] += 1;
    broadcast[3] -= 1;
    return QStringLiteral("%1.%2.%3.%4 - %5.%6.%7.%8")
        .arg(network[0]).arg(network[1]).arg(network[2]).arg(network[3])
        .arg(broadcast[0]).arg(broadcast[1]).arg(broadcast[2]).arg(broadcast[3]);
}

}  // namespace iptool
