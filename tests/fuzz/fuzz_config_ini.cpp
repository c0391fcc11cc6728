// The viewer's settings file Config.ini as SettingsStore reads it at start. The input is
// the file. The store must come up with every mirrored value within its documented
// choices, the reset values when the file is not current, the "missing" values for keys
// the file lacks, custom layouts the window grid can build, and records that read back
// as they were after the store writes them.
#include <QFile>
#include <QSet>
#include <QSettings>
#include <QString>

#include "CustomLayoutLogic.h"
#include "FuzzSupport.h"
#include "SettingsStore.h"

// Layouts compare field for field (QList compares its elements with this).
static bool operator==(const SceneFrameLayout& a, const SceneFrameLayout& b)
{
    return a.name == b.name && a.rows == b.rows && a.columns == b.columns && a.rectangles == b.rectangles;
}

namespace {

struct Field {
    const char* key;
    QVariant (*mirror)(SettingsStore&);
    QVariant (*missing)();
    QList<int> choices;   // empty: any number or text
};

// Fields that take any number (or text) list no choices.
#define ANY_NUMBER
#define CAPTURE_FIELD(key, member, ...)                                                         \
    Field{"CAPTURE/" key, [](SettingsStore& s) { return QVariant(s.captureSettings().member); }, \
          [] { return QVariant(SettingsStore::defaultCaptureSettings().member); }, {__VA_ARGS__}}
#define RECORD_FIELD(key, member, ...)                                                         \
    Field{"RECORDINFO/" key, [](SettingsStore& s) { return QVariant(s.recordSettings().member); }, \
          [] { return QVariant(SettingsStore::defaultRecordSettings().member); }, {__VA_ARGS__}}
#define HOTKEY_FIELD(key, member)                                                              \
    Field{"HOTKEYINFO/" key, [](SettingsStore& s) { return QVariant(s.hotkeySettings().member); }, \
          [] { return QVariant(SettingsStore::defaultHotkeySettings().member); }, {}}

const QList<Field>& fields()
{
    static const QList<Field> list = {
        CAPTURE_FIELD("SvaePath", savePath, ANY_NUMBER),
        CAPTURE_FIELD("AutoSaveState", autoSaveState, 0, 2),
        CAPTURE_FIELD("PictureType", pictureType, 0, 1, 2),
        CAPTURE_FIELD("NameRulePrefix", nameRulePrefix, ANY_NUMBER),
        CAPTURE_FIELD("NameRuleFormat", nameRuleFormat, 0, 1),
        CAPTURE_FIELD("NameRuleIndex", nameRuleIndex, ANY_NUMBER),
        CAPTURE_FIELD("CaptureMode", captureMode, 0, 1),
        CAPTURE_FIELD("GrapNumberRadix", grapNumberRadix, ANY_NUMBER),
        CAPTURE_FIELD("GrapNumberStop", grapNumberStop, 0, 2),
        CAPTURE_FIELD("GrapNumberCount", grapNumberCount, ANY_NUMBER),
        CAPTURE_FIELD("GrapTimeRadix", grapTimeRadix, ANY_NUMBER),
        CAPTURE_FIELD("GrapTimeStop", grapTimeStop, 0, 2),
        CAPTURE_FIELD("GrapTimeCount", grapTimeCount, ANY_NUMBER),
        RECORD_FIELD("SvaePath", savePath, ANY_NUMBER),
        RECORD_FIELD("AutoSaveState", autoSaveState, 0, 2),
        RECORD_FIELD("VideoType", videoType, 0, 1, 2),
        RECORD_FIELD("VideoQuality", videoQuality, 0, 1, 2),
        RECORD_FIELD("PlaySpeed", playSpeed, 0, 1),
        RECORD_FIELD("AutoFrameRate", autoFrameRate, ANY_NUMBER),
        RECORD_FIELD("NameRulePrefix", nameRulePrefix, ANY_NUMBER),
        RECORD_FIELD("NameRuleFormat", nameRuleFormat, 0, 1),
        RECORD_FIELD("NameRuleIndex", nameRuleIndex, ANY_NUMBER),
        RECORD_FIELD("FrameInfoState", frameInfoState, 0, 2),
        RECORD_FIELD("FrameStop", frameStop, 0, 2),
        RECORD_FIELD("FrameStopCount", frameStopCount, ANY_NUMBER),
        RECORD_FIELD("TimeStop", timeStop, 0, 2),
        RECORD_FIELD("TimeStopSeconds", timeStopSeconds, ANY_NUMBER),
        RECORD_FIELD("PreTriggerSeconds", preTriggerSeconds, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10),
        HOTKEY_FIELD("WindowSize", windowSize),
        HOTKEY_FIELD("OriginalSize", originalSize),
        HOTKEY_FIELD("Enlarge", enlarge),
        HOTKEY_FIELD("Narrow", narrow),
        HOTKEY_FIELD("Recording", recording),
        HOTKEY_FIELD("Photogrape", photogrape),
        HOTKEY_FIELD("Onoff", onoff),
        HOTKEY_FIELD("DisplaySwitch", displaySwitch),
    };
    return list;
}

// What the window grid builds from a stored layout: cells inside a grid of at most 3 x 3,
// covered by one window each.
void requireBuildable(const SceneFrameLayout& stored)
{
    using namespace customlayout;
    const SceneFrameLayout layout = sanitizedLayout(stored);
    FUZZ_REQUIRE(layout.rows >= 0 && layout.rows <= kMaxGridSize);
    FUZZ_REQUIRE(layout.columns >= 0 && layout.columns <= kMaxGridSize);
    FUZZ_REQUIRE(layout.rectangles.isEmpty() == (layout.rows == 0));
    CellSet covered;
    for (const QString& text : layout.rectangles) {
        GridRect rect;
        FUZZ_REQUIRE(parseRectangle(text, rect));
        const CellSet cells = cellsOf(rect);
        FUZZ_REQUIRE(!cells.empty());
        for (const GridCell& cell : cells) {
            FUZZ_REQUIRE(cell.row >= 0 && cell.row < layout.rows);
            FUZZ_REQUIRE(cell.column >= 0 && cell.column < layout.columns);
            FUZZ_REQUIRE(covered.insert(cell).second);
        }
    }
}

template <typename Record>
bool sameRecord(const Record& a, const Record& b);

template <>
bool sameRecord(const CaptureSettings& a, const CaptureSettings& b)
{
    return a.savePath == b.savePath && a.autoSaveState == b.autoSaveState &&
           a.pictureType == b.pictureType && a.nameRulePrefix == b.nameRulePrefix &&
           a.nameRuleFormat == b.nameRuleFormat && a.nameRuleIndex == b.nameRuleIndex &&
           a.captureMode == b.captureMode && a.grapNumberRadix == b.grapNumberRadix &&
           a.grapNumberStop == b.grapNumberStop && a.grapNumberCount == b.grapNumberCount &&
           a.grapTimeRadix == b.grapTimeRadix && a.grapTimeStop == b.grapTimeStop &&
           a.grapTimeCount == b.grapTimeCount;
}

template <>
bool sameRecord(const RecordSettings& a, const RecordSettings& b)
{
    return a.savePath == b.savePath && a.autoSaveState == b.autoSaveState &&
           a.videoType == b.videoType && a.videoQuality == b.videoQuality &&
           a.playSpeed == b.playSpeed && a.autoFrameRate == b.autoFrameRate &&
           a.nameRulePrefix == b.nameRulePrefix && a.nameRuleFormat == b.nameRuleFormat &&
           a.nameRuleIndex == b.nameRuleIndex && a.frameInfoState == b.frameInfoState &&
           a.frameStop == b.frameStop && a.frameStopCount == b.frameStopCount &&
           a.timeStop == b.timeStop && a.timeStopSeconds == b.timeStopSeconds &&
           a.preTriggerSeconds == b.preTriggerSeconds;
}

template <>
bool sameRecord(const HotkeySettings& a, const HotkeySettings& b)
{
    return a.windowSize == b.windowSize && a.originalSize == b.originalSize &&
           a.enlarge == b.enlarge && a.narrow == b.narrow && a.recording == b.recording &&
           a.photogrape == b.photogrape && a.onoff == b.onoff && a.displaySwitch == b.displaySwitch;
}

}  // namespace

