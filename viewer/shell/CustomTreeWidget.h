#pragma once
#include <QTreeWidget>

// The device tree. Cameras are dragged from here onto camera windows.
class CustomTreeWidget : public QTreeWidget {
    Q_OBJECT
public:
    explicit CustomTreeWidget(QWidget* parent = nullptr);
};
