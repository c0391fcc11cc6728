#include "SuiteEnvironment.h"

#include "SuiteMessages.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QLibraryInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTranslator>
#include <QWidget>

namespace suite {

QString programDirectory()
{
    return QCoreApplication::applicationDirPath();
}

QString manualFilePath(const QString& programDir)
{
    return programDir + QStringLiteral("/软件使用说明书.pdf");
}

QString companionProgramPath(const QString& programDir, const QString& programName)
{
#ifdef Q_OS_WIN
    return programDir + QLatin1Char('/') + programName + QStringLiteral(".exe");
#else
    return programDir + QLatin1Char('/') + programName;
#endif
}

QString toolSettingsFilePath(const QString& appDataLocation, const QString& applicationName)
{
    QString folder = QDir::fromNativeSeparators(appDataLocation);
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/')))
        folder.chop(1);
    const int slash = folder.lastIndexOf(QLatin1Char('/'));
    // Only a trailing component that really is the program's name is removed; a location
    // without it already is the shared folder.
    if (slash >= 0 && !applicationName.isEmpty() && folder.mid(slash + 1) == applicationName)
        folder.truncate(slash);
    if (folder.isEmpty())
        folder = QStringLiteral("/");
    return folder.endsWith(QLatin1Char('/')) ? folder + QStringLiteral("Config.ini")
                                             : folder + QStringLiteral("/Config.ini");
}

QString toolSettingsFilePath()
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
    const QString path = toolSettingsFilePath(location, QCoreApplication::applicationName());
    qDebug() << "application data:" << location;
    qDebug() << "application name:" << QCoreApplication::applicationName();
    qDebug() << "settings file:" << path;
    return path;
}

bool toolUsesChinese(const QVariant& storedLanguage)
{
    if (!storedLanguage.isValid())
        return false;
    bool isNumber = false;
    const int language = storedLanguage.toString().trimmed().toInt(&isNumber);
    return isNumber && language == 0;
}

bool viewerUsesEnglish(const QVariant& storedLanguage)
{
    return storedLanguage.toInt() != 0;
}

QString translationFilePath(const QString& programDir, const QString& baseName, bool english)
{
    return programDir + QLatin1Char('/') + baseName +
           (english ? QStringLiteral("_en_CN.qm") : QStringLiteral("_zh_CN.qm"));
}

bool loadAndInstall(QTranslator* translator, const QString& qmFile)
{
    if (!translator->load(qmFile))
        qDebug() << "translation not loaded:" << qmFile;
    return QCoreApplication::installTranslator(translator);
}

QString qtTranslationsFolder()
{
    return QLibraryInfo::location(QLibraryInfo::TranslationsPath);
}

bool applyQtLanguage(QTranslator* qtTranslator, bool chinese, const QString& qtFolder)
{
    QCoreApplication::removeTranslator(qtTranslator);
    if (!chinese)
        return false;
    if (!qtTranslator->load(QStringLiteral("qtbase_zh_CN"), qtFolder)) {
        qDebug() << "Qt's Chinese translation not found in" << qtFolder;
        return false;
    }
    return QCoreApplication::installTranslator(qtTranslator);
}

bool installToolLanguage(QWidget* owner, const QString& baseName)
{
    QSettings settings(toolSettingsFilePath(), QSettings::IniFormat);
    const QString key = QStringLiteral("EDITION/Language");
    const QVariant language = settings.contains(key) ? settings.value(key) : QVariant();
    qDebug() << "language:" << language;
    const QString qmFile =
        translationFilePath(programDirectory(), baseName, !toolUsesChinese(language));
    qDebug() << "translation file:" << qmFile;

    applyQtLanguage(new QTranslator(owner), toolUsesChinese(language));
    auto* translator = new QTranslator(owner);
    if (loadAndInstall(translator, qmFile))
        return true;
    showMessage(QMessageBox::Critical, owner, QCoreApplication::translate("suite", "提示"),
                QCoreApplication::translate("suite", "切换语言失败"),
                QCoreApplication::translate("suite", "确定"));
    return false;
}

}  // namespace suite
