#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QRadioButton>
#include <QTemporaryDir>
#include <memory>

#include "ModalDialogWatcher.h"
#include "PanelFixture.h"
#include "SettingsStore.h"

using namespace panelfixture;

namespace {
const char kCamera[] = "VXG2301C0001";
const char kOtherModel[] = "VXU0302C0001";

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(data) == data.size();
}
}  // namespace

// Parameter groups, factory defaults and parameter files from the panel: what the user
// saves survives closing the camera and the program, and bad files change nothing.
class ParameterGroupsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VexoCam> window;
    int handle = 0;

    template <typename T>
    T* w(const QString& name)
    {
        return window->findChild<T*>(name);
    }
    bool step(const QString& s) { return apply(window.get(), s); }

    // The parts of the panel a changed parameter set shows.
    QStringList panelState()
    {
        return {QString::number(w<QSlider>("horizontalSlider_iContrast")->value()),
                QString::number(w<QSlider>("horizontalSlider_gainred")->value()),
                QString::number(w<QCheckBox>("checkBox_mirror")->isChecked()),
                w<QLineEdit>("lineEdit_tirggerdelay")->text(),
                QString::number(w<QRadioButton>("radioButton_manualwb")->isChecked())};
    }
    void startWindow()
    {
        window = std::make_unique<VexoCam>(nullptr, programDir());
        window->show();
        QVERIFY(waitForGrid(*window));
        handle = openCamera(*window, kCamera);
        QVERIFY(handle != 0);
    }

