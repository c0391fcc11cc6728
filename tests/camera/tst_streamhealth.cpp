// The camera window's stream health line and its rules, and the window's way to the
// feature browser.
#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>
#include <memory>

#include "CameraThread.h"
#include "GroupedLineLabel.h"
#include "SimulatedCameras.h"
#include "StreamHealthLogic.h"
#include "VexoCameraApi.h"

namespace {
constexpr int kDeadlineMs = 30000;

streamhealth::Sample sample(uint64_t bytes, qint64 timeMs)
{
    streamhealth::Sample s;
    s.counters.bytesReceived = bytes;
    s.timeMs = timeMs;
    return s;
}
}  // namespace

class StreamHealthTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QVERIFY(folder.isValid() && testcameras::install(folder)); }
    void rateBetweenReadings_data();
    void rateBetweenReadings();
    void textNamesEveryCounter();
    void framesSkippedWhilePausedAreNotLost();
    void adviceGivesTheFixOncePerProcess();
    void windowShowsLiveCounters();
    void pausedWindowSaysWhatItSkipped();
    void contextMenuAsksForTheFeatureBrowser();

private:
    QTemporaryDir folder;
};

void StreamHealthTest::rateBetweenReadings_data()
{
    QTest::addColumn<quint64>("bytesBefore");
    QTest::addColumn<qint64>("timeBefore");
    QTest::addColumn<quint64>("bytesAfter");
    QTest::addColumn<qint64>("timeAfter");
    QTest::addColumn<double>("rate");
    QTest::newRow("one megabyte in a second")
        << quint64(0) << qint64(1000) << quint64(1000000) << qint64(2000) << 1.0;
    QTest::newRow("half a second")
        << quint64(5000000) << qint64(0) << quint64(6000000) << qint64(500) << 2.0;
    QTest::newRow("no first reading")
        << quint64(0) << qint64(-1) << quint64(1000000) << qint64(1000) << 0.0;
    QTest::newRow("same time") << quint64(0) << qint64(1000) << quint64(1000000) << qint64(1000)
                               << 0.0;
    QTest::newRow("counters went back")
        << quint64(9000000) << qint64(0) << quint64(10) << qint64(1000) << 0.0;
    QTest::newRow("beyond 32 bits")
        << quint64(5000000000ull) << qint64(0) << quint64(10000000000ull) << qint64(1000) << 5000.0;
}

void StreamHealthTest::rateBetweenReadings()
{
    QFETCH(quint64, bytesBefore);
    QFETCH(qint64, timeBefore);
    QFETCH(quint64, bytesAfter);
    QFETCH(qint64, timeAfter);
    QFETCH(double, rate);
    QCOMPARE(streamhealth::megabytesPerSecond(sample(bytesBefore, timeBefore),
                                              sample(bytesAfter, timeAfter)),
             rate);
}

void StreamHealthTest::textNamesEveryCounter()
{
    VexoStreamStatistics c{};
    c.framesReceived = 1234567;
    c.framesLost = 21;
    c.framesIncomplete = 3;
    c.packetsMissing = 45;
    c.packetsResent = 6;
    c.bufferUnderruns = 7;
    const QString text = streamhealth::text(c, 12.345);
    for (const char* part : {"1234567", "21", " 3", "45", " 6", "12.3 MB/s", " 7"})
        QVERIFY2(text.contains(part), qPrintable(text + " lacks " + part));
}

void StreamHealthTest::framesSkippedWhilePausedAreNotLost()
{
    auto counters = [](uint64_t lost, uint64_t incomplete = 0, uint64_t underruns = 0) {
        VexoStreamStatistics c{};
        c.framesLost = lost;
        c.framesIncomplete = incomplete;
        c.bufferUnderruns = underruns;
        return c;
    };
    streamhealth::PauseLedger ledger;
    QCOMPARE(ledger.skipped(counters(4)), quint64(0));
    ledger.paused(counters(4));
    ledger.paused(counters(9));  // a second pause request while paused changes nothing
    QCOMPARE(ledger.skipped(counters(54)), quint64(50));
    // Incomplete frames and frames without a buffer are losses even while paused.
    QCOMPARE(ledger.skipped(counters(60, 4, 2)), quint64(50));
    ledger.resumed(counters(60, 4, 2));
    // Losses after the pause are the camera's again.
    QCOMPARE(ledger.skipped(counters(63, 4, 2)), quint64(50));
    ledger.paused(counters(63, 4, 2));
    ledger.resumed(counters(73, 4, 2));
    QCOMPARE(ledger.skipped(counters(80, 4, 2)), quint64(60));
    // A stream whose counters started again while paused adds nothing of this pause.
    ledger.paused(counters(80, 4, 2));
    QCOMPARE(ledger.skipped(counters(1)), quint64(60));

    const QString text = streamhealth::text(counters(80, 4, 2), 1.0, 60);
    QVERIFY2(text.contains(QStringLiteral("丢失 20 (暂停时跳过 60) 不完整 4")) &&
                 text.endsWith(QStringLiteral("缓冲不足 2")),
             qPrintable(text));
    // Never below nothing, and nothing said of pauses that skipped nothing.
    QVERIFY(streamhealth::text(counters(3), 1.0, 60).contains(QStringLiteral("丢失 0 ")));
    QVERIFY(!streamhealth::text(counters(3), 1.0, 0).contains(QStringLiteral("暂停")));
}

