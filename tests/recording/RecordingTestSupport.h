#pragma once
// What the recording tests share: a fresh recording folder per test row, and a child
// process that writes until it is killed with SIGKILL.
#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include "SettingsStore.h"

namespace recordingtest {

// A folder of its own for the running test row, set as the automatic recording folder
// of freshly reset recording settings.
inline QString freshRecordingFolder(QTemporaryDir& scratch)
{
    QString folder = scratch.filePath(
        QStringLiteral("videos-%1").arg(QTest::currentTestFunction()) +
        (QTest::currentDataTag() ? QStringLiteral("-") + QTest::currentDataTag() : ""));
    folder.replace(QLatin1Char(' '), QLatin1Char('_'));
    settingsStore()->resetRecordSettings();
    settingsStore()->setValue(QStringLiteral("RECORDINFO"), QStringLiteral("SvaePath"), folder);
    settingsStore()->setValue(QStringLiteral("RECORDINFO"), QStringLiteral("AutoSaveState"), 2);
    QDir().mkpath(folder);  // the folder a user chose is there
    return folder;
}

// Starts this test program again with arguments; the child prints "written N" after each
// frame it finished. Once it reported at least frames it is killed with SIGKILL. The
// frames it reported, or -1 when it did not get that far or ended by itself.
inline int killAfterWriting(const QStringList& arguments, int frames)
{
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), arguments);
    if (!child.waitForStarted(30000))
        return -1;
    int written = 0;
    const bool reported = QTest::qWaitFor(
        [&]() {
            while (child.canReadLine()) {
                const QByteArray line = child.readLine().trimmed();
                if (line.startsWith("written "))
                    written = line.mid(8).toInt();
            }
            return written >= frames || child.state() != QProcess::Running;
        },
        60000);
    if (!reported || child.state() != QProcess::Running)
        return -1;
    child.kill();  // SIGKILL: no destructor runs, nothing is finished
    if (!child.waitForFinished(30000) || child.exitStatus() != QProcess::CrashExit)
        return -1;
    return written;
}

}  // namespace recordingtest
