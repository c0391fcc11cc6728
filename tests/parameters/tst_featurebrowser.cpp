// The camera feature browser: its tree model and filter, feature files (save, load,
// refusals, another model), and the window on a real camera of the library: a simulated
// one, or with VEXO_TEST_ARAVIS=fake Aravis' in-process fake camera.
#include <QComboBox>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include "../sdk/CameraTestSupport.h"
#include "FeatureBrowser.h"
#include "FeatureBrowserLogic.h"
#include "FeatureTreeModel.h"
#include "VexoCameraApi.h"

using namespace features;

namespace {

constexpr int kDeadlineMs = 30000;

bool fakeMode()
{
    return cameratest::fakeCameraMode();
}

QByteArray cameraUnderTest()
{
    return cameratest::featureCameraUnderTest();
}

Feature feature(const QString& name, const QString& category, Visibility visibility,
                Type type = Type::Integer)
{
    Feature f;
    f.name = name;
    f.displayName = name;
    f.category = category;
    f.visibility = visibility;
    f.type = type;
    f.maximum = 100;
    f.value = QStringLiteral("1");
    return f;
}

QVector<Feature> syntheticFeatures()
{
    return {feature("Width", "Image Format", Visibility::Beginner),
            feature("OffsetX", "Image Format", Visibility::Expert),
            feature("ExposureTime", "Acquisition", Visibility::Beginner, Type::Float),
            feature("ExposureAuto", "Acquisition", Visibility::Expert, Type::Enumeration),
            feature("TriggerDelay", "Acquisition/Trigger", Visibility::Guru),
            feature("DeviceTemperature", "Device/Sensors/Thermal", Visibility::Guru)};
}

// A camera that keeps its features in a table and refuses OffsetX + Width beyond 100.
class ScriptedSource : public Source {
public:
    QMap<QString, QString> values{{"Width", "50"}, {"OffsetX", "10"}, {"Gain", "1"}};
    QString modelName = "Scripted";
    int writes = 0;

    int list(QVector<Feature>& out) override
    {
        out.clear();
        for (auto it = values.cbegin(); it != values.cend(); ++it) {
            Feature f = feature(it.key(), "All", Visibility::Beginner);
            f.value = it.value();
            out << f;
        }
        return 0;
    }
    Reading read(const QString& name) override
    {
        if (!values.contains(name))
            return Reading{name, {}, Access::NotAvailable, VEXO_SDK_NOT_MATCHING};
        return Reading{name, values[name], Access::ReadWrite, 0};
    }
    int write(const QString& name, const QString& value, QString& reason) override
    {
        ++writes;
        if (!values.contains(name)) {
            reason = "no such feature";
            return VEXO_SDK_NOT_MATCHING;
        }
        QMap<QString, QString> next = values;
        next[name] = value;
        if (next["Width"].toInt() + next["OffsetX"].toInt() > 100) {
            reason = "region beyond the sensor";
            return VEXO_SDK_OUT_OF_RANGE;
        }
        values = next;
        return 0;
    }
    int execute(const QString&, QString&) override { return VEXO_SDK_NOT_MATCHING; }
    QString model() override { return modelName; }
};

// Values of every writable feature, by name.
QMap<QString, QString> writableValues(Source& source)
{
    QVector<Feature> list;
    source.list(list);
    QMap<QString, QString> values;
    for (const Feature& f : list) {
        if (f.type == Type::Command)
            continue;
        const Reading r = source.read(f.name);
        if (r.code == 0 && r.access == Access::ReadWrite)
            values.insert(f.name, r.value);
    }
    return values;
}

}  // namespace

class FeatureBrowserTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void treeFollowsTheFilter_data();
    void treeFollowsTheFilter();
    void readingsUpdateTheTree();
    void parsesFeatureFiles_data();
    void parsesFeatureFiles();
    void fileOfAnotherModelTouchesNothing_data();
    void fileOfAnotherModelTouchesNothing();
    void dependentFeaturesGetAnotherRound();
    void saveThenLoadRestoresTheCamera();
    void badLinesAreReportedTheRestApplied();
    void fileOfAnotherModelIsRefusedByTheCamera();
    void loadRefusesWhatIsNoFile_data();
    void loadRefusesWhatIsNoFile();
    void browserWritesAndShowsRefusals();
    void browserFilters();
    void vanishingCameraIsShown();

private:
    QByteArray identifier;
    cameratest::FakeGigECamera gigeCamera;
    QTemporaryDir scratch;
};

