#include "FrameImageItem.h"

#include <QPainter>
#include <QStyleOptionGraphicsItem>

FrameImageItem::FrameImageItem(QGraphicsItem* parent) : QGraphicsItem(parent)
{
    // Paint only what the view exposes (exposedRect is exact with this flag).
    setFlag(QGraphicsItem::ItemUsesExtendedStyleOption);
}

void FrameImageItem::setImage(const QImage& image)
{
    if (image.size() != frame.size())
        prepareGeometryChange();
    frame = image;
    update();
}

bool FrameImageItem::replaceImage(const QImage& image)
{
    if (image.size() != frame.size() || frame.isNull()) {
        setImage(image);
        return false;
    }
    frame = image;
    return true;
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
