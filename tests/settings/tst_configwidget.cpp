// The settings dialog: its pages and names, the millisecond/unit conversion, what OK
// writes (every changed page) and reset does not, single-combination hotkey fields, the
// conflict rule, language changes, the main window's three entries, and saved hotkeys
// acting in an open camera window.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

#include "CameraThread.h"
#include "CameraWindowLogic.h"
#include "CaptureCameras.h"
#include "ConfigLogic.h"
#include "ConfigWidget.h"
#include "CustomKeySequenceEdit.h"
#include "ModalDialogWatcher.h"
#include "SettingsStore.h"
#include "SuiteEnvironment.h"
#include "VexoCam.h"

namespace {

const char* const kHotkeyFields[] = {"keySequenceEdit_WindowSize", "keySequenceEdit_OriginalSize",
                                     "keySequenceEdit_Enlarge",    "keySequenceEdit_Narrow",
                                     "keySequenceEdit_Recording",  "keySequenceEdit_Photogrape",
                                     "keySequenceEdit_Onoff",      "keySequenceEdit_DisplaySwitch"};

template <typename T>
T* child(QWidget& w, const char* name)
{
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        qFatal("no %s", name);
    return found;
}

QByteArray settingsFile()
{
    settingsStore()->sync();
    QFile file(settingsStore()->filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Types a combination into a field as a user does: press, then release.
void type(QWidget* field, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::ControlModifier)
{
    QTest::keyPress(field, key, modifiers);
    QTest::keyRelease(field, key, modifiers);
}

QList<ConfigWidget*> openDialogs()
{
    QList<ConfigWidget*> found;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* c = qobject_cast<ConfigWidget*>(w))
            found << c;
    return found;
}

}  // namespace

class ConfigWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void millisecondsAsValueAndUnit_data();
    void millisecondsAsValueAndUnit();
    void conflictRule_data();
    void conflictRule();

    void formAsSpecified();
    void opensOnTheGivenPage_data();
    void opensOnTheGivenPage();
    void firstStartShowsZeroSecondsAndSavesZero();
    void capturePageRoundTrip();
    void resetsTouchNoSetting_data();
    void resetsTouchNoSetting();
    void recordPageSavesAndUnparsableRateIsZero();
    void recordPageMeasurementOptions();
    void preTriggerBeyondItsMemoryIsRefused();
    void customRateKeepsToWhatARecordingUses_data();
    void customRateKeepsToWhatARecordingUses();
    void radioButtonsSwitchPagesAndRateField();
    void folderChooser();
    void savingChecksTheFolder_data();
    void savingChecksTheFolder();
    void fieldKeepsTheFirstCombination();
    void conflictDisablesSaveUntilResolved();
    void resetKeepsTheConflictMessageUntilTheNextRelease();
    void savedHotkeysActInAnOpenCameraWindow();
    void hotkeysStayPortableWithQtsChineseTexts();
    void okKeepsTheEditsOfEveryPage_data();
    void okKeepsTheEditsOfEveryPage();
    void okLeavesPagesNobodyChanged();
    void okElsewhereRefusesClashingHotkeys();
    void timeRowsNameTheirUnitOnce();
    void folderFieldsShowThePathFromItsStart_data();
    void folderFieldsShowThePathFromItsStart();
    void followsALanguageSwitch();
    void mainWindowEntriesOpenTheirPages();

private:
    QTemporaryDir folder;
    std::unique_ptr<ModalDialogWatcher> watcher;
};

void ConfigWidgetTest::initTestCase()
{
    QVERIFY(folder.isValid());
    QVERIFY(capturecameras::install(folder));
}

void ConfigWidgetTest::init()
{
    watcher = std::make_unique<ModalDialogWatcher>();
    settingsStore()->resetCaptureSettings();
    settingsStore()->resetRecordSettings();
    settingsStore()->resetHotkeySettings();
}

void ConfigWidgetTest::cleanup()
{
    for (ConfigWidget* dialog : openDialogs())
        delete dialog;
    watcher.reset();
}

void ConfigWidgetTest::millisecondsAsValueAndUnit_data()
{
    QTest::addColumn<int>("ms");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("unit");
    QTest::addColumn<int>("saved");
    QTest::newRow("1 ms after a reset") << 1 << 0 << 0 << 0;
    QTest::newRow("just below a minute") << 59999 << 59 << 0 << 59000;
    QTest::newRow("one minute") << 60000 << 1 << 1 << 60000;
    QTest::newRow("90 s shows 1 min") << 90000 << 1 << 1 << 60000;
    QTest::newRow("just below an hour") << 3599999 << 59 << 1 << 3540000;
    QTest::newRow("one hour") << 3600000 << 1 << 2 << 3600000;
    QTest::newRow("200 hours clamp to 99") << 720000000 << 99 << 2 << 356400000;
    QTest::newRow("negative read as unsigned") << -1 << 99 << 2 << 356400000;
}

void ConfigWidgetTest::millisecondsAsValueAndUnit()
{
    QFETCH(int, ms);
    QFETCH(int, value);
    QFETCH(int, unit);
    QFETCH(int, saved);
    const configlogic::TimeValue shown = configlogic::timeValueFromMs(ms);
    QCOMPARE(shown.value, value);
    QCOMPARE(shown.unit, unit);
    QCOMPARE(configlogic::msFromTimeValue(shown.value, shown.unit), saved);
}

void ConfigWidgetTest::conflictRule_data()
{
    QTest::addColumn<QStringList>("texts");
    QTest::addColumn<bool>("conflict");
    QTest::newRow("defaults") << configlogic::hotkeyResetTexts() << false;
    QTest::newRow("first and last equal") << QStringList{"Ctrl+A", "Ctrl+B", "Ctrl+A"} << true;
    QTest::newRow("case differs") << QStringList{"Ctrl+A", "ctrl+a"} << false;
    QTest::newRow("two empty fields") << QStringList{"", "Ctrl+B", ""} << true;
    QTest::newRow("one empty field") << QStringList{"", "Ctrl+B"} << false;
}

void ConfigWidgetTest::conflictRule()
{
    QFETCH(QStringList, texts);
    QFETCH(bool, conflict);
    QCOMPARE(configlogic::hasConflict(texts), conflict);
}

