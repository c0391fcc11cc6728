#pragma once
// Frames shown at their own size go straight from shared memory to the screen. On X11 with
// MIT-SHM the hand-over keeps frames in shared memory segments, and the X server copies a
// frame from there into the window. Qt's own path first copies every frame into the
// window's backing store and then hands that to the server: at 1280×720 and 60 frames a
// second, that copy is a third of the GUI thread's work.
//
// Qt still paints whatever lies over the frame (the floating tool bar, other widgets), and
// every frame at any other zoom or with marks drawn over it. Frames put directly do not
// reach Qt's copy of the window, which Qt flushes by itself when part of the window is
// uncovered; so Qt repaints the frame once a second while frames come, and once shortly
// after they stop (a pause shows the last frame, not an older one).
//
// Everywhere else (another platform, a remote X server without MIT-SHM, a scaled screen,
// VEXO_DIRECT_DISPLAY=0 in the environment) frames take Qt's path only.
#include <QObject>
#include <QRect>
#include <QRegion>
#include <QTimer>

#include "FrameHandOver.h"
#include "FrameImageItem.h"

class QGraphicsView;
class QWidget;

namespace directdisplay {

// Shared segments for a hand-over whose frames may be shown directly; empty where they
// cannot be, and the hand-over keeps to the heap. Decided at the first call, in the GUI
// thread; the source itself may be called in any thread.
framehandover::FrameMemorySource memorySource();

// Segments the X server has attached for us: for tests.
int attachedSegments();

// The widgets drawn over viewport within its window, in viewport coordinates: its visible
// children, and the visible later siblings of it and of each of its ancestors (a later
// sibling is stacked above).
QRegion coveredByWidgets(const QWidget* viewport);

// Shows one view's frames directly where it can; give it to the frame item.
class DirectFrameOutput : public QObject, public FramePresenter {
    Q_OBJECT
public:
    explicit DirectFrameOutput(QGraphicsView* view);
    ~DirectFrameOutput() override;

    // While false every frame takes Qt's path (the scene draws over the frames).
    void setAllowed(bool allowed) { allowedFlag = allowed; }
    bool present(QGraphicsView* view, const QImage& image, const QGraphicsItem& item,
                 QRegion& area) override;

    // Returns once the X server has read the frames put: call it before the memory of the
    // frame shown last may be written again (before the next frame is taken).
    void finishPuts();

    quint64 framesPutHere() const { return puts; }
    // Qt's copy of the window holds the last frame put.
    bool qtCopyUpToDate() const { return !qtCopyStale; }

private:
    void checkQtCopy();

    QGraphicsView* const view;
    bool allowedFlag = true;
    QTimer refreshTimer;
    QRect lastFrame;           // where the last frame put lies in the viewport
    bool qtCopyStale = false;  // a frame was put since Qt last painted one
    quint64 puts = 0;
    quint64 putsAtLastCheck = 0;
    int busyChecks = 0;
};

}  // namespace directdisplay
