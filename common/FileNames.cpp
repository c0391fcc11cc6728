#include "FileNames.h"

QString withFileNameCharacters(const QString& text)
{
    static const QString kRefused = QStringLiteral("/\\:*?\"<>|");
    QString name = text;
    for (QChar& c : name) {
        const ushort u = c.unicode();
        if (u < 0x20 || u == 0x7F || kRefused.contains(c))
            c = QLatin1Char('_');
    }
    return name;
}