void ConfigWidgetTest::formAsSpecified()
{
    ConfigWidget w(0);
    QCOMPARE(w.windowTitle(), QStringLiteral("设置"));
    QVERIFY(w.testAttribute(Qt::WA_DeleteOnClose));
    QVERIFY(!w.testAttribute(Qt::WA_QuitOnClose));
    auto* list = child<QListWidget>(w, "listWidget_menu");
    QCOMPARE(list->count(), 3);
    QCOMPARE(list->item(0)->text(), QStringLiteral("抓图"));
    QCOMPARE(list->item(1)->text(), QStringLiteral("录像"));
    QCOMPARE(list->item(2)->text(), QStringLiteral("快捷键"));
    QCOMPARE(list->frameShape(), QFrame::NoFrame);
    QCOMPARE(child<QStackedWidget>(w, "stackedWidget")->count(), 3);
    QVERIFY(child<QLabel>(w, "label_error")->isHidden());
    QCOMPARE(child<QLabel>(w, "label_error")->text(), QStringLiteral("*与已有快捷键冲突"));
    // Only MP4 survives a crash: the recording page says so next to the format.
    QCOMPARE(child<QLabel>(w, "label_videoTypeHint")->text(),
             QStringLiteral("推荐 MP4 (默认): 程序崩溃或被强行结束时, 只有 MP4 录像能完整保留; "
                            "AVI 录像会缺少时长和索引。"));
    QCOMPARE(child<QComboBox>(w, "comboBox_videoType")->itemText(0), QStringLiteral("MP4"));
    QCOMPARE(child<QRadioButton>(w, "radioButton_captureCountMode")->text(),
             QStringLiteral("按数目抓取"));
    QCOMPARE(child<QSpinBox>(w, "spinBox_captureAsRadix")->maximum(), 10000);
    QCOMPARE(child<QSpinBox>(w, "spinBox_grapTimeCount")->maximum(), 99);
    auto* units = child<QComboBox>(w, "comboBox_grapTimeRadix");
    QCOMPARE(QStringList({units->itemText(0), units->itemText(1), units->itemText(2)}),
             (QStringList{"秒", "分", "时"}));
    auto* quality = child<QComboBox>(w, "comboBox_videoQuality");
    QCOMPARE(QStringList({quality->itemText(0), quality->itemText(1), quality->itemText(2)}),
             (QStringList{"普通", "较好", "最佳"}));
    QCOMPARE(child<QComboBox>(w, "comboBox_nameRuleFormat")->itemText(0),
             QStringLiteral("时间日期"));
    QCOMPARE(child<QComboBox>(w, "comboBox_recordNameRuleFormat")->itemText(0),
             QStringLiteral("日期时间"));
    for (const char* name : kHotkeyFields)
        QVERIFY(qobject_cast<CustomKeySequenceEdit*>(child<QWidget>(w, name)));
    for (const char* name :
         {"pushButton_init", "pushButton_save", "pushButton_openFile",
          "pushButton_recordFileSelect", "pushButton_recordInit", "pushButton_recordSave",
          "pushButton_hoykeyInit", "pushButton_hotkeySave"})
        child<QPushButton>(w, name);
    child<QWidget>(w, "widget_autoFrameRate");
    child<QLineEdit>(w, "lineEdit_autoFrameRate");
    child<QStackedWidget>(w, "stackedWidget_2");
}

void ConfigWidgetTest::opensOnTheGivenPage_data()
{
    QTest::addColumn<int>("page");
    QTest::newRow("capture") << 0;
    QTest::newRow("recording") << 1;
    QTest::newRow("hotkeys") << 2;
}

void ConfigWidgetTest::opensOnTheGivenPage()
{
    QFETCH(int, page);
    ConfigWidget w(page);
    QCOMPARE(child<QListWidget>(w, "listWidget_menu")->currentRow(), page);
    QCOMPARE(child<QStackedWidget>(w, "stackedWidget")->currentIndex(), page);
    child<QListWidget>(w, "listWidget_menu")->setCurrentRow((page + 1) % 3);
    QCOMPARE(child<QStackedWidget>(w, "stackedWidget")->currentIndex(), (page + 1) % 3);
}

void ConfigWidgetTest::firstStartShowsZeroSecondsAndSavesZero()
{
    settingsStore()->setValue("CAPTURE", "NameRuleIndex", 17);
    auto* w = new ConfigWidget(0);
    w->show();
    QCOMPARE(child<QSpinBox>(*w, "spinBox_grapTimeRadix")->value(), 0);
    QCOMPARE(child<QComboBox>(*w, "comboBox_grapTimeRadix")->currentIndex(), 0);
    QCOMPARE(child<QSpinBox>(*w, "spinBox_grapTimeCount")->value(), 0);
    QPointer<ConfigWidget> alive(w);
    child<QPushButton>(*w, "pushButton_save")->click();
    QTRY_VERIFY(alive.isNull());  // closed and deleted
    QCOMPARE(settingsStore()->value("CAPTURE", "GrapTimeRadix").toInt(), 0);
    QCOMPARE(settingsStore()->value("CAPTURE", "GrapTimeCount").toInt(), 0);
    QCOMPARE(settingsStore()->captureSettings().grapTimeRadix, 0);
    QCOMPARE(settingsStore()->value("CAPTURE", "NameRuleIndex").toInt(), 17);
    QCOMPARE(settingsStore()->captureSettings().nameRuleIndex, 17);
}

