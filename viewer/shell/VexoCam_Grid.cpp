// The grid of camera windows: layouts, restore at start-up, selection, swapping windows
// and full screen.
#include "VexoCam.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLayout>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

#include "CameraThread.h"
#include "CustomLayoutLogic.h"
#include "SettingsStore.h"
#include "ui_VexoCam.h"

namespace {

SceneFrameLayout builtInLayout(int n)
{
    return SceneFrameLayout{QString(), n, n, customlayout::defaultRectangles(n, n)};
}

}  // namespace

QGridLayout* VexoCam::grid() const
{
    return static_cast<QGridLayout*>(ui->widget_devicewindows->layout());
}

void VexoCam::cameraWindowSetting(SceneFrameLayout& requested)
{
    // Closing a camera waits for its acquisition thread while timers and queued calls
    // still run; a layout asked for meanwhile follows once this one is complete.
    if (applyingLayout) {
        SceneFrameLayout later = requested;
        QTimer::singleShot(0, this, [this, later]() mutable { cameraWindowSetting(later); });
        return;
    }
    applyingLayout = true;
    // A hand-edited settings file must not build an impossible grid; one with nothing
    // usable left shows a single window rather than none.
    SceneFrameLayout layout = customlayout::sanitizedLayout(requested);
    if (layout.rectangles.isEmpty())
        layout = builtInLayout(1);
    QGridLayout* gridLayout = grid();
    while (QLayoutItem* item = gridLayout->takeAt(0))
        delete item;
    for (CameraThread* window : qAsConst(cameraWindows))
        window->setSelected(false);

    // Windows leave the list before they are closed and are deleted only when control is
    // back in the event loop, so nothing handled during a close meets a half-gone window.
    QList<CameraThread*> surplus;
    for (auto it = cameraWindows.begin(); it != cameraWindows.end();) {
        if (!(*it)->isCameraOpen()) {
            surplus.append(*it);
            it = cameraWindows.erase(it);
        } else {
            ++it;
        }
    }
    const int emptyWindows = surplus.size();
    while (cameraWindows.size() > layout.rectangles.size())
        surplus.append(cameraWindows.takeLast());
    for (int i = 0; i < surplus.size(); ++i) {
        CameraThread* window = surplus[i];
        disconnect(window, &QObject::destroyed, this, nullptr);
        window->hide();
        if (i >= emptyWindows) {
            if (window->cameraHandle() == currentCamera)
                currentCamera = 0;
            window->closeCamera();
        }
        window->deleteLater();
    }
    while (cameraWindows.size() < layout.rectangles.size()) {
        auto* window = new CameraThread(nullptr);
        connect(window, SIGNAL(enterFullScreen()), this, SLOT(onCameraWidgetEnterFullScreen()));
        connect(window, SIGNAL(exitFullScreen()), this, SLOT(onCameraWidgetExitFullScreen()));
        connect(window, SIGNAL(cameraClose(const QString&)), this, SLOT(onCloseCamera(const QString&)));
        connect(window, SIGNAL(cameraOpen(const QString&)), this, SLOT(onOpenCamera(const QString&)));
        connect(window, SIGNAL(windowMoving(int&, int&, int&, int&)), this,
                SLOT(onWindowMoving(int&, int&, int&, int&)));
        // A window in full screen is a top-level window the window manager may close,
        // which deletes it. It leaves the list as soon as its deletion is due, since
        // closing its camera on the way out still runs timers that may build a layout.
        window->installEventFilter(this);
        connect(window, &QObject::destroyed, this, &VexoCam::forgetCameraWindow);
        connect(window, &CameraThread::featureBrowserRequested, this,
                [this, window] { openFeatureBrowser(window); });
        window->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        cameraWindows.append(window);
    }

    for (int i = 0; i < 3; ++i) {
        gridLayout->setRowStretch(i, 0);
        gridLayout->setColumnStretch(i, 0);
    }
    for (int row = 0; row < layout.rows; ++row)
        gridLayout->setRowStretch(row, 1);
    for (int column = 0; column < layout.columns; ++column)
        gridLayout->setColumnStretch(column, 1);

    for (int i = 0; i < layout.rectangles.size(); ++i) {
        const QStringList parts = layout.rectangles[i].split(QLatin1Char(','));
        CameraThread* window = cameraWindows[i];
        window->setGridCell(parts.value(0).toInt(), parts.value(1).toInt(),
                            parts.value(2).toInt(), parts.value(3).toInt());
        const CameraThread::GridCell cell = window->gridCell();
        gridLayout->addWidget(window, cell.row, cell.column, cell.rowSpan, cell.columnSpan);
    }

    applyingLayout = false;
    if (currentCamera == 0) {
        for (CameraThread* window : qAsConst(cameraWindows)) {
            if (window->isCameraOpen()) {
                readBack(window->cameraHandle());
                return;
            }
        }
        disableParameterPanel();
    }
}

