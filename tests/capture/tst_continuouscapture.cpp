// Continuous capture of a camera window on simulated cameras: runs by count and by time
// with and without limits, the user's settings left exactly as they were, picture names
// that never replace a picture, fast intervals, and runs that cannot write.
#include <sys/resource.h>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QLabel>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <ctime>
#include <memory>

#include "CVideoThread.h"
#include "CameraThread.h"
#include "CaptureCameras.h"
#include "ModalDialogWatcher.h"
#include "SettingsStore.h"
#include "VexoCameraApi.h"

namespace {

constexpr int kDeadlineMs = 30000;

QStringList filesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files, QDir::Name);
}

void setCapture(const QString& key, const QVariant& value)
{
    settingsStore()->setValue(QStringLiteral("CAPTURE"), key, value);
}

QByteArray settingsFile()
{
    settingsStore()->sync();
    QFile file(settingsStore()->filePath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

double threadCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

}  // namespace

class ContinuousCaptureTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();

    void runs_data();
    void runs();
    void countRunPicturesArrivingLateStayInTheRun();
    void twoWindowsAtOnceLeaveTheSettingsAlone();
    void camerasOfOneNameNeverShareAFolder();
    void closingDuringARunEndsIt();
    void picturesInOneSecondNeverReplaceEachOther();
    void runsNumberFromZeroWithoutTouchingTheIndex();
    void zeroIntervalNeitherSpinsNorFloods();
    void folderNameCannotLeaveThePicturesFolder();
    void folderThatCannotBeMadeStartsNoRun();
    void folderDisappearingStopsTheRun();
    void unwritablePictureTypeStopsTheRunAndSaysSo();
    void fullDiskStopsTheRunAndKeepsThePictures();
    void buttonWithoutACameraDoesNothing();

private:
    CameraThread* openWindow(const char* identifier = capturecameras::kFirst);
    // Folder settings of a run into folder, under rule and picture type.
    void prepare(const QString& pictures, int rule = 1, int pictureType = 0);
    // Stops a running capture and waits until every requested picture is written.
    void stopAndDrain(CameraThread* camera);

    QTemporaryDir folder;
    std::vector<std::unique_ptr<CameraThread>> windows;
    std::unique_ptr<ModalDialogWatcher> watcher;
};

void ContinuousCaptureTest::initTestCase()
{
    QVERIFY(folder.isValid());
    QVERIFY(capturecameras::install(folder));
}

void ContinuousCaptureTest::init()
{
    watcher = std::make_unique<ModalDialogWatcher>();
    // The user's own choice, which no run may change.
    setCapture("AutoSaveState", 0);
    setCapture("NameRuleIndex", 41);
    setCapture("SvaePath", folder.filePath("user's folder"));
}

void ContinuousCaptureTest::cleanup()
{
    windows.clear();
    watcher.reset();
}

CameraThread* ContinuousCaptureTest::openWindow(const char* identifier)
{
    auto window = std::make_unique<CameraThread>();
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->resize(400, 300);
    window->show();
    if (!window->startCamera(QString::fromLatin1(identifier)))
        return nullptr;
    if (!QTest::qWaitFor([&]() { return window->acquisitionThread()->frameCount() > 0; },
                         kDeadlineMs))
        return nullptr;
    windows.push_back(std::move(window));
    return windows.back().get();
}

void ContinuousCaptureTest::prepare(const QString& pictures, int rule, int pictureType)
{
    setCapture("SvaePath", pictures);
    setCapture("NameRulePrefix", "Image_");
    setCapture("NameRuleFormat", rule);
    setCapture("PictureType", pictureType);
}