void FeatureBrowserTest::initTestCase()
{
    qRegisterMetaType<QVector<features::Feature>>();
    qRegisterMetaType<QVector<features::Reading>>();
    qRegisterMetaType<features::LoadReport>();
    if (cameratest::gigeCameraMode()) {
        QString why;
        QVERIFY2(gigeCamera.start({}, &why), qPrintable(why));
    }
    // A GigE camera is found once it answers the discovery.
    cameratest::retryUntil([&] { return !(identifier = cameraUnderTest()).isEmpty(); });
    QVERIFY2(!identifier.isEmpty(), "the camera under test is not listed");
    QVERIFY(scratch.isValid());
}

void FeatureBrowserTest::treeFollowsTheFilter_data()
{
    QTest::addColumn<int>("level");
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<int>("topCategories");
    QTest::newRow("beginner") << 0 << "" << QStringList{"Width", "ExposureTime"} << 2;
    QTest::newRow("expert") << 1 << ""
                            << QStringList{"Width", "OffsetX", "ExposureTime", "ExposureAuto"} << 2;
    QTest::newRow("guru shows nested categories")
        << 2 << "" << QStringList{"Width",        "OffsetX",      "ExposureTime",
                                  "ExposureAuto", "TriggerDelay", "DeviceTemperature"}
        << 3;
    QTest::newRow("search in any case")
        << 2 << "exposure" << QStringList{"ExposureTime", "ExposureAuto"} << 1;
    QTest::newRow("search within the level") << 0 << "exposure" << QStringList{"ExposureTime"} << 1;
    QTest::newRow("nothing matches") << 2 << "nothing" << QStringList{} << 0;
}

void FeatureBrowserTest::treeFollowsTheFilter()
{
    QFETCH(int, level);
    QFETCH(QString, search);
    QFETCH(QStringList, shown);
    QFETCH(int, topCategories);
    FeatureTreeModel model;
    model.setFeatures(syntheticFeatures());
    model.setFilter(static_cast<Visibility>(level), search);
    QCOMPARE(model.shownNames(), shown);
    QCOMPARE(model.rowCount(), topCategories);
    // Every shown feature sits under its category path.
    for (const QString& name : shown) {
        const QModelIndex index = model.indexOf(name);
        QVERIFY(index.isValid());
        QStringList path;
        for (QModelIndex p = index.parent(); p.isValid(); p = p.parent())
            path.prepend(p.data().toString());
        QCOMPARE(path.join('/'), model.feature(name)->category);
        QCOMPARE(index.data(FeatureTreeModel::NameRole).toString(), name);
    }
}

void FeatureBrowserTest::readingsUpdateTheTree()
{
    FeatureTreeModel model;
    model.setFeatures(syntheticFeatures());
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy writes(&model, &FeatureTreeModel::writeRequested);
    model.applyReadings({Reading{"Width", "640", Access::ReadWrite, 0},
                         Reading{"NotThere", "1", Access::ReadWrite, 0}});
    QCOMPARE(changed.count(), 1);
    const QModelIndex value = model.indexOf("Width", FeatureTreeModel::ValueColumn);
    QCOMPARE(value.data().toString(), QString("640"));
    QVERIFY(model.flags(value) & Qt::ItemIsEditable);

    // An edit asks for a write and leaves the value to the camera.
    QVERIFY(model.setData(value, "320"));
    QCOMPARE(writes.count(), 1);
    QCOMPARE(writes.at(0).at(0).toString(), QString("Width"));
    QCOMPARE(writes.at(0).at(1).toString(), QString("320"));
    QCOMPARE(value.data().toString(), QString("640"));

    // A feature that vanishes (the camera is gone) is greyed, not removed.
    model.applyReadings({Reading{"Width", {}, Access::NotAvailable, VEXO_SDK_DETACHED}});
    QVERIFY(!(model.flags(value) & Qt::ItemIsEnabled));
    QVERIFY(!model.setData(value, "100"));
    QCOMPARE(writes.count(), 1);
    QCOMPARE(value.data().toString(), QString("640"));
    QVERIFY(value.data(Qt::ToolTipRole).toString().contains("Width"));
}

