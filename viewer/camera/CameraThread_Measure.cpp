// The measurement and focus tools of a camera window: a title bar button opens their menu;
// MeasureTools does the rest.
#include <QDebug>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <algorithm>

#include "CameraThread.h"
#include "MeasureTools.h"
#include "VexoCameraApi.h"
#include "ui_CameraThread.h"

void CameraThread::buildMeasureTools()
{
    measureTools = new MeasureTools(ui->graphicsView, mainScene, this);
    connect(measureTools, &MeasureTools::nativeFramesWanted, this,
            [this](bool wanted) { addNativeFrameReader(wanted ? 1 : -1); });
    auto* button = new QPushButton(ui->widget_titleBar);
    button->setObjectName(QStringLiteral("pushButton_measure"));
    button->setFlat(true);
    button->setStyleSheet(QStringLiteral(
        "QPushButton{background-color: rgba(222, 240, 255, 0); color: rgb(230, 230, 230);"
        " padding: 0px 6px;} QPushButton:open{background-color: rgb(70, 70, 76);}"
        " QPushButton::menu-indicator{width: 0px;}"));
    button->setMinimumHeight(24);
    button->setMenu(measureTools->menu());
    // Beside the navigation button, the first of the title bar's buttons.
    if (auto* layout = qobject_cast<QHBoxLayout*>(ui->widget_titleBar->layout()))
        layout->insertWidget(layout->indexOf(ui->pushButton_navigation), button);
    retranslateMeasureTools();
}

void CameraThread::addNativeFrameReader(int change)
{
    nativeFrameReaders = std::max(0, nativeFrameReaders + change);
    if (videoThread)
        videoThread->setNativeFrames(nativeFrameReaders > 0);
}

void CameraThread::retranslateMeasureTools()
{
    measureTools->retranslate();
    if (auto* button = ui->widget_titleBar->findChild<QPushButton*>("pushButton_measure")) {
        button->setText(measureTools->menu()->title());
        button->setToolTip(tr("测量与对焦工具"));
    }
}

void CameraThread::updateMeasureMonochrome()
{
    VexoCapabilities capabilities{};
    const int result = SdkGetCapabilities(handle, &capabilities);
    if (result != VEXO_SDK_OK)
        qDebug() << "SdkGetCapabilities returned" << result;
    measureTools->setMonochrome(result == VEXO_SDK_OK && capabilities.colorSensor == 0);
}
