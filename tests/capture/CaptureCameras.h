#pragma once
// Simulated cameras for the capture and histogram tests: two quick ones, and one whose
// nickname tries to leave the pictures folder. Installed before the first library call.
#include <QFile>
#include <QTemporaryDir>

namespace capturecameras {

inline const char kFirst[] = "CAPTUREA";        // "Capture camera A", 320 × 240
inline const char kSecond[] = "CAPTUREB";       // "Capture camera B", 322 × 240 (odd rows)
inline const char kEscaping[] = "CAPTUREESC";   // nickname "../../Esc:ape"
inline const char kSameName[] = "CAPTURESAME";  // "Capture camera A", as kFirst
inline const char kDeep[] = "CAPTUREDEEP";      // grey, 12 bits, 160 × 120
inline const char kFirstName[] = "Capture camera A";
inline const char kSecondName[] = "Capture camera B";

inline bool install(QTemporaryDir& folder)
{
    const QString path = folder.filePath(QStringLiteral("cameras.json"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(R"({"cameras": [
  {"identifier": "CAPTUREA", "nickname": "Capture camera A", "sensorWidth": 320, "sensorHeight": 240,
   "maxFramesPerSecond": 60, "interface": "USB3.0"},
  {"identifier": "CAPTUREB", "nickname": "Capture camera B", "sensorWidth": 322, "sensorHeight": 240,
   "maxFramesPerSecond": 60, "interface": "USB3.0"},
  {"identifier": "CAPTURESAME", "nickname": "Capture camera A", "sensorWidth": 320, "sensorHeight": 240,
   "maxFramesPerSecond": 60, "interface": "USB3.0"},
  {"identifier": "CAPTUREESC", "nickname": "../../Esc:ape", "sensorWidth": 160, "sensorHeight": 120,
   "maxFramesPerSecond": 60, "interface": "GigE"},
  {"identifier": "CAPTUREDEEP", "nickname": "Deep camera", "sensorWidth": 160, "sensorHeight": 120,
   "color": false, "bitDepth": 12, "maxFramesPerSecond": 60, "interface": "USB3.0"}
]})");
    file.close();
    qputenv("VEXOCAM_CAMERAS", QFile::encodeName(path));
    return true;
}

}  // namespace capturecameras
