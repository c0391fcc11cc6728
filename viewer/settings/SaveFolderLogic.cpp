#include "SaveFolderLogic.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace savefolder {

namespace {

bool isControl(QChar c)
{
    return c.unicode() < 0x20 || c.unicode() == 0x7F;
}

QString native(const QString& path)
{
    return QDir::toNativeSeparators(shown(path));
}

}  // namespace

Check check(const QString& text)
{
    Check checked;
    checked.folder = text;
    if (text.trimmed().isEmpty()) {
        checked.problem = Problem::Empty;
        return checked;
    }
    for (const QChar c : text) {
        if (isControl(c)) {
            checked.problem = Problem::ControlCharacter;
            return checked;
        }
    }
    if (!QDir::isAbsolutePath(text)) {
        checked.problem = Problem::Relative;
        return checked;
    }
    checked.folder = QDir::cleanPath(text);

    const QFileInfo info(checked.folder);
    if (info.exists() || info.isSymLink()) {
        // A link that leads nowhere is in the way as much as a file is.
        if (!info.isDir()) {
            checked.problem = Problem::NotAFolder;
            checked.blocker = checked.folder;
        } else if (!info.isWritable()) {
            checked.problem = Problem::NotWritable;
        }
        return checked;
    }
    // Missing: it can be made only if what is there above it is a folder.
    QString above = checked.folder;
    for (;;) {
        const QString parent = QFileInfo(above).path();
        if (parent == above)
            break;
        above = parent;
        const QFileInfo parentInfo(above);
        if (parentInfo.exists() || parentInfo.isSymLink()) {
            if (!parentInfo.isDir()) {
                checked.problem = Problem::NotAFolder;
                checked.blocker = above;
                return checked;
            }
            break;
        }
    }
    checked.problem = Problem::Missing;
    return checked;
}

bool create(const QString& folder)
{
    return QDir().mkpath(folder) && QFileInfo(folder).isDir();
}

QString shown(const QString& text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar c : text) {
        if (isControl(c))
            out += QStringLiteral("\\x") +
                   QStringLiteral("%1").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

QString problemText(const Check& checked)
{
    const QString folder = native(checked.folder);
    switch (checked.problem) {
        case Problem::None:
            return QString();
        case Problem::Empty:
            return QCoreApplication::translate("SaveFolder", "未设置保存文件夹");
        case Problem::ControlCharacter:
            return QCoreApplication::translate("SaveFolder",
                                               "保存文件夹 %1 含有控制字符 (如 NUL), 无法使用")
                .arg(folder);
        case Problem::Relative:
            return QCoreApplication::translate("SaveFolder",
                                               "保存文件夹 %1 不是绝对路径, 请填写完整路径")
                .arg(folder);
        case Problem::NotAFolder:
            if (checked.blocker == checked.folder)
                return QCoreApplication::translate("SaveFolder", "%1 不是文件夹").arg(folder);
            return QCoreApplication::translate("SaveFolder", "无法使用保存文件夹 %1: %2 不是文件夹")
                .arg(folder, native(checked.blocker));
        case Problem::Missing:
            return QCoreApplication::translate("SaveFolder", "保存文件夹 %1 不存在").arg(folder);
        case Problem::NotWritable:
            return QCoreApplication::translate("SaveFolder", "保存文件夹 %1 不可写").arg(folder);
    }
    return QString();
}

QString createQuestion(const QString& folder)
{
    return QCoreApplication::translate("SaveFolder", "保存文件夹 %1 不存在, 是否创建?")
        .arg(native(folder));
}

QString createFailedText(const QString& folder)
{
    return QCoreApplication::translate("SaveFolder", "无法创建保存文件夹 %1").arg(native(folder));
}

}  // namespace savefolder
