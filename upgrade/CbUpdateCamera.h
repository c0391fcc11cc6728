#pragma once
#include <QString>
#include <QThread>

#include <atomic>

// Writes one upgrade file into one camera on its own thread: opens the camera, runs the
// library's firmware upgrade and reports the result. The camera stays open for the owner
// to close once the result has been shown.
class CbUpdateCamera : public QThread {
    Q_OBJECT
public:
    CbUpdateCamera(const QString& cameraId, const QString& filePath, QObject* parent = nullptr);

    // The handle of the opened camera, 0 when the open failed or has not happened yet.
    int cameraHandle() const { return handle.load(); }

signals:
    void SendStatus(int percent);
    void SendRes(int result);

protected:
    void run() override;

private:
    // Called by the library on any of its threads; only emits.
    static void progressCallback(int percent, void* context);

    std::atomic<int> handle{0};
    QString filePath;
    QString spare;
    QString cameraId;
};
