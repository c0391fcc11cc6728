#pragma once
// Frames shown at their own size go straight from shared memory to the screen. On X11 with
// MIT-SHM the hand-over keeps frames in shared memory segments, and the X server copies a
// frame from there into the window. Qt's own path first copies every frame into the
// window's backing store and then hands that to the server: at 1280×720 and 60 frames a
// second, that copy is a third of the GUI thread's work.
//
// Qt still paints whatever lies over the frame (other widgets), and every frame at any
// other zoom or with marks drawn over it. One translucent widget over the frame, the
// floating tool bar, can instead be drawn by the output itself: it is rendered once into a
// picture, again only when Qt paints it (hover, a new icon), and that picture is blended
// over each frame's pixels beneath it. Qt repainting the tool bar and the frame under it
// for every frame costs more than all the rest of the GUI thread's work on a frame.
//
// Frames put directly do not reach Qt's copy of the window, which Qt flushes by itself
// when part of the window is uncovered; so Qt repaints the frame once a second while frames
// come, and once shortly after they stop (a pause shows the last frame, not an older one).
//
// Everywhere else (another platform, a remote X server without MIT-SHM, a scaled screen,
// VEXO_DIRECT_DISPLAY=0 in the environment) frames take Qt's path only.
#include <QImage>
#include <QObject>
#include <QPointer>
#include <QRect>
#include <QRegion>
#include <QTimer>
#include <memory>

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
// sibling is stacked above). Widget except (and what lies inside it) is left out.
QRegion coveredByWidgets(const QWidget* viewport, const QWidget* except = nullptr);

// Shows one view's frames directly where it can; give it to the frame item.
class DirectFrameOutput : public QObject, public FramePresenter {
    Q_OBJECT
public:
    explicit DirectFrameOutput(QGraphicsView* view);
    ~DirectFrameOutput() override;

    // While false every frame takes Qt's path (the scene draws over the frames).
    void setAllowed(bool allowed) { allowedFlag = allowed; }
    // A translucent widget over the view that this output may draw over frames itself, from
    // a picture of it (see above); it must not paint differently without repainting.
    void setOverlay(QWidget* widget);
    bool present(QGraphicsView* view, const QImage& image, const QGraphicsItem& item,
                 QRegion& area) override;

    // Returns once the X server has read the frames put: call it before the memory of the
    // frame shown last may be written again (before the next frame is taken).
    void finishPuts();

    quint64 framesPutHere() const { return puts; }
    // Qt's copy of the window holds the last frame put.
    bool qtCopyUpToDate() const { return !qtCopyStale; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void checkQtCopy();
    void watchOverlay(QObject* object);
    void dropStage();
    // The overlay drawn over image's pixels (the frame lying at frame in the viewport) into
    // overlayStage, for the overlay's area at where; false when it cannot be.
    bool composeOverlay(const QImage& image, const QRect& frame, const QRect& where);

    QGraphicsView* const view;
    bool allowedFlag = true;
    QTimer refreshTimer;
    QRect lastFrame;           // where the last frame put lies in the viewport
    bool qtCopyStale = false;  // a frame was put since Qt last painted one
    quint64 puts = 0;
    quint64 putsAtLastCheck = 0;
    int busyChecks = 0;

    QPointer<QWidget> overlay;
    QImage overlayPicture;           // premultiplied, transparent where the overlay is
    bool overlayPictureStale = true;
    bool renderingOverlay = false;   // the paint events of our own render() of it
    std::shared_ptr<framehandover::FrameMemory> stageMemory;
    QImage overlayStage;             // frame and overlay blended, in shared memory
};

}  // namespace directdisplay
