#pragma once
// A small camera list for the acquisition and window tests: quick cameras whose rows
// are not a multiple of 4 bytes. Must be installed before the first library call.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

namespace testcameras {

// 650 × 3 = 1950 bytes per row: not a multiple of 4.
inline const char kOddWidth[] = "TESTODD650";
inline const char kSecond[] = "TESTSMALL320";
// Grey, 12 bits a sample; 322 × 3 = 966 bytes per 8-bit row.
inline const char kDeepMono[] = "TESTDEEP12";
inline const char kMissing[] = "NOSUCHCAMERA";

inline bool install(QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("cameras.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(R"({"cameras": [
  {"identifier": "TESTODD650", "nickname": "Odd row camera", "sensorWidth": 650, "sensorHeight": 480,
   "maxFramesPerSecond": 60, "interface": "USB3.0",
   "resolutions": [{"name": "650x480", "width": 650, "height": 480},
                   {"name": "322x240", "width": 322, "height": 240}]},
  {"identifier": "TESTSMALL320", "nickname": "Small camera", "sensorWidth": 320, "sensorHeight": 240,
   "maxFramesPerSecond": 60, "interface": "GigE"},
  {"identifier": "TESTDEEP12", "nickname": "Deep mono camera", "sensorWidth": 322, "sensorHeight": 240,
   "color": false, "bitDepth": 12, "maxFramesPerSecond": 60, "interface": "USB3.0"}
]})");
    file.close();
    qputenv("VEXOCAM_CAMERAS", QFile::encodeName(path));
    return true;
}

// Unplugs a simulated camera, as the simulator's command-line tool does.
inline bool detach(const QString& identifier)
{
    const QByteArray folder = qgetenv("VEXOCAM_DEVICE_DIR");
    return !folder.isEmpty() && QFile::remove(QDir(QString::fromLocal8Bit(folder)).filePath(identifier + ".node"));
}

}  // namespace testcameras