void VexoCam::forgetCameraWindow(QObject* window)
{
    const int before = cameraWindows.size();
    cameraWindows.erase(
        std::remove_if(cameraWindows.begin(), cameraWindows.end(),
                       [window](CameraThread* w) { return static_cast<QObject*>(w) == window; }),
        cameraWindows.end());
    // Its cell is empty now: build the layout in use again, which fills it.
    if (cameraWindows.size() != before)
        QTimer::singleShot(0, this, &VexoCam::restoreWindowGrid);
}

void VexoCam::applyBuiltInLayout(int n)
{
    // Asked for while another layout is being built (see cameraWindowSetting): the grid
    // and the stored choice follow once that one is complete.
    if (applyingLayout) {
        QTimer::singleShot(0, this, [this, n]() { applyBuiltInLayout(n); });
        return;
    }
    SceneFrameLayout layout = builtInLayout(n);
    cameraWindowSetting(layout);
    settingsStore()->setValue(QStringLiteral("WIDGETINFO"), QStringLiteral("WidgetCount"), n);
}

void VexoCam::on_action_oneframe_triggered()
{
    applyBuiltInLayout(1);
}

void VexoCam::on_action_fourframe_triggered()
{
    applyBuiltInLayout(2);
}

void VexoCam::on_action_nineframe_triggered()
{
    applyBuiltInLayout(3);
}

void VexoCam::onCustomLayoutTriggered()
{
    auto* action = qobject_cast<QAction*>(sender());
    auto* layout = action ? static_cast<SceneFrameLayout*>(action->data().value<void*>()) : nullptr;
    if (!layout)
        return;
    if (applyingLayout) {
        QTimer::singleShot(0, action, &QAction::trigger);
        return;
    }
    cameraWindowSetting(*layout);
    settingsStore()->setValue(QStringLiteral("WIDGETINFO"), QStringLiteral("WidgetCount"), 4);
    settingsStore()->setValue(QStringLiteral("CUSTOMWIDGET"), QStringLiteral("UsedCustomWidget"),
                              layout->name);
}

// The custom layout of that name, or the one-window grid when it is gone.
void VexoCam::applyUsedCustomLayout()
{
    const QString used =
        settingsStore()->value(QStringLiteral("CUSTOMWIDGET"), QStringLiteral("UsedCustomWidget")).toString();
    for (QAction* action : qAsConst(customFrameActions)) {
        auto* layout = static_cast<SceneFrameLayout*>(action->data().value<void*>());
        if (layout && layout->name == used) {
            action->trigger();
            return;
        }
    }
    SceneFrameLayout one = builtInLayout(1);
    cameraWindowSetting(one);
}

void VexoCam::restoreWindowGrid()
{
    // A count the file should not hold gives one window, which is stored again.
    const int count = settingsStore()->widgetCount();
    if (count == 4)
        applyUsedCustomLayout();
    else
        applyBuiltInLayout(count);
}

void VexoCam::onCameraWidgetEnterFullScreen()
{
    if (auto* window = qobject_cast<CameraThread*>(sender()))
        grid()->removeWidget(window);
}

