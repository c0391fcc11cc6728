#include "CustomGraphicsScene.h"

#include <QGraphicsSceneDragDropEvent>
#include <QMimeData>

#include "CameraWindowLogic.h"

CustomGraphicsScene::CustomGraphicsScene(QObject* parent) : QGraphicsScene(parent) {}

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
