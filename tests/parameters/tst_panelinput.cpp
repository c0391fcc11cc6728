// The parameter panel as a user types into it: values go to the camera only complete,
// the fields then show what the camera holds, refusals are told in the status line, and
// controls without an operation behind them say so. One slow camera of its own keeps the
// machine free for the typing.
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolBox>
#include <functional>
#include <memory>

#include "ModalDialogWatcher.h"
#include "PanelFixture.h"
#include "RoiWidget.h"
#include "SettingsStore.h"

using namespace panelfixture;

namespace {

const char kCamera[] = "TYPE2448C";  // 2448 × 2048 colour, GigE, 14.8 µs steps, focus 420
const char kMono[] = "TYPEMONO";     // 640 × 480 mono, USB
const int kDeadlineMs = 30000;

bool installCameras(QTemporaryDir& folder)
{
    QFile file(folder.filePath(QStringLiteral("cameras.json")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(R"({"cameras": [
  {"identifier": "TYPE2448C", "productName": "VX-T2448C", "nickname": "typing",
   "interface": "GigE", "sensorWidth": 2448, "sensorHeight": 2048, "maxFramesPerSecond": 3,
   "exposureStepUs": 14.8, "exposureMinSteps": 1, "exposureMaxSteps": 100000,
   "gainMinMilli": 1000, "gainMaxMilli": 16000, "inputLines": 1, "outputLines": 1,
   "channels": 2, "focus": {"min": 0, "max": 1000, "default": 420},
   "network": {"ip": "192.168.7.20", "mask": "255.255.255.0", "gateway": "192.168.7.1",
               "mac": "00:0a:1b:01:23:01"}},
  {"identifier": "TYPEMONO", "productName": "VX-TMONO", "interface": "USB3.0", "color": false,
   "sensorWidth": 640, "sensorHeight": 480, "maxFramesPerSecond": 3}
]})");
    file.close();
    qputenv("VEXOCAM_CAMERAS", QFile::encodeName(file.fileName()));
    return true;
}

}  // namespace

class PanelInputTest : public QObject {
    Q_OBJECT

    QTemporaryDir folder;
    std::unique_ptr<VexoCam> window;
    int handle = 0;

    template <typename T>
    T* w(const QString& name)
    {
        return window->findChild<T*>(name);
    }
    QString status() { return w<QStatusBar>("statusBar")->currentMessage(); }
    QString probed(const char* name) { return probe(handle, name); }

    // A swallowed key is told in the status line with the field's range; keys the field
    // takes tell nothing.
    void checkRefusal(const QString& refused, const QString& range)
    {
        if (refused.isEmpty()) {
            QVERIFY2(!status().contains(QStringLiteral("不接受")), qPrintable(status()));
            return;
        }
        QVERIFY2(status().contains(refused), qPrintable(status()));
        QVERIFY2(status().contains(range), qPrintable(status()));
    }

    // Types text key by key as a user does, after selecting what the field holds, and
    // calls check after every key; Return ends the editing.
    void type(QWidget* field, const QString& text, const std::function<void()>& check)
    {
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(field, Qt::Key_Backspace);
        for (const QChar c : text) {
            QTest::keyClicks(field, QString(c));
            check();
        }
        QTest::keyClick(field, Qt::Key_Return);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(folder.isValid());
        QVERIFY(installCameras(folder));
        settingsStore()->setValue("EDITION", "Language", 0);
        window = std::make_unique<VexoCam>(nullptr, programDir());
        window->show();
        QVERIFY(waitForGrid(*window, true));
    }
    void init()
    {
        handle = openCamera(*window, kCamera);
        QVERIFY(handle != 0);
        QCOMPARE(window->currentCameraHandle(), handle);
    }
    void cleanupTestCase() { window.reset(); }