void FeatureBrowserTest::parsesFeatureFiles_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("model");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("malformed");
    QTest::newRow("plain") << "#model=Fake\nWidth=320\nPixelFormat=Mono8\n"
                           << "Fake" << QStringList{"Width", "PixelFormat"} << 0;
    QTest::newRow("Windows line ends and blanks") << "#model=Fake\r\n\r\n  Width = 320\r\n"
                                                  << "Fake" << QStringList{"Width"} << 0;
    QTest::newRow("comments") << "# saved\n#model=Fake\n# Width=1\nHeight=2\n"
                              << "Fake" << QStringList{"Height"} << 0;
    QTest::newRow("no model line") << "Width=320\n"
                                   << "" << QStringList{"Width"} << 0;
    QTest::newRow("model after features is no header") << "Width=320\n#model=Fake\n"
                                                       << "" << QStringList{"Width"} << 0;
    QTest::newRow("lines without a name") << "#model=Fake\n=5\njust text\nWidth=1\n"
                                          << "Fake" << QStringList{"Width"} << 2;
    QTest::newRow("value with equals signs") << "#model=Fake\nDeviceUserID=a=b\n"
                                             << "Fake" << QStringList{"DeviceUserID"} << 0;
    QTest::newRow("empty") << ""
                           << "" << QStringList{} << 0;
}

void FeatureBrowserTest::parsesFeatureFiles()
{
    QFETCH(QString, text);
    QFETCH(QString, model);
    QFETCH(QStringList, names);
    QFETCH(int, malformed);
    const ParsedFile file = parseFeatureFile(text);
    QCOMPARE(file.model, model);
    QStringList parsed;
    for (const FileLine& line : file.lines)
        parsed << line.name;
    QCOMPARE(parsed, names);
    QCOMPARE(file.malformed.size(), malformed);
    if (names == QStringList{"DeviceUserID"})
        QCOMPARE(file.lines[0].value, QString("a=b"));
}

void FeatureBrowserTest::fileOfAnotherModelTouchesNothing_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("another model") << "#model=Other\nWidth=60\n";
    QTest::newRow("no model") << "Width=60\n";
    QTest::newRow("not a feature file at all") << "\x01\x02 binary\n";
}

void FeatureBrowserTest::fileOfAnotherModelTouchesNothing()
{
    QFETCH(QString, text);
    ScriptedSource source;
    const LoadReport report = applyFeatureFile(source, parseFeatureFile(text));
    QVERIFY(report.wrongModel);
    QCOMPARE(source.writes, 0);
    QCOMPARE(report.cameraModel, QString("Scripted"));
}

void FeatureBrowserTest::dependentFeaturesGetAnotherRound()
{
    // OffsetX=80 fits only once Width has shrunk, which the file lists after it.
    ScriptedSource source;
    const LoadReport report = applyFeatureFile(
        source, parseFeatureFile("#model=Scripted\nOffsetX=80\nWidth=20\nGain=2\nNope=1\n"));
    QVERIFY(!report.wrongModel);
    QCOMPARE(report.applied, 3);
    QCOMPARE(source.values["OffsetX"], QString("80"));
    QCOMPARE(source.values["Width"], QString("20"));
    QCOMPARE(report.refused.size(), 1);
    QCOMPARE(report.refused[0].name, QString("Nope"));
    QCOMPARE(report.refused[0].lineNumber, 5);

    // A file that cannot be applied whole says which line stayed refused.
    ScriptedSource other;
    const LoadReport stuck =
        applyFeatureFile(other, parseFeatureFile("#model=Scripted\nOffsetX=90\nWidth=95\n"));
    QCOMPARE(stuck.applied, 0);
    QCOMPARE(stuck.refused.size(), 2);
    QCOMPARE(stuck.refused[0].reason, QString("region beyond the sensor"));
    QCOMPARE(other.values["Width"], QString("50"));
}

void FeatureBrowserTest::saveThenLoadRestoresTheCamera()
{
    cameratest::OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    SdkFeatureSource source(camera.handle);
    Worker worker(&source);
    QSignalSpy saved(&worker, &Worker::fileSaved);
    QSignalSpy loaded(&worker, &Worker::fileLoaded);
    const QString path = scratch.filePath("saved.txt");
    const QMap<QString, QString> before = writableValues(source);
    QVERIFY(before.size() > 5);

    worker.saveFile(path);
    QCOMPARE(saved.count(), 1);
    QCOMPARE(saved.at(0).at(1).toInt(), int(VEXO_SDK_OK));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    QVERIFY2(text.contains("#model=" + source.model() + "\n"), qPrintable(text));

    // Change the camera, then load.
    QString reason;
    const QList<QPair<QString, QString>> changes =
        fakeMode() ? QList<QPair<QString, QString>>{{"Width", "200"},
                                                    {"ExposureTimeAbs", "33000"},
                                                    {"AcquisitionMode", "MultiFrame"},
                                                    {"TriggerMode", "On"}}
                   : QList<QPair<QString, QString>>{{"Contrast", "12"},
                                                    {"Gain", "3"},
                                                    {"TriggerMode", "Software"},
                                                    {"ReverseX", "true"},
                                                    {"PacketSize", "4000"}};
    for (const auto& change : changes)
        QVERIFY2(source.write(change.first, change.second, reason) == VEXO_SDK_OK,
                 qPrintable(reason));
    QVERIFY(writableValues(source) != before);

    worker.loadFile(path);
    QCOMPARE(loaded.count(), 1);
    const LoadReport report = loaded.at(0).at(1).value<LoadReport>();
    QVERIFY(!report.wrongModel);
    QStringList refusals;
    for (const Refusal& r : report.refused)
        refusals << r.name + ": " + r.reason;
    QVERIFY2(report.refused.isEmpty(), qPrintable(refusals.join('\n')));
    QCOMPARE(writableValues(source), before);
}

