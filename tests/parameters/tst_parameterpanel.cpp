#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStackedWidget>
#include <QTabWidget>
#include <QToolBox>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "ModalDialogWatcher.h"
#include "PanelFixture.h"
#include "ParameterPanelLogic.h"
#include "RoiWidget.h"
#include "SettingsStore.h"

using namespace panelfixture;

namespace {
const char kGigeColour[] = "VXG2301C0001";  // 1920×1080, 1 input, 2 outputs
const char kGigeMono[] = "VXG5002M0001";    // 2592×1944 mono, 1 input, 1 output
const char kUsbSpecial[] = "VXU1301C0001";  // focus, 4 channels, 2 inputs, 2 outputs
const char kUsbFast[] = "VXU0302C0001";     // 1 input, no outputs

// The region dialog the panel opened last, if one is shown.
QWidget* shownRegionDialog()
{
    QWidget* dialog = nullptr;
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (top->inherits("RoiWidget") && top->isVisible())
            dialog = top;
    }
    return dialog;
}

// One fresh frame of the camera, processed into RGB as the camera windows show it.
QImage grabFrame(int handle)
{
    uint32_t token = 0;
    if (SdkGrabFrameWithTimeout(handle, &token, 20000) != 0)
        return {};
    VexoImageInfo info{};
    BYTE* raw = SdkGetRawImage(handle, token, &info);
    QImage image(info.width, info.height, QImage::Format_RGB888);
    std::vector<BYTE> out(size_t(info.width) * size_t(info.height) * 4);
    const int result = raw ? SdkProcessImage(handle, &info, raw, out.data()) : -1;
    SdkReleaseFrame(handle, token);
    if (result != 0 || info.pixelFormat != VEXO_SDK_PIXEL_RGB8)
        return {};
    for (int y = 0; y < info.height; ++y)
        std::memcpy(image.scanLine(y), out.data() + size_t(y) * size_t(info.width) * 3,
                    size_t(info.width) * 3);
    return image;
}

// A frame taken once the frames exposed before the last change have passed.
QImage settledFrame(int handle)
{
    QImage image;
    for (int i = 0; i < 3; ++i)
        image = grabFrame(handle);
    return image;
}

QVector<double> meanChannels(const QImage& image)
{
    QVector<double> sum(3, 0.0);
    for (int y = 0; y < image.height(); y += 2) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); x += 2)
            for (int c = 0; c < 3; ++c)
                sum[c] += line[x * 3 + c];
    }
    for (double& v : sum)
        v /= (image.width() / 2.0) * (image.height() / 2.0);
    return sum;
}

bool isGrey(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            if (line[x * 3] != line[x * 3 + 1] || line[x * 3 + 1] != line[x * 3 + 2])
                return false;
        }
    }
    return true;
}

// Mean brightness of each column, scaled to mean 0 and spread 1 so that the light's
// flicker between two frames does not count.
QVector<double> columnProfile(const QImage& image)
{
    QVector<double> profile(image.width(), 0.0);
    for (int y = 0; y < image.height(); ++y) {
        const uchar* line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x)
            profile[x] += line[x * 3] + line[x * 3 + 1] + line[x * 3 + 2];
    }
    double mean = 0, spread = 0;
    for (double v : profile)
        mean += v / profile.size();
    for (double v : profile)
        spread += (v - mean) * (v - mean) / profile.size();
    spread = std::sqrt(spread);
    for (double& v : profile)
        v = spread > 0 ? (v - mean) / spread : 0;
    return profile;
}
}  // namespace

// The parameter panel of the main window against the simulated cameras: every dispatch
// row reaches the camera library with its arguments, and the read-back shows each camera.
class ParameterPanelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VexoCam> window;

    template <typename T>
    T* w(const QString& name)
    {
        return window->findChild<T*>(name);
    }

