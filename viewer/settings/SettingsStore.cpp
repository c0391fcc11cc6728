#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <initializer_list>
#include <limits>

namespace {

const char kVersion[] = "v1.3.0";
const QString kCapture = QStringLiteral("CAPTURE");
const QString kRecord = QStringLiteral("RECORDINFO");
const QString kHotkey = QStringLiteral("HOTKEYINFO");
const QString kCustom = QStringLiteral("CUSTOMWIDGET");

// QSettings reads an unquoted value containing commas back as a string list; a hand-edited
// file may hold one, so texts are rebuilt from either form.
QString textOf(const QVariant& value)
{
    if (value.type() == QVariant::StringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

// A setting with fixed choices: a number outside them (a hand-edited or damaged file) reads
// as the key's missing value, so neither the dialog nor capture or recording ever meets a
// choice it has no meaning for (an AutoSaveState of 1 showed as ticked, yet saved nowhere).
int choiceOf(const QSettings& settings, const char* key, std::initializer_list<int> choices,
             int missing)
{
    const int number = settings.value(QLatin1String(key), missing).toInt();
    return std::find(choices.begin(), choices.end(), number) != choices.end() ? number : missing;
}

// A count of at least 1; anything else (missing, 0, negative, no number) reads as missing.
int countOf(const QVariant& value, int missing)
{
    bool ok = false;
    const int number = value.toInt(&ok);
    return ok && number >= 1 ? number : missing;
}

QString folderOr(QStandardPaths::StandardLocation location)
{
    QString folder = QStandardPaths::writableLocation(location);
    if (folder.isEmpty())
        folder = QDir::homePath();
    return folder;
}

}  // namespace

int nextNameRuleIndex(int index)
{
    constexpr int kFirstIndex = 1;
    return index < std::numeric_limits<int>::max() ? index + 1 : kFirstIndex;
}

int boundedCustomFrameRate(int autoFrameRate)
{
    if (autoFrameRate < kLowestCustomFrameRate)
        return 0;
    return std::min(autoFrameRate, kHighestCustomFrameRate);
}

SettingsStore::SettingsStore()
{
    open(defaultFilePath());
}

SettingsStore::SettingsStore(const QString& filePath)
{
    open(filePath);
}

SettingsStore::~SettingsStore()
{
    delete settings;  // writes anything still pending
}

QString SettingsStore::defaultFilePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
           QStringLiteral("/Config.ini");
}

QString SettingsStore::filePath() const
{
    return settings ? settings->fileName() : QString();
}

void SettingsStore::open(const QString& filePath)
{
    version = QString::fromLatin1(kVersion);
    // A missing folder would make every write fail silently; if it cannot be created
    // the store still works in memory.
    QDir().mkpath(QFileInfo(filePath).absolutePath());
    const bool exists = QFileInfo(filePath).isFile();
    settings = new QSettings(filePath, QSettings::IniFormat);

    const bool current = exists && value(QStringLiteral("EDITION"), QStringLiteral("Version"))
                                           .toString() == version;
    if (!current) {
        writeVersion();
        resetWidgetCount();
        resetCaptureSettings();
        resetRecordSettings();
        resetHotkeySettings();
    }
    loadCaptureSettings(captureMirror);
    loadRecordSettings(recordMirror);
    loadHotkeySettings(hotkeyMirror);
}

QVariant SettingsStore::value(const QString& group, const QString& key) const
{
    if (!settings)
        return QVariant();
    const QString fullKey = group + QLatin1Char('/') + key;
    if (!settings->contains(fullKey))
        return QVariant();
    return settings->value(fullKey);
}

void SettingsStore::setValue(const QString& group, const QString& key, const QVariant& value)
{
    if (!settings)
        return;
    settings->beginGroup(group);
    settings->setValue(key, value);
    settings->endGroup();
    loadCaptureSettings(captureMirror);
    loadRecordSettings(recordMirror);
}

void SettingsStore::sync()
{
    if (settings)
        settings->sync();
}

QString SettingsStore::defaultPictureFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("D:/");
#else
    return folderOr(QStandardPaths::PicturesLocation);
#endif
}

QString SettingsStore::defaultVideoFolder()
{
#ifdef Q_OS_WIN
    return QStringLiteral("D:/");
#else
    return folderOr(QStandardPaths::MoviesLocation);
#endif
}