void FeatureBrowserTest::badLinesAreReportedTheRestApplied()
{
    cameratest::OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    SdkFeatureSource source(camera.handle);
    const QString integer = fakeMode() ? "Width" : "Contrast";
    const QString good = fakeMode() ? "AcquisitionMode=SingleFrame" : "Sharpness=7";
    const QString text = "#model=" + source.model() + "\nNoSuchFeature=1\n" + integer + "=wide\n" +
                         integer + "=999999\nthis is no feature line\n" + good + "\n";
    const LoadReport report = applyFeatureFile(source, parseFeatureFile(text));
    QVERIFY(!report.wrongModel);
    QCOMPARE(report.applied, 1);
    QCOMPARE(report.malformed.size(), 1);
    QCOMPARE(report.refused.size(), 3);
    QCOMPARE(report.refused[0].lineNumber, 2);
    QVERIFY(report.refused[0].reason.contains("NoSuchFeature"));
    QCOMPARE(report.refused[1].code, int(VEXO_SDK_INVALID_ARGUMENT));
    QCOMPARE(report.refused[2].code, int(VEXO_SDK_OUT_OF_RANGE));
    QVERIFY(report.refused[2].reason.contains("outside"));
    QCOMPARE(source.read(good.section('=', 0, 0)).value, good.section('=', 1));
}

void FeatureBrowserTest::fileOfAnotherModelIsRefusedByTheCamera()
{
    cameratest::OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    SdkFeatureSource source(camera.handle);
    const QMap<QString, QString> before = writableValues(source);
    const QString integer = fakeMode() ? "Width" : "Contrast";
    const LoadReport report =
        applyFeatureFile(source, parseFeatureFile("#model=SomeOtherCamera\n" + integer + "=3\n"));
    QVERIFY(report.wrongModel);
    QCOMPARE(report.applied, 0);
    QCOMPARE(report.fileModel, QString("SomeOtherCamera"));
    QCOMPARE(writableValues(source), before);
}

void FeatureBrowserTest::loadRefusesWhatIsNoFile_data()
{
    QTest::addColumn<QString>("kind");
    QTest::newRow("missing file") << "missing";
    QTest::newRow("folder") << "folder";
    QTest::newRow("FIFO, which would block a read") << "fifo";
    QTest::newRow("huge file") << "huge";
}

void FeatureBrowserTest::loadRefusesWhatIsNoFile()
{
    QFETCH(QString, kind);
    const QString path = scratch.filePath("not-a-feature-file-" + kind);
    if (kind == "folder")
        QVERIFY(QDir().mkpath(path));
    else if (kind == "fifo")
        QCOMPARE(QProcess::execute("mkfifo", {path}), 0);
    else if (kind == "huge") {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(64 * 1024 * 1024));
    }
    ScriptedSource source;
    Worker worker(&source);
    QSignalSpy loaded(&worker, &Worker::fileLoaded);
    worker.loadFile(path);
    QCOMPARE(loaded.count(), 1);
    QVERIFY(!loaded.at(0).at(2).toString().isEmpty());
    QCOMPARE(source.writes, 0);
}

