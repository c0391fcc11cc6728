// The GUI thread under frame load: nine camera windows, two of them showing very large
// frames, must leave timers, dialogs and input running, and every window keeps showing
// its newest frames. Judged by counts, never by durations.
#include <QFile>
#include <QGridLayout>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QtTest>
#include <memory>
#include <vector>

#include "CameraThread.h"
#include "ModalDialogWatcher.h"
#include "SuiteMessages.h"

namespace {

constexpr int kDeadlineMs = 240000;
constexpr int kWindows = 9;

QString smallCamera(int i)
{
    return QStringLiteral("PRESSURE%1").arg(i);
}

bool installCameras(QTemporaryDir& folder)
{
    QStringList entries;
    entries << R"({"identifier": "PRESSURE64MP", "sensorWidth": 8192, "sensorHeight": 8192,
                   "maxFramesPerSecond": 5, "interface": "USB3.0"})"
            << R"({"identifier": "PRESSURE16MP", "sensorWidth": 4094, "sensorHeight": 4094,
                   "maxFramesPerSecond": 10, "interface": "GigE"})";
    for (int i = 0; i < kWindows - 2; ++i)
        entries << QStringLiteral(R"({"identifier": "%1", "sensorWidth": 640, "sensorHeight": 480,
                   "maxFramesPerSecond": 60, "interface": "USB3.0"})")
                       .arg(smallCamera(i));
    const QString path = folder.filePath(QStringLiteral("cameras.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(
        QStringLiteral("{\"cameras\": [%1]}").arg(entries.join(QStringLiteral(",\n"))).toUtf8());
    file.close();
    qputenv("VEXOCAM_CAMERAS", QFile::encodeName(path));
    return true;
}

}  // namespace

class FramePressureTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void busyGuiKeepsShowingFrames();
    void nineWindowsWithLargeFramesLeaveTheGuiResponsive();

private:
    QTemporaryDir folder;
};

void FramePressureTest::initTestCase()
{
    QVERIFY(folder.isValid());
    QVERIFY(installCameras(folder));
}

void FramePressureTest::busyGuiKeepsShowingFrames()
{
    // Each time the GUI comes back from being busy, a newer frame waits already; the
    // window must take it and go on asking for the next.
    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(400, 300);
    window.show();
    QVERIFY(window.startCamera(smallCamera(0)));
    QTRY_VERIFY_WITH_TIMEOUT(window.shownFrameCount() > 0, kDeadlineMs);
    for (int i = 0; i < 5; ++i) {
        QThread::msleep(150);
        QCoreApplication::processEvents();
    }
    const int shown = window.shownFrameCount();
    QTRY_VERIFY_WITH_TIMEOUT(window.shownFrameCount() > shown + 5, kDeadlineMs);
    window.closeCamera();
}

void FramePressureTest::nineWindowsWithLargeFramesLeaveTheGuiResponsive()
{
    QWidget grid;
    auto* layout = new QGridLayout(&grid);
    grid.resize(1200, 900);
    std::vector<CameraThread*> windows;
    for (int i = 0; i < kWindows; ++i) {
        auto* window = new CameraThread(&grid);
        window->setAttribute(Qt::WA_DeleteOnClose, false);
        layout->addWidget(window, i / 3, i % 3);
        windows.push_back(window);
    }
    grid.show();
    QVERIFY(windows[0]->startCamera(QStringLiteral("PRESSURE64MP")));
    QVERIFY(windows[1]->startCamera(QStringLiteral("PRESSURE16MP")));
    for (int i = 2; i < kWindows; ++i)
        QVERIFY(windows[std::size_t(i)]->startCamera(smallCamera(i - 2)));

    int ticks = 0;
    QTimer timer;
    connect(&timer, &QTimer::timeout, [&ticks]() { ++ticks; });
    timer.start(20);

    // Until the large cameras have shown a few frames, timers keep firing in between.
    QTRY_VERIFY_WITH_TIMEOUT(windows[0]->shownFrameCount() >= 2, kDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(windows[1]->shownFrameCount() >= 2, kDeadlineMs);
    const int ticksAtStart = ticks;
    const int largeShown = windows[0]->shownFrameCount();
    QTRY_VERIFY_WITH_TIMEOUT(windows[0]->shownFrameCount() >= largeShown + 2, kDeadlineMs);
    QVERIFY2(ticks - ticksAtStart >= 2,
             qPrintable(QString("%1 timer ticks over two large frames").arg(ticks - ticksAtStart)));

    // A message box opened now is answered by a watcher that runs on a timer, and every
    // window went on showing frames meanwhile.
    std::vector<int> shownBefore;
    for (CameraThread* window : windows)
        shownBefore.push_back(window->shownFrameCount());
    ModalDialogWatcher watcher;
    suite::showMessage(QMessageBox::Information, &grid, QStringLiteral("提示"),
                       QStringLiteral("while frames flow"), QStringLiteral("确定"));
    QCOMPARE(watcher.count(), 1);
    QCOMPARE(watcher.seen().front().text, QStringLiteral("while frames flow"));
    for (std::size_t i = 0; i < windows.size(); ++i)
        QTRY_VERIFY_WITH_TIMEOUT(windows[i]->shownFrameCount() > shownBefore[i], kDeadlineMs);

    for (CameraThread* window : windows)
        window->closeCamera();
}

QTEST_MAIN(FramePressureTest)
#include "tst_framepressure.moc"