CaptureSettings SettingsStore::defaultCaptureSettings()
{
    CaptureSettings c;
    c.savePath = defaultPictureFolder();
    c.autoSaveState = 0;
    c.pictureType = 0;
    c.nameRulePrefix = QStringLiteral("Image_");
    c.nameRuleFormat = 0;
    c.nameRuleIndex = 1;
    c.captureMode = 0;
    c.grapNumberRadix = 1;
    c.grapNumberStop = 0;
    c.grapNumberCount = 1;
    c.grapTimeRadix = 1;
    c.grapTimeStop = 0;
    c.grapTimeCount = 1;
    c.keepBitDepth = 0;
    return c;
}

RecordSettings SettingsStore::defaultRecordSettings()
{
    RecordSettings r;
    r.savePath = defaultVideoFolder();
    r.autoSaveState = 0;
    r.videoType = 0;
    r.videoQuality = 0;
    r.playSpeed = 1;
    r.autoFrameRate = 0;
    r.nameRulePrefix = QStringLiteral("Video_");
    r.nameRuleFormat = 0;
    r.nameRuleIndex = 1;
    return r;
}

HotkeySettings SettingsStore::defaultHotkeySettings()
{
    HotkeySettings h;
    h.windowSize = QStringLiteral("Ctrl+P");
    h.originalSize = QStringLiteral("Ctrl+W");
    h.enlarge = QStringLiteral("Ctrl+E");
    h.narrow = QStringLiteral("Ctrl+R");
    h.recording = QStringLiteral("Ctrl+T");
    h.photogrape = QStringLiteral("Ctrl+Y");
    h.onoff = QStringLiteral("Ctrl+U");
    h.displaySwitch = QStringLiteral("Ctrl+I");
    return h;
}

bool SettingsStore::saveCaptureSettings(const CaptureSettings& c)
{
    settings->setValue(kCapture + "/SvaePath", c.savePath);
    settings->setValue(kCapture + "/AutoSaveState", c.autoSaveState);
    settings->setValue(kCapture + "/PictureType", c.pictureType);
    settings->setValue(kCapture + "/NameRulePrefix", c.nameRulePrefix);
    settings->setValue(kCapture + "/NameRuleFormat", c.nameRuleFormat);
    settings->setValue(kCapture + "/CaptureMode", c.captureMode);
    settings->setValue(kCapture + "/GrapNumberRadix", c.grapNumberRadix);
    settings->setValue(kCapture + "/GrapNumberStop", c.grapNumberStop);
    settings->setValue(kCapture + "/GrapNumberCount", c.grapNumberCount);
    settings->setValue(kCapture + "/GrapTimeRadix", c.grapTimeRadix);
    settings->setValue(kCapture + "/GrapTimeStop", c.grapTimeStop);
    settings->setValue(kCapture + "/GrapTimeCount", c.grapTimeCount);
    settings->setValue(kCapture + "/KeepBitDepth", c.keepBitDepth);
    // The running index belongs to capture, not to the dialog.
    const int index = captureMirror.nameRuleIndex;
    captureMirror = c;
    captureMirror.nameRuleIndex = index;
    return true;
}

bool SettingsStore::saveRecordSettings(const RecordSettings& r)
{
    settings->setValue(kRecord + "/SvaePath", r.savePath);
    settings->setValue(kRecord + "/AutoSaveState", r.autoSaveState);
    settings->setValue(kRecord + "/VideoType", r.videoType);
    settings->setValue(kRecord + "/VideoQuality", r.videoQuality);
    settings->setValue(kRecord + "/PlaySpeed", r.playSpeed);
    settings->setValue(kRecord + "/AutoFrameRate", r.autoFrameRate);
    settings->setValue(kRecord + "/NameRulePrefix", r.nameRulePrefix);
    settings->setValue(kRecord + "/NameRuleFormat", r.nameRuleFormat);
    settings->setValue(kRecord + "/FrameInfoState", r.frameInfoState);
    settings->setValue(kRecord + "/FrameStop", r.frameStop);
    settings->setValue(kRecord + "/FrameStopCount", r.frameStopCount);
    settings->setValue(kRecord + "/TimeStop", r.timeStop);
    settings->setValue(kRecord + "/TimeStopSeconds", r.timeStopSeconds);
    settings->setValue(kRecord + "/PreTriggerSeconds", r.preTriggerSeconds);
    const int index = recordMirror.nameRuleIndex;
    recordMirror = r;
    recordMirror.nameRuleIndex = index;
    return true;
}

