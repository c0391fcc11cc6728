#pragma once
#include <QTreeWidget>

// The device tree. A camera item dragged out of it carries the camera identifier in the
// "INFO" format, which camera windows accept.
class CustomTreeWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit CustomTreeWidget(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
};