void ContinuousCaptureTest::stopAndDrain(CameraThread* camera)
{
    if (camera->isContinuousCaptureRunning())
        camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QVERIFY(!camera->isContinuousCaptureRunning());
    QTRY_COMPARE_WITH_TIMEOUT(camera->continuousCapture().outstanding, 0, kDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(!camera->acquisitionThread()->pictureRequested(), kDeadlineMs);
    QTest::qWait(100);  // the last confirmation
}

void ContinuousCaptureTest::runs_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<int>("radix");
    QTest::addColumn<bool>("limited");
    QTest::addColumn<int>("limit");
    QTest::addColumn<int>("expected");  // pictures of a run that ends itself; -1 runs on
    QTest::newRow("by count, 3 pictures then stop") << 0 << 2 << true << 3 << 3;
    QTest::newRow("by count, limit 0 takes none") << 0 << 1 << true << 0 << 0;
    QTest::newRow("by count without limit") << 0 << 5 << false << 1 << -1;
    QTest::newRow("by time, limited to 1.5 s") << 1 << 200 << true << 1500 << -1;
    QTest::newRow("by time without limit") << 1 << 100 << false << 1 << -1;
}

void ContinuousCaptureTest::runs()
{
    QFETCH(int, mode);
    QFETCH(int, radix);
    QFETCH(bool, limited);
    QFETCH(int, limit);
    QFETCH(int, expected);
    const QString pictures =
        folder.filePath(QStringLiteral("runs/%1").arg(QTest::currentDataTag()));
    prepare(pictures);
    setCapture("CaptureMode", mode);
    if (mode == 0) {
        setCapture("GrapNumberRadix", radix);
        setCapture("GrapNumberStop", limited ? 2 : 0);
        setCapture("GrapNumberCount", limit);
    } else {
        setCapture("GrapTimeRadix", radix);
        setCapture("GrapTimeStop", limited ? 2 : 0);
        setCapture("GrapTimeCount", limit);
    }
    const QByteArray before = settingsFile();
    const CaptureSettings mirror = settingsStore()->captureSettings();

    CameraThread* camera = openWindow();
    QVERIFY(camera);
    auto* button = camera->findChild<QPushButton*>("pushButton_continuityPhotogrape");
    auto* media = camera->findChild<QLabel*>("label_media");
    const QImage idleIcon = button->icon().pixmap(16).toImage();
    button->click();
    QVERIFY(camera->isContinuousCaptureRunning());
    QVERIFY(media->isVisible());
    QVERIFY(button->icon().pixmap(16).toImage() != idleIcon);
    const QString runFolder = pictures + "/" + capturecameras::kFirstName;
    QVERIFY(QFileInfo(runFolder).isDir());

    if (expected > 0 || (expected < 0 && !limited)) {
        QTRY_VERIFY_WITH_TIMEOUT(camera->continuousCapture().picturesTaken >= std::max(expected, 2),
                                 kDeadlineMs);
        if (camera->isContinuousCaptureRunning())
            QVERIFY2(camera->windowTitle().startsWith(
                         QStringLiteral("%1  已采集图片:").arg(capturecameras::kFirstName)),
                     qPrintable(camera->windowTitle()));
    }
    if (limited) {
        QTRY_VERIFY_WITH_TIMEOUT(!camera->isContinuousCaptureRunning(), kDeadlineMs);
    } else {
        QVERIFY(camera->isContinuousCaptureRunning());
    }
    stopAndDrain(camera);

    const int taken = camera->continuousCapture().picturesTaken;
    if (expected >= 0)
        QCOMPARE(taken, expected);
    // Every requested picture is a file of its own.
    QStringList files = filesIn(runFolder);
    QCOMPARE(files.size(), taken);
    QStringList names;
    for (int i = 0; i < taken; ++i)
        names << QStringLiteral("Image__%1.bmp").arg(i);
    files.sort();
    names.sort();
    QCOMPARE(files, names);
    if (taken > 0)
        QCOMPARE(QImage(runFolder + "/" + files.first()).size(), QSize(320, 240));

    QCOMPARE(camera->windowTitle(), QString::fromLatin1(capturecameras::kFirstName));
    QVERIFY(media->isHidden());
    QCOMPARE(button->icon().pixmap(16).toImage(), idleIcon);
    QCOMPARE(watcher->count(), 0);  // the run saves on its own, whatever AutoSaveState says
    // The user's settings, in the file and in memory, are exactly as before.
    QCOMPARE(settingsFile(), before);
    QCOMPARE(settingsStore()->captureSettings().savePath, mirror.savePath);
    QCOMPARE(settingsStore()->captureSettings().autoSaveState, 0);
    QCOMPARE(settingsStore()->captureSettings().nameRuleIndex, 41);
}

