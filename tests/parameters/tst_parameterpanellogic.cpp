#include <QSet>
#include <QtTest>

#include "ParameterPanelLogic.h"
#include "VexoCameraApi.h"

// The panel's rules without widgets: conversions, names and refusal reasons.
class ParameterPanelLogicTest : public QObject {
    Q_OBJECT

private slots:
    void sliderPosition_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<double>("factor");
        QTest::addColumn<int>("expected");
        QTest::newRow("gain 0.29 lands on 29, not 28") << 0.29 << 100.0 << 29;
        QTest::newRow("gain 0.57 lands on 57") << 0.57 << 100.0 << 57;
        QTest::newRow("gain 1.15 lands on 115") << 1.15 << 100.0 << 115;
        QTest::newRow("analog gain 1.001 lands on 1001") << 1.001 << 1000.0 << 1001;
        QTest::newRow("halfway truncates toward zero") << 1234.5 << 1.0 << 1234;
        QTest::newRow("just below the next position truncates") << 0.999 << 100.0 << 99;
        QTest::newRow("negative truncates toward zero") << -1.5 << 1.0 << -1;
        QTest::newRow("zero") << 0.0 << 100.0 << 0;
    }
    void sliderPosition()
    {
        QFETCH(double, value);
        QFETCH(double, factor);
        QFETCH(int, expected);
        QCOMPARE(panel::sliderPosition(value, factor), expected);
    }

    void exposureSliderPosition_data()
    {
        QTest::addColumn<double>("exposureUs");
        QTest::addColumn<double>("stepUs");
        QTest::addColumn<int>("expected");
        QTest::newRow("12345 us in 10 us steps") << 12345.0 << 10.0 << 1234;
        QTest::newRow("a spin box value of 12.35 ms") << 12.35 * 1000 << 10.0 << 1235;
        QTest::newRow("0.29 ms in 10 us steps") << 0.29 * 1000 << 10.0 << 29;
        QTest::newRow("no step known") << 1000.0 << 0.0 << 0;
    }
    void exposureSliderPosition()
    {
        QFETCH(double, exposureUs);
        QFETCH(double, stepUs);
        QFETCH(int, expected);
        QCOMPARE(panel::exposureSliderPosition(exposureUs, stepUs), expected);
    }

    // A slider position's time, shown in a spin box with three decimals, maps back to that
    // position, for the exposure steps the cameras use.
    void exposureSliderSettles_data()
    {
        QTest::addColumn<double>("stepUs");
        for (double step : {10.0, 14.8, 36.2, 10.5, 4.2, 1.5})
            QTest::newRow(qPrintable(QString("%1 us").arg(step))) << step;
    }
    void exposureSliderSettles()
    {
        QFETCH(double, stepUs);
        for (int position : {1, 2, 3, 7, 1233, 1234, 99999}) {
            const double shown = std::round(position * stepUs) / 1000.0;  // three decimals
            QCOMPARE(panel::exposureSliderPositionForMilliseconds(shown, stepUs, 3), position);
        }
        // Typed values between two positions still truncate toward zero.
        QCOMPARE(panel::exposureSliderPositionForMilliseconds(12.345, 10, 3), 1234);
        QCOMPARE(panel::exposureSliderPositionForMilliseconds(12.35, 10, 2), 1235);
    }

    void lineEditNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("integer");
        QTest::addColumn<double>("number");
        QTest::newRow("digits") << "250" << 250 << 250.0;
        QTest::newRow("letters count as 0") << "abc" << 0 << 0.0;
        QTest::newRow("digits then letters count as 0") << "12ab" << 0 << 0.0;
        QTest::newRow("empty counts as 0") << "" << 0 << 0.0;
        QTest::newRow("decimal is not an integer") << "2.5" << 0 << 2.5;
        QTest::newRow("too large for an integer") << "99999999999" << 0 << 99999999999.0;
    }
    void lineEditNumbers()
    {
        QFETCH(QString, text);
        QFETCH(int, integer);
        QFETCH(double, number);
        QCOMPARE(panel::integerOf(text), integer);
        QCOMPARE(panel::doubleOf(text), number);
    }

    void rangeTexts_data()
    {
        QTest::addColumn<double>("microseconds");
        QTest::addColumn<QString>("milliseconds");
        QTest::addColumn<int>("thousandths");
        QTest::addColumn<QString>("multiples");
        QTest::newRow("whole milliseconds") << 40000.0 << "40" << 8000 << "8";
        QTest::newRow("fraction: the gain the camera holds, not cut to 15")
            << 100.0 << "0.1" << 15999 << "15.999";
        QTest::newRow("six significant digits") << 1234567.0 << "1234.57" << 999 << "0.999";
        QTest::newRow("half multiple") << 500.0 << "0.5" << 1500 << "1.5";
    }
    void rangeTexts()
    {
        QFETCH(double, microseconds);
        QFETCH(QString, milliseconds);
        QFETCH(int, thousandths);
        QFETCH(QString, multiples);
        QCOMPARE(panel::exposureRangeText(microseconds), milliseconds);
        QCOMPARE(panel::gainRangeText(thousandths), multiples);
    }

    // What a user types into a field: only complete numbers count, with "." or the
    // locale's decimal point, never a group separator.
    void typedNumbers_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("locale");
        QTest::addColumn<int>("entry");
        QTest::addColumn<double>("value");
        using E = panel::Entry;
        QTest::newRow("digits") << "30"
                                << "zh_CN" << int(E::Ok) << 30.0;
        QTest::newRow("decimal point") << "1.5"
                                       << "zh_CN" << int(E::Ok) << 1.5;
        QTest::newRow("comma in a German locale") << "1,5"
                                                  << "de_DE" << int(E::Ok) << 1.5;
        QTest::newRow("point in a German locale") << "1.5"
                                                  << "de_DE" << int(E::Ok) << 1.5;
        QTest::newRow("comma is no group separator") << "1,500"
                                                     << "en_US" << int(E::NotANumber) << 0.0;
        QTest::newRow("blanks around") << " 0.25 "
                                       << "C" << int(E::Ok) << 0.25;
        QTest::newRow("leading point") << ".5"
                                       << "C" << int(E::Ok) << 0.5;
        QTest::newRow("trailing point") << "2."
                                        << "C" << int(E::Ok) << 2.0;
        QTest::newRow("negative") << "-3"
                                  << "C" << int(E::Ok) << -3.0;
        QTest::newRow("half-typed: a lone point") << "."
                                                  << "C" << int(E::NotANumber) << 0.0;
        QTest::newRow("half-typed: a lone sign") << "-"
                                                 << "C" << int(E::NotANumber) << 0.0;
        QTest::newRow("two points") << "1.2.3"
                                    << "C" << int(E::NotANumber) << 0.0;
        QTest::newRow("letters") << "abc"
                                 << "C" << int(E::NotANumber) << 0.0;
        QTest::newRow("digits and letters") << "12ab"
                                            << "C" << int(E::NotANumber) << 0.0;
        QTest::newRow("exponent") << "1e3"
                                  << "C" << int(E::NotANumber) << 0.0;
        QTest::newRow("full-width digits")
            << QString::fromUtf8("１２") << "zh_CN" << int(E::NotANumber) << 0.0;
        QTest::newRow("empty") << ""
                               << "C" << int(E::Empty) << 0.0;
        QTest::newRow("blanks only") << "  "
                                     << "C" << int(E::Empty) << 0.0;
    }
    void typedNumbers()
    {
        QFETCH(QString, text);
        QFETCH(QString, locale);
        QFETCH(int, entry);
        QFETCH(double, value);
        double parsed = -999;
        QCOMPARE(int(panel::parseNumber(text, &parsed, QLocale(locale))), entry);
        if (entry == int(panel::Entry::Ok))
            QCOMPARE(parsed, value);
        else
            QCOMPARE(parsed, -999.0);
    }

    void typedValues_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("whole");
        QTest::addColumn<int>("entry");
        QTest::addColumn<double>("value");
        using E = panel::Entry;
        QTest::newRow("inside") << "250" << true << int(E::Ok) << 250.0;
        QTest::newRow("lowest") << "1" << true << int(E::Ok) << 1.0;
        QTest::newRow("highest") << "1000" << true << int(E::Ok) << 1000.0;
        QTest::newRow("above") << "1001" << true << int(E::OutOfRange) << 0.0;
        QTest::newRow("below") << "0" << true << int(E::OutOfRange) << 0.0;
        QTest::newRow("fraction where whole numbers count")
            << "2.5" << true << int(E::NotWhole) << 0.0;
        QTest::newRow("whole number written with a point") << "3.0" << true << int(E::Ok) << 3.0;
        QTest::newRow("fraction allowed") << "2.5" << false << int(E::Ok) << 2.5;
        QTest::newRow("beyond any integer") << "99999999999" << true << int(E::OutOfRange) << 0.0;
        QTest::newRow("letters") << "x7" << true << int(E::NotANumber) << 0.0;
    }
    void typedValues()
    {
        QFETCH(QString, text);
        QFETCH(bool, whole);
        QFETCH(int, entry);
        QFETCH(double, value);
        double checked = 0;
        QCOMPARE(int(panel::checkValue(text, {1, 1000}, whole, &checked, QLocale::c())), entry);
        if (entry == int(panel::Entry::Ok))
            QCOMPARE(checked, value);
    }

    // A range is sent only whole: both ends numbers inside the camera's limits, the
    // minimum not above the maximum.
    void typedRanges_data()
    {
        QTest::addColumn<QString>("minimum");
        QTest::addColumn<QString>("maximum");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("field");
        QTest::addColumn<double>("sentMinimum");
        QTest::addColumn<double>("sentMaximum");
        using E = panel::Entry;
        QTest::newRow("gain 1.5 to 8") << "1.5"
                                       << "8" << int(E::Ok) << 1 << 1.5 << 8.0;
        QTest::newRow("equal ends") << "4"
                                    << "4" << int(E::Ok) << 1 << 4.0 << 4.0;
        QTest::newRow("minimum above maximum") << "12"
                                               << "10" << int(E::MinAboveMax) << 1 << 12.0 << 10.0;
        QTest::newRow("half-typed minimum") << "1."
                                            << "8" << int(E::Ok) << 1 << 1.0 << 8.0;
        QTest::newRow("empty minimum") << ""
                                       << "8" << int(E::Empty) << 0 << 0.0 << 0.0;
        QTest::newRow("letters in the maximum") << "1"
                                                << "8x" << int(E::NotANumber) << 1 << 1.0 << 0.0;
        QTest::newRow("maximum above the camera's")
            << "1"
            << "17" << int(E::OutOfRange) << 1 << 1.0 << 0.0;
        QTest::newRow("minimum below the camera's") << "0.5"
                                                    << "8" << int(E::OutOfRange) << 0 << 0.0 << 0.0;
    }
    void typedRanges()
    {
        QFETCH(QString, minimum);
        QFETCH(QString, maximum);
        QFETCH(int, entry);
        QFETCH(int, field);
        QFETCH(double, sentMinimum);
        QFETCH(double, sentMaximum);
        const panel::RangeEntry range =
            panel::checkRange(minimum, maximum, panel::gainLimits(1000, 16000), QLocale::c());
        QCOMPARE(int(range.entry), entry);
        QCOMPARE(range.field, field);
        if (entry == int(panel::Entry::Ok) || entry == int(panel::Entry::MinAboveMax)) {
            QCOMPARE(range.minimum, sentMinimum);
            QCOMPARE(range.maximum, sentMaximum);
        }
    }

    // The camera's exposure limits are products of steps and a step length; a typed limit
    // equal to one, as the hint shows it, is inside.
    void exposureLimits()
    {
        const panel::Limits limits = panel::exposureLimitsMs(1, 100000, 14.8);
        QCOMPARE(limits.lowest, 0.0148);
        QCOMPARE(limits.highest, 1480.0);
        QVERIFY(limits.contains(0.0148));
        QVERIFY(limits.contains(1480));
        QVERIFY(!limits.contains(1480.001));
        QVERIFY(!limits.contains(0.0147));
        QCOMPARE(panel::limitsText(limits, 3), QString::fromUtf8("0.015–1480"));
        QCOMPARE(panel::limitsText(panel::gainLimits(1000, 15999), 3),
                 QString::fromUtf8("1–15.999"));
        QCOMPARE(panel::limitText(-0.0001, 3), QString("0"));
    }

    void settingRefusal_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("refusal");
        using R = panel::SettingRefusal;
        QTest::newRow("taken") << 0 << int(R::None);
        QTest::newRow("out of range") << int(VEXO_SDK_OUT_OF_RANGE) << int(R::OutOfRange);
        QTest::newRow("bad argument") << int(VEXO_SDK_INVALID_ARGUMENT) << int(R::OutOfRange);
        QTest::newRow("wrong mode") << int(VEXO_SDK_WRONG_MODE) << int(R::WrongMode);
        QTest::newRow("feature missing") << int(VEXO_SDK_NOT_MATCHING) << int(R::NotSupported);
        QTest::newRow("closed") << int(VEXO_SDK_INVALID_HANDLE) << int(R::CameraClosed);
        QTest::newRow("other") << int(VEXO_SDK_FAILED) << int(R::Other);
    }
    void settingRefusal()
    {
        QFETCH(int, result);
        QFETCH(int, refusal);
        QCOMPARE(int(panel::settingRefusal(result)), refusal);
    }

    // A failed export names its cause, not always "cannot write".
    void exportRefusal_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<bool>("folderExists");
        QTest::addColumn<bool>("folderWritable");
        QTest::addColumn<int>("refusal");
        using R = panel::ExportRefusal;
        QTest::newRow("written") << 0 << true << true << int(R::None);
        QTest::newRow("folder gone")
            << int(VEXO_SDK_WRONG_PATH) << false << false << int(R::FolderMissing);
        QTest::newRow("name is a folder")
            << int(VEXO_SDK_WRONG_PATH) << true << true << int(R::NotAFile);
        QTest::newRow("read-only folder")
            << int(VEXO_SDK_FAILED) << true << false << int(R::FolderReadOnly);
        QTest::newRow("read-only file or full disk")
            << int(VEXO_SDK_FAILED) << true << true << int(R::CannotWrite);
        QTest::newRow("closed camera")
            << int(VEXO_SDK_INVALID_HANDLE) << true << true << int(R::CameraClosed);
        QTest::newRow("other") << int(VEXO_SDK_INVALID_ARGUMENT) << true << true << int(R::Other);
    }
    void exportRefusal()
    {
        QFETCH(int, result);
        QFETCH(bool, folderExists);
        QFETCH(bool, folderWritable);
        QFETCH(int, refusal);
        QCOMPARE(int(panel::exportRefusal(result, folderExists, folderWritable)), refusal);
    }

    void groupLoad_data()
    {
        QTest::addColumn<int>("groupResult");
        QTest::addColumn<int>("factoryResult");
        QTest::addColumn<int>("outcome");
        using G = panel::GroupLoad;
        QTest::newRow("loaded") << 0 << 0 << int(G::Loaded);
        QTest::newRow("never saved")
            << int(VEXO_SDK_EMPTY_GROUP) << 0 << int(G::EmptyGroupDefaults);
        QTest::newRow("damaged") << int(VEXO_SDK_FILE_CORRUPT) << 0 << int(G::DamagedGroupDefaults);
        QTest::newRow("other failure") << int(VEXO_SDK_FAILED) << 0 << int(G::GroupFailedDefaults);
        QTest::newRow("defaults failed too")
            << int(VEXO_SDK_EMPTY_GROUP) << int(VEXO_SDK_FAILED) << int(G::Failed);
    }
    void groupLoad()
    {
        QFETCH(int, groupResult);
        QFETCH(int, factoryResult);
        QFETCH(int, outcome);
        QCOMPARE(int(panel::groupLoad(groupResult, factoryResult)), outcome);
    }

    void focusDefault_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("position");
        QTest::addColumn<bool>("known");
        QTest::newRow("inside the range") << 0 << 420 << true;
        QTest::newRow("at the minimum") << 0 << 0 << true;
        QTest::newRow("no default: -1") << 0 << -1 << false;
        QTest::newRow("above the range") << 0 << 1001 << false;
        QTest::newRow("read failed") << int(VEXO_SDK_NOT_MATCHING) << 420 << false;
    }
    void focusDefault()
    {
        QFETCH(int, result);
        QFETCH(int, position);
        QFETCH(bool, known);
        QCOMPARE(panel::focusDefaultKnown(result, position, 0, 1000), known);
    }

    void colours_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::addColumn<uint>("packed");
        QTest::addColumn<QString>("styleSheet");
        QTest::newRow("red") << QColor(255, 0, 0) << 255u << "background-color:rgb(255,0,0)";
        QTest::newRow("green") << QColor(0, 255, 0) << 65280u << "background-color:rgb(0,255,0)";
        QTest::newRow("blue") << QColor(0, 0, 255) << 16711680u << "background-color:rgb(0,0,255)";
        QTest::newRow("mixed") << QColor(1, 2, 3) << (1u + 2u * 256 + 3u * 65536)
                               << "background-color:rgb(1,2,3)";
    }
    void colours()
    {
        QFETCH(QColor, colour);
        QFETCH(uint, packed);
        QFETCH(QString, styleSheet);
        QCOMPARE(panel::packedColour(colour), packed);
        QCOMPARE(panel::unpackedColour(packed), colour);
        QCOMPARE(panel::colourStyleSheet(colour), styleSheet);
    }

    void channelMask_data()
    {
        QTest::addColumn<QList<bool>>("checked");
        QTest::addColumn<int>("mask");
        QTest::newRow("none") << QList<bool>{} << 0;
        QTest::newRow("first") << QList<bool>{true, false, false, false} << 1;
        QTest::newRow("second and fourth") << QList<bool>{false, true, false, true} << 10;
        QTest::newRow("all eight")
            << QList<bool>{true, true, true, true, true, true, true, true} << 255;
    }
    void channelMask()
    {
        QFETCH(QList<bool>, checked);
        QFETCH(int, mask);
        QCOMPARE(panel::channelMask(checked), mask);
    }

    void specialPage_data()
    {
        QTest::addColumn<int>("channelResult");
        QTest::addColumn<int>("channels");
        QTest::addColumn<int>("focusResult");
        QTest::addColumn<int>("focusSupported");
        QTest::addColumn<int>("change");
        const int keep = int(panel::SpecialPage::Keep), show = int(panel::SpecialPage::Show),
                  hide = int(panel::SpecialPage::Hide);
        QTest::newRow("one channel, no focus") << 0 << 1 << 0 << 0 << hide;
        QTest::newRow("focus feature missing")
            << 0 << 1 << int(VEXO_SDK_NOT_MATCHING) << -1 << hide;
        QTest::newRow("four channels") << 0 << 4 << int(VEXO_SDK_NOT_MATCHING) << -1 << show;
        QTest::newRow("focus only") << 0 << 1 << 0 << 1 << show;
        QTest::newRow("channel read fails") << int(VEXO_SDK_INVALID_HANDLE) << -1 << 0 << 1 << keep;
        QTest::newRow("focus read fails otherwise")
            << 0 << 4 << int(VEXO_SDK_INVALID_HANDLE) << -1 << keep;
    }
    void specialPage()
    {
        QFETCH(int, channelResult);
        QFETCH(int, channels);
        QFETCH(int, focusResult);
        QFETCH(int, focusSupported);
        QFETCH(int, change);
        QCOMPARE(
            int(panel::specialPageChange(channelResult, channels, focusResult, focusSupported)),
            change);
    }

    void hardwareTrigger_data()
    {
        QTest::addColumn<int>("inputLines");
        QTest::addColumn<bool>("offered");
        QTest::newRow("input, no output (240 fps camera)") << 1 << true;
        QTest::newRow("no input") << 0 << false;
        QTest::newRow("two inputs") << 2 << true;
    }
    void hardwareTrigger()
    {
        QFETCH(int, inputLines);
        QFETCH(bool, offered);
        QCOMPARE(panel::hardwareTriggerOffered(inputLines), offered);
    }

    void exportFileName_data()
    {
        QTest::addColumn<bool>("hasLoadMode");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("expected");
        QTest::newRow("model M1, group B") << true << "M1"
                                           << "B"
                                           << "C:/cfg/M1_Cfg_B.bin";
        QTest::newRow("no load mode, group A") << false << "M1"
                                               << "A"
                                               << "C:/cfg/A.bin";
        QTest::newRow("no group") << true << "VXG2301C0001"
                                  << ""
                                  << "C:/cfg/VXG2301C0001_Cfg_.bin";
        QTest::newRow("nickname ../x/y stays in the folder") << true << "../x/y"
                                                             << "A"
                                                             << "C:/cfg/___x_y_Cfg_A.bin";
        QTest::newRow("backslashes and drive colons") << true << "..\\..\\C:evil"
                                                      << "C"
                                                      << "C:/cfg/___.._C_evil_Cfg_C.bin";
        QTest::newRow("a nickname of dots only") << true << ".."
                                                 << "A"
                                                 << "C:/cfg/___Cfg_A.bin";
        QTest::newRow("inner dots kept") << true << "cam.v2"
                                         << "A"
                                         << "C:/cfg/cam.v2_Cfg_A.bin";
        QTest::newRow("characters files may not hold") << true << "a*b?c\"d<e>f|g"
                                                       << "D"
                                                       << "C:/cfg/a_b_c_d_e_f_g_Cfg_D.bin";
        QTest::newRow("control characters") << true << QString("a\nb\tc") << "A"
                                            << "C:/cfg/a_b_c_Cfg_A.bin";
        QTest::newRow("Chinese nickname kept") << true << "相机一"
                                               << "A"
                                               << "C:/cfg/相机一_Cfg_A.bin";
    }
    void exportFileName()
    {
        QFETCH(bool, hasLoadMode);
        QFETCH(QString, key);
        QFETCH(QString, group);
        QFETCH(QString, expected);
        const QString name = panel::exportFileName("C:/cfg", hasLoadMode, key, group);
        QCOMPARE(name, expected);
        QCOMPARE(QFileInfo(name).path(), QString("C:/cfg"));
    }

    void addressRefusal_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("gateway");
        QTest::addColumn<int>("refusal");
        using R = panel::AddressRefusal;
        const int invalid = VEXO_SDK_INVALID_ARGUMENT;
        QTest::newRow("accepted") << 0 << "192.168.1.20"
                                  << "255.255.255.0"
                                  << "192.168.1.1" << int(R::None);
        QTest::newRow("address with three parts") << invalid << "192.168.1"
                                                  << "255.255.255.0"
                                                  << "192.168.1.1" << int(R::Address);
        QTest::newRow("address part above 255") << invalid << "192.168.1.300"
                                                << "255.255.255.0"
                                                << "192.168.1.1" << int(R::Address);
        QTest::newRow("broadcast address") << invalid << "192.168.1.255"
                                           << "255.255.255.0"
                                           << "192.168.1.1" << int(R::Address);
        QTest::newRow("mask with a hole") << invalid << "192.168.1.20"
                                          << "255.0.255.0"
                                          << "192.168.1.1" << int(R::Mask);
        QTest::newRow("gateway outside the subnet") << invalid << "192.168.1.20"
                                                    << "255.255.255.0"
                                                    << "192.168.2.1" << int(R::Gateway);
        QTest::newRow("gateway malformed") << invalid << "192.168.1.20"
                                           << "255.255.255.0"
                                           << "gateway" << int(R::Gateway);
        QTest::newRow("open elsewhere") << int(VEXO_SDK_OPEN_ELSEWHERE) << "192.168.1.20"
                                        << "255.255.255.0"
                                        << "192.168.1.1" << int(R::OpenElsewhere);
        QTest::newRow("USB camera") << int(VEXO_SDK_NOT_MATCHING) << "192.168.1.20"
                                    << "255.255.255.0"
                                    << "192.168.1.1" << int(R::Other);
    }
    void addressRefusal()
    {
        QFETCH(int, result);
        QFETCH(QString, address);
        QFETCH(QString, mask);
        QFETCH(QString, gateway);
        QFETCH(int, refusal);
        QCOMPARE(int(panel::addressRefusal(result, address, mask, gateway)), refusal);
    }

    void addressField_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("address") << "192.168.1.20" << QByteArray("192.168.1.20\0\0\0\0", 16);
        QTest::newRow("characters above U+00FF become 0")
            << QString::fromUtf8("1.2.3.4\xe4\xb8\x80")
            << QByteArray("1.2.3.4\0\0\0\0\0\0\0\0\0", 16);
        QTest::newRow("sixteen characters keep the terminator")
            << "123.123.123.1234" << QByteArray("123.123.123.123\0", 16);
    }
    void addressField()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, bytes);
        char field[16];
        std::memset(field, 'x', sizeof field);
        panel::setAddressField(field, text);
        QCOMPARE(QByteArray(field, 16), bytes);
    }

    void fileRefusal_data()
    {
        QTest::addColumn<int>("result");
        QTest::addColumn<int>("refusal");
        using F = panel::FileRefusal;
        QTest::newRow("loaded") << 0 << int(F::None);
        QTest::newRow("missing") << int(VEXO_SDK_WRONG_PATH) << int(F::Missing);
        QTest::newRow("not a parameter file") << int(VEXO_SDK_FILE_FOREIGN) << int(F::Foreign);
        QTest::newRow("truncated") << int(VEXO_SDK_FILE_TRUNCATED) << int(F::Truncated);
        QTest::newRow("corrupt") << int(VEXO_SDK_FILE_CORRUPT) << int(F::Corrupt);
        QTest::newRow("other model") << int(VEXO_SDK_NOT_MATCHING) << int(F::OtherModel);
        QTest::newRow("closed handle") << int(VEXO_SDK_INVALID_HANDLE) << int(F::Other);
    }
    void fileRefusal()
    {
        QFETCH(int, result);
        QFETCH(int, refusal);
        QCOMPARE(int(panel::fileRefusal(result)), refusal);
    }

    // Two rows with one sender would leave the second unreachable; rows must also name
    // controls that exist in the wiring (checked against the form in the panel test).
    void tablesHaveUniqueSenders()
    {
        QSet<QString> names;
        auto add = [&names](const char* sender) {
            QVERIFY2(!names.contains(sender), sender);
            names.insert(sender);
        };
        for (const auto& row : panel::radioTable())
            add(row.sender);
        for (const auto& row : panel::sliderTable())
            add(row.sender);
        for (const auto& row : panel::spinBoxTable())
            add(row.sender);
        for (const auto& row : panel::lineEditTable())
            add(row.sender);
        for (const auto& row : panel::checkTable())
            add(row.sender);
        for (const auto& row : panel::comboTable())
            add(row.sender);
        QCOMPARE(panel::blockedControls().size(), 52);
        const QStringList blocked = panel::blockedControls();
        QCOMPARE(QSet<QString>(blocked.begin(), blocked.end()).size(), 52);
        QCOMPARE(panel::readBackSliders().size(), 11);
        QVERIFY(!panel::findRow(panel::radioTable(), "radioButton_Manualwb"));
        QCOMPARE(panel::findRow(panel::radioTable(), "radioButton_high")->value, 2);
    }
};

QTEST_GUILESS_MAIN(ParameterPanelLogicTest)
#include "tst_parameterpanellogic.moc"
