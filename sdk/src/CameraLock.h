#pragma once
// Exclusive "camera is open" lock shared by every process of the user. It is an
// open-file-description lock on a per-camera lock file, so the operating system drops it
// when the holder closes the file or dies: a crashed program never leaves a camera open.
#include <memory>
#include <string>

namespace vexo::sdk {

class CameraLock {
public:
    // Takes the lock into lock. Returns VEXO_SDK_OK, OPEN_ELSEWHERE (someone holds it, in
    // this or another process) or FAILED (the lock file cannot be created or locked: its
    // folder is missing or not writable), which says nothing about the camera being open.
    static int tryAcquire(const std::string& lockPath, std::unique_ptr<CameraLock>& lock);
    // True when someone holds the lock; never takes it, so it cannot disturb an open.
    static bool isHeld(const std::string& lockPath);

    ~CameraLock();
    CameraLock(const CameraLock&) = delete;
    CameraLock& operator=(const CameraLock&) = delete;

private:
    explicit CameraLock(int fd) : fd(fd) {}
    int fd;
};

}  // namespace vexo::sdk