void StreamHealthTest::adviceGivesTheFixOncePerProcess()
{
    VexoStreamAdvice advice{};
    advice.flags = VEXO_SDK_STREAM_UDP_SOCKET | VEXO_SDK_STREAM_SMALL_SOCKET_BUFFER;
    advice.socketBufferLimit = 212992;
    advice.frameBytes = 1920 * 1080;
    const QString program = QStringLiteral("/opt/suite/Prismora");
    QVERIFY(streamhealth::adviceText(advice, 0, program).isEmpty());
    const QString udp = streamhealth::adviceText(advice, VEXO_SDK_STREAM_UDP_SOCKET, program);
    QVERIFY2(udp.contains("setcap cap_net_raw+ep /opt/suite/Prismora"), qPrintable(udp));
    QVERIFY(!udp.contains("rmem_max"));
    const QString small =
        streamhealth::adviceText(advice, VEXO_SDK_STREAM_SMALL_SOCKET_BUFFER, program);
    // The figures in KB, the frame rounded up, and the command that raises the limit.
    QVERIFY2(small.contains("208") && small.contains("2025") &&
                 small.contains("sysctl -w net.core.rmem_max=33554432"),
             qPrintable(small));
    QVERIFY(!small.contains("setcap"));

    // Nine GigE windows hear each piece of advice once.
    QCOMPARE(streamhealth::takeUnsaidAdvice(VEXO_SDK_STREAM_UDP_SOCKET),
             quint32(VEXO_SDK_STREAM_UDP_SOCKET));
    QCOMPARE(streamhealth::takeUnsaidAdvice(VEXO_SDK_STREAM_UDP_SOCKET), quint32(0));
    QCOMPARE(streamhealth::takeUnsaidAdvice(advice.flags),
             quint32(VEXO_SDK_STREAM_SMALL_SOCKET_BUFFER));
    QCOMPARE(streamhealth::takeUnsaidAdvice(advice.flags), quint32(0));
}

void StreamHealthTest::windowShowsLiveCounters()
{
    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(640, 480);
    window.show();
    auto* label = window.findChild<GroupedLineLabel*>("label_streamHealth");
    QVERIFY(label);
    QVERIFY(!label->isVisible());
    QVERIFY(window.startCamera(testcameras::kSecond));
    QTRY_VERIFY_WITH_TIMEOUT(label->isVisible(), kDeadlineMs);
    // The counters move while frames come: two different texts, each naming the rate.
    QTRY_VERIFY_WITH_TIMEOUT(!label->text().isEmpty(), kDeadlineMs);
    const QString first = label->text();
    QTRY_VERIFY_WITH_TIMEOUT(label->text() != first, kDeadlineMs);
    QVERIFY(label->text().contains("MB/s"));
    QVERIFY(!label->text().contains('\n'));
    // A narrow window wraps the line between its groups instead of cutting its end off:
    // every line fits, and the lines are the whole line.
    window.resize(240, 480);
    QTRY_VERIFY_WITH_TIMEOUT(label->width() < 240 && label->text().count('\n') >= 2, kDeadlineMs);
    QTRY_VERIFY_WITH_TIMEOUT(label->height() >= label->sizeHint().height(), kDeadlineMs);
    const QString shown = label->text();
    for (const QString& line : shown.split('\n'))
        QVERIFY2(label->fontMetrics().horizontalAdvance(line) <= label->contentsRect().width(),
                 qPrintable(line));
    const auto words = [](QString s) { return s.remove(QChar(0x00B7)).simplified(); };
    QCOMPARE(words(shown), words(label->line()));
    window.closeCamera();
    QTRY_VERIFY_WITH_TIMEOUT(!label->isVisible(), kDeadlineMs);
}

void StreamHealthTest::pausedWindowSaysWhatItSkipped()
{
    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(640, 480);
    window.show();
    auto* label = window.findChild<QLabel*>("label_streamHealth");
    QVERIFY(window.startCamera(testcameras::kSecond));
    QTRY_VERIFY_WITH_TIMEOUT(label->isVisible() && !label->text().isEmpty(), kDeadlineMs);
    auto* pause = window.findChild<QPushButton*>("pushButton_open");
    pause->click();
    // The library's buffers fill while no frame is taken; the frames after that are named
    // as skipped while paused, not as lost.
    QTRY_VERIFY_WITH_TIMEOUT(label->text().contains(QStringLiteral("暂停时跳过")), kDeadlineMs);
    pause->click();
    window.closeCamera();
}

void StreamHealthTest::contextMenuAsksForTheFeatureBrowser()
{
    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    QSignalSpy asked(&window, &CameraThread::featureBrowserRequested);
    auto* action = window.findChild<QAction*>("action_cameraFeatures");
    QVERIFY(action);
    action->trigger();
    QCOMPARE(asked.count(), 0);  // no camera open: nothing to browse
    QVERIFY(window.startCamera(testcameras::kSecond));
    action->trigger();
    QCOMPARE(asked.count(), 1);
    window.closeCamera();
}

QTEST_MAIN(StreamHealthTest)
#include "tst_streamhealth.moc"
