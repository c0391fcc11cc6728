// Numbers in the camera library's stored files (camera state, parameter groups and the
// payload of parameter files) that a plain conversion would wrap or leave undefined:
// they read as nothing stored, or make the set damaged, never as some other value.
// The library's headers come before Qt's, whose "slots" keyword would clash with them.
#include "CameraSettingsJson.h"
#include "UserState.h"
#include "VexoCameraApi.h"

#include <fstream>
#include <string>

#include <QTemporaryDir>
#include <QtTest>

using namespace vexo::sdk;

Q_DECLARE_METATYPE(std::string)

class StoredNumbersTest : public QObject {
    Q_OBJECT

private slots:
    void stateNumbersOutsideTheirRangeReadAsNothingStored_data()
    {
        QTest::addColumn<std::string>("field");
        QTest::addColumn<std::string>("stored");
        // Each row: a stored field replaced by a number the state must not take.
        QTest::newRow("group past 32 bits") << std::string("currentGroup") << std::string("4294967297");
        QTest::newRow("group as fraction") << std::string("currentGroup") << std::string("1.5");
        QTest::newRow("load mode past any int") << std::string("loadMode") << std::string("1e300");
        QTest::newRow("load mode past 64 bits") << std::string("loadMode") << std::string("18446744073709551617");
        QTest::newRow("firmware past 32 bits") << std::string("firmwareVersion") << std::string("4294971908");
        QTest::newRow("firmware negative") << std::string("firmwareVersion") << std::string("-1");
    }
    void stateNumbersOutsideTheirRangeReadAsNothingStored()
    {
        QFETCH(std::string, field);
        QFETCH(std::string, stored);
        QTemporaryDir dir;
        UserState state(dir.path().toStdString());
        QVERIFY(state.ensureFolder());
        // The numbers go into the file as text: JSON values could not carry all of them.
        const std::pair<std::string, std::string> fields[] = {
            {"firmwareVersion", "4612"}, {"loadMode", "1"}, {"currentGroup", "2"}};
        std::string text = "{";
        for (const auto& [name, value] : fields)
            text += (text.size() > 1 ? ", \"" : "\"") + name + "\": " + (name == field ? stored : value);
        std::ofstream(dir.filePath("cameras/CAM1.json").toStdString()) << text << "}";
        const StoredCameraState loaded = state.load("CAM1");
        const StoredCameraState nothing;
        QCOMPARE(loaded.firmwareVersion.has_value(), field != "firmwareVersion");
        QCOMPARE(loaded.loadMode, field == "loadMode" ? nothing.loadMode : 1);
        QCOMPARE(loaded.currentGroup, field == "currentGroup" ? nothing.currentGroup : 2);
    }

    // A lens whose range lies below zero: 2^64 - 3 must not read as -3.
    void parameterNumbersPast64BitsAreDamage()
    {
        CameraModel model = defaultCameraModels()[2];
        QVERIFY(model.focusDrive);
        model.focusMin = -500;
        model.focusMax = -1;
        model.focusDefault = -250;
        const CameraSettings factory = factorySettings(model);
        nlohmann::json document = settingsToJson(factory);
        document["focusPosition"] = 18446744073709551613ull;
        CameraSettings settings = factory;
        QVERIFY(!settingsFromJson(model, document, FieldSet::Complete, settings));
        QCOMPARE(settings.focusPosition, -250);
        document["focusPosition"] = -3;
        QVERIFY(settingsFromJson(model, document, FieldSet::Complete, settings));
        QCOMPARE(settings.focusPosition, -3);
    }
};

QTEST_GUILESS_MAIN(StoredNumbersTest)
#include "tst_storednumbers.moc"
