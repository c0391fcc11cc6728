#pragma once
// What the viewer benchmarks share: their own simulated cameras, the command line, the
// machine's load and waiting while the GUI thread keeps working.
#include <QApplication>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QMouseEvent>
#include <QStringList>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWidget>

namespace bench {

// One entry of a camera list for the simulated library.
inline QString cameraEntry(const QString& identifier, int width, int height, int framesPerSecond)
{
    return QStringLiteral(R"({"identifier": "%1", "sensorWidth": %2, "sensorHeight": %3,
               "maxFramesPerSecond": %4, "interface": "USB3.0"})")
        .arg(identifier)
        .arg(width)
        .arg(height)
        .arg(framesPerSecond);
}

// Installs the cameras in scratch and keeps the library's state away from the user's.
// Must run before the first library call.
inline bool useCameras(const QTemporaryDir& scratch, const QStringList& entries)
{
    qputenv("VEXOCAM_STATE_DIR", QFile::encodeName(scratch.filePath("state")));
    qputenv("VEXOCAM_DEVICE_DIR", QFile::encodeName(scratch.filePath("devices")));
    const QString list = scratch.filePath("cameras.json");
    QFile file(list);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QStringLiteral("{\"cameras\": [%1]}").arg(entries.join(",\n")).toUtf8());
    file.close();
    qputenv("VEXOCAM_CAMERAS", QFile::encodeName(list));
    return true;
}

struct Arguments {
    int seconds = 0;
    QString only;
};

// --seconds N and --only <set-up>.
inline Arguments arguments(const QStringList& list, int defaultSeconds)
{
    Arguments parsed;
    parsed.seconds = defaultSeconds;
    for (int i = 1; i + 1 < list.size(); ++i) {
        if (list[i] == "--seconds")
            parsed.seconds = list[i + 1].toInt();
        else if (list[i] == "--only")
            parsed.only = list[i + 1];
    }
    return parsed;
}

// The one-minute load average: on a shared machine other work competes for the cores.
inline QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll()).section(QLatin1Char(' '), 0, 0);
}

// Runs the event loop as the viewer does, sleeping until events come: a polling loop here
// would add its own wake-ups to the CPU figures.
inline void waitWithEvents(int milliseconds)
{
    QEventLoop loop;
    QTimer::singleShot(milliseconds, &loop, &QEventLoop::quit);
    loop.exec();
}

// A drag with the left button from one point of widget to another, as the mouse makes it.
inline void drag(QWidget* widget, QPoint from, QPoint to)
{
    const auto send = [widget](QEvent::Type type, QPoint at, Qt::MouseButton button,
                               Qt::MouseButtons buttons) {
        QMouseEvent event(type, QPointF(at), widget->mapToGlobal(at), button, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(widget, &event);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

}  // namespace bench
