#pragma once
// Rules of continuous capture and picture file names that need no widget: the
// per-camera folder name, names that never replace an existing picture, and when a
// tick of a running capture asks for a picture or ends the run.
#include <QString>
#include <QtGlobal>
#include <functional>
#include <memory>

namespace capturelogic {

// How often a capture by count looks whether its run has ended, milliseconds; the
// pictures themselves are taken by the acquisition thread, frame by frame.
constexpr int kCountTickMs = 200;
// Shortest timer period of a capture by time. Shorter intervals (the stored 0 or 1 ms)
// mean "as fast as frames arrive"; one request waits for its frame anyway, so ticking
// faster would only burn the GUI thread.
constexpr int kFastestTimeTickMs = 10;

// Folder name for a camera window's title: path separators, characters that file
// systems refuse and control characters become "_", and a name of dots or blanks
// only (".", "..") cannot leave the parent folder. An empty title gives "_".
QString safeFolderName(const QString& title);

// The base name itself when no file baseName + extension exists, otherwise the first
// of baseName + "_1", "_2", ... that is free. exists is asked about full file names;
// extension starts with its dot.
QString uniqueBaseName(const QString& baseName, const QString& extension,
                       const std::function<bool(const QString&)>& exists);

// File name extension the camera library adds for a picture type (0 BMP, 1 JPG, 2 PNG,
// 3 TIFF); empty for any other type.
QString pictureExtension(int pictureType);

// A copy of a packed 24-bit frame (rows of width × 3 bytes); null for no pixels.
std::unique_ptr<unsigned char[]> copyOfPackedFrame(const unsigned char* pixels, int width,
                                                   int height);

// Timer period of a capture by time with the stored interval.
int timeTickMs(int grapTimeRadixMs);

// What one tick of a running capture does.
enum class TickAction {
    Wait,     // nothing this time
    Request,  // ask the acquisition thread for a picture
    End,      // the limit is reached: end the run
};

// A capture by count as the acquisition thread runs it: a picture from every
// everyFrames-th frame (a stored radix below 1 means every frame), at most limit of them
// (0: no limit). A limited run whose limit is below 1 takes nothing: it ends at once.
struct CountRun {
    int everyFrames = 1;
    int limit = 0;
    bool endsAtOnce = false;
};
CountRun countRun(int radix, bool limited, int limit);

// Capture by time: the run ends at the first tick at or after the deadline when
// limited; otherwise a picture unless the last request still waits for its frame.
TickAction timeTick(qint64 nowMs, qint64 deadlineMs, bool limited, bool pending);

// A running continuous capture of one camera window. The run's folder and index live
// here, not in the settings, so the user's settings stay as they are whatever happens
// to the run.
struct RunState {
    QString folder;           // the camera's own sub-folder for this run
    int nextIndex = 0;        // index of the next picture under the running-index rule
    bool byCount = false;     // pictures every N frames, taken by the acquisition thread
    int picturesTaken = 0;    // pictures requested from frames in this run
    int picturesArrived = 0;  // pictures of a count run that reached the window
    qint64 deadlineMs = 0;    // end of a time-limited run, ms since the epoch
    int outstanding = 0;      // requested by the run, not yet written
    int picturesDropped = 0;  // refused by a full writer queue
    bool failed = false;      // ended by a failed write: late pictures are dropped
    int generation = 0;       // tells a finished write which run it belongs to
};

}  // namespace capturelogic
