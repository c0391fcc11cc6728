#pragma once
// The measurement and focus tools of a camera window: pixel read-out under the cursor,
// region statistics, line profile, clipping marks, focus score and focus peaking. A menu
// turns them on and off; a small panel over the image shows their numbers. Region and
// line are kept in image coordinates, so zoom and panning leave them on the same pixels.
// The heavy work runs in a MeasureWorker thread on the newest shown frame, at most
// kMeasureIntervalMs apart; with every tool off nothing is done per frame.
#include <QElapsedTimer>
#include <QImage>
#include <QLineF>
#include <QObject>
#include <QPointF>
#include <QRect>
#include <QSize>
#include <array>

#include "MeasureLogic.h"

class CustomGraphicsScene;
class MeasureWorker;
class ProfilePlot;
class QAction;
class QEvent;
class QFrame;
class QGraphicsView;
class QLabel;
class QMenu;

class MeasureTools : public QObject {
    Q_OBJECT
public:
    enum class Tool {
        PixelReadout,
        RegionStatistics,
        LineProfile,
        Clipping,
        FocusScore,
        FocusPeaking
    };
    static constexpr int kToolCount = 6;
    static constexpr int kMeasureIntervalMs = 50;

    // The panel goes over view; scene is the view's scene, whose pixmap item is the frame.
    MeasureTools(QGraphicsView* view, CustomGraphicsScene* scene, QObject* parent);
    ~MeasureTools() override;

    QMenu* menu() const { return toolMenu; }
    QAction* action(Tool tool) const { return actions[int(tool)]; }
    bool isOn(Tool tool) const;
    void setOn(Tool tool, bool on);
    bool anyOn() const;
    void setMonochrome(bool monochrome);
    void retranslate();

    // A frame being shown; valid only during the call.
    void frameShown(const QImage& frame);
    // The camera's own values of the frame shown next (16-bit grey, see
    // framehandover::FrameInfo::native), or a null image for a frame without them.
    void setNativeFrame(const QImage& grey16, int bits);
    // Whether the tools turned on read the camera's own values of deep frames.
    bool wantsNativeFrames() const;
    // Mouse events of the view's viewport: read-out under the cursor, drawing the region
    // or the line. Never consumes them.
    void viewportEvent(QEvent* event);

signals:
    // wantsNativeFrames() changed.
    void nativeFramesWanted(bool wanted);

public:
    // A drag draws a region or a line: the view must not pan meanwhile.
    bool isDrawing() const { return drawing; }
    // The camera went: region, line, marks, numbers and the peak go too.
    void clear();
    void resetPeak();

    QRect region() const { return regionRect; }
    QLineF line() const { return lineSegment; }
    const measurelogic::Results& lastResults() const { return last; }
    int resultCount() const { return received; }
    const measurelogic::PixelReading& lastReading() const { return reading; }
    double peakSharpness() const { return peak.peak(); }

private:
    enum class Shape { None, Region, Line };
    void toolToggled(Tool tool, bool on);
    void takeResults(const measurelogic::Results& results);
    measurelogic::Request request() const;
    QRect visibleArea() const;
    void readUnderCursor();
    void showReading();
    void showResults();
    void updateOutlines();
    void updatePanel();
    bool needsWorker() const;
    void ensureWorker();

    QGraphicsView* view;
    CustomGraphicsScene* scene;
    QMenu* toolMenu = nullptr;
    std::array<QAction*, kToolCount> actions{};
    QAction* resetPeakAction = nullptr;
    QAction* clearShapesAction = nullptr;
    QFrame* panel = nullptr;
    QLabel* pixelLabel = nullptr;
    QLabel* statisticsLabel = nullptr;
    QLabel* focusLabel = nullptr;
    QLabel* clippingLabel = nullptr;
    QLabel* profileLabel = nullptr;
    ProfilePlot* plot = nullptr;
    MeasureWorker* worker = nullptr;

    bool mono = false;
    bool hasFrame = false;
    QSize frameSize;
    QRect regionRect;
    QLineF lineSegment;
    Shape dragShape = Shape::None;  // what a drag on the image draws
    bool drawing = false;
    QPointF dragStart;
    QPointF dragEnd;
    bool cursorInside = false;
    QPointF cursorScene;
    measurelogic::PixelReading reading;
    QImage nativeFrame;
    int nativeBits = 0;
    measurelogic::Results last;
    int received = 0;
    quint64 generation = 1;  // results of older requests are dropped
    measurelogic::PeakHold peak;
    QElapsedTimer sinceOffer;
};
