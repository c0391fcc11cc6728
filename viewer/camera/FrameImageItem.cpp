#include "FrameImageItem.h"

#include <QGraphicsScene>
#include <QGraphicsView>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

FrameImageItem::FrameImageItem(QGraphicsItem* parent) : QGraphicsItem(parent)
{
    // Paint only what the view exposes (exposedRect is exact with this flag).
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void FrameImageItem::setImage(const QImage& image)
{
    const bool sameSize = !frame.isNull() && image.size() == frame.size();
    if (!sameSize || !scene()) {
        if (image.size() != frame.size())
            prepareGeometryChange();
        frame = image;
        update();
        return;
    }
    frame = image;
    if (!isVisible())
        return;
    // A new frame of the same size repaints the views straight away: the scene's route for
    // a changed item (its dirty-item pass, then each view's pending updates) takes two more
    // trips through the event loop for every frame.
    const QRectF area = sceneBoundingRect();
    for (QGraphicsView* view : scene()->views()) {
        QRegion left;
        if (framePresenter && framePresenter->present(view, frame, *this, left)) {
            if (!left.isEmpty())
                view->viewport()->update(left);
            continue;
        }
        view->viewport()->update(view->mapFromScene(area).boundingRect().adjusted(-2, -2, 2, 2));
    }
}

void FrameImageItem::keepOwnCopy()
{
    if (!frame.isNull())
        frame = frame.copy();
}

QRectF FrameImageItem::boundingRect() const
{
    return QRectF(QPointF(0, 0), QSizeF(frame.size()));
}

QPainterPath FrameImageItem::opaqueArea() const
{
    QPainterPath path;
    if (!frame.hasAlphaChannel())
        path.addRect(boundingRect());
    return path;
}

void FrameImageItem::paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget*)
{
    if (frame.isNull())
        return;
    // Whole pixels, as a pixmap item with fast transformation shows them: the view scales
    // with its zoom, and a magnified pixel stays a square.
    painter->setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QRect exposed =
        option->exposedRect.toAlignedRect().intersected(QRect(QPoint(0, 0), frame.size()));
    if (exposed.isEmpty())
        return;
    painter->drawImage(exposed.topLeft(), frame, exposed);
}
