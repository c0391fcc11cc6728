#include "CustomTreeWidget.h"

#include <QDrag>
#include <QHeaderView>
#include <QMimeData>
#include <QMouseEvent>

#include "DeviceText.h"
#include "VexoCameraRecords.h"

CustomTreeWidget::CustomTreeWidget(QWidget* parent) : QTreeWidget(parent)
{
    setColumnCount(1);
    setAcceptDrops(false);
    header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    header()->setStretchLastSection(false);
}

void CustomTreeWidget::mousePressEvent(QMouseEvent* event)
{
    QTreeWidget::mousePressEvent(event);
}

void CustomTreeWidget::mouseMoveEvent(QMouseEvent* event)
{
    QTreeWidgetItem* item = itemAt(event->pos());
    const QVariant data = item ? item->data(0, Qt::UserRole) : QVariant();
    if (event->buttons() != Qt::NoButton && data.isValid()) {
        const auto* record = static_cast<const VexoDeviceInfo*>(data.value<void*>());
        const QString identifier = recordText(record->cameraIdentifier);
        auto* mime = new QMimeData;
        mime->setData(QStringLiteral("INFO"), identifier.toLocal8Bit());
        auto* drag = new QDrag(this);
        drag->setMimeData(mime);
        drag->exec(Qt::MoveAction);
    }
    QTreeWidget::mouseMoveEvent(event);
}