bool SettingsStore::saveHotkeySettings(const HotkeySettings& h)
{
    settings->setValue(kHotkey + "/WindowSize", h.windowSize);
    settings->setValue(kHotkey + "/OriginalSize", h.originalSize);
    settings->setValue(kHotkey + "/Enlarge", h.enlarge);
    settings->setValue(kHotkey + "/Narrow", h.narrow);
    settings->setValue(kHotkey + "/Recording", h.recording);
    settings->setValue(kHotkey + "/Photogrape", h.photogrape);
    settings->setValue(kHotkey + "/Onoff", h.onoff);
    settings->setValue(kHotkey + "/DisplaySwitch", h.displaySwitch);
    hotkeyMirror = h;
    return true;
}

// A key that is not in the file (removed by hand, or written by a build that lacked it)
// takes the value a reset gives it, so a missing PlaySpeed still records at the camera's
// rate and a missing running index starts at 1; so does a choice the key does not offer.
bool SettingsStore::loadCaptureSettings(CaptureSettings& c)
{
    const CaptureSettings missing = defaultCaptureSettings();
    settings->beginGroup(kCapture);
    c.savePath = textOf(settings->value("SvaePath", missing.savePath));
    c.autoSaveState = choiceOf(*settings, "AutoSaveState", {0, 2}, missing.autoSaveState);
    c.pictureType = choiceOf(*settings, "PictureType", {0, 1, 2, 3}, missing.pictureType);
    c.nameRulePrefix = textOf(settings->value("NameRulePrefix", missing.nameRulePrefix));
    c.nameRuleFormat = choiceOf(*settings, "NameRuleFormat", {0, 1}, missing.nameRuleFormat);
    c.nameRuleIndex = settings->value("NameRuleIndex", missing.nameRuleIndex).toInt();
    c.captureMode = choiceOf(*settings, "CaptureMode", {0, 1}, missing.captureMode);
    c.grapNumberRadix = settings->value("GrapNumberRadix", missing.grapNumberRadix).toInt();
    c.grapNumberStop = choiceOf(*settings, "GrapNumberStop", {0, 2}, missing.grapNumberStop);
    c.grapNumberCount = settings->value("GrapNumberCount", missing.grapNumberCount).toInt();
    c.grapTimeRadix = settings->value("GrapTimeRadix", missing.grapTimeRadix).toInt();
    c.grapTimeStop = choiceOf(*settings, "GrapTimeStop", {0, 2}, missing.grapTimeStop);
    c.grapTimeCount = settings->value("GrapTimeCount", missing.grapTimeCount).toInt();
    c.keepBitDepth = choiceOf(*settings, "KeepBitDepth", {0, 2}, missing.keepBitDepth);
    settings->endGroup();
    return true;
}

bool SettingsStore::loadRecordSettings(RecordSettings& r)
{
    const RecordSettings missing = defaultRecordSettings();
    settings->beginGroup(kRecord);
    r.savePath = textOf(settings->value("SvaePath", missing.savePath));
    r.autoSaveState = choiceOf(*settings, "AutoSaveState", {0, 2}, missing.autoSaveState);
    r.videoType = choiceOf(*settings, "VideoType", {0, 1, 2}, missing.videoType);
    r.videoQuality = choiceOf(*settings, "VideoQuality", {0, 1, 2}, missing.videoQuality);
    r.playSpeed = choiceOf(*settings, "PlaySpeed", {0, 1}, missing.playSpeed);
    r.autoFrameRate = settings->value("AutoFrameRate", missing.autoFrameRate).toInt();
    r.nameRulePrefix = textOf(settings->value("NameRulePrefix", missing.nameRulePrefix));
    r.nameRuleFormat = choiceOf(*settings, "NameRuleFormat", {0, 1}, missing.nameRuleFormat);
    r.nameRuleIndex = settings->value("NameRuleIndex", missing.nameRuleIndex).toInt();
    // Files written before these options existed record as they did: no list, no limit.
    r.frameInfoState = choiceOf(*settings, "FrameInfoState", {0, 2}, missing.frameInfoState);
    r.frameStop = choiceOf(*settings, "FrameStop", {0, 2}, missing.frameStop);
    r.frameStopCount = countOf(settings->value("FrameStopCount"), missing.frameStopCount);
    r.timeStop = choiceOf(*settings, "TimeStop", {0, 2}, missing.timeStop);
    r.timeStopSeconds = countOf(settings->value("TimeStopSeconds"), missing.timeStopSeconds);
    r.preTriggerSeconds = choiceOf(*settings, "PreTriggerSeconds", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10},
                                   missing.preTriggerSeconds);
    settings->endGroup();
    return true;
}

