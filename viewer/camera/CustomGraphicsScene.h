#pragma once
#include <QGraphicsScene>
#include <QString>

// The scene of a camera window's image view. It accepts cameras dragged from the device
// tree (MIME format "INFO", the camera identifier) and asks the window to open them.
class CustomGraphicsScene : public QGraphicsScene {
    Q_OBJECT
public:
    explicit CustomGraphicsScene(QObject* parent = nullptr);

signals:
    void openCamera(const QString& acSn);

protected:
    void dragEnterEvent(QGraphicsSceneDragDropEvent* event) override;
    void dragMoveEvent(QGraphicsSceneDragDropEvent* event) override;
    void dropEvent(QGraphicsSceneDragDropEvent* event) override;
};