void ConfigWidgetTest::capturePageRoundTrip()
{
    const QString here = folder.filePath("pictures/here");
    QVERIFY(QDir().mkpath(here));
    CaptureSettings c = settingsStore()->captureSettings();
    c.savePath = here;
    c.autoSaveState = 2;
    c.pictureType = 2;
    c.nameRulePrefix = "Part_";
    c.nameRuleFormat = 1;
    c.captureMode = 1;
    c.grapNumberRadix = 12;
    c.grapNumberStop = 2;
    c.grapNumberCount = 30;
    c.grapTimeRadix = 90000;
    c.grapTimeStop = 2;
    c.grapTimeCount = 7200000;
    c.keepBitDepth = 2;
    settingsStore()->saveCaptureSettings(c);

    ConfigWidget w(0);
    QCOMPARE(child<QComboBox>(w, "comboBox_pictureType")->currentIndex(), 2);
    auto* keepDepth = child<QCheckBox>(w, "checkBox_keepBitDepth");
    QVERIFY(keepDepth->isChecked());
    QVERIFY(keepDepth->isEnabled());
    // BMP and JPG hold 8 bits only: the choice waits, unchanged, for PNG or TIFF.
    child<QComboBox>(w, "comboBox_pictureType")->setCurrentIndex(1);
    QVERIFY(!keepDepth->isEnabled());
    child<QComboBox>(w, "comboBox_pictureType")->setCurrentIndex(3);
    QVERIFY(keepDepth->isEnabled());
    QCOMPARE(child<QLineEdit>(w, "lineEdit_savePath")->text(), here);
    QVERIFY(child<QCheckBox>(w, "checkBox_autoSaveState")->isChecked());
    QCOMPARE(child<QLineEdit>(w, "lineEdit_nameRulePrefix")->text(), QStringLiteral("Part_"));
    QVERIFY(child<QRadioButton>(w, "radioButton_captureTimeMode")->isChecked());
    QCOMPARE(child<QStackedWidget>(w, "stackedWidget_2")->currentIndex(), 1);
    QCOMPARE(child<QSpinBox>(w, "spinBox_captureAsRadix")->value(), 12);
    QVERIFY(child<QCheckBox>(w, "checkBox_numberStop")->isChecked());
    QCOMPARE(child<QSpinBox>(w, "spinBox_grapTimeRadix")->value(), 1);
    QCOMPARE(child<QComboBox>(w, "comboBox_grapTimeRadix")->currentIndex(), 1);
    QCOMPARE(child<QSpinBox>(w, "spinBox_grapTimeCount")->value(), 2);
    QCOMPARE(child<QComboBox>(w, "comboBox_grapTimeCount")->currentIndex(), 2);

    child<QSpinBox>(w, "spinBox_grapTimeCount")->setValue(45);
    child<QComboBox>(w, "comboBox_grapTimeCount")->setCurrentIndex(0);
    child<QPushButton>(w, "pushButton_save")->click();
    const QVariantList stored{settingsStore()->value("CAPTURE", "SvaePath"),
                              settingsStore()->value("CAPTURE", "AutoSaveState").toInt(),
                              settingsStore()->value("CAPTURE", "PictureType").toInt(),
                              settingsStore()->value("CAPTURE", "NameRulePrefix"),
                              settingsStore()->value("CAPTURE", "NameRuleFormat").toInt(),
                              settingsStore()->value("CAPTURE", "CaptureMode").toInt(),
                              settingsStore()->value("CAPTURE", "GrapNumberRadix").toInt(),
                              settingsStore()->value("CAPTURE", "GrapNumberStop").toInt(),
                              settingsStore()->value("CAPTURE", "GrapNumberCount").toInt(),
                              settingsStore()->value("CAPTURE", "GrapTimeRadix").toInt(),
                              settingsStore()->value("CAPTURE", "GrapTimeStop").toInt(),
                              settingsStore()->value("CAPTURE", "GrapTimeCount").toInt(),
                              settingsStore()->value("CAPTURE", "KeepBitDepth").toInt()};
    QCOMPARE(stored, (QVariantList{here, 2, 3, "Part_", 1, 1, 12, 2, 30, 60000, 2, 45000, 2}));
}

void ConfigWidgetTest::resetsTouchNoSetting_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("resetButton");
    QTest::newRow("capture") << 0 << "pushButton_init";
    QTest::newRow("recording") << 1 << "pushButton_recordInit";
    QTest::newRow("hotkeys") << 2 << "pushButton_hoykeyInit";
}

void ConfigWidgetTest::resetsTouchNoSetting()
{
    QFETCH(int, page);
    QFETCH(QString, resetButton);
    settingsStore()->setValue("CAPTURE", "SvaePath", "/kept");
    settingsStore()->setValue("RECORDINFO", "VideoType", 1);
    HotkeySettings h = settingsStore()->hotkeySettings();
    h.onoff = "F5";
    settingsStore()->saveHotkeySettings(h);
    const QByteArray before = settingsFile();

    auto* w = new ConfigWidget(page);
    w->show();
    child<QLineEdit>(*w, "lineEdit_savePath")->setText("/typed");
    child<QPushButton>(*w, qPrintable(resetButton))->click();
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen().first().title, QStringLiteral("提示"));
    QCOMPARE(watcher->seen().first().text, QStringLiteral("重置参数成功"));
    QCOMPARE(watcher->seen().first().buttons, QStringList{"确定"});
    switch (page) {
        case 0:
            QCOMPARE(child<QLineEdit>(*w, "lineEdit_savePath")->text(),
                     SettingsStore::defaultPictureFolder());
            QCOMPARE(child<QLineEdit>(*w, "lineEdit_nameRulePrefix")->text(),
                     QStringLiteral("Image_"));
            QCOMPARE(child<QSpinBox>(*w, "spinBox_grapTimeRadix")->value(), 1);
            QVERIFY(child<QRadioButton>(*w, "radioButton_captureCountMode")->isChecked());
            break;
        case 1:
            QCOMPARE(child<QComboBox>(*w, "comboBox_videoType")->currentIndex(), 0);
            QCOMPARE(child<QLineEdit>(*w, "lineEdit_autoFrameRate")->text(), QStringLiteral("0"));
            QCOMPARE(child<QLineEdit>(*w, "lineEdit_recordNameRulePrefix")->text(),
                     QStringLiteral("Video_"));
            QVERIFY(!child<QWidget>(*w, "widget_autoFrameRate")->isEnabled());
            break;
        default:
            QCOMPARE(child<QKeySequenceEdit>(*w, "keySequenceEdit_Onoff")->keySequence(),
                     QKeySequence("Ctrl+U"));
            QCOMPARE(w->currentHotkeyTexts()[6], QStringLiteral("Ctrl+U"));
            QCOMPARE(w->currentHotkeyTexts()[0], QStringLiteral("Ctrl+P"));
            break;
    }
    w->close();
    QCOMPARE(settingsFile(), before);
    QCOMPARE(settingsStore()->hotkeySettings().onoff, QStringLiteral("F5"));
}

