#pragma once
// A camera frame in a graphics scene, painted straight from its QImage. A QPixmap item
// would first convert each frame into a pixmap of its own (a full pass over the frame,
// plus a fresh buffer); this item draws the frame's pixels where they are, and only the
// part of it the view exposes.
//
// The image may wrap a buffer the item does not own (the acquisition thread's hand-over
// buffer): its owner must call keepOwnCopy() before that buffer goes away.
#include <QGraphicsItem>
#include <QImage>
#include <QRegion>

class QGraphicsView;

// Shows frames in a view by other means than Qt's painting of the view.
class FramePresenter {
public:
    virtual ~FramePresenter() = default;
    // Shows image, drawn by item, in view where it can. True when it showed the frame;
    // area is then set to the part of the viewport Qt must still paint (what lies over the
    // frame). False when it showed nothing.
    virtual bool present(QGraphicsView* view, const QImage& image, const QGraphicsItem& item,
                         QRegion& area) = 0;
};

class FrameImageItem : public QGraphicsItem {
public:
    enum { Type = UserType + 1 };  // for qgraphicsitem_cast
    explicit FrameImageItem(QGraphicsItem* parent = nullptr);

    // Shows image from now on; the item's geometry follows its size.
    void setImage(const QImage& image);
    const QImage& image() const { return frame; }
    QSize size() const { return frame.size(); }
    // Replaces a wrapped buffer with a copy the item owns.
    void keepOwnCopy();
    // Offered each new frame of an unchanged size before the views repaint it; null for none.
    void setPresenter(FramePresenter* presenter) { framePresenter = presenter; }

    int type() const override { return Type; }
    QRectF boundingRect() const override;
    QPainterPath opaqueArea() const override;
    void paint(QPainter* painter, const QStyleOptionGraphicsItem* option, QWidget* widget) override;

private:
    QImage frame;
    FramePresenter* framePresenter = nullptr;
};