bool SettingsStore::loadHotkeySettings(HotkeySettings& h)
{
    const HotkeySettings missing = defaultHotkeySettings();
    settings->beginGroup(kHotkey);
    h.windowSize = textOf(settings->value("WindowSize", missing.windowSize));
    h.originalSize = textOf(settings->value("OriginalSize", missing.originalSize));
    h.enlarge = textOf(settings->value("Enlarge", missing.enlarge));
    h.narrow = textOf(settings->value("Narrow", missing.narrow));
    h.recording = textOf(settings->value("Recording", missing.recording));
    h.photogrape = textOf(settings->value("Photogrape", missing.photogrape));
    h.onoff = textOf(settings->value("Onoff", missing.onoff));
    h.displaySwitch = textOf(settings->value("DisplaySwitch", missing.displaySwitch));
    settings->endGroup();
    return true;
}

void SettingsStore::resetCaptureSettings()
{
    const CaptureSettings c = defaultCaptureSettings();
    saveCaptureSettings(c);
    settings->setValue(kCapture + "/NameRuleIndex", c.nameRuleIndex);
    captureMirror = c;
}

void SettingsStore::resetRecordSettings()
{
    const RecordSettings r = defaultRecordSettings();
    saveRecordSettings(r);
    settings->setValue(kRecord + "/NameRuleIndex", r.nameRuleIndex);
    recordMirror = r;
}

void SettingsStore::resetHotkeySettings()
{
    saveHotkeySettings(defaultHotkeySettings());
}

void SettingsStore::writeVersion()
{
    setValue(QStringLiteral("EDITION"), QStringLiteral("Version"), version);
}

void SettingsStore::resetWidgetCount()
{
    setValue(QStringLiteral("WIDGETINFO"), QStringLiteral("WidgetCount"), QStringLiteral("1"));
}

int SettingsStore::widgetCount() const
{
    bool isNumber = false;
    const int count =
        value(QStringLiteral("WIDGETINFO"), QStringLiteral("WidgetCount")).toInt(&isNumber);
    return isNumber && count >= 1 && count <= 4 ? count : 1;
}

QList<SceneFrameLayout> SettingsStore::loadCustomLayouts() const
{
    QList<SceneFrameLayout> layouts;
    const QString names = textOf(value(kCustom, QStringLiteral("names")));
    if (names.isEmpty())
        return layouts;
    for (const QString& name : names.split(QLatin1Char(','))) {
        if (name.isEmpty())
            continue;
        SceneFrameLayout layout;
        layout.name = name;
        layout.rows = value(kCustom, QStringLiteral("row_%1").arg(name)).toInt();
        layout.columns = value(kCustom, QStringLiteral("column_%1").arg(name)).toInt();
        const QString list = textOf(value(kCustom, QStringLiteral("frameLayoutList_%1").arg(name)));
        if (!list.isEmpty())
            layout.rectangles = list.split(QLatin1Char('|'));
        layouts.append(layout);
    }
    return layouts;
}

void SettingsStore::saveCustomLayouts(const QList<SceneFrameLayout>& layouts)
{
    if (!settings)
        return;
    const QString previous = textOf(value(kCustom, QStringLiteral("names")));
    settings->beginGroup(kCustom);
    if (!previous.isEmpty()) {
        for (const QString& name : previous.split(QLatin1Char(','))) {
            settings->remove(QStringLiteral("row_%1").arg(name));
            settings->remove(QStringLiteral("column_%1").arg(name));
            settings->remove(QStringLiteral("frameLayoutList_%1").arg(name));
        }
    }
    QStringList names;
    for (const SceneFrameLayout& layout : layouts) {
        settings->setValue(QStringLiteral("row_%1").arg(layout.name), layout.rows);
        settings->setValue(QStringLiteral("column_%1").arg(layout.name), layout.columns);
        settings->setValue(QStringLiteral("frameLayoutList_%1").arg(layout.name),
                           layout.rectangles.join(QLatin1Char('|')));
        names.append(layout.name);
    }
    settings->setValue(QStringLiteral("names"), names.join(QLatin1Char(',')));
    settings->endGroup();

    const QString used = textOf(value(kCustom, QStringLiteral("UsedCustomWidget")));
    if (!names.contains(used))
        setValue(kCustom, QStringLiteral("UsedCustomWidget"), QString());
}

// Asked during static initialisation, before any QApplication exists, so the
// application-data location carries no program sub-folder and all three programs of the
// suite meet in the same Config.ini.
static const QString g_settingsFilePath = SettingsStore::defaultFilePath();

SettingsStore* settingsStore()
{
    // Opened on first use, not before main(): a program asked only for its help or
    // version never creates or rewrites the file. The viewer's main() opens it before
    // its application object exists.
    static SettingsStore store(g_settingsFilePath);
    return &store;
}