void ConfigWidgetTest::recordPageMeasurementOptions()
{
    {
        ConfigWidget w(1);
        QComboBox* type = child<QComboBox>(w, "comboBox_videoType");
        QCOMPARE(type->count(), 3);
        QCOMPARE(type->itemText(2), QStringLiteral("图像序列"));
        QCheckBox* info = child<QCheckBox>(w, "checkBox_frameInfoState");
        QCOMPARE(info->text(), QStringLiteral("保存帧信息"));
        QVERIFY(!info->isChecked());  // off unless asked for
        // A sequence always lists its frames and has no quality to choose.
        type->setCurrentIndex(2);
        QVERIFY(info->isChecked());
        QVERIFY(!info->isEnabled());
        QVERIFY(!child<QComboBox>(w, "comboBox_videoQuality")->isEnabled());
        type->setCurrentIndex(0);
        QVERIFY(!info->isChecked());
        QVERIFY(info->isEnabled());
        info->setChecked(true);
        child<QCheckBox>(w, "checkBox_recordFrameStop")->setChecked(true);
        child<QSpinBox>(w, "spinBox_recordFrameStopCount")->setValue(250);
        child<QCheckBox>(w, "checkBox_recordTimeStop")->setChecked(true);
        child<QSpinBox>(w, "spinBox_recordTimeStopSeconds")->setValue(0);  // clamps to 1
        const QString videos = folder.filePath("measurement-videos");
        QVERIFY(QDir().mkpath(videos));
        child<QLineEdit>(w, "lineEdit_recordPath")->setText(videos);
        child<QPushButton>(w, "pushButton_recordSave")->click();
    }
    const RecordSettings& r = settingsStore()->recordSettings();
    QCOMPARE(r.videoType, 0);
    QCOMPARE(r.frameInfoState, 2);
    QCOMPARE(r.frameStop, 2);
    QCOMPARE(r.frameStopCount, 250);
    QCOMPARE(r.timeStop, 2);
    QCOMPARE(r.timeStopSeconds, 1);
    QCOMPARE(settingsStore()->value("RECORDINFO", "FrameStopCount").toInt(), 250);

    ConfigWidget again(1);
    QVERIFY(child<QCheckBox>(again, "checkBox_frameInfoState")->isChecked());
    QCOMPARE(child<QSpinBox>(again, "spinBox_recordFrameStopCount")->value(), 250);
    // Saving a sequence keeps the choice made for video files.
    child<QComboBox>(again, "comboBox_videoType")->setCurrentIndex(2);
    child<QPushButton>(again, "pushButton_recordSave")->click();
    QCOMPARE(settingsStore()->recordSettings().videoType, 2);
    QCOMPARE(settingsStore()->recordSettings().frameInfoState, 2);
}

void ConfigWidgetTest::preTriggerBeyondItsMemoryIsRefused()
{
    watcher->clear();
    ConfigWidget w(1);
    QSpinBox* seconds = child<QSpinBox>(w, "spinBox_preTriggerSeconds");
    QLabel* cost = child<QLabel>(w, "label_preTriggerCost");
    QCOMPARE(seconds->value(), 0);
    QCOMPARE(seconds->maximum(), 10);
    const QString videos = folder.filePath("pretrigger-videos");
    QVERIFY(QDir().mkpath(videos));
    child<QLineEdit>(w, "lineEdit_recordPath")->setText(videos);
    // 2592×1944 at 22 frames per second: one second fits, two do not.
    w.setCameraFormat(2592, 1944, 22);
    seconds->setValue(2);
    QCOMPARE(cost->text(), QStringLiteral("约 649 MB (2592×1944, 22.0 帧/秒), 上限 384 MB"));
    child<QPushButton>(w, "pushButton_recordSave")->click();
    QTRY_COMPARE_WITH_TIMEOUT(watcher->count(), 1, 30000);
    QVERIFY(watcher->seen().first().text.startsWith(
        QStringLiteral("预录 2 秒需要约 649 MB 内存, 超过上限 384 MB")));
    QCOMPARE(settingsStore()->recordSettings().preTriggerSeconds, 0);
    seconds->setValue(1);
    QCOMPARE(cost->text(), QStringLiteral("约 332 MB (2592×1944, 22.0 帧/秒), 上限 384 MB"));
    child<QPushButton>(w, "pushButton_recordSave")->click();
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(settingsStore()->recordSettings().preTriggerSeconds, 1);
    QCOMPARE(settingsStore()->value("RECORDINFO", "PreTriggerSeconds").toInt(), 1);
    settingsStore()->setValue("RECORDINFO", "PreTriggerSeconds", 0);
}

void ConfigWidgetTest::recordPageSavesAndUnparsableRateIsZero()
{
    settingsStore()->setValue("RECORDINFO", "NameRuleIndex", 5);
    ConfigWidget w(1);
    QVERIFY(child<QRadioButton>(w, "radioButton_originalSpeed")->isChecked());
    QVERIFY(!child<QWidget>(w, "widget_autoFrameRate")->isEnabled());
    child<QRadioButton>(w, "radioButton_autoSpeed")->setChecked(true);
    child<QLineEdit>(w, "lineEdit_autoFrameRate")->setText("25fps");
    child<QComboBox>(w, "comboBox_videoType")->setCurrentIndex(1);
    child<QComboBox>(w, "comboBox_videoQuality")->setCurrentIndex(2);
    child<QCheckBox>(w, "checkBox_recordAutoSaveState")->setChecked(true);
    const QString videos = folder.filePath("videos");
    QVERIFY(QDir().mkpath(videos));
    child<QLineEdit>(w, "lineEdit_recordPath")->setText(videos);
    child<QPushButton>(w, "pushButton_recordSave")->click();
    const RecordSettings& r = settingsStore()->recordSettings();
    QCOMPARE(r.autoFrameRate, 0);
    QCOMPARE(r.playSpeed, 0);
    QCOMPARE(r.videoType, 1);
    QCOMPARE(r.videoQuality, 2);
    QCOMPARE(r.autoSaveState, 2);
    QCOMPARE(r.savePath, videos);
    QCOMPARE(settingsStore()->value("RECORDINFO", "AutoSaveState").toInt(), 2);
    QCOMPARE(settingsStore()->value("RECORDINFO", "NameRuleIndex").toInt(), 5);

    ConfigWidget again(1);
    QVERIFY(child<QRadioButton>(again, "radioButton_autoSpeed")->isChecked());
    QVERIFY(child<QWidget>(again, "widget_autoFrameRate")->isEnabled());
    QCOMPARE(child<QLineEdit>(again, "lineEdit_autoFrameRate")->text(), QStringLiteral("0"));
}

