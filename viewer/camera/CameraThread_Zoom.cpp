// Zoom, fit to window, the navigation rectangle and panning of a camera window.
#include <QCursor>
#include <QGraphicsSceneMouseEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QWheelEvent>

#include "CameraThread.h"
#include "CustomGraphicsScene.h"
#include "FrameImageItem.h"
#include "MeasureTools.h"
#include "ZoomLogic.h"
#include "ui_CameraThread.h"

void CameraThread::applyZoom(double newZoom, bool fit)
{
    zoom = newZoom;
    fitted = fit;
    ui->graphicsView->setTransform(QTransform::fromScale(zoom, zoom));
    updateCrosshairOverlay();
}

QSizeF CameraThread::displayedPixmapSize() const
{
    return displayedItem ? QSizeF(displayedItem->size()) : QSizeF();
}

void CameraThread::fitToWindow()
{
    bool valid = false;
    const zoomlogic::FitRatios ratios =
        zoomlogic::fitRatios(QSizeF(ui->graphicsView->size()), displayedPixmapSize(), &valid);
    if (!valid)
        return;
    horizontalFitRatio = ratios.horizontal;
    verticalFitRatio = ratios.vertical;
    applyZoom(ratios.zoom, true);
}

void CameraThread::fitFromUser()
{
    if (handle != 0)
        fitToWindow();
}

void CameraThread::zoomToOriginalSize()
{
    applyZoom(1.0);
    updateNavigationRect();
}

void CameraThread::zoomIn()
{
    if (handle != 0)
        applyZoom(zoomlogic::zoomInStep(zoom));
}

void CameraThread::zoomOut()
{
    if (handle != 0)
        applyZoom(zoomlogic::zoomOutStep(zoom));
}

void CameraThread::zoomWithWheel(QWheelEvent* event)
{
    if (handle == 0)
        return;
    QGraphicsView* view = ui->graphicsView;
    const QPoint position = event->position().toPoint();
    const QPointF before = view->mapToScene(position);
    applyZoom(zoomlogic::wheelStep(zoom, event->angleDelta().y()));
    // Scroll so that the scene point under the cursor stays under it.
    const QRectF visible = view->mapToScene(view->viewport()->rect()).boundingRect();
    mainScene->setSceneRect(visible);
    const QPointF after = view->mapToScene(position);
    mainScene->setSceneRect(visible.translated(before - after));
    mainScene->update();
    const QSizeF pixmap = displayedPixmapSize();
    mainScene->setSceneRect(0, 0, pixmap.width(), pixmap.height());
}

void CameraThread::updateNavigationRect()
{
    QGraphicsView* view = ui->graphicsView;
    const zoomlogic::NavigationGeometry navigation = zoomlogic::navigationGeometry(
        view->size(), mainScene->sceneRect().size(), zoom, view->mapToScene(QPoint(0, 0)),
        ui->graphicsView_Navigation->size());
    if (!navigation.wholeImage) {
        navigationScaleX = navigation.scaleX;
        navigationScaleY = navigation.scaleY;
    }
    rectangleX = navigation.origin.x();
    rectangleY = navigation.origin.y();
    ui->label_displayWindow->setGeometry(navigation.geometry);
}

void CameraThread::filterNavigationRectangle(QEvent* event)
{
    QLabel* rectangle = ui->label_displayWindow;
    switch (event->type()) {
    case QEvent::Enter:
        rectangle->setCursor(Qt::SizeAllCursor);
        overRectangle = 1;
        break;
    case QEvent::Leave:
        rectangle->setCursor(Qt::ArrowCursor);
        overRectangle = 0;
        break;
    case QEvent::MouseButtonPress:
        panAnchor = QCursor::pos();
        break;
    case QEvent::MouseMove: {
        const QPoint cursor = QCursor::pos();
        const QPoint delta = cursor - panAnchor;
        const QSize navigation = ui->graphicsView_Navigation->size();
        QRect geometry = rectangle->geometry();
        const int newX = geometry.x() + delta.x();
        const int newY = geometry.y() + delta.y();
        if (zoomlogic::rectanglePositionAllowed(newX, navigation.width(), geometry.width()))
            geometry.moveLeft(newX);
        if (zoomlogic::rectanglePositionAllowed(newY, navigation.height(), geometry.height()))
            geometry.moveTop(newY);
        rectangle->move(geometry.topLeft());
        if (handle != 0 && navigationScaleX > 0 && navigationScaleY > 0) {
            const double sceneX = geometry.x() / navigationScaleX;
            const double sceneY = geometry.y() / navigationScaleY;
            // The view scrolls to the marked region. Moving the scene rectangle instead
            // would last only until the next frame sets it back to the whole image.
            QGraphicsView* view = ui->graphicsView;
            const QSizeF visible = view->mapToScene(view->viewport()->rect()).boundingRect().size();
            view->centerOn(sceneX + visible.width() / 2.0, sceneY + visible.height() / 2.0);
            panAnchor = cursor;
        }
        break;
    }
    default:
        break;
    }
}

void CameraThread::filterScenePanning(QEvent* event)
{
    QGraphicsView* view = ui->graphicsView;
    if (measureTools->isDrawing())
        return;  // the drag draws a region or a line
    switch (event->type()) {
    case QEvent::GraphicsSceneMousePress:
        panAnchor = QCursor::pos();
        panAnchorHorizontal = view->horizontalScrollBar()->value();
        panAnchorVertical = view->verticalScrollBar()->value();
        break;
    case QEvent::GraphicsSceneMouseMove: {
        // The view tracks the mouse, so moves without a button arrive too; only a held
        // button pans.
        if (static_cast<QGraphicsSceneMouseEvent*>(event)->buttons() == Qt::NoButton)
            break;
        view->viewport()->setCursor(Qt::ClosedHandCursor);
        const QPoint cursor = QCursor::pos();
        view->horizontalScrollBar()->setValue(panAnchorHorizontal + panAnchor.x() - cursor.x());
        view->verticalScrollBar()->setValue(panAnchorVertical + panAnchor.y() - cursor.y());
        panAnchor = cursor;
        panAnchorHorizontal = view->horizontalScrollBar()->value();
        panAnchorVertical = view->verticalScrollBar()->value();
        break;
    }
    case QEvent::GraphicsSceneMouseRelease:
        view->viewport()->setCursor(Qt::ArrowCursor);
        break;
    default:
        break;
    }
}
