#pragma once
// Shared pieces of the tool tests: the simulated cameras seen through the library, and
// vexocam-sim as the second process (holding a camera, plugging, making upgrade files).
#include <QAbstractButton>
#include <QApplication>
#include <QByteArray>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTimer>
#include <QDir>
#include <QSettings>
#include <QFileInfo>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

#include "SuiteEnvironment.h"
#include "VexoCameraApi.h"

namespace tooltest {

inline const char kGigEColour[] = "VXG2301C0001";
inline const char kGigEMono[] = "VXG5002M0001";
inline const char kUsbFocus[] = "VXU1301C0001";

struct Camera {
    QString identifier;
    QString name;
    QString interfaceText;
    uint16_t firmware = 0;
    int opened = 0;
};

// What the library reports now, in enumeration order.
inline QList<Camera> enumerate()
{
    QList<Camera> cameras;
    int count = 0;
    if (SdkEnumerateDevices(&count) != VEXO_SDK_OK)
        return cameras;
    for (int i = 0; i < count; ++i) {
        VexoDeviceInfo info{};
        if (SdkGetDeviceInfo(i, &info) != VEXO_SDK_OK)
            continue;
        cameras << Camera{QString::fromLatin1(info.cameraIdentifier), QString::fromLocal8Bit(info.deviceName),
                          QString::fromLatin1(info.interfaceText), info.firmwareVersion, info.opened};
    }
    return cameras;
}

inline int rowOf(const QString& identifier)
{
    const QList<Camera> cameras = enumerate();
    for (int i = 0; i < cameras.size(); ++i)
        if (cameras.at(i).identifier == identifier)
            return i;
    return -1;
}

// The tools speak Chinese only when the shared settings file says so.
inline void useChinese()
{
    const QString path = suite::toolSettingsFilePath();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSettings settings(path, QSettings::IniFormat);
    settings.setValue(QStringLiteral("EDITION/Language"), 0);
}

inline QString simulatorTool()
{
    const QString path = qEnvironmentVariable("VEXO_PROGRAM_DIR") + QStringLiteral("/vexocam-sim");
    return QFileInfo(path).isExecutable() ? path : QString();
}

inline bool runSimulator(const QStringList& arguments)
{
    QProcess process;
    process.start(simulatorTool(), arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit &&
           process.exitCode() == 0;
}

// vexocam-sim keeping a camera open until it is told to let go.
class Holder {
public:
    explicit Holder(const QString& identifier)
    {
        process.start(simulatorTool(), {QStringLiteral("hold"), identifier});
        if (process.waitForStarted(30000) && process.waitForReadyRead(30000))
            firstLine = process.readLine().trimmed();
    }
    ~Holder() { release(); }
    bool holds(const QString& identifier) const { return firstLine == "opened " + identifier.toLatin1(); }
    void release()
    {
        if (process.state() == QProcess::NotRunning)
            return;
        process.closeWriteChannel();   // ends the hold
        if (!process.waitForFinished(30000))
            process.kill();
        process.waitForFinished(2000);
    }

private:
    QProcess process;
    QByteArray firstLine;
};

// Answers the modal dialogs of a file choice: message boxes with their first button, file
// dialogs with a file typed into the name field (selectFile does not reach the field of a
// visible dialog while the field has the focus), or cancelled without an answer.
class FileChoiceAnswers : public QObject {
public:
    explicit FileChoiceAnswers(const QString& answer) : answer(answer)
    {
        connect(&timer, &QTimer::timeout, this, [this] { poll(); });
        timer.start(20);
    }
    QStringList seen;   // class name + ": " + title + ": " + text

private:
    void poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        if (auto* box = qobject_cast<QMessageBox*>(modal)) {
            seen << QStringLiteral("QMessageBox: ") + box->windowTitle() + QStringLiteral(": ") + box->text();
            box->buttons().first()->click();
        } else if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            seen << QStringLiteral("QFileDialog: ") + files->windowTitle() + QStringLiteral(": ");
            auto* name = files->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            if (answer.isEmpty() || !name) {
                files->reject();
                return;
            }
            name->setText(answer);
            QMetaObject::invokeMethod(files, "accept", Qt::QueuedConnection);
        }
    }

    QTimer timer;
    QString answer;
};

}  // namespace tooltest