void ConfigWidgetTest::customRateKeepsToWhatARecordingUses_data()
{
    QTest::addColumn<int>("stored");
    QTest::addColumn<QString>("typed");  // empty: the field is left as it opens
    QTest::addColumn<QString>("shown");
    QTest::addColumn<int>("saved");
    QTest::newRow("stored 30") << 30 << ""
                               << "30" << 30;
    QTest::newRow("stored 100000 shows the fastest") << 100000 << ""
                                                     << "240" << 240;
    QTest::newRow("stored largest int shows the fastest") << 2147483647 << ""
                                                          << "240" << 240;
    QTest::newRow("stored negative shows no rate") << -5 << ""
                                                   << "0" << 0;
    QTest::newRow("typing 240") << 0 << "240"
                                << "240" << 240;
    QTest::newRow("typing 300 stops at 30") << 0 << "300"
                                            << "30" << 30;
    QTest::newRow("typing 100000 stops at 100") << 0 << "100000"
                                                << "100" << 100;
    QTest::newRow("typing a minus sign does nothing") << 0 << "-5"
                                                      << "5" << 5;
    QTest::newRow("typing letters does nothing") << 0 << "fast"
                                                 << "" << 0;
    QTest::newRow("typing 0 leaves no rate") << 25 << "0"
                                             << "0" << 0;
}

void ConfigWidgetTest::customRateKeepsToWhatARecordingUses()
{
    QFETCH(int, stored);
    QFETCH(QString, typed);
    settingsStore()->setValue("RECORDINFO", "PlaySpeed", 0);
    settingsStore()->setValue("RECORDINFO", "AutoFrameRate", stored);
    ConfigWidget w(1);
    auto* field = child<QLineEdit>(w, "lineEdit_autoFrameRate");
    QCOMPARE(child<QWidget>(w, "widget_autoFrameRate")->toolTip(),
             QStringLiteral("自定义回放帧率: 1 到 240 帧/秒"));
    if (!typed.isEmpty()) {
        field->clear();
        QTest::keyClicks(field, typed);
    }
    QTEST(field->text(), "shown");
    child<QPushButton>(w, "pushButton_recordSave")->click();
    QTEST(settingsStore()->recordSettings().autoFrameRate, "saved");
    QTEST(settingsStore()->value("RECORDINFO", "AutoFrameRate").toInt(), "saved");
}

void ConfigWidgetTest::radioButtonsSwitchPagesAndRateField()
{
    ConfigWidget w(0);
    auto* modes = child<QStackedWidget>(w, "stackedWidget_2");
    QCOMPARE(modes->currentIndex(), 0);
    child<QRadioButton>(w, "radioButton_captureTimeMode")->click();
    QCOMPARE(modes->currentIndex(), 1);
    child<QRadioButton>(w, "radioButton_captureCountMode")->click();
    QCOMPARE(modes->currentIndex(), 0);
    auto* rate = child<QWidget>(w, "widget_autoFrameRate");
    child<QRadioButton>(w, "radioButton_autoSpeed")->click();
    QVERIFY(rate->isEnabled());
    child<QRadioButton>(w, "radioButton_originalSpeed")->click();
    QVERIFY(!rate->isEnabled());
}

void ConfigWidgetTest::folderChooser()
{
    ConfigWidget w(0);
    w.show();
    auto* path = child<QLineEdit>(w, "lineEdit_savePath");
    path->setText("/before");
    child<QPushButton>(w, "pushButton_openFile")->click();  // the watcher cancels
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen().first().title, QStringLiteral("选择"));
    QCOMPARE(path->text(), QStringLiteral("/before"));
    watcher->setFileAnswer(folder.path());
    child<QPushButton>(w, "pushButton_recordFileSelect")->click();
    QCOMPARE(QDir(child<QLineEdit>(w, "lineEdit_recordPath")->text()), QDir(folder.path()));
    QCOMPARE(path->text(), QStringLiteral("/before"));
}

void ConfigWidgetTest::savingChecksTheFolder_data()
{
    // TMP stands for this row's empty folder, which also holds the file "plain".
    QTest::addColumn<int>("page");
    QTest::addColumn<bool>("autoSave");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<bool>("agree");     // the answer to a question to make the folder
    QTest::addColumn<QString>("shown");  // the box the user gets: "question" or the error
    QTest::addColumn<QString>("saved");  // what the settings hold afterwards; empty: unsaved
    const QString nul = QString("TMP/pictures") + QChar(0) + "/more";
    QTest::newRow("capture, NUL byte")
        << 0 << false << nul << true
        << "保存文件夹 TMP/pictures\\x00/more 含有控制字符 (如 NUL), 无法使用"
        << "";
    QTest::newRow("capture, empty") << 0 << false << "" << true << "未设置保存文件夹"
                                    << "";
    QTest::newRow("capture, relative")
        << 0 << false << "pictures" << true << "保存文件夹 pictures 不是绝对路径, 请填写完整路径"
        << "";
    QTest::newRow("capture, a file") << 0 << false << "TMP/plain" << true << "TMP/plain 不是文件夹"
                                     << "";
    QTest::newRow("capture, missing, the user says no")
        << 0 << false << "TMP/new" << false << "question"
        << "";
    QTest::newRow("capture, missing, the user says yes")
        << 0 << false << "TMP/new" << true << "question"
        << "TMP/new";
    QTest::newRow("capture, written loosely") << 0 << false << "TMP//./" << true << ""
                                              << "TMP";
    QTest::newRow("recording, relative")
        << 1 << true << "videos" << true << "保存文件夹 videos 不是绝对路径, 请填写完整路径"
        << "";
    QTest::newRow("recording, missing, the user says yes")
        << 1 << true << "TMP/new" << true << "question"
        << "TMP/new";
    // Asked for at every recording, the folder field is not used.
    QTest::newRow("recording, relative, not saved automatically")
        << 1 << false << "videos" << true << ""
        << "videos";
}