private slots:
    void initTestCase()
    {
        settingsStore()->setValue("EDITION", "Language", 0);
        window = std::make_unique<VexoCam>(nullptr, programDir());
        window->show();
        QVERIFY(waitForGrid(*window, true));
    }
    void cleanupTestCase() { window.reset(); }

    void panelDisabledUntilCameraSelected()
    {
        VexoCam fresh(nullptr, programDir());
        QVERIFY(!fresh.findChild<QTabWidget*>("tabWidget")->isEnabled());
        QVERIFY(!fresh.findChild<QWidget*>("widget_settingToolbar")->isEnabled());
        QCOMPARE(fresh.findChild<QToolBox*>("toolBox_2")->count(), 9);
    }

    void formControls_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("className");
        for (const QString& name : panel::radioButtonsToConnect())
            QTest::newRow(qPrintable(name)) << name << "QRadioButton";
        for (const QString& name : panel::doubleSpinBoxesToConnect())
            QTest::newRow(qPrintable(name)) << name << "QDoubleSpinBox";
        for (const QString& name : panel::comboBoxesToConnect())
            QTest::newRow(qPrintable(name)) << name << "QComboBox";
        for (const QString& name : panel::checkBoxesToConnect())
            QTest::newRow(qPrintable(name)) << name << "QCheckBox";
        for (const QString& name : panel::lineEditsToConnect())
            QTest::newRow(qPrintable(name)) << name << "QLineEdit";
        for (const QString& name : panel::readBackSliders())
            QTest::newRow(qPrintable(name)) << name << "QSlider";
        for (const QString& name : panel::blockedControls())
            QTest::newRow(qPrintable("blocked " + name)) << name << "";
        const QStringList groups = {"groupBox_Manualwb",       "groupBox_AutoExposure",
                                    "groupBox_ManualExposure", "groupBox_track",
                                    "groupBox_preset",         "groupBox_13",
                                    "groupBox_hardtrigger",    "groupBox_iosignal",
                                    "groupBox_channel",        "groupBox_supportFocusing"};
        for (const QString& name : groups)
            QTest::newRow(qPrintable(name)) << name << "QGroupBox";
        const QStringList others = {"horizontalSlider_supportFocusing:QSlider",
                                    "stackedWidget_pwm:QStackedWidget",
                                    "checkBox_negativeMode:QCheckBox",
                                    "comboBox_2:QComboBox",
                                    "radioButton_dhcp:QRadioButton",
                                    "radioButton_autoip:QRadioButton",
                                    "lineEdit_mac:QLineEdit",
                                    "lineEdit_ip:QLineEdit",
                                    "lineEdit_netMask:QLineEdit",
                                    "lineEdit_gateway:QLineEdit",
                                    "lineEdit_PacketSize:QLineEdit",
                                    "lineEdit_netWorkIntervalTime:QLineEdit",
                                    "lineEdit_time:QLineEdit",
                                    "lineEdit_ldelay:QLineEdit",
                                    "lineEdit_lpulsewidth:QLineEdit",
                                    "lineEdit_pwmcycle:QLineEdit",
                                    "lineEdit_pwmhighttime:QLineEdit",
                                    "pushButton_tirggeronce:QPushButton",
                                    "pushButton_onetouth:QPushButton",
                                    "pushButton_roi:QPushButton",
                                    "pushButton_restore:QPushButton",
                                    "pushButton_ipsett:QPushButton",
                                    "pushButton_packetSizeSett:QPushButton",
                                    "pushButton_save:QPushButton",
                                    "pushButton_recove:QPushButton",
                                    "pushButton_load:QPushButton",
                                    "pushButton_savefile:QPushButton",
                                    "spinBox_iContrast:QSpinBox",
                                    "spinBox_iSharpness:QSpinBox",
                                    "spinBox_iSaturation:QSpinBox",
                                    "spinBox_Light:QSpinBox",
                                    "label_hoffset:QLabel",
                                    "label_voffset:QLabel",
                                    "label_hwidth:QLabel",
                                    "label_vheight:QLabel",
                                    "label_sdkVersion:QLabel",
                                    "tab_4:QWidget"};
        for (const QString& entry : others)
            QTest::newRow(qPrintable(entry)) << entry.section(':', 0, 0) << entry.section(':', 1);
        for (int n = 1; n <= 9; ++n) {
            QTest::newRow(qPrintable(QString("lineEdit_x%1").arg(n)))
                << QString("lineEdit_x%1").arg(n) << "QLineEdit";
            QTest::newRow(qPrintable(QString("pushButton_color%1").arg(n)))
                << QString("pushButton_color%1").arg(n) << "QPushButton";
        }
    }
    void formControls()
    {
        QFETCH(QString, name);
        QFETCH(QString, className);
        QObject* object = window->findChild<QObject*>(name);
        QVERIFY2(object, qPrintable(name));
        if (!className.isEmpty())
            QCOMPARE(QString(object->metaObject()->className()), className);
    }

    void fixedItemsAndPages()
    {
        auto items = [this](const char* name) {
            QStringList texts;
            auto* combo = w<QComboBox>(name);
            for (int i = 0; i < combo->count(); ++i)
                texts << combo->itemText(i);
            return texts;
        };
        QCOMPARE(items("comboBox_workmode"), QStringList({"触发", "输入IO"}));
        QCOMPARE(items("comboBox_tirggermode"),
                 QStringList({"上升沿触发", "下降沿触发", "高电平触发", "低电平触发"}));
        QCOMPARE(items("comboBox_owordmode"), QStringList({"闪光灯", "输出IO", "PWM"}));
        QCOMPARE(items("comboBox_imode"), QStringList({"自动", "半自动"}));
        QCOMPARE(items("comboBox_polarity"), QStringList({"低电平", "高电平"}));
        QCOMPARE(items("comboBox_iostatus"), QStringList({"低电平", "高电平"}));
        auto* pwm = w<QStackedWidget>("stackedWidget_pwm");
        QCOMPARE(pwm->count(), 3);
        QVERIFY(pwm->widget(0)->findChild<QLineEdit*>("lineEdit_ldelay"));
        QVERIFY(pwm->widget(1)->findChild<QComboBox*>("comboBox_iostatus"));
        QVERIFY(pwm->widget(2)->findChild<QLineEdit*>("lineEdit_pwmcycle"));
        const QStringList pages = {"page_deviceinfo",   "page_videoinfo",    "page_exposureInfo",
                                   "page_whitebalance", "page_crosshairs",   "page_iosetting",
                                   "page_resolution",   "page_gammasetting", "page_cameragige"};
        auto* box = w<QToolBox>("toolBox_2");
        for (int i = 0; i < pages.size(); ++i)
            QCOMPARE(box->widget(i)->objectName(), pages[i]);
        auto* tabs = w<QTabWidget>("tabWidget");
        QCOMPARE(tabs->tabText(0), QString("属性树"));
        QCOMPARE(tabs->tabText(1), QString("参数保存"));
        // Ranges the read-back leaves alone.
        QCOMPARE(w<QSlider>("horizontalSlider_iSaturation")->maximum(), 255);
        QCOMPARE(w<QSlider>("horizontalSlider_light")->minimum(), 10);
        QCOMPARE(w<QSlider>("horizontalSlider_gainred")->maximum(), 400);
        QCOMPARE(w<QDoubleSpinBox>("doubleSpinBox_gainred")->maximum(), 4.0);
        QCOMPARE(w<QSlider>("horizontalSlider_gamma")->maximum(), 1000);
        QCOMPARE(w<QSlider>("horizontalSlider_contrast")->maximum(), 200);
        QCOMPARE(w<QDoubleSpinBox>("doubleSpinBox_contrast")->singleStep(), 0.01);
    }

    // Each row: the camera, the steps a user takes ("name=value", the last one is the
    // sender of the row), the camera value read through the library and what it must be.
    // "$data" stands for the item data of the last step's combo box, "$steps:n" for n
    // exposure steps, "$truncated:t" for the whole steps below t and "$snap:a,b" for
    // times the camera rounds to whole steps.
    void dispatch_data()
    {
        QTest::addColumn<QString>("camera");
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QString>("probeName");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* camera, QStringList steps,
                      const char* probeName, const QString& expected) {
            QTest::newRow(name) << QString(camera) << steps << QString(probeName) << expected;
        };
        const char* c = kGigeColour;
        const char* u = kUsbSpecial;
        // onRadioClickResult
        row("manual white balance", c, {"radioButton_autowb=1", "radioButton_manualwb=1"},
            "whiteBalanceMode", "0");
        row("auto white balance", c, {"radioButton_manualwb=1", "radioButton_autowb=1"},
            "whiteBalanceMode", "1");
        row("frame speed low", c, {"radioButton_high=1", "radioButton_low=1"}, "frameSpeed", "0");
        row("frame speed medium", c, {"radioButton_low=1", "radioButton_medium=1"}, "frameSpeed",
            "1");
        row("frame speed high", c, {"radioButton_low=1", "radioButton_high=1"}, "frameSpeed", "2");
        row("lookup table dynamic", c, {"radioButton_preset=1", "radioButton_track=1"}, "lutMode",
            "0");
        row("lookup table preset", c, {"radioButton_track=1", "radioButton_preset=1"}, "lutMode",
            "1");
        row("auto exposure", c, {"radioButton_manualExposure=1", "radioButton_autoExposure=1"},
            "exposureMode", "1");
        row("manual exposure", c, {"radioButton_autoExposure=1", "radioButton_manualExposure=1"},
            "exposureMode", "0");
        row("50 Hz", c, {"checkBox_flashScreen=1", "radioButton_60Hz=1", "radioButton_50Hz=1"},
            "lightFrequency", "1");
        row("60 Hz", c, {"checkBox_flashScreen=1", "radioButton_50Hz=1", "radioButton_60Hz=1"},
            "lightFrequency", "2");
        row("continuous", c, {"radioButton_softrigger=1", "radioButton_continuity=1"},
            "triggerMode", "0");
        row("software trigger", c, {"radioButton_continuity=1", "radioButton_softrigger=1"},
            "triggerMode", "1");
        row("hardware trigger", c, {"radioButton_continuity=1", "radioButton_hardtirgger=1"},
            "triggerMode", "2");
        row("load by model", c, {"radioButton_name=1", "radioButton_model=1"}, "loadMode", "0");
        row("load by nickname", c, {"radioButton_model=1", "radioButton_name=1"}, "loadMode", "1");
        row("load by serial number", c, {"radioButton_model=1", "radioButton_number=1"}, "loadMode",
            "2");
        row("empty group A falls back to the factory defaults", c,
            {"radioButton_B=1", "radioButton_A=1"}, "currentGroup", "255");
        row("empty group D falls back to the factory defaults", c,
            {"radioButton_A=1", "radioButton_D=1"}, "currentGroup", "255");
        // onSliderResult
        row("red gain slider", c,
            {"radioButton_manualwb=1", "horizontalSlider_gaingreen=100",
             "horizontalSlider_gainblue=120", "horizontalSlider_gainred=150"},
            "gains", "150,100,120");
        row("green gain slider", c,
            {"radioButton_manualwb=1", "horizontalSlider_gainred=100",
             "horizontalSlider_gainblue=100", "horizontalSlider_gaingreen=210"},
            "gains", "100,210,100");
        row("blue gain slider", c,
            {"radioButton_manualwb=1", "horizontalSlider_gainred=100",
             "horizontalSlider_gaingreen=100", "horizontalSlider_gainblue=5"},
            "gains", "100,100,5");
        row("contrast slider", c, {"horizontalSlider_iContrast=70"}, "contrast", "70");
        row("sharpness slider", c, {"horizontalSlider_iSharpness=35"}, "sharpness", "35");
        row("saturation slider", c, {"horizontalSlider_iSaturation=220"}, "saturation", "220");
        row("gamma slider", c, {"radioButton_track=1", "horizontalSlider_gamma=250"}, "gamma",
            "250");
        row("lookup contrast slider", c, {"radioButton_track=1", "horizontalSlider_contrast=150"},
            "lutContrast", "150");
        row("target brightness slider", c, {"horizontalSlider_light=150"}, "targetBrightness",
            "150");
        row("analog gain slider", c,
            {"radioButton_manualExposure=1", "horizontalSlider_analogGain=2500"}, "analogGain",
            "2500");
        row("exposure slider in 10 us steps", c,
            {"radioButton_manualExposure=1", "horizontalSlider_exposureTime=2000"}, "exposureUs",
            "$steps:2000");
        row("focus slider", u, {"horizontalSlider_supportFocusing=512"}, "focus", "512");
        // Spin boxes coupled to sliders
        row("contrast spin box", c, {"spinBox_iContrast=61"}, "contrast", "61");
        row("sharpness spin box", c, {"spinBox_iSharpness=12"}, "sharpness", "12");
        row("saturation spin box", c, {"spinBox_iSaturation=140"}, "saturation", "140");
        row("target brightness spin box", c, {"spinBox_Light=90"}, "targetBrightness", "90");
        // onDoubleSpinBoxFruits
        row("red gain spin box", c,
            {"radioButton_manualwb=1", "horizontalSlider_gaingreen=100",
             "horizontalSlider_gainblue=100", "doubleSpinBox_gainred=1.5"},
            "gains", "150,100,100");
        row("green gain spin box 0.29", c,
            {"radioButton_manualwb=1", "horizontalSlider_gainred=100",
             "horizontalSlider_gainblue=100", "doubleSpinBox_gaingreen=0.29"},
            "gains", "100,29,100");
        row("blue gain spin box", c,
            {"radioButton_manualwb=1", "horizontalSlider_gainred=100",
             "horizontalSlider_gaingreen=100", "doubleSpinBox_gainblue=2.57"},
            "gains", "100,100,257");
        row("gamma spin box", c, {"radioButton_track=1", "doubleSpinBox_gamma=1.8"}, "gamma",
            "180");
        row("lookup contrast spin box", c, {"radioButton_track=1", "doubleSpinBox_contrast=0.8"},
            "lutContrast", "80");
        row("analog gain spin box", c,
            {"radioButton_manualExposure=1", "doubleSpinBox_analogGain=3.25"}, "analogGain",
            "3250");
        row("exposure spin box in milliseconds", c,
            {"radioButton_manualExposure=1", "doubleSpinBox_exposureTime=15"}, "exposureUs",
            "$truncated:15000");
        // onLineEditResult
        row("auto exposure maximum time", c,
            {"radioButton_autoExposure=1", "lineEdit_minExposureRange=0.5",
             "lineEdit_maxExposureRange=30"},
            "autoExposureTimeRange", "$snap:500,30000");
        row("auto exposure minimum time", c,
            {"radioButton_autoExposure=1", "lineEdit_maxExposureRange=20",
             "lineEdit_minExposureRange=1.5"},
            "autoExposureTimeRange", "$snap:1500,20000");
        row("auto exposure maximum gain", c,
            {"radioButton_autoExposure=1", "lineEdit_minGainRange=2", "lineEdit_maxGainRange=4"},
            "autoExposureGainRange", "2000,4000");
        row("auto exposure minimum gain", c,
            {"radioButton_autoExposure=1", "lineEdit_maxGainRange=6", "lineEdit_minGainRange=3"},
            "autoExposureGainRange", "3000,6000");
        row("auto exposure gain range in half multiples", c,
            {"radioButton_autoExposure=1", "lineEdit_maxGainRange=6", "lineEdit_minGainRange=1.5"},
            "autoExposureGainRange", "1500,6000");
        row("trigger frames", c, {"radioButton_softrigger=1", "lineEdit_tirggerframes=5"},
            "triggerFrames", "5");
        row("trigger delay", c, {"radioButton_softrigger=1", "lineEdit_tirggerdelay=250"},
            "triggerDelay", "250");
        row("letters in the trigger delay are not sent", c,
            {"radioButton_softrigger=1", "lineEdit_tirggerdelay=250", "lineEdit_tirggerdelay=abc"},
            "triggerDelay", "250");
        row("letters in the trigger frames are not sent", c,
            {"radioButton_softrigger=1", "lineEdit_tirggerframes=7", "lineEdit_tirggerframes=x7"},
            "triggerFrames", "7");
        // onCheckStatsResult
        row("horizontal mirror", c,
            {"checkBox_vertical=0", "checkBox_mirror=0", "checkBox_mirror=1"}, "mirror", "1,0");
        row("vertical flip", c, {"checkBox_mirror=0", "checkBox_vertical=0", "checkBox_vertical=1"},
            "mirror", "0,1");
        row("monochrome", c, {"checkBox_bwmode=0", "checkBox_bwmode=1"}, "monochrome", "1");
        row("defect correction", c, {"checkBox_bPoint=1", "checkBox_bPoint=0"}, "defectCorrection",
            "0");
        row("crosshair 1", c,
            {"checkBox_display1=0", "lineEdit_x1=100", "lineEdit_y1=200",
             "pushButton_color1=background-color:rgb(0,255,0)", "checkBox_display1=1"},
            "crosshair0", "100,200,65280,1");
        row("crosshair 9 off", c,
            {"checkBox_display9=1", "lineEdit_x9=7", "lineEdit_y9=8",
             "pushButton_color9=background-color:rgb(1,2,3)", "checkBox_display9=0"},
            "crosshair8", QString("7,8,%1,0").arg(1 + 2 * 256 + 3 * 65536));
        row("crosshair with letters for x", c,
            {"checkBox_display5=0", "lineEdit_x5=abc", "lineEdit_y5=30",
             "pushButton_color5=background-color:rgb(255,0,0)", "checkBox_display5=1"},
            "crosshair4", "0,30,255,1");
        row("anti-flicker", c, {"checkBox_flashScreen=0", "checkBox_flashScreen=1"}, "antiFlicker",
            "1");
        row("channel 1 off", u,
            {"checkBox_channel0=1", "checkBox_channel1=1", "checkBox_channel2=1",
             "checkBox_channel3=1", "checkBox_channel1=0"},
            "channelMask", "13");
        row("channel 3 on alone", u,
            {"checkBox_channel0=0", "checkBox_channel1=0", "checkBox_channel2=0",
             "checkBox_channel3=0", "checkBox_channel3=1"},
            "channelMask", "8");
        // onConboxResult
        row("preset lookup table", c,
            {"radioButton_preset=1", "comboBox_preset=0", "comboBox_preset=2"}, "presetLut",
            "$data");
        row("image format", c, {"comboBox=0", "comboBox=1"}, "imageFormat", "$data");
        row("preset resolution", c, {"comboBox_resolution=0", "comboBox_resolution=1"},
            "resolutionIndex", "$data");
        row("input mode of line 1", u,
            {"comboBox_input=1", "comboBox_workmode=0", "comboBox_workmode=1"}, "inputMode1", "1");
        row("input mode leaves line 0", u,
            {"comboBox_input=0", "comboBox_workmode=0", "comboBox_input=1", "comboBox_workmode=1"},
            "inputMode0", "0");
        row("trigger edge", u,
            {"comboBox_input=0", "comboBox_workmode=0", "comboBox_tirggermode=2"}, "triggerEdge0",
            "2");
        row("output mode of line 1", u,
            {"comboBox_output=1", "comboBox_owordmode=0", "comboBox_owordmode=2"}, "outputMode1",
            "2");
        row("strobe mode", u, {"comboBox_output=0", "comboBox_imode=0", "comboBox_imode=1"},
            "strobeMode0", "1");
        row("strobe polarity", u,
            {"comboBox_output=1", "comboBox_polarity=0", "comboBox_polarity=1"}, "strobePolarity1",
            "1");
        row("output level", u, {"comboBox_output=0", "comboBox_iostatus=0", "comboBox_iostatus=1"},
            "outputLevel0", "1");
    }
    void dispatch()
    {
        QFETCH(QString, camera);
        QFETCH(QStringList, steps);
        QFETCH(QString, probeName);
        QFETCH(QString, expected);
        const int handle = openCamera(*window, camera);
        QVERIFY(handle != 0);
        QCOMPARE(window->currentCameraHandle(), handle);
        for (const QString& step : steps)
            QVERIFY2(apply(window.get(), step), qPrintable(step));
        double step = 0;
        SdkGetExposureStepTime(handle, &step);
        if (expected == "$data") {
            auto* combo = w<QComboBox>(steps.last().section('=', 0, 0));
            expected = QString::number(combo->currentData().toUInt());
        } else if (expected.startsWith("$steps:")) {
            expected = QString::number(expected.mid(7).toInt() * step);
        } else if (expected.startsWith("$truncated:")) {
            expected = QString::number(std::trunc(expected.mid(11).toDouble() / step) * step);
        } else if (expected.startsWith("$snap:")) {
            QStringList times;
            for (const QString& time : expected.mid(6).split(','))
                times << QString::number(std::round(time.toDouble() / step) * step);
            expected = times.join(',');
        }
        QCOMPARE(probe(handle, probeName), expected);
    }

    // Enabled states the radio and combo rows switch besides the camera call.
    void dispatchEnabling_data()
    {
        QTest::addColumn<QStringList>("steps");
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QStringList>("disabled");
        QTest::newRow("manual white balance")
            << QStringList{"radioButton_autowb=1", "radioButton_manualwb=1"}
            << QStringList{"groupBox_Manualwb"} << QStringList{};
        QTest::newRow("auto white balance")
            << QStringList{"radioButton_manualwb=1", "radioButton_autowb=1"} << QStringList{}
            << QStringList{"groupBox_Manualwb"};
        QTest::newRow("lookup preset")
            << QStringList{"radioButton_track=1", "radioButton_preset=1"}
            << QStringList{"groupBox_preset"} << QStringList{"groupBox_track"};
        QTest::newRow("auto exposure")
            << QStringList{"radioButton_manualExposure=1", "radioButton_autoExposure=1"}
            << QStringList{"groupBox_AutoExposure"} << QStringList{"groupBox_ManualExposure"};
        QTest::newRow("software trigger")
            << QStringList{"radioButton_continuity=1", "radioButton_softrigger=1"}
            << QStringList{"groupBox_13", "pushButton_tirggeronce"}
            << QStringList{"groupBox_hardtrigger", "groupBox_iosignal"};
        QTest::newRow("hardware trigger")
            << QStringList{"radioButton_continuity=1", "radioButton_hardtirgger=1"}
            << QStringList{"groupBox_hardtrigger", "groupBox_iosignal"}
            << QStringList{"groupBox_13", "pushButton_tirggeronce"};
        QTest::newRow("continuous")
            << QStringList{"radioButton_softrigger=1", "radioButton_continuity=1"} << QStringList{}
            << QStringList{"groupBox_13", "pushButton_tirggeronce", "groupBox_hardtrigger",
                           "groupBox_iosignal"};
        QTest::newRow("anti-flicker off")
            << QStringList{"checkBox_flashScreen=1", "checkBox_flashScreen=0"} << QStringList{}
            << QStringList{"radioButton_50Hz", "radioButton_60Hz"};
        QTest::newRow("plain input disables the edge")
            << QStringList{"radioButton_hardtirgger=1", "comboBox_workmode=0",
                           "comboBox_workmode=1"}
            << QStringList{} << QStringList{"comboBox_tirggermode", "lineEdit_time"};
        QTest::newRow("automatic strobe disables delay and width")
            << QStringList{"radioButton_hardtirgger=1", "comboBox_imode=1", "comboBox_imode=0"}
            << QStringList{} << QStringList{"lineEdit_ldelay", "lineEdit_lpulsewidth"};
    }
    void dispatchEnabling()
    {
        QFETCH(QStringList, steps);
        QFETCH(QStringList, enabled);
        QFETCH(QStringList, disabled);
        QVERIFY(openCamera(*window, kUsbSpecial) != 0);
        w<QToolBox>("toolBox_2")->setCurrentIndex(5);
        for (const QString& step : steps)
            QVERIFY2(apply(window.get(), step), qPrintable(step));
        for (const QString& name : enabled)
            QVERIFY2(w<QWidget>(name)->isEnabled(), qPrintable(name));
        for (const QString& name : disabled)
            QVERIFY2(!w<QWidget>(name)->isEnabled(), qPrintable(name));
    }

    void outputModePagesFollow()
    {
        QVERIFY(openCamera(*window, kUsbSpecial) != 0);
        for (int mode : {2, 1, 0}) {
            w<QComboBox>("comboBox_owordmode")->setCurrentIndex(mode);
            QCOMPARE(w<QStackedWidget>("stackedWidget_pwm")->currentIndex(), mode);
        }
    }

    // Choosing a line shows that line's values, as the camera holds them.
    void lineSelectionShowsLineValues()
    {
        const int handle = openCamera(*window, kUsbSpecial);
        QCOMPARE(SdkSetOutputMode(handle, 1, 2), 0);
        QCOMPARE(SdkSetOutputMode(handle, 0, 0), 0);
        QCOMPARE(SdkSetInputTriggerEdge(handle, 1, 3), 0);
        w<QComboBox>("comboBox_output")->setCurrentIndex(1);
        QCOMPARE(w<QComboBox>("comboBox_owordmode")->currentIndex(), 2);
        QCOMPARE(w<QStackedWidget>("stackedWidget_pwm")->currentIndex(), 2);
        int period = 0, high = 0;
        QCOMPARE(SdkGetPwmParameters(handle, 1, &period, &high), 0);
        QCOMPARE(w<QLineEdit>("lineEdit_pwmcycle")->text(), QString::number(period));
        w<QComboBox>("comboBox_output")->setCurrentIndex(0);
        QCOMPARE(w<QComboBox>("comboBox_owordmode")->currentIndex(), 0);
        w<QComboBox>("comboBox_input")->setCurrentIndex(1);
        QCOMPARE(w<QComboBox>("comboBox_tirggermode")->currentIndex(), 3);
        // Writing the shown values to the camera is left to the combo boxes of that line.
        QCOMPARE(probe(handle, "outputMode1"), QString("2"));
    }

    // The spin box keeps the gain the camera has: 0.29 must not come back as 28.
    void readBackGainsLandOnTheirSliders()
    {
        const int handle = openCamera(*window, kGigeColour);
        QCOMPARE(SdkSetWhiteBalanceMode(handle, 0), 0);
        QCOMPARE(SdkSetWhiteBalanceGains(handle, 29, 57, 115), 0);
        openCamera(*window, kGigeColour);
        QCOMPARE(w<QSlider>("horizontalSlider_gainred")->value(), 29);
        QCOMPARE(w<QSlider>("horizontalSlider_gaingreen")->value(), 57);
        QCOMPARE(w<QSlider>("horizontalSlider_gainblue")->value(), 115);
        // Moving one gain writes the other two as they are.
        w<QSlider>("horizontalSlider_gainblue")->setValue(116);
        QCOMPARE(probe(handle, "gains"), QString("29,57,116"));
    }

    // A spin-box time inside the slider's current position writes nothing; the slider's
    // own time, rounded by the spin box, leaves slider and camera where they are.
    void exposureSpinBoxOnSliderPositionWritesNothing_data()
    {
        QTest::addColumn<QString>("camera");
        QTest::newRow("14.8 us steps") << QString(kGigeColour);
        QTest::newRow("36.2 us steps") << QString(kGigeMono);
        QTest::newRow("10.5 us steps") << QString(kUsbSpecial);
        QTest::newRow("4.2 us steps") << QString(kUsbFast);
    }
    void exposureSpinBoxOnSliderPositionWritesNothing()
    {
        QFETCH(QString, camera);
        const int handle = openCamera(*window, camera);
        double step = 0;
        QCOMPARE(SdkGetExposureStepTime(handle, &step), 0);
        apply(window.get(), "radioButton_manualExposure=1");
        auto* slider = w<QSlider>("horizontalSlider_exposureTime");
        auto* spin = w<QDoubleSpinBox>("doubleSpinBox_exposureTime");
        const int position = 1234 < slider->maximum() ? 1234 : slider->maximum() / 2;
        apply(window.get(), QString("horizontalSlider_exposureTime=%1").arg(position));
        QCOMPARE(slider->value(), position);
        QCOMPARE(probe(handle, "exposureUs"), QString::number(position * step));
        QCOMPARE(spin->value(), std::round(position * step) / 1000.0);
        // A typed time that still lies inside this position.
        spin->setValue((position * step + step * 0.4) / 1000.0);
        QCOMPARE(slider->value(), position);
        QCOMPARE(probe(handle, "exposureUs"), QString::number(position * step));
    }

    void readBack_data()
    {
        QTest::addColumn<QString>("camera");
        QTest::addColumn<bool>("gige");
        QTest::addColumn<int>("inputs");
        QTest::addColumn<int>("outputs");
        QTest::addColumn<bool>("specialPage");
        QTest::newRow(kGigeColour) << QString(kGigeColour) << true << 1 << 2 << false;
        QTest::newRow(kGigeMono) << QString(kGigeMono) << true << 1 << 1 << false;
        QTest::newRow(kUsbSpecial) << QString(kUsbSpecial) << false << 2 << 2 << true;
        QTest::newRow(kUsbFast) << QString(kUsbFast) << false << 1 << 0 << false;
    }
    void readBack()
    {
        QFETCH(QString, camera);
        QFETCH(bool, gige);
        QFETCH(int, inputs);
        QFETCH(int, outputs);
        QFETCH(bool, specialPage);
        int handle = openCamera(*window, camera);
        QVERIFY(handle != 0);
        // Earlier rows changed these cameras; the factory state is what is compared.
        QCOMPARE(SdkLoadParameterGroup(handle, VEXO_SDK_FACTORY_GROUP), 0);
        handle = openCamera(*window, camera);
        QCOMPARE(window->currentCameraHandle(), handle);
        VexoCameraParameters p{};
        VexoCapabilities caps{};
        QCOMPARE(SdkGetCameraParameters(handle, &p), 0);
        QCOMPARE(SdkGetCapabilities(handle, &caps), 0);
        QVERIFY(w<QTabWidget>("tabWidget")->isEnabled());
        QVERIFY(w<QWidget>("widget_settingToolbar")->isEnabled());

        QCOMPARE(w<QLabel>("label_deviceSerial")->text(), camera);
        QCOMPARE(w<QLabel>("label_deviceName")->text(),
                 QString::fromLocal8Bit(p.device.deviceName));
        QCOMPARE(w<QLineEdit>("lineEdit_deviceName")->text(),
                 QString::fromLocal8Bit(p.device.deviceName));
        QCOMPARE(w<QLabel>("label_productsseries")->text(), QString(p.device.productSeries));
        QCOMPARE(w<QLabel>("label_communiType")->text(), QString(p.device.interfaceText));
        uint32_t typeCode = 0;
        SdkGetDeviceTypeCode(handle, &typeCode);
        QCOMPARE(w<QLabel>("label_deviceType")->text(), QString::number(typeCode, 16));
        QVERIFY(w<QLabel>("label_deviceFirmware")->text().startsWith("v"));
        QVERIFY(!w<QLabel>("label_sdkVersion")->text().isEmpty());

        QCOMPARE(w<QRadioButton>("radioButton_autowb")->isChecked(), p.whiteBalanceMode == 1);
        QCOMPARE(w<QRadioButton>("radioButton_manualwb")->isChecked(), p.whiteBalanceMode != 1);
        QCOMPARE(w<QRadioButton>("radioButton_medium")->isChecked(), p.frameSpeed == 1);
        QCOMPARE(w<QSpinBox>("spinBox_iSaturation")->value(), p.saturation);
        QCOMPARE(w<QSlider>("horizontalSlider_iSaturation")->value(), p.saturation);
        QCOMPARE(w<QCheckBox>("checkBox_bwmode")->isChecked(), p.monochrome == 1);

        QCOMPARE(w<QComboBox>("comboBox")->count(), caps.imageFormatCount);
        uint32_t format = 0;
        SdkGetImageFormat(handle, &format);
        QCOMPARE(w<QComboBox>("comboBox")->currentData().toUInt(), format);
        QCOMPARE(w<QComboBox>("comboBox_preset")->count(), caps.presetLutCount);

        auto* resolutions = w<QComboBox>("comboBox_resolution");
        QCOMPARE(resolutions->count(), caps.resolutionCount + 1);
        QCOMPARE(resolutions->itemText(resolutions->count() - 1), QString("自定义"));
        QCOMPARE(resolutions->itemData(resolutions->count() - 1).toInt(), 0xFF);
        QCOMPARE(resolutions->currentIndex(), 0);
        QCOMPARE(w<QLabel>("label_hwidth")->text(), QString::number(caps.sensorWidth));
        QCOMPARE(w<QLabel>("label_vheight")->text(), QString::number(caps.sensorHeight));
        QVERIFY(!w<QPushButton>("pushButton_roi")->isEnabled());

        QCOMPARE(w<QLineEdit>("lineEdit_maxExposureRange")->text(),
                 QString::number(p.autoExposureMaxTimeUs / 1000.0, 'g', 6));
        QCOMPARE(w<QLineEdit>("lineEdit_maxGainRange")->text(),
                 panel::gainRangeText(p.autoExposureMaxGainMilli));
        QCOMPARE(w<QSlider>("horizontalSlider_analogGain")->minimum(), caps.analogGainMinMilli);
        QCOMPARE(w<QSlider>("horizontalSlider_analogGain")->maximum(), caps.analogGainMaxMilli);
        QCOMPARE(w<QSlider>("horizontalSlider_exposureTime")->maximum(), caps.exposureMaxSteps);
        double step = 0;
        SdkGetExposureStepTime(handle, &step);
        if (p.exposureMode == 1) {
            // Automatic exposure keeps changing the time while frames flow, so the panel
            // read its own value; slider and spin box must still agree with each other.
            const double shownUs = w<QDoubleSpinBox>("doubleSpinBox_exposureTime")->value() * 1000.0;
            QVERIFY(std::abs(w<QSlider>("horizontalSlider_exposureTime")->value() - shownUs / step) <= 1.0);
        } else {
            QCOMPARE(w<QSlider>("horizontalSlider_exposureTime")->value(), int(p.exposureTimeUs / step));
        }

        QCOMPARE(w<QComboBox>("comboBox_input")->count(), inputs);
        QCOMPARE(w<QComboBox>("comboBox_output")->count(), outputs);
        // Hardware trigger follows the input lines, also on the camera without outputs.
        QCOMPARE(w<QRadioButton>("radioButton_hardtirgger")->isEnabled(), inputs > 0);
        QCOMPARE(w<QWidget>("stackedWidget_pwm")->isEnabledTo(w<QWidget>("groupBox_iosignal")),
                 outputs > 0);
        QVERIFY(w<QRadioButton>("radioButton_continuity")->isChecked());

        QCOMPARE(w<QWidget>("page_cameragige")->isEnabled(), gige);
        if (gige) {
            VexoNetworkConfig network{};
            QCOMPARE(SdkGetNetworkConfig(camera.toLatin1().constData(), &network), 0);
            QCOMPARE(w<QLineEdit>("lineEdit_ip")->text(), QString(network.ipAddress));
            QCOMPARE(w<QLineEdit>("lineEdit_netMask")->text(), QString(network.subnetMask));
            QCOMPARE(w<QLineEdit>("lineEdit_PacketSize")->text(), probe(handle, "packetSize"));
            QCOMPARE(w<QLineEdit>("lineEdit_mac")->text().count(':'), 5);
        }

        auto* box = w<QToolBox>("toolBox_2");
        QWidget* page = window->setAsideParameterPage();
        QCOMPARE(box->indexOf(page) == 9, specialPage);
        QCOMPARE(box->count(), specialPage ? 10 : 9);
        if (specialPage) {
            QCOMPARE(box->itemText(9), QString("特殊设置"));
            QStringList texts;
            for (QCheckBox* channel : w<QWidget>("groupBox_channel")->findChildren<QCheckBox*>())
                texts << channel->objectName() + ":" + channel->text();
            QCOMPARE(texts, QStringList({"checkBox_channel0:通道0", "checkBox_channel1:通道1",
                                         "checkBox_channel2:通道2", "checkBox_channel3:通道3"}));
            int minimum = 0, maximum = 0, focus = 0;
            SdkGetExtendedParameter(handle, VEXO_SDK_EXT_FOCUS_MIN, &minimum);
            SdkGetExtendedParameter(handle, VEXO_SDK_EXT_FOCUS_MAX, &maximum);
            SdkGetExtendedParameter(handle, VEXO_SDK_EXT_FOCUS_POSITION, &focus);
            auto* slider = w<QSlider>("horizontalSlider_supportFocusing");
            QCOMPARE(slider->minimum(), minimum);
            QCOMPARE(slider->maximum(), maximum);
            QCOMPARE(slider->value(), focus);
            QVERIFY(w<QGroupBox>("groupBox_supportFocusing")->isEnabled());
        }
    }

    // Filling the panel for one camera writes nothing to it or to the camera shown before.
    void readBackWritesNothing()
    {
        const int first = openCamera(*window, kGigeColour);
        apply(window.get(), "radioButton_manualwb=1");
        apply(window.get(), "radioButton_manualExposure=1");
        QCOMPARE(SdkSetWhiteBalanceGains(first, 123, 98, 201), 0);
        QCOMPARE(SdkSetContrast(first, 33), 0);
        const int second = openCamera(*window, kUsbSpecial);
        apply(window.get(), "radioButton_manualwb=1");
        apply(window.get(), "radioButton_manualExposure=1");
        QCOMPARE(SdkSetWhiteBalanceGains(second, 77, 140, 90), 0);
        QCOMPARE(SdkSetExposureTime(second, 4560), 0);
        QCOMPARE(SdkSetExtendedParameter(second, VEXO_SDK_EXT_CHANNEL_MASK, 5), 0);
        const QString exposure = probe(second, "exposureUs");
        openCamera(*window, kGigeColour);
        openCamera(*window, kUsbSpecial);
        QCOMPARE(probe(first, "gains"), QString("123,98,201"));
        QCOMPARE(probe(first, "contrast"), QString("33"));
        QCOMPARE(probe(second, "gains"), QString("77,140,90"));
        QCOMPARE(probe(second, "exposureUs"), exposure);
        QCOMPARE(probe(second, "channelMask"), QString("5"));
        QCOMPARE(w<QCheckBox>("checkBox_channel2")->isChecked(), true);
        QCOMPARE(w<QCheckBox>("checkBox_channel1")->isChecked(), false);
    }

    // The special page leaves with a camera that has no use for it and comes back with four
    // fresh channel boxes.
    void specialPageFollowsTheSelection()
    {
        auto* box = w<QToolBox>("toolBox_2");
        QWidget* page = window->setAsideParameterPage();
        openCamera(*window, kUsbSpecial);
        QCOMPARE(box->indexOf(page), 9);
        openCamera(*window, kGigeColour);
        QCOMPARE(box->indexOf(page), -1);
        QVERIFY(page->isHidden());
        openCamera(*window, kUsbSpecial);
        QCOMPARE(box->indexOf(page), 9);
        QCOMPARE(w<QWidget>("groupBox_channel")->findChildren<QCheckBox*>().size(), 4);
    }

    void focusRestoreButton()
    {
        const int handle = openCamera(*window, kUsbSpecial);
        int defaultFocus = -1;
        QCOMPARE(SdkGetExtendedParameter(handle, VEXO_SDK_EXT_FOCUS_DEFAULT, &defaultFocus), 0);
        apply(window.get(), "horizontalSlider_supportFocusing=10");
        QCOMPARE(probe(handle, "focus"), QString("10"));
        apply(window.get(), "pushButton_restore=click");
        QCOMPARE(probe(handle, "focus"), QString::number(defaultFocus));
        QCOMPARE(w<QSlider>("horizontalSlider_supportFocusing")->value(), defaultFocus);
    }

    void oneTouchWhiteBalanceShowsNewGains()
    {
        const int handle = openCamera(*window, kGigeColour);
        apply(window.get(), "radioButton_manualwb=1");
        QCOMPARE(SdkSetWhiteBalanceGains(handle, 400, 10, 400), 0);
        apply(window.get(), "pushButton_onetouth=click");
        VexoCameraParameters p{};
        SdkGetCameraParameters(handle, &p);
        QVERIFY(p.greenGain != 10);
        QCOMPARE(w<QSlider>("horizontalSlider_gainred")->value(), int(p.redGain));
        QCOMPARE(w<QSlider>("horizontalSlider_gaingreen")->value(), int(p.greenGain));
        QCOMPARE(w<QSlider>("horizontalSlider_gainblue")->value(), int(p.blueGain));
    }

    void resolutionChangeUpdatesLabels()
    {
        const int handle = openCamera(*window, kGigeColour);
        auto* combo = w<QComboBox>("comboBox_resolution");
        combo->setCurrentIndex(1);
        VexoResolution descriptor{};
        QCOMPARE(SdkGetResolutionDescriptor(handle, combo->itemData(1).toInt(), &descriptor), 0);
        QCOMPARE(probe(handle, "resolutionIndex"), QString::number(combo->itemData(1).toInt()));
        QCOMPARE(w<QLabel>("label_hoffset")->text(), QString::number(descriptor.offsetX));
        QCOMPARE(w<QLabel>("label_hwidth")->text(), QString::number(descriptor.regionWidth));
        QVERIFY(!w<QPushButton>("pushButton_roi")->isEnabled());
        combo->setCurrentIndex(0);
    }

    // The custom entry opens the region dialog on the last preset frame; the region button
    // is enabled only while the camera reports a custom region.
    void customResolutionOpensRegionDialog()
    {
        const int handle = openCamera(*window, kGigeColour);
        auto* combo = w<QComboBox>("comboBox_resolution");
        combo->setCurrentIndex(0);
        ModalDialogWatcher watcher;
        combo->setCurrentIndex(combo->count() - 1);
        QWidget* dialog = shownRegionDialog();
        QVERIFY(dialog);
        QCOMPARE(dialog->parentWidget(), window.get());  // a dialog window of the main window
        QCOMPARE(probe(handle, "resolutionIndex"),
                 QString::number(combo->itemData(combo->count() - 2).toInt()));
        QVERIFY(!w<QPushButton>("pushButton_roi")->isEnabled());
        dialog->close();
        QTRY_VERIFY_WITH_TIMEOUT(!QApplication::topLevelWidgets().contains(dialog), 20000);

        VexoResolution region{};
        QCOMPARE(SdkGetResolutionDescriptor(handle, 0, &region), 0);
        region.index = VEXO_SDK_CUSTOM_RESOLUTION;
        region.offsetX = 64;
        region.offsetY = 32;
        region.regionWidth = region.outputWidth = 640;
        region.regionHeight = region.outputHeight = 480;
        QCOMPARE(SdkSetRegionOfInterest(handle, &region), 0);
        openCamera(*window, kGigeColour);
        QCOMPARE(combo->currentData().toInt(), 0xFF);
        QVERIFY(w<QPushButton>("pushButton_roi")->isEnabled());
        QCOMPARE(w<QLabel>("label_hoffset")->text(), QString("64"));
        QCOMPARE(w<QLabel>("label_vheight")->text(), QString("480"));
        apply(window.get(), "pushButton_roi=click");
        auto* regionDialog = qobject_cast<RoiWidget*>(shownRegionDialog());
        QVERIFY(regionDialog);
        QCOMPARE(regionDialog->camera, handle);
        QVERIFY(regionDialog->testAttribute(Qt::WA_DeleteOnClose));
        regionDialog->close();
        combo->setCurrentIndex(0);
    }

    // From the custom entry to the camera: the dialog the panel opens applies the region
    // drawn, in sensor pixels, and the panel shows it at the next read-back.
    void customEntryAppliesTheDrawnRegion()
    {
        int handle = openCamera(*window, kGigeColour);
        QCOMPARE(SdkLoadParameterGroup(handle, VEXO_SDK_FACTORY_GROUP), 0);
        handle = openCamera(*window, kGigeColour);
        auto* combo = w<QComboBox>("comboBox_resolution");
        ModalDialogWatcher watcher;
        combo->setCurrentIndex(combo->count() - 1);
        QWidget* dialog = shownRegionDialog();
        QVERIFY(dialog);
        dialog->findChild<QPushButton*>("pushButton_RightBottom")->click();
        dialog->findChild<QPushButton*>("pushButton_setup")->click();
        QTRY_VERIFY_WITH_TIMEOUT(watcher.count() >= 1, 20000);
        QCOMPARE(watcher.seen().first().text, QString("设置成功"));
        VexoResolution region{};
        QCOMPARE(SdkGetResolutionDescriptor(handle, VEXO_SDK_CUSTOM_RESOLUTION, &region), 0);
        QCOMPARE(QRect(region.offsetX, region.offsetY, region.regionWidth, region.regionHeight),
                 QRect(960, 540, 960, 540));
        dialog->close();
        openCamera(*window, kGigeColour);
        QCOMPARE(combo->currentData().toInt(), 0xFF);
        QCOMPARE(w<QLabel>("label_hoffset")->text(), QString("960"));
        QCOMPARE(w<QLabel>("label_hwidth")->text(), QString("960"));
        QVERIFY(w<QPushButton>("pushButton_roi")->isEnabled());
        combo->setCurrentIndex(0);
    }

    // The colour dialog starts from the button's colour; the camera hears of the colour only
    // when the crosshair is switched.
    void crosshairColourButton_data()
    {
        QTest::addColumn<bool>("accept");
        QTest::newRow("accepted as offered") << true;
        QTest::newRow("cancelled") << false;
    }
    void crosshairColourButton()
    {
        QFETCH(bool, accept);
        const int handle = openCamera(*window, kGigeColour);
        apply(window.get(), "checkBox_display2=0");
        apply(window.get(), "pushButton_color2=background-color:rgb(10,20,30)");
        const QString before = probe(handle, "crosshair1");
        ModalDialogWatcher watcher;
        watcher.setAccept(accept);
        w<QPushButton>("pushButton_color2")->click();
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen().first().className, QString("QColorDialog"));
        QCOMPARE(w<QPushButton>("pushButton_color2")->styleSheet(),
                 QString("background-color:rgb(10,20,30)"));
        QCOMPARE(probe(handle, "crosshair1"), before);
        apply(window.get(), "checkBox_display2=1");
        QVERIFY(
            probe(handle, "crosshair1").endsWith(QString(",%1,1").arg(10 + 20 * 256 + 30 * 65536)));
    }

    void transportButton_data()
    {
        QTest::addColumn<QString>("packetSize");
        QTest::addColumn<QString>("interval");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("storedSize");
        QTest::addColumn<QString>("storedInterval");
        QTest::newRow("both accepted") << "9000"
                                       << "20"
                                       << "成功"
                                       << "修改成功"
                                       << "9000"
                                       << "20";
        QTest::newRow("packet size refused") << "100"
                                             << "30"
                                             << "提示"
                                             << "修改失败：相机不接受最大传输大小100"
                                             << "9000"
                                             << "30";
        QTest::newRow("interval refused") << "1500"
                                          << "200000"
                                          << "提示"
                                          << "修改失败：相机不接受网络包间隔时间200000微秒"
                                          << "1500"
                                          << "30";
        QTest::newRow("letters refused as 0") << "abc"
                                              << "x"
                                              << "提示"
                                              << "修改失败：相机不接受最大传输大小0"
                                              << "1500"
                                              << "0";
    }
    void transportButton()
    {
        QFETCH(QString, packetSize);
        QFETCH(QString, interval);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QString, storedSize);
        QFETCH(QString, storedInterval);
        const int handle = openCamera(*window, kGigeMono);
        ModalDialogWatcher watcher;
        apply(window.get(), "lineEdit_PacketSize=" + packetSize);
        apply(window.get(), "lineEdit_netWorkIntervalTime=" + interval);
        apply(window.get(), "pushButton_packetSizeSett=click");
        QTRY_COMPARE_WITH_TIMEOUT(watcher.count(), 1, 20000);
        QCOMPARE(watcher.seen().first().title, title);
        QCOMPARE(watcher.seen().first().text, text);
        QCOMPARE(watcher.seen().first().buttons, QStringList{"确定"});
        QCOMPARE(probe(handle, "packetSize"), storedSize);
        QCOMPARE(probe(handle, "packetInterval"), storedInterval);
    }

    void addressButton_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<QString>("message");
        QTest::newRow("accepted silently") << "10.20.30.40"
                                           << "255.255.0.0"
                                           << "10.20.0.1"
                                           << "";
        QTest::newRow("malformed address") << "10.20.30"
                                           << "255.255.0.0"
                                           << "10.20.0.1"
                                           << "设置失败：IP地址10.20.30无效";
        QTest::newRow("gateway outside the subnet")
            << "10.20.30.40"
            << "255.255.0.0"
            << "10.21.0.1"
            << "设置失败：网关10.21.0.1不在IP地址所在的子网内";
        QTest::newRow("mask with a hole") << "10.20.30.40"
                                          << "255.0.255.0"
                                          << "10.20.0.1"
                                          << "设置失败：子网掩码255.0.255.0无效";
    }
    void addressButton()
    {
        QFETCH(QString, address);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        QFETCH(QString, message);
        openCamera(*window, kGigeMono);
        VexoNetworkConfig before{};
        QCOMPARE(SdkGetNetworkConfig(kGigeMono, &before), 0);
        ModalDialogWatcher watcher;
        apply(window.get(), "lineEdit_ip=" + address);
        apply(window.get(), "lineEdit_netMask=" + mask);
        apply(window.get(), "lineEdit_gateway=" + gateway);
        apply(window.get(), "pushButton_ipsett=click");
        VexoNetworkConfig after{};
        QCOMPARE(SdkGetNetworkConfig(kGigeMono, &after), 0);
        if (message.isEmpty()) {
            QTest::qWait(200);
            QCOMPARE(watcher.count(), 0);
            QCOMPARE(QString(after.ipAddress), address);
            QCOMPARE(QString(after.gateway), gateway);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(watcher.count(), 1, 20000);
            QCOMPARE(watcher.seen().first().title, QString("提示"));
            QCOMPARE(watcher.seen().first().text, message);
            QCOMPARE(QString(after.ipAddress), QString(before.ipAddress));
        }
    }

    // What the panel changes shows in the picture: frames taken through the library after
    // the change, compared with a frame taken before it.
    void pictureFollowsThePanel_data()
    {
        QTest::addColumn<QStringList>("before");
        QTest::addColumn<QStringList>("change");
        QTest::addColumn<QString>("check");
        const QStringList manual = {"radioButton_manualExposure=1",
                                    "radioButton_manualwb=1",
                                    "horizontalSlider_gainred=100",
                                    "horizontalSlider_gaingreen=100",
                                    "horizontalSlider_gainblue=100",
                                    "checkBox_bwmode=0",
                                    "checkBox_mirror=0",
                                    "radioButton_track=1",
                                    "horizontalSlider_gamma=100",
                                    "doubleSpinBox_exposureTime=10",
                                    "checkBox_display1=0"};
        QTest::newRow("longer exposure is brighter")
            << manual << QStringList{"doubleSpinBox_exposureTime=20"} << "brighter";
        QTest::newRow("more red gain is redder")
            << manual << QStringList{"doubleSpinBox_gainred=2.5"} << "redder";
        QTest::newRow("gamma 3 is brighter")
            << manual << QStringList{"doubleSpinBox_gamma=3"} << "brighter";
        QTest::newRow("monochrome is grey") << manual << QStringList{"checkBox_bwmode=1"} << "grey";
        QTest::newRow("mirror flips left and right")
            << manual << QStringList{"checkBox_mirror=1"} << "mirrored";
        QTest::newRow("crosshair in green")
            << manual
            << QStringList{"lineEdit_x1=500", "lineEdit_y1=301",
                           "pushButton_color1=background-color:rgb(0,255,0)", "checkBox_display1=1"}
            << "green line at 301";
    }
    void pictureFollowsThePanel()
    {
        QFETCH(QStringList, before);
        QFETCH(QStringList, change);
        QFETCH(QString, check);
        int handle = openCamera(*window, kGigeColour);
        // Earlier rows left crosshairs, regions and formats behind; start from the factory.
        QCOMPARE(SdkLoadParameterGroup(handle, VEXO_SDK_FACTORY_GROUP), 0);
        handle = openCamera(*window, kGigeColour);
        for (const QString& s : before)
            QVERIFY2(apply(window.get(), s), qPrintable(s));
        const QImage first = settledFrame(handle);
        QVERIFY(!first.isNull());
        for (const QString& s : change)
            QVERIFY2(apply(window.get(), s), qPrintable(s));
        const QImage second = settledFrame(handle);
        QVERIFY(!second.isNull());
        const QVector<double> a = meanChannels(first), b = meanChannels(second);
        if (check == "brighter") {
            QVERIFY2(b[0] + b[1] + b[2] > (a[0] + a[1] + a[2]) * 1.1,
                     qPrintable(QString("%1 -> %2").arg(a[1]).arg(b[1])));
        } else if (check == "redder") {
            QVERIFY(b[0] / b[1] > a[0] / a[1] * 1.3);
        } else if (check == "grey") {
            QVERIFY(!isGrey(first));
            QVERIFY(isGrey(second));
        } else if (check == "mirrored") {
            // Column brightness profiles: averaged over all rows, the moving parts of the
            // scene hardly count.
            const QVector<double> p = columnProfile(first), q = columnProfile(second);
            double mirroredDifference = 0, plainDifference = 0;
            for (int x = 0; x < p.size(); ++x) {
                mirroredDifference += qAbs(q[x] - p[p.size() - 1 - x]);
                plainDifference += qAbs(q[x] - p[x]);
            }
            QVERIFY2(mirroredDifference < plainDifference / 2,
                     qPrintable(QString("%1 %2").arg(mirroredDifference).arg(plainDifference)));
        } else {
            QCOMPARE(QColor(second.pixel(20, 301)), QColor(0, 255, 0));
            QCOMPARE(QColor(second.pixel(second.width() - 20, 301)), QColor(0, 255, 0));
            QVERIFY(QColor(first.pixel(20, 301)) != QColor(0, 255, 0));
        }
    }
};

QTEST_MAIN(ParameterPanelTest)
#include "tst_parameterpanel.moc"
