#include "CustomTreeWidget.h"

#include <QHeaderView>

CustomTreeWidget::CustomTreeWidget(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setAcceptDrops(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
}