void ConfigWidgetTest::savingChecksTheFolder()
{
    QFETCH(int, page);
    QFETCH(bool, autoSave);
    QFETCH(QString, typed);
    QFETCH(bool, agree);
    QFETCH(QString, shown);
    QFETCH(QString, saved);
    QTemporaryDir scratch(folder.filePath("row-XXXXXX"));
    const QString tmp = scratch.path();
    QFile plain(scratch.filePath("plain"));
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    const char* group = page == 0 ? "CAPTURE" : "RECORDINFO";
    const QVariant before = settingsStore()->value(group, "SvaePath");
    watcher->setAccept(agree);

    auto* w = new ConfigWidget(page);
    w->show();
    QPointer<ConfigWidget> alive(w);
    child<QLineEdit>(*w, page == 0 ? "lineEdit_savePath" : "lineEdit_recordPath")
        ->setText(typed.replace("TMP", tmp));
    if (page == 1)
        child<QCheckBox>(*w, "checkBox_recordAutoSaveState")->setChecked(autoSave);
    child<QPushButton>(*w, page == 0 ? "pushButton_save" : "pushButton_recordSave")->click();

    const QString native = QDir::toNativeSeparators(tmp);
    if (shown.isEmpty()) {
        QCOMPARE(watcher->count(), 0);
    } else {
        QCOMPARE(watcher->count(), 1);
        const ModalDialogWatcher::Seen& box = watcher->seen().first();
        QCOMPARE(box.title, QStringLiteral("提示"));
        if (shown == "question") {
            QCOMPARE(box.text, QStringLiteral("保存文件夹 %1 不存在, 是否创建?")
                                   .arg(QDir::toNativeSeparators(typed)));
            QCOMPARE(box.buttons, (QStringList{"创建", "取消"}));
        } else {
            QCOMPARE(box.text, shown.replace("TMP", native));
            QCOMPARE(box.buttons, QStringList{"确定"});
        }
    }
    if (saved.isEmpty()) {
        QVERIFY(!alive.isNull());  // still open, to put the folder right
        QCOMPARE(settingsStore()->value(group, "SvaePath"), before);
        QVERIFY(!QFileInfo::exists(scratch.filePath("new")));
        delete w;
    } else {
        QTRY_VERIFY(alive.isNull());
        QCOMPARE(settingsStore()->value(group, "SvaePath").toString(), saved.replace("TMP", tmp));
        if (shown == "question")
            QVERIFY(QFileInfo(scratch.filePath("new")).isDir());
    }
}

void ConfigWidgetTest::fieldKeepsTheFirstCombination()
{
    ConfigWidget w(2);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    auto* field = child<CustomKeySequenceEdit>(w, "keySequenceEdit_Enlarge");
    field->setFocus();
    type(field, Qt::Key_A);
    type(field, Qt::Key_B);
    type(field, Qt::Key_C);
    const QString ctrlA = QKeySequence(Qt::CTRL + Qt::Key_A).toString(QKeySequence::NativeText);
    QCOMPARE(field->combination(), QKeySequence(Qt::CTRL + Qt::Key_A));
    QCOMPARE(field->findChild<QLineEdit*>()->text(), ctrlA);
    QCOMPARE(w.currentHotkeyTexts()[2], ctrlA);
    QTRY_COMPARE_WITH_TIMEOUT(field->keySequence(), QKeySequence(Qt::CTRL + Qt::Key_A), 10000);
    // Editing ends after a pause; the next combination then replaces the field.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&]() {
            type(field, Qt::Key_K, Qt::ControlModifier | Qt::ShiftModifier);
            return field->combination() == QKeySequence(Qt::CTRL + Qt::SHIFT + Qt::Key_K);
        }(),
        10000);
    QCOMPARE(w.currentHotkeyTexts()[2], QStringLiteral("Ctrl+Shift+K"));
}

void ConfigWidgetTest::conflictDisablesSaveUntilResolved()
{
    ConfigWidget w(2);
    w.show();
    auto* narrow = child<CustomKeySequenceEdit>(w, "keySequenceEdit_Narrow");
    auto* save = child<QPushButton>(w, "pushButton_hotkeySave");
    auto* error = child<QLabel>(w, "label_error");
    type(narrow, Qt::Key_P);  // the fit hotkey's combination
    QVERIFY(error->isVisible());
    QVERIFY(!save->isEnabled());
    QTRY_VERIFY_WITH_TIMEOUT(
        [&]() {
            type(narrow, Qt::Key_F7, Qt::NoModifier);
            return narrow->combination() == QKeySequence(Qt::Key_F7);
        }(),
        10000);
    QVERIFY(!error->isVisible());
    QVERIFY(save->isEnabled());
}

void ConfigWidgetTest::resetKeepsTheConflictMessageUntilTheNextRelease()
{
    ConfigWidget w(2);
    w.show();
    auto* onoff = child<CustomKeySequenceEdit>(w, "keySequenceEdit_Onoff");
    type(onoff, Qt::Key_Y);  // the picture hotkey's combination
    QVERIFY(!child<QPushButton>(w, "pushButton_hotkeySave")->isEnabled());
    child<QPushButton>(w, "pushButton_hoykeyInit")->click();
    QVERIFY(child<QLabel>(w, "label_error")->isVisible());
    QVERIFY(!child<QPushButton>(w, "pushButton_hotkeySave")->isEnabled());
    QTest::keyRelease(onoff, Qt::Key_Control);
    QVERIFY(!child<QLabel>(w, "label_error")->isVisible());
    QVERIFY(child<QPushButton>(w, "pushButton_hotkeySave")->isEnabled());
}

