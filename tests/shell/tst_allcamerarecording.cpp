// "全部录像" of the main window on the default simulated cameras: every open camera window
// starts and stops at once, in one folder, and a summary lists each camera's first frame.
#include <QAction>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include "CameraThread.h"
#include "ModalDialogWatcher.h"
#include "RecordVideoThread.h"
#include "SettingsStore.h"
#include "VexoCam.h"

class AllCameraRecordingTest : public QObject {
    Q_OBJECT

    QString programDir = qEnvironmentVariable("VEXO_PROGRAM_DIR");
    const QStringList cameras = {"VXG2301C0001", "VXU1301C0001"};
    QTemporaryDir scratch;

    static void setRecord(const QString& key, const QVariant& value)
    {
        settingsStore()->setValue(QStringLiteral("RECORDINFO"), key, value);
    }

private slots:
    void init()
    {
        settingsStore()->resetRecordSettings();
        settingsStore()->setValue("WIDGETINFO", "WidgetCount", 2);
        setRecord(QStringLiteral("AutoSaveState"), 2);
    }

    void startsAndStopsEveryWindowAndWritesTheSummary_data()
    {
        QTest::addColumn<int>("type");
        QTest::newRow("sequences") << 2;
        QTest::newRow("mp4") << 0;
    }
    void startsAndStopsEveryWindowAndWritesTheSummary()
    {
        QFETCH(int, type);
        const QString folder = scratch.filePath(QStringLiteral("all-%1").arg(type));
        QVERIFY(QDir().mkpath(folder));
        setRecord(QStringLiteral("SvaePath"), folder);
        setRecord(QStringLiteral("VideoType"), type);
        ModalDialogWatcher watcher;
        VexoCam window(nullptr, programDir);
        QTRY_COMPARE_WITH_TIMEOUT(window.cameraWindowList().size(), 4, 30000);
        QAction* action = window.allRecordingAction();
        QVERIFY(action);
        QCOMPARE(action->objectName(), QStringLiteral("action_allRecording"));
        QCOMPARE(action->text(), QStringLiteral("全部录像"));
        CameraThread* first = window.cameraWindowList()[0];
        CameraThread* second = window.cameraWindowList()[2];
        QVERIFY(first->startCamera(cameras[0]));
        QVERIFY(second->startCamera(cameras[1]));
        // A video file needs the camera's measured rate first.
        QTRY_VERIFY_WITH_TIMEOUT(first->lastCaptureRate() >= 1 && second->lastCaptureRate() >= 1,
                                 30000);

        action->trigger();
        QVERIFY(first->isRecording());
        QVERIFY(second->isRecording());
        QVERIFY(!window.cameraWindowList()[1]->isRecording());  // no camera there
        QCOMPARE(action->text(), QStringLiteral("停止全部录像"));
        QTRY_VERIFY_WITH_TIMEOUT(first->activeRecorder()->framesEncoded() >= 5 &&
                                     second->activeRecorder()->framesEncoded() >= 5,
                                 60000);
        action->trigger();
        QVERIFY(!first->isRecording());
        QVERIFY(!second->isRecording());
        QCOMPARE(action->text(), QStringLiteral("全部录像"));
        QCOMPARE(watcher.count(), 0);

        const QString summary = window.lastAllCameraSummary();
        QVERIFY(summary.startsWith(folder + "/AllCameras_"));
        QFile file(summary);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> lines = file.readAll().trimmed().split('\n');
        QCOMPARE(lines.size(), 3);
        QList<qint64> offsets;
        for (int i = 1; i < lines.size(); ++i) {
            const QList<QByteArray> fields = lines[i].split(',');
            QCOMPARE(fields.size(), 8);
            const CameraThread* w = i == 1 ? first : second;
            QCOMPARE(QString::fromUtf8(fields[1]), w->lastRecording().file);
            QVERIFY(QFileInfo::exists(w->lastRecording().file));
            QCOMPARE(fields[2].toInt(), w->lastRecording().written);
            QCOMPARE(fields[3].toLongLong(), w->lastRecording().firstFrameNumber);
            QCOMPARE(fields[5].toLongLong(), w->lastRecording().firstHostSteadyUs);
            offsets << fields[7].toLongLong();
        }
        // Offsets count from the camera whose first frame came first.
        QCOMPARE(qMin(offsets[0], offsets[1]), qint64(0));
        QVERIFY(qMax(offsets[0], offsets[1]) >= 0);
        first->closeCamera();
        second->closeCamera();
    }

    void withoutOpenCamerasNothingStarts()
    {
        ModalDialogWatcher watcher;
        VexoCam window(nullptr, programDir);
        QTRY_COMPARE_WITH_TIMEOUT(window.cameraWindowList().size(), 4, 30000);
        window.allRecordingAction()->trigger();
        QCOMPARE(watcher.count(), 1);
        QCOMPARE(watcher.seen().first().text, QStringLiteral("没有可以录像的相机窗口"));
        QCOMPARE(window.allRecordingAction()->text(), QStringLiteral("全部录像"));
        QVERIFY(window.lastAllCameraSummary().isEmpty());
    }
};

QTEST_MAIN(AllCameraRecordingTest)
#include "tst_allcamerarecording.moc"