void VexoCam::onCameraWidgetExitFullScreen()
{
    auto* window = qobject_cast<CameraThread*>(sender());
    if (!window)
        return;
    const CameraThread::GridCell cell = window->gridCell();
    grid()->addWidget(window, cell.row, cell.column, cell.rowSpan, cell.columnSpan);
}

void VexoCam::onWindowMoving(int& oldRow, int& oldColumn, int& newRow, int& newColumn)
{
    QGridLayout* gridLayout = grid();
    QLayoutItem* sourceItem = gridLayout->itemAtPosition(oldRow, oldColumn);
    QLayoutItem* targetItem = gridLayout->itemAtPosition(newRow, newColumn);
    // A cell without a window (one is in full screen, or the payload is stale) has
    // nothing to swap with.
    QWidget* source = sourceItem ? sourceItem->widget() : nullptr;
    QWidget* target = targetItem ? targetItem->widget() : nullptr;
    auto* a = qobject_cast<CameraThread*>(source);
    auto* b = qobject_cast<CameraThread*>(target);
    if (!a || !b || a == b)
        return;
    int ar = 0, ac = 0, ars = 0, acs = 0, br = 0, bc = 0, brs = 0, bcs = 0;
    gridLayout->getItemPosition(gridLayout->indexOf(a), &ar, &ac, &ars, &acs);
    gridLayout->getItemPosition(gridLayout->indexOf(b), &br, &bc, &brs, &bcs);
    gridLayout->removeWidget(a);
    gridLayout->removeWidget(b);
    b->setGridCell(ar, ac, ars, acs);
    a->setGridCell(br, bc, brs, bcs);
    gridLayout->addWidget(a, br, bc, brs, bcs);
    gridLayout->addWidget(b, ar, ac, ars, acs);
}

void VexoCam::leaveContainerFullScreen()
{
    QWidget* container = windowsContainerWidget;
    if (container->parent())
        return;
    ui->widget_8->layout()->addWidget(container);
    container->setWindowFlags(Qt::SubWindow);
    container->setParent(ui->widget_8);
    container->showNormal();
}

void VexoCam::on_action_fullScreen_triggered()
{
    QWidget* container = windowsContainerWidget;
    if (container->parent()) {
        for (CameraThread* window : qAsConst(cameraWindows))
            window->setSelected(false);
        ui->widget_8->layout()->removeWidget(container);
        container->setWindowFlags(Qt::Window);
        container->setParent(nullptr);
        container->showFullScreen();
    } else {
        leaveContainerFullScreen();
    }
    for (CameraThread* window : qAsConst(cameraWindows))
        window->fitToWindow();
}

bool VexoCam::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::DeferredDelete && watched != windowsContainerWidget)
        forgetCameraWindow(watched);
    if (watched == windowsContainerWidget && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        leaveContainerFullScreen();
        for (CameraThread* window : qAsConst(cameraWindows))
            window->fitToWindow();
    }
    return QMainWindow::eventFilter(watched, event);
}

void VexoCam::mousePressEvent(QMouseEvent* event)
{
    QMainWindow::mousePressEvent(event);
    if (cameraWindows.isEmpty())
        return;
    if (cameraWindows.size() == 1) {
        ui->tabWidget->setEnabled(false);
        ui->widget_settingToolbar->setEnabled(false);
        if (cameraWindows.first()->isCameraOpen())
            readBack(cameraWindows.first()->cameraHandle());
        return;
    }
    const QPoint point = windowsContainerWidget->mapFromGlobal(event->globalPos());
    if (!windowsContainerWidget->rect().contains(point))
        return;
    for (CameraThread* window : qAsConst(cameraWindows)) {
        if (window->geometry().contains(point)) {
            ui->tabWidget->setEnabled(false);
            ui->widget_settingToolbar->setEnabled(false);
            if (window->isCameraOpen())
                readBack(window->cameraHandle());
            window->setSelected(true);
        } else {
            window->setSelected(false);
        }
    }
}