    // Typing into the exposure field never rewrites it under the cursor and sends nothing
    // until editing ends; then the field shows the time the camera took, in whole steps.
    void typedExposureShowsTheCameraValue_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("whileTyping");
        QTest::addColumn<double>("cameraUs");
        QTest::addColumn<QString>("refused");
        // 14.8 µs steps: 30 ms is 2027 steps (29 999.6 µs), 25 ms 1689 steps.
        QTest::newRow("30") << "30"
                            << "30" << 2027 * 14.8 << QString();
        QTest::newRow("25") << "25"
                            << "25" << 1689 * 14.8 << QString();
        QTest::newRow("0.5") << "0.5"
                             << "0.5" << 33 * 14.8 << QString();
        // The camera's longest exposure is 1480 ms: the last 0 of 2000 is refused.
        QTest::newRow("2000 stops at the range") << "2000"
                                                 << "200" << 13513 * 14.8 << "“2000”";
    }
    void typedExposureShowsTheCameraValue()
    {
        QFETCH(QString, typed);
        QFETCH(QString, whileTyping);
        QFETCH(double, cameraUs);
        QFETCH(QString, refused);
        QVERIFY(apply(window.get(), "radioButton_manualExposure=1"));
        QVERIFY(apply(window.get(), "doubleSpinBox_exposureTime=10"));
        w<QStatusBar>("statusBar")->clearMessage();
        const QString before = probed("exposureUs");
        auto* spin = w<QDoubleSpinBox>("doubleSpinBox_exposureTime");
        QString shown;
        type(spin, typed, [&] {
            QCOMPARE(probed("exposureUs"), before);
            shown = spin->text();
            QVERIFY2(typed.startsWith(shown), qPrintable(shown));
        });
        QCOMPARE(shown, whileTyping);
        checkRefusal(refused, "0.015\u20131480");
        QCOMPARE(probed("exposureUs"), QString::number(cameraUs));
        QCOMPARE(spin->text(), QString::number(cameraUs / 1000, 'f', 3));
        QCOMPARE(w<QSlider>("horizontalSlider_exposureTime")->value(),
                 int(std::lround(cameraUs / 14.8)));
    }

    void typedGainShowsTheCameraValue_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("whileTyping");
        QTest::addColumn<int>("cameraMilli");
        QTest::addColumn<QString>("refused");
        QTest::newRow("12.5") << "12.5"
                              << "12.5" << 12500 << QString();
        QTest::newRow("2.25") << "2.25"
                              << "2.25" << 2250 << QString();
        // 20 lies above the camera's 16: the 0 is refused.
        QTest::newRow("20 stops at 2") << "20"
                                       << "2" << 2000 << "“20”";
        // Three decimals at most: the fourth is refused.
        QTest::newRow("1.2345 stops at 1.234") << "1.2345"
                                               << "1.234" << 1234 << "“1.2345”";
    }
    void typedGainShowsTheCameraValue()
    {
        QFETCH(QString, typed);
        QFETCH(QString, whileTyping);
        QFETCH(int, cameraMilli);
        QFETCH(QString, refused);
        QVERIFY(apply(window.get(), "radioButton_manualExposure=1"));
        QVERIFY(apply(window.get(), "doubleSpinBox_analogGain=1"));
        w<QStatusBar>("statusBar")->clearMessage();
        auto* spin = w<QDoubleSpinBox>("doubleSpinBox_analogGain");
        QString shown;
        type(spin, typed, [&] {
            QCOMPARE(probed("analogGain"), QString("1000"));
            shown = spin->text();
        });
        QCOMPARE(shown, whileTyping);
        checkRefusal(refused, "1\u201316");
        QCOMPARE(probed("analogGain"), QString::number(cameraMilli));
        QCOMPARE(spin->text(), QString::number(cameraMilli / 1000.0, 'f', 3));
    }

    // The automatic exposure's ranges: nothing reaches the camera while typing; a complete
    // range is sent once and shown as the camera holds it; a range the panel cannot send
    // is told in the status line and the fields show the camera's range again.
    void typedRanges_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("probeName");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("minimumText");
        QTest::addColumn<QString>("maximumText");
        QTest::addColumn<QString>("statusText");
        QTest::newRow("gain minimum 1.5") << "lineEdit_minGainRange"
                                          << "1.5"
                                          << "autoExposureGainRange"
                                          << "1500,8000"
                                          << "1.5"
                                          << "8"
                                          << "";
        QTest::newRow("gain maximum 15.5") << "lineEdit_maxGainRange"
                                           << "15.5"
                                           << "autoExposureGainRange"
                                           << "2000,15500"
                                           << "2"
                                           << "15.5"
                                           << "";
        QTest::newRow("gain minimum above the maximum") << "lineEdit_minGainRange"
                                                        << "12"
                                                        << "autoExposureGainRange"
                                                        << "2000,8000"
                                                        << "2"
                                                        << "8"
                                                        << "增益范围未设置：最小值大于最大值";
        QTest::newRow("gain maximum beyond the camera")
            << "lineEdit_maxGainRange"
            << "17"
            << "autoExposureGainRange"
            << "2000,8000"
            << "2"
            << "8" << QString::fromUtf8("增益范围未设置：17超出范围1–16 倍");
        QTest::newRow("letters in the gain") << "lineEdit_minGainRange"
                                             << "1a"
                                             << "autoExposureGainRange"
                                             << "2000,8000"
                                             << "2"
                                             << "8"
                                             << "增益范围未设置：“1a”不是数字";
        QTest::newRow("exposure maximum 30 ms, in whole steps")
            << "lineEdit_maxExposureRange"
            << "30"
            << "autoExposureTimeRange" << QString("%1,%2").arg(34 * 14.8).arg(2027 * 14.8)
            << QString::number(34 * 14.8 / 1000, 'g', 6)
            << QString::number(2027 * 14.8 / 1000, 'g', 6) << "";
        QTest::newRow("exposure minimum left empty")
            << "lineEdit_minExposureRange"
            << ""
            << "autoExposureTimeRange" << QString("%1,%2").arg(34 * 14.8).arg(1351 * 14.8)
            << QString::number(34 * 14.8 / 1000, 'g', 6)
            << QString::number(1351 * 14.8 / 1000, 'g', 6) << "曝光范围未设置：请输入数值";
    }
    void typedRanges()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, probeName);
        QFETCH(QString, expected);
        QFETCH(QString, minimumText);
        QFETCH(QString, maximumText);
        QFETCH(QString, statusText);
        QCOMPARE(SdkSetAutoExposureGainRange(handle, 2000, 8000), 0);
        QCOMPARE(SdkSetAutoExposureTimeRange(handle, 500, 20000), 0);
        handle = openCamera(*window, kCamera);
        QVERIFY(apply(window.get(), "radioButton_autoExposure=1"));
        w<QStatusBar>("statusBar")->clearMessage();
        const QString before = probe(handle, qPrintable(probeName));
        auto* edit = w<QLineEdit>(field);
        type(edit, typed, [&] {
            QCOMPARE(probe(handle, qPrintable(probeName)), before);
            QVERIFY(typed.startsWith(edit->text()));
        });
        QCOMPARE(probe(handle, qPrintable(probeName)), expected);
        const bool gain = field.contains("Gain");
        QCOMPARE(w<QLineEdit>(gain ? "lineEdit_minGainRange" : "lineEdit_minExposureRange")->text(),
                 minimumText);
        QCOMPARE(w<QLineEdit>(gain ? "lineEdit_maxGainRange" : "lineEdit_maxExposureRange")->text(),
                 maximumText);
        QCOMPARE(status(), statusText);
    }

    // Trigger fields take whole numbers in the library's ranges; anything else is not sent.
    void typedTriggerValues_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("probeName");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<QString>("statusText");
        QTest::newRow("delay 250") << "lineEdit_tirggerdelay"
                                   << "250"
                                   << "triggerDelay"
                                   << "250"
                                   << "";
        QTest::newRow("letters in the delay are not sent") << "lineEdit_tirggerdelay"
                                                           << "abc"
                                                           << "triggerDelay"
                                                           << "100"
                                                           << "触发延迟未设置：“abc”不是数字";
        QTest::newRow("fraction of frames") << "lineEdit_tirggerframes"
                                            << "2.5"
                                            << "triggerFrames"
                                            << "3"
                                            << "触发帧数未设置：请输入整数";
        QTest::newRow("too many frames")
            << "lineEdit_tirggerframes"
            << "1001"
            << "triggerFrames"
            << "3" << QString::fromUtf8("触发帧数未设置：1001超出范围1–1000 帧");
    }
    void typedTriggerValues()
    {
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QString, probeName);
        QFETCH(QString, expected);
        QFETCH(QString, statusText);
        QCOMPARE(SdkSetTriggerDelay(handle, 100), 0);
        QCOMPARE(SdkSetTriggerFrameCount(handle, 3), 0);
        handle = openCamera(*window, kCamera);
        QVERIFY(apply(window.get(), "radioButton_softrigger=1"));
        w<QStatusBar>("statusBar")->clearMessage();
        auto* edit = w<QLineEdit>(field);
        const QString before = probe(handle, qPrintable(probeName));
        type(edit, typed, [&] { QCOMPARE(probe(handle, qPrintable(probeName)), before); });
        QCOMPARE(probe(handle, qPrintable(probeName)), expected);
        QCOMPARE(edit->text(), expected);
        QCOMPARE(status(), statusText);
        QVERIFY(apply(window.get(), "radioButton_continuity=1"));
    }

    // A value the camera refuses is told, and the panel shows what the camera kept.
    void refusedSettingIsToldAndUndone()
    {
        const int mono = openCamera(*window, kMono);
        QVERIFY(mono != 0);
        QVERIFY(apply(window.get(), "radioButton_manualwb=1"));
        QCOMPARE(probe(mono, "whiteBalanceMode"), QString("0"));
        QVERIFY(apply(window.get(), "radioButton_autowb=1"));
        QCOMPARE(status(), QString("相机未接受白平衡模式：相机不支持此功能"));
        QCOMPARE(probe(mono, "whiteBalanceMode"), QString("0"));
        QTRY_VERIFY_WITH_TIMEOUT(w<QRadioButton>("radioButton_manualwb")->isChecked(), kDeadlineMs);
        QVERIFY(!w<QRadioButton>("radioButton_autowb")->isChecked());
        // The next value the camera takes ends the refusal's message.
        QVERIFY(apply(window.get(), "horizontalSlider_iContrast=61"));
        QCOMPARE(probe(mono, "contrast"), QString("61"));
        QCOMPARE(status(), QString());
        openCamera(*window, kCamera);
    }

    // Ranges and units come from the camera and are shown where the value is typed.
    void hintsCarryTheCameraRanges()
    {
        const QString exposure = QString::fromUtf8("范围：0.015–1480 毫秒");
        QCOMPARE(w<QDoubleSpinBox>("doubleSpinBox_exposureTime")->toolTip(), exposure);
        QCOMPARE(w<QLineEdit>("lineEdit_maxExposureRange")->statusTip(), exposure);
        QCOMPARE(w<QLineEdit>("lineEdit_minGainRange")->toolTip(),
                 QString::fromUtf8("范围：1–16 倍"));
        QCOMPARE(w<QLineEdit>("lineEdit_tirggerdelay")->toolTip(),
                 QString::fromUtf8("范围：0–10000000 微秒"));
        QCOMPARE(w<QDoubleSpinBox>("doubleSpinBox_gainred")->toolTip(),
                 QString::fromUtf8("范围：0–4 倍"));
        QCOMPARE(w<QDoubleSpinBox>("doubleSpinBox_exposureTime")->maximum(), 1480.0);
    }

    // No control changes nothing without saying so: those the library has no operation
    // for show the camera's value only, or are off, and tell why.
    void controlsWithoutAnOperationSaySo()
    {
        for (const char* name : {"lineEdit_time", "lineEdit_ldelay", "lineEdit_lpulsewidth",
                                 "lineEdit_pwmcycle", "lineEdit_pwmhighttime"}) {
            auto* edit = w<QLineEdit>(name);
            QVERIFY2(edit->isReadOnly(), name);
            QVERIFY2(edit->toolTip().contains("只能查看"), name);
        }
        QVERIFY(!w<QCheckBox>("checkBox_negativeMode")->isEnabled());
        QVERIFY(w<QCheckBox>("checkBox_negativeMode")->toolTip().contains("不支持"));
        QVERIFY(apply(window.get(), "radioButton_manualwb=1"));
        QVERIFY(w<QGroupBox>("groupBox_Manualwb")->isEnabled());
        QVERIFY(!w<QComboBox>("comboBox_2")->isEnabled());
        QVERIFY(w<QComboBox>("comboBox_2")->toolTip().contains("色温"));
        // Typed into a display-only field, nothing changes.
        QTest::keyClicks(w<QLineEdit>("lineEdit_ldelay"), "123");
        QVERIFY(!w<QLineEdit>("lineEdit_ldelay")->text().endsWith("123"));
    }

    // The address-mode radios are written with the addresses: DHCP takes no address.
    void addressModeIsWritten()
    {
        ModalDialogWatcher watcher;
        QVERIFY(apply(window.get(), "radioButton_dhcp=1"));
        QVERIFY(!w<QLineEdit>("lineEdit_ip")->isEnabled());
        QVERIFY(apply(window.get(), "pushButton_ipsett=click"));
        VexoNetworkConfig config{};
        QCOMPARE(SdkGetNetworkConfig(kCamera, &config), 0);
        QCOMPARE(config.addressMode, 0);
        QCOMPARE(status(), QString("已将DHCP写入相机"));
        QVERIFY(w<QRadioButton>("radioButton_dhcp")->isChecked());

        QVERIFY(apply(window.get(), "radioButton_autoip=1"));
        QVERIFY(w<QLineEdit>("lineEdit_ip")->isEnabled());
        QVERIFY(apply(window.get(), "lineEdit_ip=192.168.7.33"));
        QVERIFY(apply(window.get(), "lineEdit_netMask=255.255.255.0"));
        QVERIFY(apply(window.get(), "lineEdit_gateway=192.168.7.1"));
        QVERIFY(apply(window.get(), "pushButton_ipsett=click"));
        QCOMPARE(SdkGetNetworkConfig(kCamera, &config), 0);
        QCOMPARE(config.addressMode, 1);
        QCOMPARE(QString(config.ipAddress), QString("192.168.7.33"));
        QCOMPARE(watcher.count(), 0);
    }

    // With the selected camera closed, the panel and its tool bar are off, and the
    // tool bar's buttons cannot bring back an empty panel.
    void closedCameraLeavesNoPanel()
    {
        CameraThread* shown = nullptr;
        for (CameraThread* camera : window->cameraWindowList()) {
            if (camera->cameraHandle() == handle)
                shown = camera;
        }
        QVERIFY(shown);
        shown->closeCamera();
        QCOMPARE(window->currentCameraHandle(), 0);
        QVERIFY(!w<QTabWidget>("tabWidget")->isEnabled());
        QVERIFY(!w<QWidget>("widget_settingToolbar")->isEnabled());
        ModalDialogWatcher watcher;
        QVERIFY(QMetaObject::invokeMethod(window.get(),
                                          "on_pushButton_restoreDefaultParameters_clicked"));
        QVERIFY(QMetaObject::invokeMethod(window.get(), "on_pushButton_saveInfo_clicked"));
        QVERIFY(!w<QTabWidget>("tabWidget")->isEnabled());
        QVERIFY(!w<QWidget>("widget_settingToolbar")->isEnabled());
        QCOMPARE(window->currentCameraHandle(), 0);
        QCOMPARE(watcher.count(), 0);
    }

    // Choosing a group says what the camera now holds, also the factory defaults of a
    // group never saved, and that edits not saved were replaced.
    void groupSelectionSaysWhatHappened()
    {
        // A clean start: group A holds the factory defaults, nothing edited.
        QVERIFY(apply(window.get(), "radioButton_model=1"));
        QVERIFY(apply(window.get(), "pushButton_recove=click"));
        QVERIFY(apply(window.get(), "radioButton_A=1"));
        QVERIFY(apply(window.get(), "pushButton_save=click"));
        QCOMPARE(status(), QString("参数已保存到参数组A"));

        QVERIFY(apply(window.get(), "horizontalSlider_iContrast=71"));
        QVERIFY(apply(window.get(), "radioButton_C=1"));
        QCOMPARE(status(),
                 QString("参数组C还没有保存过参数，已加载出厂默认参数；之前未保存的修改已被替换"));
        QCOMPARE(probed("currentGroup"), QString("255"));
        QVERIFY(probed("contrast") != "71");
        QCOMPARE(w<QSlider>("horizontalSlider_iContrast")->value(), probed("contrast").toInt());

        QVERIFY(apply(window.get(), "radioButton_A=1"));
        QCOMPARE(status(), QString("已加载参数组A"));
        QCOMPARE(probed("currentGroup"), QString("0"));
    }

    // Without a default focus position "恢复默认值" leaves the focus where it is. The
    // simulated cameras with a focus drive all know their default, so the button's action
    // runs for a camera without one (the button itself is off there).
    void focusRestoreWithoutADefault()
    {
        QVERIFY(apply(window.get(), "horizontalSlider_supportFocusing=600"));
        QCOMPARE(probed("focus"), QString("600"));
        QVERIFY(openCamera(*window, kMono) != 0);
        auto* slider = w<QSlider>("horizontalSlider_supportFocusing");
        QCOMPARE(slider->value(), 600);
        QVERIFY(QMetaObject::invokeMethod(window.get(), "on_pushButton_restore_clicked"));
        QCOMPARE(slider->value(), 600);
        QCOMPARE(status(), QString("相机没有默认调焦位置，调焦位置未改变"));
        QCOMPARE(probe(openCamera(*window, kCamera), "focus"), QString("600"));
    }

    // With a default the button drives the focus there, once.
    void focusRestoreToTheDefault()
    {
        QVERIFY(apply(window.get(), "horizontalSlider_supportFocusing=600"));
        QVERIFY(apply(window.get(), "pushButton_restore=click"));
        QCOMPARE(probed("focus"), QString("420"));
        QCOMPARE(w<QSlider>("horizontalSlider_supportFocusing")->value(), 420);
        QCOMPARE(status(), QString("调焦位置已恢复为默认值420"));
    }

    // "最大" on a sensor whose width is no multiple of 32 applies the whole sensor, and
    // the resolution page follows what the dialog applies.
    void wholeSensorRegionOnAnUnalignedWidth()
    {
        ModalDialogWatcher watcher;
        auto* combo = w<QComboBox>("comboBox_resolution");
        combo->setCurrentIndex(combo->count() - 1);
        RoiWidget* dialog = nullptr;
        for (QWidget* top : QApplication::topLevelWidgets()) {
            if (auto* candidate = qobject_cast<RoiWidget*>(top); candidate && top->isVisible())
                dialog = candidate;
        }
        QVERIFY(dialog);
        QCOMPARE(watcher.count(), 0);
        dialog->findChild<QPushButton*>("pushButton_max")->click();
        dialog->findChild<QPushButton*>("pushButton_setup")->click();
        QTRY_VERIFY_WITH_TIMEOUT(watcher.count() >= 1, kDeadlineMs);
        QCOMPARE(watcher.seen().first().text, QString("设置成功"));
        VexoResolution region{};
        QCOMPARE(SdkGetResolutionDescriptor(handle, VEXO_SDK_CUSTOM_RESOLUTION, &region), 0);
        QCOMPARE(QRect(region.offsetX, region.offsetY, region.regionWidth, region.regionHeight),
                 QRect(0, 0, 2448, 2048));
        // The resolution page shows the region at once.
        QVERIFY(w<QPushButton>("pushButton_roi")->isEnabled());
        QCOMPARE(combo->currentData().toInt(), 0xFF);

        // A region the dialog aligns and moves back onto the sensor: the page shows the
        // region the camera holds, not the one drawn.
        watcher.clear();
        dialog->findChild<QPushButton*>("pushButton_RightBottom")->click();
        dialog->findChild<QPushButton*>("pushButton_setup")->click();
        QTRY_VERIFY_WITH_TIMEOUT(watcher.count() >= 1, kDeadlineMs);
        QCOMPARE(watcher.seen().first().text, QString("设置成功"));
        QCOMPARE(SdkGetResolutionDescriptor(handle, VEXO_SDK_CUSTOM_RESOLUTION, &region), 0);
        QCOMPARE(region.offsetX + region.regionWidth, 2448);
        QCOMPARE(region.regionWidth % 32, 0);
        QCOMPARE(w<QLabel>("label_hoffset")->text(), QString::number(region.offsetX));
        QCOMPARE(w<QLabel>("label_voffset")->text(), QString::number(region.offsetY));
        QCOMPARE(w<QLabel>("label_hwidth")->text(), QString::number(region.regionWidth));
        QCOMPARE(w<QLabel>("label_vheight")->text(), QString::number(region.regionHeight));
        dialog->close();
        combo->setCurrentIndex(0);
    }

    // Longer English texts must not push a page's fields out of sight: every page of the
    // panel fits without scrolling sideways, in both languages.
    void everyPageFitsThePanel_data()
    {
        QTest::addColumn<QString>("language");
        QTest::newRow("English") << "action_language_EN";
        QTest::newRow("Chinese") << "action_language_CH";
    }
    void everyPageFitsThePanel()
    {
        QFETCH(QString, language);
        window->resize(1280, 800);
        window->findChild<QAction*>(language)->trigger();
        auto* pages = w<QToolBox>("toolBox_2");
        // A nickname of several words, as users give them, wraps instead of widening the
        // device page (and with it the panel, at the camera windows' cost).
        auto* nickname = w<QLabel>("label_deviceName");
        const QString shortName = nickname->text();
        QWidget* devicePage = w<QWidget>("page_deviceinfo");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const int narrow = devicePage->minimumSizeHint().width();
        nickname->setText(QStringLiteral("USB focus 4-channel camera, line two"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(devicePage->minimumSizeHint().width(), narrow);
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            QWidget* page = pages->widget(i);
            auto* area = qobject_cast<QScrollArea*>(page->parentWidget()->parentWidget());
            QVERIFY(area);
            QTRY_VERIFY_WITH_TIMEOUT(area->isVisible(), kDeadlineMs);
            // Layouts settle on posted requests; the scroll bar is judged after them.
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QTRY_VERIFY2_WITH_TIMEOUT(area->horizontalScrollBar()->maximum() == 0,
                                      qPrintable(QString("%1 needs %2 more pixels")
                                                     .arg(pages->itemText(i))
                                                     .arg(area->horizontalScrollBar()->maximum())),
                                      kDeadlineMs);
        }
        pages->setCurrentIndex(0);
        nickname->setText(shortName);
    }
};

QTEST_MAIN(PanelInputTest)
#include "tst_panelinput.moc"