void ConfigWidgetTest::savedHotkeysActInAnOpenCameraWindow()
{
    CameraThread camera;
    camera.setAttribute(Qt::WA_DeleteOnClose, false);
    camera.show();
    QVERIFY(camera.startCamera(QString::fromLatin1(capturecameras::kFirst)));
    QTRY_VERIFY_WITH_TIMEOUT(camera.acquisitionThread()->frameCount() > 0, 30000);

    auto* w = new ConfigWidget(2);
    w->show();
    auto* onoff = child<CustomKeySequenceEdit>(*w, "keySequenceEdit_Onoff");
    type(onoff, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    child<QPushButton>(*w, "pushButton_hotkeySave")->click();
    QCOMPARE(settingsStore()->value("HOTKEYINFO", "Onoff").toString(),
             QStringLiteral("Ctrl+Alt+J"));

    // The old key no longer pauses; the new one does, in the window already open.
    QTest::keyClick(&camera, Qt::Key_U, Qt::ControlModifier);
    QVERIFY(camera.acquisitionThread()->isPlaying());
    QTest::keyClick(&camera, Qt::Key_J, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(!camera.acquisitionThread()->isPlaying());
    camera.closeCamera();
}

void ConfigWidgetTest::hotkeysStayPortableWithQtsChineseTexts()
{
    // With Qt's Chinese texts a key's native name is Chinese ("空格" for Space); the
    // camera windows match portable texts, so that is what is kept.
    QTranslator qtChinese;
    QVERIFY(suite::applyQtLanguage(&qtChinese, true));
    auto* w = new ConfigWidget(2);
    w->show();
    auto* onoff = child<CustomKeySequenceEdit>(*w, "keySequenceEdit_Onoff");
    type(onoff, Qt::Key_Space);
    QVERIFY(onoff->findChild<QLineEdit*>()->text().startsWith(QStringLiteral("Ctrl+空格")));
    QCOMPARE(w->currentHotkeyTexts()[6], QStringLiteral("Ctrl+Space"));
    child<QPushButton>(*w, "pushButton_hotkeySave")->click();
    QCOMPARE(settingsStore()->value("HOTKEYINFO", "Onoff").toString(),
             QStringLiteral("Ctrl+Space"));
    QCOMPARE(windowlogic::matchHotkey(windowlogic::hotkeyText(Qt::Key_Space, Qt::ControlModifier),
                                      settingsStore()->hotkeySettings()),
             windowlogic::HotkeyAction::Onoff);
    ConfigWidget again(2);
    QCOMPARE(child<QKeySequenceEdit>(again, "keySequenceEdit_Onoff")->keySequence(),
             QKeySequence(Qt::CTRL + Qt::Key_Space));
    QCoreApplication::removeTranslator(&qtChinese);
}

void ConfigWidgetTest::okKeepsTheEditsOfEveryPage_data()
{
    QTest::addColumn<int>("okPage");
    QTest::addColumn<QString>("okButton");
    QTest::newRow("OK of the capture page") << 0 << "pushButton_save";
    QTest::newRow("OK of the recording page") << 1 << "pushButton_recordSave";
    QTest::newRow("OK of the hotkey page") << 2 << "pushButton_hotkeySave";
}

void ConfigWidgetTest::okKeepsTheEditsOfEveryPage()
{
    QFETCH(int, okPage);
    QFETCH(QString, okButton);
    auto* w = new ConfigWidget(0);
    w->show();
    auto* pages = child<QListWidget>(*w, "listWidget_menu");
    child<QLineEdit>(*w, "lineEdit_nameRulePrefix")->setText("Part_");
    pages->setCurrentRow(1);
    child<QComboBox>(*w, "comboBox_videoType")->setCurrentIndex(1);
    pages->setCurrentRow(2);
    type(child<CustomKeySequenceEdit>(*w, "keySequenceEdit_Onoff"), Qt::Key_F5, Qt::NoModifier);
    pages->setCurrentRow(okPage);

    QPointer<ConfigWidget> alive(w);
    child<QPushButton>(*w, qPrintable(okButton))->click();
    QTRY_VERIFY(alive.isNull());
    QCOMPARE(watcher->count(), 0);
    QCOMPARE(settingsStore()->value("CAPTURE", "NameRulePrefix").toString(),
             QStringLiteral("Part_"));
    QCOMPARE(settingsStore()->value("RECORDINFO", "VideoType").toInt(), 1);
    QCOMPARE(settingsStore()->value("HOTKEYINFO", "Onoff").toString(), QStringLiteral("F5"));
    QCOMPARE(settingsStore()->captureSettings().nameRulePrefix, QStringLiteral("Part_"));
    QCOMPARE(settingsStore()->recordSettings().videoType, 1);
    QCOMPARE(settingsStore()->hotkeySettings().onoff, QStringLiteral("F5"));
}

void ConfigWidgetTest::okLeavesPagesNobodyChanged()
{
    // Two windows are open; each OK writes what its user changed, not its old copy of
    // the rest over what the other window saved.
    auto* capture = new ConfigWidget(0);
    auto* recording = new ConfigWidget(1);
    child<QComboBox>(*recording, "comboBox_videoType")->setCurrentIndex(1);
    child<QPushButton>(*recording, "pushButton_recordSave")->click();
    // The capture page shows the 1 ms intervals of a reset as 0 s; it was not touched,
    // so they are not rewritten.
    QCOMPARE(settingsStore()->value("CAPTURE", "GrapTimeRadix").toInt(), 1);
    child<QLineEdit>(*capture, "lineEdit_nameRulePrefix")->setText("First_");
    child<QPushButton>(*capture, "pushButton_save")->click();
    QCOMPARE(settingsStore()->value("CAPTURE", "NameRulePrefix").toString(),
             QStringLiteral("First_"));
    QCOMPARE(settingsStore()->value("RECORDINFO", "VideoType").toInt(), 1);
    QCOMPARE(settingsStore()->hotkeySettings().onoff, QStringLiteral("Ctrl+U"));
}

void ConfigWidgetTest::okElsewhereRefusesClashingHotkeys()
{
    auto* w = new ConfigWidget(2);
    w->show();
    auto* onoff = child<CustomKeySequenceEdit>(*w, "keySequenceEdit_Onoff");
    type(onoff, Qt::Key_Y);  // the picture hotkey's combination
    auto* pages = child<QListWidget>(*w, "listWidget_menu");
    pages->setCurrentRow(0);
    child<QLineEdit>(*w, "lineEdit_nameRulePrefix")->setText("Part_");
    const QByteArray before = settingsFile();

    child<QPushButton>(*w, "pushButton_save")->click();
    QCOMPARE(watcher->count(), 1);
    QCOMPARE(watcher->seen().first().title, QStringLiteral("提示"));
    QCOMPARE(watcher->seen().first().text,
             QStringLiteral("快捷键与已有快捷键冲突，设置未保存。请修改快捷键后再按确定。"));
    QCOMPARE(watcher->seen().first().buttons, QStringList{"确定"});
    // Nothing written, nothing lost: the window stays, showing the clash.
    QCOMPARE(settingsFile(), before);
    QVERIFY(w->isVisible());
    QCOMPARE(child<QStackedWidget>(*w, "stackedWidget")->currentIndex(), 2);
    QVERIFY(child<QLabel>(*w, "label_error")->isVisible());
    QCOMPARE(child<QLineEdit>(*w, "lineEdit_nameRulePrefix")->text(), QStringLiteral("Part_"));

    // Once the clash is gone, OK writes both pages.
    QTRY_VERIFY_WITH_TIMEOUT(
        [&]() {
            type(onoff, Qt::Key_F7, Qt::NoModifier);
            return onoff->combination() == QKeySequence(Qt::Key_F7);
        }(),
        10000);
    QPointer<ConfigWidget> alive(w);
    child<QPushButton>(*w, "pushButton_hotkeySave")->click();
    QTRY_VERIFY(alive.isNull());
    QCOMPARE(settingsStore()->hotkeySettings().onoff, QStringLiteral("F7"));
    QCOMPARE(settingsStore()->captureSettings().nameRulePrefix, QStringLiteral("Part_"));
}

void ConfigWidgetTest::timeRowsNameTheirUnitOnce()
{
    // "每 [1] [秒] 抓取一张": the unit is the combo box's, the label after it has none.
    ConfigWidget w(0);
    const QStringList units{"秒", "分", "时"};
    for (const char* label : {"label_timeEveryUnit", "label_timeStopUnit"}) {
        const QString text = child<QLabel>(w, label)->text();
        for (const QString& unit : units)
            QVERIFY2(!text.contains(unit), qPrintable(QString(label) + ": " + text));
    }
    QCOMPARE(child<QLabel>(w, "label_timeEveryUnit")->text(), QStringLiteral("抓取一张"));
    QCOMPARE(child<QLabel>(w, "label_timeStopUnit")->text(), QStringLiteral("停止抓图"));
}

void ConfigWidgetTest::folderFieldsShowThePathFromItsStart_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("field");
    QTest::newRow("pictures") << 0 << "lineEdit_savePath";
    QTest::newRow("recordings") << 1 << "lineEdit_recordPath";
}

void ConfigWidgetTest::folderFieldsShowThePathFromItsStart()
{
    QFETCH(int, page);
    QFETCH(QString, field);
    const QString path = "/home/somebody/" + QString(80, 'x') + "/pictures";
    settingsStore()->setValue("CAPTURE", "SvaePath", path);
    settingsStore()->setValue("RECORDINFO", "SvaePath", path);
    ConfigWidget w(page);
    w.show();
    auto* edit = child<QLineEdit>(w, qPrintable(field));
    QCOMPARE(edit->text(), path);
    // Shown from the leading "/", the whole path in the tool tip.
    QCOMPARE(edit->cursorPosition(), 0);
    QCOMPARE(edit->toolTip(), path);
}

void ConfigWidgetTest::followsALanguageSwitch()
{
    auto* w = new ConfigWidget(1);
    w->show();
    child<QLineEdit>(*w, "lineEdit_recordNameRulePrefix")->setText("Typed_");
    QTranslator english;
    QVERIFY(english.load(qEnvironmentVariable("VEXO_PROGRAM_DIR") + "/VexoCam_en_CN.qm"));
    QCoreApplication::installTranslator(&english);
    QTRY_COMPARE(w->windowTitle(), QStringLiteral("Settings"));
    auto* pages = child<QListWidget>(*w, "listWidget_menu");
    QCOMPARE(pages->item(0)->text(), QStringLiteral("Pictures"));
    QCOMPARE(child<QGroupBox>(*w, "groupBox_hotkey")->title(), QStringLiteral("Key combinations"));
    QCOMPARE(child<QRadioButton>(*w, "radioButton_autoSpeed")->text(), QStringLiteral("Custom"));
    QCOMPARE(child<QWidget>(*w, "widget_autoFrameRate")->toolTip(),
             QStringLiteral("Custom playback rate: 1 to 240 frames/s"));
    // Every page name fits the list beside the pages.
    QVERIFY2(
        pages->sizeHintForColumn(0) <= pages->viewport()->width(),
        qPrintable(
            QString("%1 > %2").arg(pages->sizeHintForColumn(0)).arg(pages->viewport()->width())));
    // Texts change, what the user typed and where the window stands do not.
    QCOMPARE(child<QStackedWidget>(*w, "stackedWidget")->currentIndex(), 1);
    QCOMPARE(child<QLineEdit>(*w, "lineEdit_recordNameRulePrefix")->text(),
             QStringLiteral("Typed_"));
    QCOMPARE(child<QComboBox>(*w, "comboBox_videoQuality")->itemText(2), QStringLiteral("Best"));

    QCoreApplication::removeTranslator(&english);
    QTRY_COMPARE(w->windowTitle(), QStringLiteral("设置"));
    QCOMPARE(pages->item(0)->text(), QStringLiteral("抓图"));
    QCOMPARE(child<QWidget>(*w, "widget_autoFrameRate")->toolTip(),
             QStringLiteral("自定义回放帧率: 1 到 240 帧/秒"));
}

void ConfigWidgetTest::mainWindowEntriesOpenTheirPages()
{
    VexoCam window(nullptr, QString::fromLocal8Bit(qgetenv("VEXO_PROGRAM_DIR")));
    const char* const actions[] = {"action_capturesetting", "action_videosetting", "action_hotkey"};
    for (int page = 0; page < 3; ++page) {
        window.findChild<QAction*>(actions[page])->trigger();
        QList<ConfigWidget*> dialogs = openDialogs();
        QCOMPARE(dialogs.size(), page + 1);  // each use opens another one
        ConfigWidget* latest = nullptr;
        for (ConfigWidget* d : dialogs)
            if (child<QStackedWidget>(*d, "stackedWidget")->currentIndex() == page)
                latest = d;
        QVERIFY(latest);
        QVERIFY(latest->isVisible());
        // A dialog window of the main window, not a window of its own.
        QCOMPARE(latest->parentWidget(), &window);
        QVERIFY(latest->isWindow());
        QVERIFY(!latest->isModal());
    }
}

QTEST_MAIN(ConfigWidgetTest)
#include "tst_configwidget.moc"