void ContinuousCaptureTest::countRunPicturesArrivingLateStayInTheRun()
{
    // The acquisition thread takes a count run's pictures while the GUI thread is away;
    // they reach the window only afterwards, when the run may have ended already.
    const QString pictures = folder.filePath(QStringLiteral("late"));
    prepare(pictures);
    setCapture("CaptureMode", 0);
    setCapture("GrapNumberRadix", 1);
    setCapture("GrapNumberStop", 2);
    setCapture("GrapNumberCount", 3);
    CameraThread* camera = openWindow();
    QVERIFY(camera);
    CVideoThread* thread = camera->acquisitionThread();
    auto* button = camera->findChild<QPushButton*>("pushButton_continuityPhotogrape");
    const QString runFolder = pictures + "/" + capturecameras::kFirstName;
    const auto takenWithoutEvents = [thread](int pictures) {
        QDeadlineTimer deadline(kDeadlineMs);
        while (thread->picturesOfRun() < pictures && !deadline.hasExpired())
            QThread::msleep(5);
        return thread->picturesOfRun() >= pictures;
    };

    // A run that ends itself: it ends when its three pictures are in, and counts them.
    button->click();
    QVERIFY(takenWithoutEvents(3));
    QTRY_VERIFY_WITH_TIMEOUT(!camera->isContinuousCaptureRunning(), kDeadlineMs);
    QCOMPARE(camera->continuousCapture().picturesTaken, 3);
    QTRY_COMPARE_WITH_TIMEOUT(filesIn(runFolder).size(), 3, kDeadlineMs);

    // A run stopped by hand with pictures still on their way: they go into the run's
    // folder too, never down the path of a picture asked for by hand (which would ask
    // for a folder here).
    setCapture("GrapNumberStop", 0);
    button->click();
    QVERIFY(takenWithoutEvents(4));
    button->click();
    QVERIFY(!camera->isContinuousCaptureRunning());
    const int taken = thread->picturesOfRun();
    QTRY_COMPARE_WITH_TIMEOUT(filesIn(runFolder).size(), 3 + taken, kDeadlineMs);
    QCoreApplication::processEvents();
    QCOMPARE(watcher->count(), 0);
    QCOMPARE(filesIn(runFolder).size(), 3 + taken);
}

void ContinuousCaptureTest::twoWindowsAtOnceLeaveTheSettingsAlone()
{
    const QString pictures = folder.filePath("two windows");
    prepare(pictures, 0, 2);
    setCapture("CaptureMode", 1);
    setCapture("GrapTimeRadix", 150);
    setCapture("GrapTimeStop", 0);
    const QByteArray before = settingsFile();

    CameraThread* a = openWindow(capturecameras::kFirst);
    CameraThread* b = openWindow(capturecameras::kSecond);
    QVERIFY(a && b);
    a->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    b->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QTRY_VERIFY_WITH_TIMEOUT(
        a->continuousCapture().picturesTaken >= 2 && b->continuousCapture().picturesTaken >= 2,
        kDeadlineMs);
    // While both run, a crash would leave this file: the user's settings.
    QCOMPARE(settingsFile(), before);
    // Stopped in the other order than started.
    stopAndDrain(b);
    QCOMPARE(settingsFile(), before);
    stopAndDrain(a);
    QCOMPARE(settingsFile(), before);
    QCOMPARE(filesIn(pictures + "/" + capturecameras::kFirstName).size(),
             a->continuousCapture().picturesTaken);
    QCOMPARE(filesIn(pictures + "/" + capturecameras::kSecondName).size(),
             b->continuousCapture().picturesTaken);

    // A single picture after the runs follows the user's settings again: folder dialog.
    a->findChild<QPushButton*>("pushButton_photogrape")->click();
    QTRY_COMPARE_WITH_TIMEOUT(watcher->count(), 1, kDeadlineMs);
    QCOMPARE(watcher->seen().first().title, QStringLiteral("选择"));
}

