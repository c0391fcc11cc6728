#include "CustomGraphicsScene.h"

#include <QGraphicsSceneDragDropEvent>
#include <QGraphicsView>
#include <QMimeData>
#include <QPainter>
#include <algorithm>

#include "CameraWindowLogic.h"

CustomGraphicsScene::CustomGraphicsScene(QObject* parent) : QGraphicsScene(parent) {}

void CustomGraphicsScene::setOpaqueArea(const QRectF& area)
{
    opaqueArea = area;
}

void CustomGraphicsScene::setOverlayLines(const QVector<windowlogic::OverlayLine>& lines)
{
    if (lines.isEmpty() && overlay.isEmpty())
        return;
    overlay = lines;
    update();
}

void CustomGraphicsScene::setToolOverlay(const QImage& toolMarks, const QRectF& area,
                                         const QVector<windowlogic::OverlayLine>& lines)
{
    if (toolMarks.isNull() && marks.isNull() && lines.isEmpty() && outlines.isEmpty())
        return;
    marks = toolMarks;
    marksArea = area;
    if (marks.isNull())
        scaledMarks = QImage();
    outlines = lines;
    update();
}

void CustomGraphicsScene::drawForeground(QPainter* painter, const QRectF& rect)
{
    if (!marks.isNull() && marksArea.intersects(rect))
        drawMarks(painter);
    for (const QVector<windowlogic::OverlayLine>* lines : {&overlay, &outlines}) {
        for (const windowlogic::OverlayLine& l : *lines) {
            QPen pen(l.colour, 1);
            pen.setCosmetic(true);
            painter->setPen(pen);
            painter->drawLine(l.line);
        }
    }
}

void CustomGraphicsScene::drawMarks(QPainter* painter)
{
    const QTransform toDevice = painter->transform();
    const QSize device(painter->device()->width(), painter->device()->height());
    if (toDevice.type() > QTransform::TxScale || device.isEmpty()) {
        painter->drawImage(marksArea, marks);  // rotated or sheared: scaled each time
        return;
    }
    if (scaledKey != marks.cacheKey() || scaledTransform != toDevice || scaledDevice != device) {
        scaledKey = marks.cacheKey();
        scaledTransform = toDevice;
        scaledDevice = device;
        // Only the part on the device: a view zoomed far in shows little of the marks.
        const QRect part =
            toDevice.mapRect(marksArea).toAlignedRect().intersected(QRect(QPoint(0, 0), device));
        scaledAt = part.topLeft();
        scaledMarks = QImage(part.size(), QImage::Format_ARGB32_Premultiplied);
        if (!scaledMarks.isNull()) {
            scaledMarks.fill(Qt::transparent);
            QPainter scaling(&scaledMarks);
            // Copied, not blended: over a transparent image the same, and several times
            // faster.
            scaling.setCompositionMode(QPainter::CompositionMode_Source);
            scaling.setTransform(toDevice * QTransform::fromTranslate(-part.left(), -part.top()));
            scaling.drawImage(marksArea, marks);
        }
    }
    if (scaledMarks.isNull())
        return;
    painter->save();
    painter->resetTransform();
    painter->drawImage(scaledAt, scaledMarks);
    painter->restore();
}

void CustomGraphicsScene::drawBackground(QPainter* painter, const QRectF& rect)
{
    // The view painting; when the scene is rendered elsewhere (a grab), its first view.
    QWidget* viewport = views().isEmpty() ? nullptr : views().front()->viewport();
    for (QGraphicsView* view : views()) {
        if (view->viewport() == painter->device())
            viewport = view->viewport();
    }
    if (!viewport || viewport->autoFillBackground())
        return;  // that view fills its background itself
    const QBrush brush = viewport->palette().brush(viewport->backgroundRole());
    // One device pixel inside the frame's edge, so no seam is left where the scaled frame
    // ends between pixels; the frame is drawn over that margin.
    const qreal scale = std::max<qreal>(painter->transform().m11(), 1e-3);
    const QRectF keep = opaqueArea.isEmpty()
                            ? QRectF()
                            : opaqueArea.adjusted(1 / scale, 1 / scale, -1 / scale, -1 / scale);
    if (keep.isEmpty() || !keep.intersects(rect)) {
        painter->fillRect(rect, brush);
        return;
    }
    const QRectF inside = keep.intersected(rect);
    const QRectF bands[] = {
        QRectF(rect.left(), rect.top(), rect.width(), inside.top() - rect.top()),
        QRectF(rect.left(), inside.bottom(), rect.width(), rect.bottom() - inside.bottom()),
        QRectF(rect.left(), inside.top(), inside.left() - rect.left(), inside.height()),
        QRectF(inside.right(), inside.top(), rect.right() - inside.right(), inside.height()),
    };
    for (const QRectF& band : bands) {
        if (band.width() > 0 && band.height() > 0)
            painter->fillRect(band, brush);
    }
}

void CustomGraphicsScene::dragEnterEvent(QGraphicsSceneDragDropEvent* event)
{
    if (event->mimeData() && event->mimeData()->hasFormat(windowlogic::kCameraFormat))
        event->accept();
}

void CustomGraphicsScene::dragMoveEvent(QGraphicsSceneDragDropEvent* event)
{
    event->accept();
}

void CustomGraphicsScene::dropEvent(QGraphicsSceneDragDropEvent* event)
{
    const QMimeData* data = event->mimeData();
    if (data && data->hasFormat(windowlogic::kCameraFormat))
        emit openCamera(windowlogic::decodeCameraPayload(data->data(windowlogic::kCameraFormat)));
    event->accept();
}
