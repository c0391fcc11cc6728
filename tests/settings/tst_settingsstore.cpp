#include <QFile>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include "SettingsStore.h"

// Values a reset writes, by full key; every key the store owns is listed.
static QList<QPair<QString, QVariant>> resetKeys()
{
    const QString pictures = SettingsStore::defaultPictureFolder();
    const QString videos = SettingsStore::defaultVideoFolder();
    return {
        {"EDITION/Version", "v1.3.0"},         {"WIDGETINFO/WidgetCount", "1"},
        {"CAPTURE/SvaePath", pictures},        {"CAPTURE/AutoSaveState", "0"},
        {"CAPTURE/PictureType", "0"},          {"CAPTURE/NameRulePrefix", "Image_"},
        {"CAPTURE/NameRuleFormat", "0"},       {"CAPTURE/NameRuleIndex", "1"},
        {"CAPTURE/CaptureMode", "0"},          {"CAPTURE/GrapNumberRadix", "1"},
        {"CAPTURE/GrapNumberStop", "0"},       {"CAPTURE/GrapNumberCount", "1"},
        {"CAPTURE/GrapTimeRadix", "1"},        {"CAPTURE/GrapTimeStop", "0"},
        {"CAPTURE/GrapTimeCount", "1"},        {"CAPTURE/KeepBitDepth", "0"},
        {"RECORDINFO/SvaePath", videos},
        {"RECORDINFO/AutoSaveState", "0"},     {"RECORDINFO/VideoType", "0"},
        {"RECORDINFO/VideoQuality", "0"},      {"RECORDINFO/PlaySpeed", "1"},
        {"RECORDINFO/AutoFrameRate", "0"},     {"RECORDINFO/NameRulePrefix", "Video_"},
        {"RECORDINFO/NameRuleFormat", "0"},    {"RECORDINFO/NameRuleIndex", "1"},
        {"RECORDINFO/FrameInfoState", "0"},    {"RECORDINFO/FrameStop", "0"},
        {"RECORDINFO/FrameStopCount", "100"},  {"RECORDINFO/TimeStop", "0"},
        {"RECORDINFO/TimeStopSeconds", "10"}, {"RECORDINFO/PreTriggerSeconds", "0"},
        {"HOTKEYINFO/WindowSize", "Ctrl+P"},   {"HOTKEYINFO/OriginalSize", "Ctrl+W"},
        {"HOTKEYINFO/Enlarge", "Ctrl+E"},      {"HOTKEYINFO/Narrow", "Ctrl+R"},
        {"HOTKEYINFO/Recording", "Ctrl+T"},    {"HOTKEYINFO/Photogrape", "Ctrl+Y"},
        {"HOTKEYINFO/Onoff", "Ctrl+U"},        {"HOTKEYINFO/DisplaySwitch", "Ctrl+I"},
    };
}

// What the mirror records show, by full key, so tests can compare them with the file.
static QVariant mirrorValue(SettingsStore& store, const QString& fullKey)
{
    const CaptureSettings& c = store.captureSettings();
    const RecordSettings& r = store.recordSettings();
    const HotkeySettings& h = store.hotkeySettings();
    const QHash<QString, QVariant> values = {
        {"CAPTURE/SvaePath", c.savePath},          {"CAPTURE/AutoSaveState", c.autoSaveState},
        {"CAPTURE/PictureType", c.pictureType},    {"CAPTURE/NameRulePrefix", c.nameRulePrefix},
        {"CAPTURE/NameRuleFormat", c.nameRuleFormat}, {"CAPTURE/NameRuleIndex", c.nameRuleIndex},
        {"CAPTURE/CaptureMode", c.captureMode},    {"CAPTURE/GrapNumberRadix", c.grapNumberRadix},
        {"CAPTURE/GrapNumberStop", c.grapNumberStop}, {"CAPTURE/GrapNumberCount", c.grapNumberCount},
        {"CAPTURE/GrapTimeRadix", c.grapTimeRadix}, {"CAPTURE/GrapTimeStop", c.grapTimeStop},
        {"CAPTURE/GrapTimeCount", c.grapTimeCount}, {"CAPTURE/KeepBitDepth", c.keepBitDepth},
        {"RECORDINFO/SvaePath", r.savePath},
        {"RECORDINFO/AutoSaveState", r.autoSaveState}, {"RECORDINFO/VideoType", r.videoType},
        {"RECORDINFO/VideoQuality", r.videoQuality}, {"RECORDINFO/PlaySpeed", r.playSpeed},
        {"RECORDINFO/AutoFrameRate", r.autoFrameRate}, {"RECORDINFO/NameRulePrefix", r.nameRulePrefix},
        {"RECORDINFO/NameRuleFormat", r.nameRuleFormat}, {"RECORDINFO/NameRuleIndex", r.nameRuleIndex},
        {"RECORDINFO/FrameInfoState", r.frameInfoState}, {"RECORDINFO/FrameStop", r.frameStop},
        {"RECORDINFO/FrameStopCount", r.frameStopCount}, {"RECORDINFO/TimeStop", r.timeStop},
        {"RECORDINFO/TimeStopSeconds", r.timeStopSeconds},
        {"RECORDINFO/PreTriggerSeconds", r.preTriggerSeconds},
        {"HOTKEYINFO/WindowSize", h.windowSize},   {"HOTKEYINFO/OriginalSize", h.originalSize},
        {"HOTKEYINFO/Enlarge", h.enlarge},         {"HOTKEYINFO/Narrow", h.narrow},
        {"HOTKEYINFO/Recording", h.recording},     {"HOTKEYINFO/Photogrape", h.photogrape},
        {"HOTKEYINFO/Onoff", h.onoff},             {"HOTKEYINFO/DisplaySwitch", h.displaySwitch},
    };
    return values.value(fullKey);
}

class SettingsStoreTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir dir;
    QString path() const { return dir.filePath("Config.ini"); }
    void writeFile(const QList<QPair<QString, QVariant>>& keys)
    {
        QSettings file(path(), QSettings::IniFormat);
        for (const auto& kv : keys)
            file.setValue(kv.first, kv.second);
    }
    // A file as a current build leaves it, with some keys changed.
    void writeCurrentFile(const QList<QPair<QString, QVariant>>& changes)
    {
        { SettingsStore store(path()); }
        writeFile(changes);
    }
    QVariant fileValue(const QString& key) const
    {
        QSettings file(path(), QSettings::IniFormat);
        return file.value(key);
    }

private slots:
    void init()
    {
        QFile::remove(path());
    }

    void firstStartWritesEveryResetKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("expected");
        for (const auto& kv : resetKeys())
            QTest::newRow(qPrintable(kv.first)) << kv.first << kv.second;
    }
    void firstStartWritesEveryResetKey()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, expected);
        SettingsStore store(path());
        store.sync();
        QVERIFY(QFile::exists(path()));
        QCOMPARE(fileValue(key).toString(), expected.toString());
        const QVariant mirror = mirrorValue(store, key);
        if (mirror.isValid())
            QCOMPARE(mirror.toString(), expected.toString());
    }

    void versionDecidesWhetherToReset_data()
    {
        QTest::addColumn<QVariant>("version");
        QTest::addColumn<bool>("reset");
        QTest::newRow("older version") << QVariant("v1.2.0") << true;
        QTest::newRow("version in other case") << QVariant("V1.3.0") << true;
        QTest::newRow("no version key") << QVariant() << true;
        QTest::newRow("current version") << QVariant("v1.3.0") << false;
    }
    void versionDecidesWhetherToReset()
    {
        QFETCH(QVariant, version);
        QFETCH(bool, reset);
        writeFile({{"CAPTURE/PictureType", 2},
                   {"CAPTURE/NameRuleIndex", 42},
                   {"HOTKEYINFO/Onoff", "Ctrl+Q"},
                   {"WIDGETINFO/WidgetCount", 3},
                   {"EDITION/Language", 1},
                   {"CUSTOMWIDGET/names", "A"},
                   {"CUSTOMWIDGET/row_A", 3},
                   {"CUSTOMWIDGET/UsedCustomWidget", "A"},
                   {"OTHER/Key", "kept"}});
        if (version.isValid())
            writeFile({{"EDITION/Version", version}});

        SettingsStore store(path());
        store.sync();
        QCOMPARE(store.captureSettings().pictureType, reset ? 0 : 2);
        QCOMPARE(store.captureSettings().nameRuleIndex, reset ? 1 : 42);
        QCOMPARE(store.hotkeySettings().onoff, QString(reset ? "Ctrl+U" : "Ctrl+Q"));
        QCOMPARE(fileValue("WIDGETINFO/WidgetCount").toInt(), reset ? 1 : 3);
        QCOMPARE(fileValue("EDITION/Version").toString(), QString("v1.3.0"));
        // Keys the reset does not own survive it.
        QCOMPARE(fileValue("EDITION/Language").toInt(), 1);
        QCOMPARE(fileValue("CUSTOMWIDGET/names").toString(), QString("A"));
        QCOMPARE(fileValue("CUSTOMWIDGET/row_A").toInt(), 3);
        QCOMPARE(fileValue("CUSTOMWIDGET/UsedCustomWidget").toString(), QString("A"));
        QCOMPARE(fileValue("OTHER/Key").toString(), QString("kept"));
    }

    void removedKeyLoadsItsMissingValue_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("missing");
        // Every key of the three groups: a key removed by hand loads what a reset writes.
        const QStringList named = {"CAPTURE/NameRuleIndex", "RECORDINFO/NameRuleIndex",
                                   "RECORDINFO/PlaySpeed"};
        for (const auto& kv : resetKeys()) {
            const bool mirrored = kv.first.startsWith("CAPTURE/") ||
                                  kv.first.startsWith("RECORDINFO/") ||
                                  kv.first.startsWith("HOTKEYINFO/");
            if (mirrored && !named.contains(kv.first))
                QTest::newRow(qPrintable(kv.first)) << kv.first << kv.second;
        }
        QTest::newRow("capture index starts at 1") << "CAPTURE/NameRuleIndex" << QVariant(1);
        QTest::newRow("recording index starts at 1") << "RECORDINFO/NameRuleIndex" << QVariant(1);
        QTest::newRow("play speed keeps the camera's rate")
            << "RECORDINFO/PlaySpeed" << QVariant(1);
    }
    void removedKeyLoadsItsMissingValue()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, missing);
        writeCurrentFile({});
        {
            QSettings file(path(), QSettings::IniFormat);
            file.remove(key);
        }
        SettingsStore store(path());
        QCOMPARE(mirrorValue(store, key).toString(), missing.toString());
        QVERIFY(!store.value(key.section('/', 0, 0), key.section('/', 1)).isValid());
    }

    void widgetCountIsAlwaysAGrid_data()
    {
        QTest::addColumn<QVariant>("stored");  // invalid: the key is missing
        QTest::addColumn<int>("count");
        QTest::newRow("one window") << QVariant("1") << 1;
        QTest::newRow("four windows") << QVariant("2") << 2;
        QTest::newRow("nine windows") << QVariant("3") << 3;
        QTest::newRow("custom layout") << QVariant("4") << 4;
        QTest::newRow("zero") << QVariant("0") << 1;
        QTest::newRow("five") << QVariant("5") << 1;
        QTest::newRow("negative") << QVariant("-1") << 1;
        QTest::newRow("text") << QVariant("many") << 1;
        QTest::newRow("a fraction") << QVariant("2.5") << 1;
        QTest::newRow("missing") << QVariant() << 1;
    }
    void widgetCountIsAlwaysAGrid()
    {
        QFETCH(QVariant, stored);
        QFETCH(int, count);
        writeCurrentFile({});
        {
            QSettings file(path(), QSettings::IniFormat);
            if (stored.isValid())
                file.setValue("WIDGETINFO/WidgetCount", stored);
            else
                file.remove("WIDGETINFO/WidgetCount");
        }
        SettingsStore store(path());
        QCOMPARE(store.widgetCount(), count);
    }

    void badValuesReadAsZero_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::newRow("text in an integer key") << "CAPTURE/PictureType" << QVariant("png");
        QTest::newRow("empty integer") << "RECORDINFO/VideoType" << QVariant("");
        QTest::newRow("number with garbage") << "CAPTURE/GrapTimeRadix" << QVariant("12ms");
    }
    void badValuesReadAsZero()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        writeCurrentFile({{key, stored}});
        SettingsStore store(path());
        QCOMPARE(mirrorValue(store, key).toInt(), 0);
    }

    // Settings with fixed choices never hand the dialog, capture or recording a choice they
    // have no meaning for: anything else reads as the key's missing value.
    void choicesOutsideTheKeyReadAsMissing_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<int>("expected");
        QTest::newRow("auto save half ticked") << "CAPTURE/AutoSaveState" << QVariant("1") << 0;
        QTest::newRow("recording auto save") << "RECORDINFO/AutoSaveState" << QVariant("5") << 0;
        QTest::newRow("auto save kept") << "RECORDINFO/AutoSaveState" << QVariant("2") << 2;
        QTest::newRow("picture type") << "CAPTURE/PictureType" << QVariant("4") << 0;
        QTest::newRow("TIFF kept") << "CAPTURE/PictureType" << QVariant("3") << 3;
        QTest::newRow("bit depth half ticked") << "CAPTURE/KeepBitDepth" << QVariant("1") << 0;
        QTest::newRow("bit depth kept") << "CAPTURE/KeepBitDepth" << QVariant("2") << 2;
        QTest::newRow("picture type kept") << "CAPTURE/PictureType" << QVariant("2") << 2;
        QTest::newRow("name rule") << "CAPTURE/NameRuleFormat" << QVariant("-1") << 0;
        QTest::newRow("capture mode") << "CAPTURE/CaptureMode" << QVariant("2") << 0;
        QTest::newRow("count limit") << "CAPTURE/GrapNumberStop" << QVariant("1") << 0;
        QTest::newRow("time limit") << "CAPTURE/GrapTimeStop" << QVariant("7") << 0;
        QTest::newRow("video type") << "RECORDINFO/VideoType" << QVariant("3") << 0;
        QTest::newRow("image sequence kept") << "RECORDINFO/VideoType" << QVariant("2") << 2;
        QTest::newRow("frame information half ticked")
            << "RECORDINFO/FrameInfoState" << QVariant("1") << 0;
        QTest::newRow("frame limit kept") << "RECORDINFO/FrameStop" << QVariant("2") << 2;
        QTest::newRow("time limit of recording") << "RECORDINFO/TimeStop" << QVariant("3") << 0;
        QTest::newRow("frame count 0") << "RECORDINFO/FrameStopCount" << QVariant("0") << 100;
        QTest::newRow("frame count no number")
            << "RECORDINFO/FrameStopCount" << QVariant("many") << 100;
        QTest::newRow("frame count kept") << "RECORDINFO/FrameStopCount" << QVariant("250") << 250;
        QTest::newRow("pre-trigger too long")
            << "RECORDINFO/PreTriggerSeconds" << QVariant("11") << 0;
        QTest::newRow("pre-trigger kept") << "RECORDINFO/PreTriggerSeconds" << QVariant("10") << 10;
        QTest::newRow("seconds negative") << "RECORDINFO/TimeStopSeconds" << QVariant("-4") << 10;
        QTest::newRow("video quality") << "RECORDINFO/VideoQuality" << QVariant("3") << 0;
        QTest::newRow("play speed") << "RECORDINFO/PlaySpeed" << QVariant("2") << 1;
        QTest::newRow("custom play speed kept") << "RECORDINFO/PlaySpeed" << QVariant("0") << 0;
        QTest::newRow("recording name rule") << "RECORDINFO/NameRuleFormat" << QVariant("9") << 0;
    }
    void choicesOutsideTheKeyReadAsMissing()
    {
        QFETCH(QString, key);
        QFETCH(QVariant, stored);
        QFETCH(int, expected);
        writeCurrentFile({{key, stored}});
        SettingsStore store(path());
        QCOMPARE(mirrorValue(store, key).toInt(), expected);
    }

    void damagedFilesAreResetWithoutLosingTheProgram_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("binary garbage") << QByteArray("\x00\xff\x13[[[=\n\x01\x02", 10);
        QTest::newRow("truncated mid-line") << QByteArray("[EDITION]\nVersion=v1.3");
        QTest::newRow("section without keys") << QByteArray("[CAPTURE\n");
        QTest::newRow("empty file") << QByteArray();
    }
    void damagedFilesAreResetWithoutLosingTheProgram()
    {
        QFETCH(QByteArray, content);
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
        SettingsStore store(path());
        store.sync();
        QCOMPARE(store.captureSettings().nameRulePrefix, QString("Image_"));
        QCOMPARE(fileValue("EDITION/Version").toString(), QString("v1.3.0"));
        QCOMPARE(fileValue("HOTKEYINFO/Photogrape").toString(), QString("Ctrl+Y"));
    }

    void missingFolderIsCreated()
    {
        const QString nested = dir.filePath("a/b/Config.ini");
        {
            SettingsStore store(nested);
            store.setValue("EDITION", "Language", 1);
        }
        QSettings file(nested, QSettings::IniFormat);
        QCOMPARE(file.value("EDITION/Language").toInt(), 1);
        QCOMPARE(file.value("EDITION/Version").toString(), QString("v1.3.0"));
    }

    void unwritableFileStillGivesWorkingStore()
    {
        if (QFileInfo(QDir::rootPath()).isWritable())
            QSKIP("running with permissions that ignore file modes");
        writeCurrentFile({{"CAPTURE/PictureType", 2}});
        QFile::setPermissions(path(), QFileDevice::ReadOwner);
        SettingsStore store(path());
        store.setValue("CAPTURE", "NameRuleIndex", 5);
        QCOMPARE(store.captureSettings().pictureType, 2);
        QFile::setPermissions(path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void savesKeepTheRunningIndex()
    {
        SettingsStore store(path());
        store.setValue("CAPTURE", "NameRuleIndex", 7);
        store.setValue("RECORDINFO", "NameRuleIndex", 9);

        CaptureSettings capture = store.captureSettings();
        capture.nameRuleIndex = 100;
        capture.autoSaveState = 2;  // a checked check box is stored as 2
        capture.pictureType = 2;
        QVERIFY(store.saveCaptureSettings(capture));
        RecordSettings record = store.recordSettings();
        record.nameRuleIndex = 100;
        record.autoSaveState = 2;
        record.videoType = 1;
        QVERIFY(store.saveRecordSettings(record));
        store.sync();

        QCOMPARE(store.captureSettings().nameRuleIndex, 7);
        QCOMPARE(store.recordSettings().nameRuleIndex, 9);
        QCOMPARE(fileValue("CAPTURE/NameRuleIndex").toInt(), 7);
        QCOMPARE(fileValue("RECORDINFO/NameRuleIndex").toInt(), 9);
        QCOMPARE(fileValue("CAPTURE/AutoSaveState").toInt(), 2);
        QCOMPARE(fileValue("RECORDINFO/AutoSaveState").toInt(), 2);
        QCOMPARE(store.captureSettings().pictureType, 2);
        QCOMPARE(store.recordSettings().videoType, 1);

        // What was saved is what the next start loads.
        SettingsStore reopened(path());
        QCOMPARE(reopened.captureSettings().pictureType, 2);
        QCOMPARE(reopened.captureSettings().nameRuleIndex, 7);
        QCOMPARE(reopened.recordSettings().videoType, 1);
    }

    void singleKeyWritesReloadCaptureAndRecordingOnly()
    {
        SettingsStore store(path());
        store.setValue("CAPTURE", "NameRuleIndex", 7);
        QCOMPARE(store.captureSettings().nameRuleIndex, 7);
        store.setValue("RECORDINFO", "SvaePath", "/videos");
        QCOMPARE(store.recordSettings().savePath, QString("/videos"));
        // The hotkey record is only changed by its own save.
        store.setValue("HOTKEYINFO", "Onoff", "Ctrl+Q");
        QCOMPARE(store.hotkeySettings().onoff, QString("Ctrl+U"));
        QCOMPARE(store.value("HOTKEYINFO", "Onoff").toString(), QString("Ctrl+Q"));
    }

    void hotkeysRoundTrip()
    {
        HotkeySettings keys = SettingsStore::defaultHotkeySettings();
        keys.photogrape = "Ctrl+Shift+S";
        keys.displaySwitch = "F11";
        {
            SettingsStore store(path());
            QVERIFY(store.saveHotkeySettings(keys));
            QCOMPARE(store.hotkeySettings().photogrape, keys.photogrape);
        }
        SettingsStore reopened(path());
        QCOMPARE(reopened.hotkeySettings().photogrape, QString("Ctrl+Shift+S"));
        QCOMPARE(reopened.hotkeySettings().displaySwitch, QString("F11"));
    }

    void resetsRestoreDefaultsIncludingIndex()
    {
        SettingsStore store(path());
        store.setValue("CAPTURE", "NameRuleIndex", 50);
        store.setValue("CAPTURE", "PictureType", 1);
        store.resetCaptureSettings();
        QCOMPARE(store.captureSettings().nameRuleIndex, 1);
        QCOMPARE(store.captureSettings().pictureType, 0);
        store.sync();
        QCOMPARE(fileValue("CAPTURE/NameRuleIndex").toInt(), 1);
    }

    void customLayoutsRoundTrip()
    {
        SettingsStore store(path());
        SceneFrameLayout a{"A", 3, 3, {"0,0,2,2", "0,2,1,1", "1,2,1,1", "2,0,1,1", "2,1,1,1", "2,2,1,1"}};
        SceneFrameLayout b{"B", 2, 2, {"0,0,1,1", "0,1,1,1", "1,0,1,2"}};
        store.saveCustomLayouts({a, b});
        store.sync();
        QCOMPARE(fileValue("CUSTOMWIDGET/names").toString(), QString("A,B"));
        QCOMPARE(fileValue("CUSTOMWIDGET/frameLayoutList_A").toString(),
                 QString("0,0,2,2|0,2,1,1|1,2,1,1|2,0,1,1|2,1,1,1|2,2,1,1"));
        QCOMPARE(fileValue("CUSTOMWIDGET/row_A").toInt(), 3);

        const QList<SceneFrameLayout> loaded = SettingsStore(path()).loadCustomLayouts();
        QCOMPARE(loaded.size(), 2);
        QCOMPARE(loaded[0].name, QString("A"));
        QCOMPARE(loaded[0].rows, 3);
        QCOMPARE(loaded[0].columns, 3);
        QCOMPARE(loaded[0].rectangles, a.rectangles);
        QCOMPARE(loaded[1].rectangles, b.rectangles);
    }

    void savingLayoutsDropsRemovedOnesAndTheirUse_data()
    {
        QTest::addColumn<QString>("used");
        QTest::addColumn<QString>("usedAfter");
        QTest::newRow("layout in use deleted") << "A" << "";
        QTest::newRow("layout in use kept") << "B" << "B";
    }
    void savingLayoutsDropsRemovedOnesAndTheirUse()
    {
        QFETCH(QString, used);
        QFETCH(QString, usedAfter);
        SettingsStore store(path());
        store.saveCustomLayouts({{"A", 2, 2, {"0,0,1,1"}}, {"B", 2, 2, {"0,0,2,2"}}});
        store.setValue("CUSTOMWIDGET", "UsedCustomWidget", used);
        store.saveCustomLayouts({{"B", 2, 2, {"0,0,2,2"}}});
        store.sync();
        QVERIFY(!store.value("CUSTOMWIDGET", "row_A").isValid());
        QVERIFY(!store.value("CUSTOMWIDGET", "frameLayoutList_A").isValid());
        QCOMPARE(fileValue("CUSTOMWIDGET/names").toString(), QString("B"));
        QCOMPARE(fileValue("CUSTOMWIDGET/UsedCustomWidget").toString(), usedAfter);
    }

    void layoutNamesWrittenByHandLoad()
    {
        // An unquoted "A,B" reads back as a list in INI files; it still names two layouts.
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[EDITION]\nVersion=v1.3.0\n[CUSTOMWIDGET]\nnames=A,B\nrow_A=2\ncolumn_A=2\n"
                   "frameLayoutList_A=0,0,1,1|0,1,1,1\n");
        file.close();
        const QList<SceneFrameLayout> loaded = SettingsStore(path()).loadCustomLayouts();
        QCOMPARE(loaded.size(), 2);
        QCOMPARE(loaded[0].rectangles, QStringList({"0,0,1,1", "0,1,1,1"}));
        QCOMPARE(loaded[1].name, QString("B"));
        QCOMPARE(loaded[1].rows, 0);
        QVERIFY(SettingsStore(dir.filePath("none.ini")).loadCustomLayouts().isEmpty());
    }

    void processStoreUsesTheSharedUserFile()
    {
        // Located before main(): no application name was known, so the file is directly in
        // the data folder that the tools also find.
        const QString expected = qEnvironmentVariable("XDG_DATA_HOME") + "/Config.ini";
        QCOMPARE(settingsStore()->filePath(), expected);
        settingsStore()->sync();
        QSettings file(expected, QSettings::IniFormat);
        QCOMPARE(file.value("EDITION/Version").toString(), QString("v1.3.0"));
        QCOMPARE(file.value("WIDGETINFO/WidgetCount").toString(), QString("1"));
    }
};

QTEST_GUILESS_MAIN(SettingsStoreTest)
#include "tst_settingsstore.moc"
