#pragma once
#include <QGraphicsScene>
#include <QImage>
#include <QRectF>
#include <QString>
#include <QTransform>
#include <QVector>

#include "CameraWindowLogic.h"

// The scene of a camera window's image view. It accepts cameras dragged from the device
// tree (MIME format "INFO", the camera identifier) and asks the window to open them.
class CustomGraphicsScene : public QGraphicsScene {
    Q_OBJECT
public:
    explicit CustomGraphicsScene(QObject* parent = nullptr);

    // The part of the scene a frame covers with opaque pixels. Views whose viewport does not
    // fill its own background get it painted around that part only, in the viewport's
    // background colour; an empty area paints all of it.
    void setOpaqueArea(const QRectF& area);
    // Lines drawn over everything, one screen pixel wide whatever the view's scale.
    void setOverlayLines(const QVector<windowlogic::OverlayLine>& lines);
    const QVector<windowlogic::OverlayLine>& overlayLines() const { return overlay; }
    // What the measurement tools draw over the frame, in image coordinates: marks (an
    // image stretched over area, transparent where nothing is marked; null for none) and
    // the outlines of the region and the line, one screen pixel wide.
    void setToolOverlay(const QImage& marks, const QRectF& area,
                        const QVector<windowlogic::OverlayLine>& lines);
    const QImage& toolMarks() const { return marks; }
    // Lines or marks are drawn over the frames.
    bool drawsOverFrames() const
    {
        return !overlay.isEmpty() || !marks.isNull() || !outlines.isEmpty();
    }
    const QVector<windowlogic::OverlayLine>& toolLines() const { return outlines; }

signals:
    void openCamera(const QString& acSn);

protected:
    void drawBackground(QPainter* painter, const QRectF& rect) override;
    void drawForeground(QPainter* painter, const QRectF& rect) override;
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;

private:
    void drawMarks(QPainter* painter);

    QRectF opaqueArea;
    QVector<windowlogic::OverlayLine> overlay;
    QImage marks;
    QRectF marksArea;
    // The marks scaled once to the device pixels of a view, for as long as neither they
    // nor the view's transform and size change: a frame repaints the view many times
    // per new set of marks, and scaling a large overlay each time costs the display rate.
    QImage scaledMarks;
    QPoint scaledAt;
    qint64 scaledKey = 0;
    QTransform scaledTransform;
    QSize scaledDevice;
    QVector<windowlogic::OverlayLine> outlines;
};