// Files as the viewer leaves them: fresh, with changed preferences and custom layouts,
// and one of an earlier settings version.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    if (!fuzzsupport::seedsRequested())
        return 0;
    const QString folder = QString::fromStdString(fuzzsupport::scratchFolder());
    const auto seed = [&](const char* name) {
        QFile file(folder + QLatin1Char('/') + QLatin1String(name));
        FUZZ_REQUIRE(file.open(QIODevice::ReadOnly));
        fuzzsupport::writeSeed(name, file.readAll().toStdString());
    };
    { SettingsStore store(folder + QStringLiteral("/fresh.ini")); }
    seed("fresh.ini");
    {
        SettingsStore store(folder + QStringLiteral("/changed.ini"));
        CaptureSettings c = store.captureSettings();
        c.autoSaveState = 2;
        c.pictureType = 2;
        c.nameRuleFormat = 1;
        c.nameRulePrefix = QStringLiteral("Line, 2");
        c.captureMode = 1;
        c.grapTimeRadix = 1500;
        c.grapTimeStop = 2;
        c.grapTimeCount = 60000;
        store.saveCaptureSettings(c);
        RecordSettings r = store.recordSettings();
        r.videoType = 1;
        r.videoQuality = 2;
        r.playSpeed = 0;
        r.autoFrameRate = 25;
        r.savePath = QStringLiteral("/home/user/\u89c6\u9891");
        store.saveRecordSettings(r);
        HotkeySettings h = store.hotkeySettings();
        h.recording = QStringLiteral("Ctrl+Shift+R");
        store.saveHotkeySettings(h);
        store.setValue(QStringLiteral("CAPTURE"), QStringLiteral("NameRuleIndex"), 42);
        store.setValue(QStringLiteral("EDITION"), QStringLiteral("Language"), 1);
        store.setValue(QStringLiteral("WIDGETINFO"), QStringLiteral("WidgetCount"), QStringLiteral("4"));
        store.saveCustomLayouts({{QStringLiteral("Two"), 1, 2, {QStringLiteral("0,0,1,1"), QStringLiteral("0,1,1,1")}},
                                 {QStringLiteral("Big"), 3, 3,
                                  {QStringLiteral("0,0,2,2"), QStringLiteral("0,2,1,1"), QStringLiteral("1,2,1,1"),
                                   QStringLiteral("2,0,1,3")}}});
        store.setValue(QStringLiteral("CUSTOMWIDGET"), QStringLiteral("UsedCustomWidget"), QStringLiteral("Big"));
    }
    seed("changed.ini");
    {
        SettingsStore store(folder + QStringLiteral("/older.ini"));
        store.setValue(QStringLiteral("EDITION"), QStringLiteral("Version"), QStringLiteral("v1.2.0"));
        store.setValue(QStringLiteral("RECORDINFO"), QStringLiteral("VideoType"), 1);
    }
    seed("older.ini");
    fuzzsupport::seedsWritten();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // QSettings keeps parsed files by name and trusts size and time stamp to notice a
    // change, which two inputs written within a millisecond can share: a new name each time.
    static int run = 0;
    const QString path =
        QString::fromStdString(fuzzsupport::scratchFolder()) + QStringLiteral("/Config-%1.ini").arg(++run);
    FUZZ_REQUIRE(fuzzsupport::writeFile(path.toStdString(), data, size));

    bool current = false;
    QSet<QString> present;
    {
        const QSettings file(path, QSettings::IniFormat);
        current = file.value(QStringLiteral("EDITION/Version")).toString() == QLatin1String("v1.3.0");
        for (const Field& field : fields())
            if (file.contains(QLatin1String(field.key)))
                present.insert(QLatin1String(field.key));
    }
    {
        SettingsStore store(path);
        for (const Field& field : fields()) {
            const QVariant value = field.mirror(store);
            // A file that is not current was reset, so every field holds its reset value.
            if (!current || !present.contains(QLatin1String(field.key)))
                FUZZ_REQUIRE(value == field.missing());
            if (!field.choices.isEmpty())
                FUZZ_REQUIRE(field.choices.contains(value.toInt()));
        }
        FUZZ_REQUIRE(store.widgetCount() >= 1 && store.widgetCount() <= 4);

        const QList<SceneFrameLayout> layouts = store.loadCustomLayouts();
        for (const SceneFrameLayout& layout : layouts)
            requireBuildable(layout);
        // The layout editor saves every layout it was given: none may change on the way.
        store.saveCustomLayouts(layouts);
        FUZZ_REQUIRE(store.loadCustomLayouts() == layouts);

        // Records the dialog saves unchanged read back unchanged.
        const CaptureSettings capture = store.captureSettings();
        const RecordSettings record = store.recordSettings();
        const HotkeySettings hotkeys = store.hotkeySettings();
        store.saveCaptureSettings(capture);
        store.saveRecordSettings(record);
        store.saveHotkeySettings(hotkeys);
        CaptureSettings captureBack;
        RecordSettings recordBack;
        HotkeySettings hotkeysBack;
        store.loadCaptureSettings(captureBack);
        store.loadRecordSettings(recordBack);
        store.loadHotkeySettings(hotkeysBack);
        FUZZ_REQUIRE(sameRecord(captureBack, capture));
        FUZZ_REQUIRE(sameRecord(recordBack, record));
        FUZZ_REQUIRE(sameRecord(hotkeysBack, hotkeys));
    }
    QFile::remove(path);
    return 0;
}