void FeatureBrowserTest::browserWritesAndShowsRefusals()
{
    cameratest::OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    FeatureBrowser browser(camera.handle, "camera");
    QSignalSpy written(&browser, &FeatureBrowser::featuresWritten);
    FeatureTreeModel* model = browser.featureModel();
    QTRY_VERIFY_WITH_TIMEOUT(model->allFeatures().size() > 5, kDeadlineMs);
    browser.findChild<QComboBox*>("comboBox_featureVisibility")->setCurrentIndex(2);
    const QString integer = fakeMode() ? "Width" : "Contrast";
    QModelIndex value = model->indexOf(integer, FeatureTreeModel::ValueColumn);
    QVERIFY(value.isValid());

    QVERIFY(model->setData(value, "64"));
    QTRY_COMPARE_WITH_TIMEOUT(model->feature(integer)->value, QString("64"), kDeadlineMs);
    QTRY_COMPARE_WITH_TIMEOUT(written.count(), 1, kDeadlineMs);
    // Refreshes leave commands, which have no value, usable.
    QCOMPARE(model->feature("TriggerSoftware")->access, Access::ReadWrite);

    // A change made elsewhere (the panel) shows within the refresh.
    if (fakeMode())
        QCOMPARE(SdkSetExposureTime(camera.handle, 12000), VEXO_SDK_OK);
    else
        QCOMPARE(SdkSetContrast(camera.handle, 41), VEXO_SDK_OK);
    const QString elsewhere = fakeMode() ? "ExposureTimeAbs" : "Contrast";
    QTRY_COMPARE_WITH_TIMEOUT(model->feature(elsewhere)->value,
                              QString(fakeMode() ? "12000" : "41"), kDeadlineMs);

    // A refused write says why and what the camera holds.
    value = model->indexOf(integer, FeatureTreeModel::ValueColumn);
    QVERIFY(model->setData(value, "999999"));
    QTRY_VERIFY_WITH_TIMEOUT(browser.statusText().contains("outside"), kDeadlineMs);
    const QString held = model->feature(integer)->value;
    QVERIFY2(browser.statusText().contains(held), qPrintable(browser.statusText()));
}

void FeatureBrowserTest::browserFilters()
{
    cameratest::OpenCamera camera(identifier.constData());
    QCOMPARE(camera.result, VEXO_SDK_OK);
    FeatureBrowser browser(camera.handle, "camera");
    FeatureTreeModel* model = browser.featureModel();
    QTRY_VERIFY_WITH_TIMEOUT(model->allFeatures().size() > 5, kDeadlineMs);
    auto* level = browser.findChild<QComboBox*>("comboBox_featureVisibility");
    auto* search = browser.findChild<QLineEdit*>("lineEdit_featureSearch");
    QVERIFY(level && search);
    level->setCurrentIndex(0);
    const int beginner = model->shownNames().size();
    level->setCurrentIndex(2);
    QCOMPARE(model->shownNames().size(), model->allFeatures().size());
    QVERIFY(model->shownNames().size() >= beginner);
    search->setText("exposure");
    QVERIFY(!model->shownNames().isEmpty());
    for (const QString& name : model->shownNames())
        QVERIFY2(name.contains("Exposure", Qt::CaseInsensitive) ||
                     model->feature(name)->displayName.contains("Exposure", Qt::CaseInsensitive),
                 qPrintable(name));
}

void FeatureBrowserTest::vanishingCameraIsShown()
{
    int handle = 0;
    QCOMPARE(SdkOpenCamera(&handle, identifier.constData()), VEXO_SDK_OK);
    FeatureBrowser browser(handle, "camera");
    FeatureTreeModel* model = browser.featureModel();
    QTRY_VERIFY_WITH_TIMEOUT(model->allFeatures().size() > 5, kDeadlineMs);
    if (!fakeMode()) {
        // Unplugged: the simulated camera's settings stay with the library, so the browser
        // goes on; back, it lists the camera again.
        QCOMPARE(cameratest::runSimulator({"detach", identifier}), 0);
        QTest::qWait(2 * FeatureBrowser::refreshIntervalMs);
        QCOMPARE(cameratest::runSimulator({"attach", identifier}), 0);
        QTRY_VERIFY_WITH_TIMEOUT(model->allFeatures().size() > 5, kDeadlineMs);
    }
    // Closed under the browser: every feature greys, the browser says so.
    QCOMPARE(SdkCloseCamera(handle), VEXO_SDK_OK);
    QTRY_VERIFY_WITH_TIMEOUT(browser.statusText() == FeatureBrowser::tr("相机已关闭。"),
                             kDeadlineMs);
    const QString name = model->allFeatures().first().name;
    QCOMPARE(model->feature(name)->access, Access::NotAvailable);
    QVERIFY(!model->setData(model->indexOf(name, FeatureTreeModel::ValueColumn), "1"));
}

QTEST_MAIN(FeatureBrowserTest)
#include "tst_featurebrowser.moc"