void ContinuousCaptureTest::camerasOfOneNameNeverShareAFolder()
{
    const QString pictures = folder.filePath("same name");
    prepare(pictures, 0, 2);
    setCapture("CaptureMode", 1);
    setCapture("GrapTimeRadix", 50);
    setCapture("GrapTimeStop", 0);
    CameraThread* a = openWindow(capturecameras::kFirst);
    CameraThread* b = openWindow(capturecameras::kSameName);
    QVERIFY(a && b);
    QCOMPARE(a->windowTitle(), b->windowTitle());
    a->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    b->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QVERIFY(a->continuousCapture().folder != b->continuousCapture().folder);
    QTRY_VERIFY_WITH_TIMEOUT(
        a->continuousCapture().picturesTaken >= 10 && b->continuousCapture().picturesTaken >= 10,
        kDeadlineMs);
    stopAndDrain(a);
    stopAndDrain(b);
    // Every picture the titles counted is a file of its own.
    QCOMPARE(filesIn(a->continuousCapture().folder).size(), a->continuousCapture().picturesTaken);
    QCOMPARE(filesIn(b->continuousCapture().folder).size(), b->continuousCapture().picturesTaken);
}

void ContinuousCaptureTest::closingDuringARunEndsIt()
{
    prepare(folder.filePath("closed"));
    setCapture("CaptureMode", 1);
    setCapture("GrapTimeRadix", 50);
    setCapture("GrapTimeStop", 0);
    const QByteArray before = settingsFile();
    CameraThread* camera = openWindow();
    QVERIFY(camera);
    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    // A picture asked for may still wait for its frame; on a loaded machine the first
    // one can take a while to land, and closing drops a request not yet served.
    const QString runFolder = folder.filePath("closed/") + capturecameras::kFirstName;
    QTRY_VERIFY_WITH_TIMEOUT(!filesIn(runFolder).isEmpty(), kDeadlineMs);
    camera->closeCamera();
    QVERIFY(!camera->isContinuousCaptureRunning());
    QVERIFY(camera->findChild<QLabel*>("label_media")->isHidden());
    QVERIFY(camera->windowTitle().isEmpty());
    QTest::qWait(200);
    QCOMPARE(settingsFile(), before);
    // The pictures written, the one being written when the camera closed included, are
    // complete, not cut off.
    const QStringList written = filesIn(runFolder);
    QVERIFY(!written.isEmpty());
    for (const QString& name : written) {
        QVERIFY2(QRegularExpression("^Image__\\d+\\.bmp$").match(name).hasMatch(),
                 qPrintable(name));
        QCOMPARE(QImage(runFolder + "/" + name).size(), QSize(320, 240));
    }
    // The button does nothing on the empty window.
    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QVERIFY(!camera->isContinuousCaptureRunning());
}

