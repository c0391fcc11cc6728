#include "DeviceText.h"

#include <QStringList>

QString firmwareVersionText(uint16_t firmwareVersion)
{
    return QStringLiteral("v%1.%2.%3.%4")
        .arg((firmwareVersion >> 12) & 0xF)
        .arg((firmwareVersion >> 8) & 0xF)
        .arg((firmwareVersion >> 4) & 0xF)
        .arg(firmwareVersion & 0xF);
}

QString macAddressText(const uint8_t* macAddress)
{
    if (!macAddress)
        return QString();
    QStringList parts;
    for (int i = 0; i < 6; ++i)
        parts << QStringLiteral("%1").arg(macAddress[i], 2, 16, QLatin1Char('0'));
    return parts.join(QLatin1Char(':'));
}

QString recordText(const char* field, std::size_t fieldSize)
{
    if (!field)
        return QString();
    std::size_t length = 0;
    while (length < fieldSize && field[length] != '\0')
        ++length;
    return QString::fromLocal8Bit(field, static_cast<int>(length));
}