private slots:
    void initTestCase() { settingsStore()->setValue("EDITION", "Language", 0); }
    void init() { startWindow(); }
    void cleanup() { window.reset(); }

    void saveSurvivesRestart_data()
    {
        QTest::addColumn<QString>("saveButton");
        QTest::addColumn<QString>("group");
        QTest::newRow("tab button, group C") << "pushButton_save"
                                             << "C";
        QTest::newRow("toolbar button, group B") << "pushButton_saveInfo"
                                                 << "B";
    }
    void saveSurvivesRestart()
    {
        QFETCH(QString, saveButton);
        QFETCH(QString, group);
        QVERIFY(step("radioButton_" + group + "=1"));
        for (const char* s : {"radioButton_manualwb=1", "horizontalSlider_iContrast=71",
                              "horizontalSlider_gainred=222", "checkBox_mirror=1",
                              "radioButton_softrigger=1", "lineEdit_tirggerdelay=4321"})
            QVERIFY(step(s));
        const QStringList saved = panelState();
        QVERIFY(step(saveButton + "=click"));
        QCOMPARE(probe(handle, "currentGroup"), QString::number(group.at(0).unicode() - 'A'));

        // A new main window opens the camera afresh: the camera starts from the saved group.
        window.reset();
        startWindow();
        QCOMPARE(panelState(), saved);
        QVERIFY(w<QRadioButton>("radioButton_" + group)->isChecked());
        QCOMPARE(probe(handle, "contrast"), QString("71"));
    }

    // Choosing a group loads it and shows it; an empty group falls back to the factory
    // defaults, and the panel shows those too.
    void groupSelectionShowsTheLoadedValues()
    {
        QVERIFY(step("radioButton_A=1"));
        QVERIFY(step("horizontalSlider_iContrast=20"));
        QVERIFY(step("pushButton_save=click"));
        QVERIFY(step("radioButton_B=1"));
        QVERIFY(step("horizontalSlider_iContrast=80"));
        QVERIFY(step("pushButton_save=click"));

        QVERIFY(step("radioButton_A=1"));
        QCOMPARE(probe(handle, "contrast"), QString("20"));
        QCOMPARE(w<QSlider>("horizontalSlider_iContrast")->value(), 20);
        QVERIFY(step("radioButton_B=1"));
        QCOMPARE(w<QSlider>("horizontalSlider_iContrast")->value(), 80);

        QVERIFY(step("checkBox_mirror=1"));
        QVERIFY(step("radioButton_D=1"));
        QCOMPARE(probe(handle, "currentGroup"), QString("255"));
        QCOMPARE(probe(handle, "contrast"), QString("50"));
        QCOMPARE(w<QSlider>("horizontalSlider_iContrast")->value(), 50);
        QCOMPARE(w<QCheckBox>("checkBox_mirror")->isChecked(), false);
    }

    void restoreDefaults_data()
    {
        QTest::addColumn<QString>("button");
        QTest::newRow("tab button") << "pushButton_recove";
        QTest::newRow("toolbar button") << "pushButton_restoreDefaultParameters";
    }
    void restoreDefaults()
    {
        QFETCH(QString, button);
        QCOMPARE(SdkSetContrast(handle, 90), 0);
        QCOMPARE(SdkSetMirror(handle, 1, 1), 0);
        QCOMPARE(SdkSetTriggerDelay(handle, 77), 0);
        QVERIFY(step(button + "=click"));
        QCOMPARE(w<QSlider>("horizontalSlider_iContrast")->value(), 50);
        QCOMPARE(w<QCheckBox>("checkBox_vertical")->isChecked(), false);
        QCOMPARE(w<QLineEdit>("lineEdit_tirggerdelay")->text(), QString("0"));
        QCOMPARE(probe(handle, "contrast"), QString("50"));
    }

    void exportImportRoundTrip_data()
    {
        QTest::addColumn<QString>("exportButton");
        QTest::addColumn<QString>("importButton");
        QTest::newRow("tab buttons") << "pushButton_savefile"
                                     << "pushButton_load";
        QTest::newRow("toolbar buttons") << "pushButton_saveParametersToFile"
                                         << "pushButton_loadParametersToFile";
    }
    void exportImportRoundTrip()
    {
        QFETCH(QString, exportButton);
        QFETCH(QString, importButton);
        QTemporaryDir folder;
        QVERIFY(step("radioButton_number=1"));
        QVERIFY(step("radioButton_B=1"));
        for (const char* s : {"radioButton_manualwb=1", "horizontalSlider_iContrast=64",
                              "horizontalSlider_gainred=180", "checkBox_mirror=1",
                              "radioButton_softrigger=1", "lineEdit_tirggerdelay=999"})
            QVERIFY(step(s));
        const QStringList exported = panelState();
        ModalDialogWatcher watcher;
        watcher.setFileAnswer(folder.path());
        QVERIFY(step(exportButton + "=click"));
        const QString file = folder.filePath(QString(kCamera) + "_Cfg_B.bin");
        QVERIFY2(QFile::exists(file), qPrintable(file));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList{QString(kCamera) + "_Cfg_B.bin"});
        QCOMPARE(watcher.count(), 1);  // the folder dialog, no message

        for (const char* s : {"radioButton_autowb=1", "horizontalSlider_iContrast=10",
                              "checkBox_mirror=0", "lineEdit_tirggerdelay=1"})
            QVERIFY(step(s));
        QVERIFY(panelState() != exported);
        watcher.clear();
        watcher.setFileAnswer(file);
        QVERIFY(step(importButton + "=click"));
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen().first().title, QString("打开"));
        QCOMPARE(panelState(), exported);
        QCOMPARE(probe(handle, "triggerDelay"), QString("999"));
    }

    void exportFileNames_data()
    {
        QTest::addColumn<QString>("loadMode");
        QTest::addColumn<QString>("nickname");
        QTest::addColumn<QString>("expected");
        QTest::newRow("by model") << "model"
                                  << ""
                                  << "VX-G230C_Cfg_A.bin";
        QTest::newRow("by serial number") << "number"
                                          << ""
                                          << "VXG2301C0001_Cfg_A.bin";
        QTest::newRow("by nickname") << "name"
                                     << "Line 3"
                                     << "Line 3_Cfg_A.bin";
        QTest::newRow("nickname ../x/y stays in the folder") << "name"
                                                             << "../x/y"
                                                             << "___x_y_Cfg_A.bin";
        QTest::newRow("nickname with a drive and backslashes") << "name"
                                                               << "C:\\Windows\\x"
                                                               << "C__Windows_x_Cfg_A.bin";
    }
    void exportFileNames()
    {
        QFETCH(QString, loadMode);
        QFETCH(QString, nickname);
        QFETCH(QString, expected);
        if (!nickname.isEmpty())
            QCOMPARE(SdkSetDeviceNickname(handle, nickname.toLocal8Bit().constData()), 0);
        QTemporaryDir top;
        QVERIFY(QDir(top.path()).mkpath("chosen/x"));
        const QString chosen = top.filePath("chosen/x");
        QVERIFY(step("radioButton_" + loadMode + "=1"));
        QVERIFY(step("radioButton_A=1"));
        ModalDialogWatcher watcher;
        watcher.setFileAnswer(chosen);
        QVERIFY(step("pushButton_savefile=click"));
        const auto everything = QDir::Files | QDir::Hidden | QDir::Dirs | QDir::NoDotAndDotDot;
        QCOMPARE(QDir(chosen).entryList(everything), QStringList{expected});
        // Nothing landed outside the chosen folder.
        QCOMPARE(QDir(top.filePath("chosen")).entryList(everything), QStringList{"x"});
        QCOMPARE(QDir(top.path()).entryList(everything), QStringList{"chosen"});
        QCOMPARE(watcher.count(), 1);
    }

    void cancelledDialogsChangeNothing()
    {
        QTemporaryDir folder;
        const QStringList before = panelState();
        const QString contrast = probe(handle, "contrast");
        ModalDialogWatcher watcher;  // no answer: every dialog is cancelled
        QVERIFY(step("pushButton_load=click"));
        QVERIFY(step("pushButton_savefile=click"));
        QCOMPARE(watcher.count(), 2);
        QCOMPARE(panelState(), before);
        QCOMPARE(probe(handle, "contrast"), contrast);
        QCOMPARE(QDir(QCoreApplication::applicationDirPath()).entryList({"*.bin"}, QDir::Files),
                 QStringList{});
    }

    // A file the camera refuses leaves the camera and the panel as they were, and says why.
    void refusedFileChangesNothing_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("message");
        QTest::newRow("another model") << "model"
                                       << "加载参数文件失败：文件属于其它型号的相机";
        QTest::newRow("truncated") << "truncated"
                                   << "加载参数文件失败：文件不完整";
        QTest::newRow("corrupt") << "corrupt"
                                 << "加载参数文件失败：文件已损坏";
        QTest::newRow("not a parameter file") << "text"
                                              << "加载参数文件失败：不是参数文件";
    }
    void refusedFileChangesNothing()
    {
        QFETCH(QString, kind);
        QFETCH(QString, message);
        QTemporaryDir folder;
        const QString file = folder.filePath("bad.Bin");
        if (kind == "model") {
            int other = 0;
            QCOMPARE(SdkOpenCamera(&other, kOtherModel), 0);
            QCOMPARE(SdkExportParameterFile(other, file.toLocal8Bit().constData()), 0);
            SdkCloseCamera(other);
        } else {
            QCOMPARE(SdkExportParameterFile(handle, file.toLocal8Bit().constData()), 0);
            QByteArray data = contents(file);
            if (kind == "truncated")
                data.truncate(data.size() / 2);
            else if (kind == "corrupt")
                data[data.size() / 2] = char(data[data.size() / 2] ^ 0x5A);
            else
                data = "contrast=100\n";
            QVERIFY(writeFile(file, data));
        }
        QVERIFY(step("horizontalSlider_iContrast=37"));
        QVERIFY(step("checkBox_mirror=1"));
        const QStringList before = panelState();
        ModalDialogWatcher watcher;
        watcher.setFileAnswer(file);
        QVERIFY(step("pushButton_loadParametersToFile=click"));
        QTRY_COMPARE_WITH_TIMEOUT(watcher.count(), 2, 20000);
        QCOMPARE(watcher.seen().at(1).title, QString("提示"));
        QCOMPARE(watcher.seen().at(1).text, message);
        QCOMPARE(panelState(), before);
        QCOMPARE(probe(handle, "contrast"), QString("37"));
    }

    // An export that cannot be written says so and leaves what was saved before alone.
    void exportThatCannotBeWritten()
    {
        QTemporaryDir folder;
        QVERIFY(step("radioButton_number=1"));
        QVERIFY(step("radioButton_A=1"));
        const QString earlier = folder.filePath(QString(kCamera) + "_Cfg_B.bin");
        QVERIFY(writeFile(earlier, "earlier export"));
        // The name the export wants is taken by a folder with a file in it.
        const QString blocked = folder.filePath(QString(kCamera) + "_Cfg_A.bin");
        QVERIFY(QDir().mkpath(blocked));
        QVERIFY(writeFile(blocked + "/keep.txt", "kept"));
        ModalDialogWatcher watcher;
        watcher.setFileAnswer(folder.path());
        QVERIFY(step("pushButton_saveParametersToFile=click"));
        QTRY_COMPARE_WITH_TIMEOUT(watcher.count(), 2, 20000);
        QCOMPARE(watcher.seen().at(1).title, QString("提示"));
        // The message names the cause, not just "cannot write".
        QCOMPARE(watcher.seen().at(1).text,
                 QString("导出参数文件失败：%1是文件夹或设备，不能作为参数文件")
                     .arg(QDir::toNativeSeparators(blocked)));
        QCOMPARE(contents(earlier), QByteArray("earlier export"));
        QCOMPARE(contents(blocked + "/keep.txt"), QByteArray("kept"));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList{QString(kCamera) + "_Cfg_B.bin"});
    }
};

QTEST_MAIN(ParameterGroupsTest)
#include "tst_parametergroups.moc"