void ContinuousCaptureTest::picturesInOneSecondNeverReplaceEachOther()
{
    // Every name of the next minute under rule 0 is taken already: each new picture
    // must find a name of its own, and the old files must stay as they were.
    const QString pictures = folder.filePath("same second");
    const QString runFolder = pictures + "/" + capturecameras::kFirstName;
    QVERIFY(QDir().mkpath(runFolder));
    const QDateTime now = QDateTime::currentDateTime();
    for (int s = -2; s < 60; ++s) {
        QFile old(runFolder + "/Image__" + now.addSecs(s).toString("yyyyMMddhhmmss") + ".bmp");
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("not a picture, but the user's file");
    }
    const int oldFiles = filesIn(runFolder).size();
    prepare(pictures, 0, 0);
    setCapture("CaptureMode", 1);
    setCapture("GrapTimeRadix", 1);  // as fast as frames come
    setCapture("GrapTimeStop", 0);

    CameraThread* camera = openWindow();
    QVERIFY(camera);
    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QTRY_VERIFY_WITH_TIMEOUT(camera->continuousCapture().picturesTaken >= 4, kDeadlineMs);
    stopAndDrain(camera);
    const int taken = camera->continuousCapture().picturesTaken;
    const QStringList files = filesIn(runFolder);
    QCOMPARE(files.size(), oldFiles + taken);
    int suffixed = 0;
    for (const QString& name : files) {
        QFile file(runFolder + "/" + name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        if (QRegularExpression("^Image__\\d{14}_\\d+\\.bmp$").match(name).hasMatch()) {
            ++suffixed;
            QCOMPARE(QImage(file.fileName()).size(), QSize(320, 240));
        } else {
            QCOMPARE(file.readAll(), QByteArray("not a picture, but the user's file"));
        }
    }
    QCOMPARE(suffixed, taken);

    // Single pictures: the second of two in one second gets a suffix as well.
    setCapture("AutoSaveState", 2);
    setCapture("SvaePath", folder.filePath("single"));
    const QString single = folder.filePath("single");
    QVERIFY(QDir().mkpath(single));
    for (int s = -2; s < 60; ++s) {
        QFile old(single + "/Image__" + now.addSecs(s).toString("yyyyMMddhhmmss") + ".bmp");
        QVERIFY(old.open(QIODevice::WriteOnly));
    }
    camera->findChild<QPushButton*>("pushButton_photogrape")->click();
    QTRY_COMPARE_WITH_TIMEOUT(filesIn(single).size(), 63, kDeadlineMs);
}

void ContinuousCaptureTest::runsNumberFromZeroWithoutTouchingTheIndex()
{
    // A second run into the same folder starts at 0 again and must not replace the
    // first run's pictures.
    const QString pictures = folder.filePath("index");
    prepare(pictures, 1, 2);
    setCapture("CaptureMode", 0);
    setCapture("GrapNumberRadix", 1);
    setCapture("GrapNumberStop", 2);
    setCapture("GrapNumberCount", 2);
    CameraThread* camera = openWindow();
    QVERIFY(camera);
    auto* button = camera->findChild<QPushButton*>("pushButton_continuityPhotogrape");
    button->click();
    QTRY_VERIFY_WITH_TIMEOUT(!camera->isContinuousCaptureRunning(), kDeadlineMs);
    stopAndDrain(camera);
    button->click();
    QTRY_VERIFY_WITH_TIMEOUT(!camera->isContinuousCaptureRunning(), kDeadlineMs);
    stopAndDrain(camera);
    QCOMPARE(filesIn(pictures + "/" + capturecameras::kFirstName),
             (QStringList{"Image__0.png", "Image__0_1.png", "Image__1.png", "Image__1_1.png"}));
    QCOMPARE(settingsStore()->captureSettings().nameRuleIndex, 41);
    QCOMPARE(settingsStore()->value("CAPTURE", "NameRuleIndex").toInt(), 41);
}

void ContinuousCaptureTest::zeroIntervalNeitherSpinsNorFloods()
{
    const QString pictures = folder.filePath("zero");
    prepare(pictures, 1, 0);
    setCapture("CaptureMode", 1);
    setCapture("GrapTimeRadix", 0);
    setCapture("GrapTimeStop", 0);
    CameraThread* camera = openWindow();
    QVERIFY(camera);
    camera->findChild<QPushButton*>("pushButton_open")->click();  // paused: no frames
    QTest::qWait(200);
    const int framesAtStart = camera->acquisitionThread()->frameCount();

    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    const double cpuBefore = threadCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTest::qWait(1500);
    const double cpu = threadCpuSeconds() - cpuBefore;
    const double elapsed = double(wall.elapsed()) / 1000.0;
    // A timer that fires as fast as it can would keep the GUI thread busy all the time.
    QVERIFY2(cpu < 0.3 * elapsed,
             qPrintable(QString("GUI thread used %1 s of %2 s").arg(cpu).arg(elapsed)));
    // Without frames one request waits; the counter does not run ahead of the pictures.
    QCOMPARE(camera->continuousCapture().picturesTaken, 1);
    QCOMPARE(camera->acquisitionThread()->frameCount(), framesAtStart);

    camera->findChild<QPushButton*>("pushButton_open")->click();
    QTRY_VERIFY_WITH_TIMEOUT(camera->continuousCapture().picturesTaken >= 5, kDeadlineMs);
    stopAndDrain(camera);
    const int frames = camera->acquisitionThread()->frameCount() - framesAtStart;
    const int taken = camera->continuousCapture().picturesTaken;
    QVERIFY2(taken <= frames,
             qPrintable(QString("%1 pictures from %2 frames").arg(taken).arg(frames)));
    QCOMPARE(filesIn(pictures + "/" + capturecameras::kFirstName).size(), taken);
}

void ContinuousCaptureTest::folderNameCannotLeaveThePicturesFolder()
{
    const QString base = folder.filePath("escape/a/b");
    prepare(base);
    setCapture("CaptureMode", 1);
    setCapture("GrapTimeRadix", 100);
    setCapture("GrapTimeStop", 0);
    CameraThread* camera = openWindow(capturecameras::kEscaping);
    QVERIFY(camera);
    QCOMPARE(camera->windowTitle(), QStringLiteral("../../Esc:ape"));
    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QTRY_VERIFY_WITH_TIMEOUT(camera->continuousCapture().picturesTaken >= 1, kDeadlineMs);
    stopAndDrain(camera);
    QCOMPARE(camera->continuousCapture().folder, base + "/.._.._Esc_ape");
    QCOMPARE(filesIn(base + "/.._.._Esc_ape").size(), camera->continuousCapture().picturesTaken);
    // Nothing landed above the pictures folder.
    QCOMPARE(QDir(folder.filePath("escape")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"a"});
    QCOMPARE(QDir(folder.filePath("escape/a")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
             QStringList{"b"});
}

void ContinuousCaptureTest::folderThatCannotBeMadeStartsNoRun()
{
    QFile blocker(folder.filePath("a file"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    prepare(blocker.fileName() + "/pictures");
    setCapture("CaptureMode", 0);
    CameraThread* camera = openWindow();
    QVERIFY(camera);
    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QVERIFY(!camera->isContinuousCaptureRunning());
    QVERIFY(camera->findChild<QLabel*>("label_media")->isHidden());
    QCOMPARE(camera->findChild<QLabel*>("label_camerainfo")->text(),
             QStringLiteral("连续抓图未开始: 无法创建文件夹 %1")
                 .arg(QDir::toNativeSeparators(blocker.fileName() + "/pictures/" +
                                               capturecameras::kFirstName)));
    // The reason stays readable over the next rate reports.
    QTest::qWait(1500);
    QVERIFY(camera->findChild<QLabel*>("label_camerainfo")->text().startsWith("连续抓图未开始"));
}

void ContinuousCaptureTest::folderDisappearingStopsTheRun()
{
    const QString pictures = folder.filePath("vanishing");
    prepare(pictures, 1, 2);
    setCapture("CaptureMode", 1);
    setCapture("GrapTimeRadix", 100);
    setCapture("GrapTimeStop", 0);
    CameraThread* camera = openWindow();
    QVERIFY(camera);
    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    const QString runFolder = pictures + "/" + capturecameras::kFirstName;
    QTRY_VERIFY_WITH_TIMEOUT(filesIn(runFolder).size() >= 2, kDeadlineMs);
    // The user moves the folder away (say, to another disk) while the run goes on.
    const QString moved = folder.filePath("moved away");
    QVERIFY(QDir().rename(runFolder, moved));
    QTRY_VERIFY_WITH_TIMEOUT(!camera->isContinuousCaptureRunning(), kDeadlineMs);
    auto* status = camera->findChild<QLabel*>("label_camerainfo");
    QVERIFY2(status->text().startsWith(QStringLiteral("连续抓图已停止: 图片无法保存到 %1, 错误码:")
                                           .arg(QDir::toNativeSeparators(runFolder))),
             qPrintable(status->text()));
    QVERIFY(!QFileInfo::exists(runFolder));  // not quietly made again
    QVERIFY(camera->findChild<QLabel*>("label_media")->isHidden());
    QCOMPARE(camera->windowTitle(), QString::fromLatin1(capturecameras::kFirstName));
    // The pictures written before are complete.
    const QStringList kept = filesIn(moved);
    QVERIFY(kept.size() >= 2);
    for (const QString& name : kept)
        QCOMPARE(QImage(moved + "/" + name).size(), QSize(320, 240));
}

void ContinuousCaptureTest::unwritablePictureTypeStopsTheRunAndSaysSo()
{
    // No format to write: the run stops at its first picture, and the thread's
    // confirmation of that frame, coming behind, must not claim it was saved.
    prepare(folder.filePath("no format"), 1);
    setCapture("CaptureMode", 1);
    setCapture("GrapTimeRadix", 100);
    setCapture("GrapTimeStop", 0);
    CameraThread* camera = openWindow();
    QVERIFY(camera);
    // The store reads an unknown type from the file as the default type (see
    // tst_settingsstore), so it is put into the record directly.
    settingsStore()->captureSettings().pictureType = 7;
    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QTRY_VERIFY_WITH_TIMEOUT(!camera->isContinuousCaptureRunning(), kDeadlineMs);
    auto* status = camera->findChild<QLabel*>("label_camerainfo");
    QTest::qWait(1000);  // the confirmation and a rate report or two
    QVERIFY2(status->text().startsWith(QStringLiteral("连续抓图已停止")),
             qPrintable(status->text()));
}

void ContinuousCaptureTest::fullDiskStopsTheRunAndKeepsThePictures()
{
    const QString pictures = folder.filePath("full");
    prepare(pictures, 1, 0);  // BMP: 230 kB each
    setCapture("CaptureMode", 1);
    setCapture("GrapTimeRadix", 100);
    setCapture("GrapTimeStop", 0);
    CameraThread* camera = openWindow();
    QVERIFY(camera);
    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    const QString runFolder = pictures + "/" + capturecameras::kFirstName;
    QTRY_VERIFY_WITH_TIMEOUT(filesIn(runFolder).size() >= 2, kDeadlineMs);

    // No file may grow past 64 kB any more: to the writer that is a full disk.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    rlimit small = old;
    small.rlim_cur = 64 * 1024;
    QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool stopped =
        QTest::qWaitFor([&]() { return !camera->isContinuousCaptureRunning(); }, kDeadlineMs);
    setrlimit(RLIMIT_FSIZE, &old);
    QVERIFY(stopped);
    QVERIFY(camera->findChild<QLabel*>("label_camerainfo")
                ->text()
                .startsWith(QStringLiteral("连续抓图已停止: 图片无法保存到")));
    stopAndDrain(camera);
    // Complete pictures only: no cut-off file and no temporary left behind.
    const QStringList kept = filesIn(runFolder);
    QVERIFY(kept.size() >= 2);
    for (const QString& name : kept) {
        QVERIFY2(QRegularExpression("^Image__\\d+\\.bmp$").match(name).hasMatch(),
                 qPrintable(name));
        QCOMPARE(QImage(runFolder + "/" + name).size(), QSize(320, 240));
    }
}

void ContinuousCaptureTest::buttonWithoutACameraDoesNothing()
{
    CameraThread window;
    window.findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QVERIFY(!window.isContinuousCaptureRunning());
    QVERIFY(window.findChild<QLabel*>("label_media")->isHidden());
    // An unknown capture mode starts nothing either. The store reads one from the file as
    // the default mode (see tst_settingsstore), so it is put into the record directly.
    CameraThread* camera = openWindow();
    QVERIFY(camera);
    settingsStore()->captureSettings().captureMode = 5;
    camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
    QVERIFY(!camera->isContinuousCaptureRunning());
}

QTEST_MAIN(ContinuousCaptureTest)
#include "tst_continuouscapture.moc"
