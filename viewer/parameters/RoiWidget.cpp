#include "RoiWidget.h"

#include <QDebug>
#include <QImage>
#include <QMouseEvent>
#include <QPixmap>
#include <vector>

#include "SuiteMessages.h"
#include "VexoCameraApi.h"
#include "ui_RoiWidget.h"

using namespace roilogic;

RoiWidget::RoiWidget(QWidget* parent) : QWidget(parent), ui(new Ui::RoiWidget)
{
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose, true);
    setAttribute(Qt::WA_QuitOnClose, false);
    // A plain widget draws its style-sheet border only with a styled background.
    ui->Picture_Rect->setAttribute(Qt::WA_StyledBackground, true);
    edgeMargin = 20;
    view.preview = ui->widget_6->size();
    ui->Picture_Rect->installEventFilter(this);
    connect(ui->comboBox, QOverload<int>::of(&QComboBox::activated), this, [this](int entry) {
        const int index = ui->comboBox->itemData(entry).toInt();
        const int result = SdkSelectPresetResolution(camera, index);
        if (result != 0) {
            qWarning() << "SdkSelectPresetResolution" << index << "failed:" << result;
            suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("设置失败，请重新设置"),
                               tr("确定"));
            return;
        }
        emit resolutionChanged(camera);
        on_pushButton_refresh_clicked();
    });
}

RoiWidget::~RoiWidget()
{
    delete ui;
}

void RoiWidget::on_pushButton_refresh_clicked()
{
    grabPreview();
    ui->comboBox->clear();
    VexoCapabilities read{};
    const int result = SdkGetCapabilities(camera, &read);
    if (result != 0) {
        qWarning() << "SdkGetCapabilities failed:" << result;
        suite::showMessage(QMessageBox::Information, this, tr("错误"),
                           tr("获取分辨率失败，请重新获取"), tr("确定"));
        return;
    }
    capabilities = read;
    // The presets offered for loading: choosing one switches the camera to it and shows
    // its frame, the way back to the full frame after a region was applied.
    for (int i = 0; capabilities.resolutions && i < capabilities.resolutionCount; ++i) {
        const VexoResolution& preset = capabilities.resolutions[i];
        const QString name =
            QString::fromLatin1(preset.name, int(qstrnlen(preset.name, sizeof preset.name)));
        ui->comboBox->addItem(name, preset.index);
    }
    ui->comboBox->setCurrentIndex(-1);
}

constexpr int kGrabAttempts = 4;

// Grabs one frame into the preview and takes the sensor mapping from it. Leaves the
// previous preview and mapping in place when no frame comes.
bool RoiWidget::grabPreview()
{
    uint32_t token = 0;
    int result = VEXO_SDK_FAILED;
    VexoImageInfo info{};
    BYTE* raw = nullptr;
    // A frame exposed just before the resolution changed can still arrive after the
    // change; its size gives it away, and the next frame has the new one. A PC busy
    // enough to keep a frame away for the whole time-out gets another try as well.
    for (int attempt = 0; attempt < kGrabAttempts; ++attempt) {
        result = SdkGrabFrameWithTimeout(camera, &token, 5000);
        if (result == VEXO_SDK_TIMEOUT && attempt + 1 < kGrabAttempts) {
            qWarning() << "no preview frame within 5 s; trying again";
            continue;
        }
        if (result != 0)
            break;
        raw = SdkGetRawImage(camera, token, &info);
        if (!raw || info.width <= 0 || info.height <= 0) {
            result = VEXO_SDK_FAILED;
            SdkReleaseFrame(camera, token);
            break;
        }
        VexoResolution wanted{};
        if (attempt + 1 == kGrabAttempts ||
            SdkGetResolutionDescriptor(camera, VEXO_SDK_CUSTOM_RESOLUTION, &wanted) != 0 ||
            (wanted.outputWidth == info.width && wanted.outputHeight == info.height))
            break;
        SdkReleaseFrame(camera, token);
        raw = nullptr;
    }
    if (result != 0) {
        qWarning() << "grabbing the preview frame failed:" << result;
        suite::showMessage(QMessageBox::Information, this, tr("错误"), tr("获取失败，请重新获取"),
                           tr("确定"));
        return false;
    }
    const int width = info.width;
    const int height = info.height;
    std::vector<BYTE> buffer(size_t(width) * size_t(height) * 4);
    result = SdkProcessImage(camera, &info, raw, buffer.data());
    if (result == 0 && info.pixelFormat != VEXO_SDK_PIXEL_RGB8) {
        // Another program part chose a different output format; the preview needs RGB.
        const int formatResult = SdkSetOutputFormat(camera, VEXO_SDK_PIXEL_RGB8);
        if (formatResult != 0)
            qWarning() << "SdkSetOutputFormat failed:" << formatResult;
        result = SdkProcessImage(camera, &info, raw, buffer.data());
    }
    const int releaseResult = SdkReleaseFrame(camera, token);
    if (releaseResult != 0)
        qWarning() << "SdkReleaseFrame failed:" << releaseResult;
    if (result != 0 || info.pixelFormat != VEXO_SDK_PIXEL_RGB8) {
        qWarning() << "SdkProcessImage failed:" << result;
        suite::showMessage(QMessageBox::Information, this, tr("错误"), tr("获取失败，请重新获取"),
                           tr("确定"));
        return false;
    }
    const int postResult = SdkPostProcessImage(camera, buffer.data(), &info);
    if (postResult != 0)
        qWarning() << "SdkPostProcessImage failed:" << postResult;

    const QImage frame(buffer.data(), width, height, width * 3, QImage::Format_RGB888);
    const QSize previewSize = ui->widget_6->size();
    ui->widget_6->setPixmap(QPixmap::fromImage(
        frame.scaled(previewSize, Qt::IgnoreAspectRatio, Qt::FastTransformation)));

    // A binned frame or a region covers more or other sensor pixels than it has; the
    // read-out and the region sent must be in sensor pixels all the same.
    VexoResolution current{};
    const int descriptorResult =
        SdkGetResolutionDescriptor(camera, VEXO_SDK_CUSTOM_RESOLUTION, &current);
    const bool matchesFrame =
        descriptorResult == 0 && current.outputWidth == width && current.outputHeight == height;
    if (!matchesFrame)
        qWarning() << "resolution descriptor does not describe the frame:" << descriptorResult;
    view.sensorArea =
        matchesFrame ? sensorAreaOf(current, QSize(width, height)) : QRect(0, 0, width, height);
    view.preview = previewSize;
    ui->lineEdit_maxheight->setText(QString::number(view.sensorArea.height()));
    ui->lineEdit_maxwidth->setText(QString::number(view.sensorArea.width()));
    scaleX = view.scaleX();
    scaleY = view.scaleY();
    updateReadOut();
    return true;
}

void RoiWidget::placeRectangle(PresetPosition preset)
{
    ui->Picture_Rect->setGeometry(presetRectangle(preset, ui->widget_6->size()));
    updateReadOut();
    update();
}

void RoiWidget::on_pushButton_LeftTop_clicked()
{
    placeRectangle(PresetPosition::LeftTop);
}

void RoiWidget::on_pushButton_max_clicked()
{
    placeRectangle(PresetPosition::Max);
}

void RoiWidget::on_pushButton_LeftBottom_clicked()
{
    placeRectangle(PresetPosition::LeftBottom);
}

void RoiWidget::on_pushButton_RightTop_clicked()
{
    placeRectangle(PresetPosition::RightTop);
}

void RoiWidget::on_pushButton_RightBottom_clicked()
{
    placeRectangle(PresetPosition::RightBottom);
}

void RoiWidget::on_pushButton_center_clicked()
{
    placeRectangle(PresetPosition::Center);
}

void RoiWidget::on_pushButton_setup_clicked()
{
    // What is sent follows the rectangle, whatever was typed into the fields.
    updateReadOut();
    const int height = parseDecimal(ui->lineEdit_height->text());
    const int width = parseDecimal(ui->lineEdit_width->text());
    const int offsetX = parseDecimal(ui->lineEdit_Hshift->text());
    const int offsetY = parseDecimal(ui->lineEdit_Vshift->text());
    // The preset arrays belong to the camera and end with it; a camera closed since the
    // last refresh must not be read through the stored record.
    VexoCapabilities current{};
    const int capabilityResult = SdkGetCapabilities(camera, &current);
    if (capabilityResult != 0) {
        qWarning() << "SdkGetCapabilities failed:" << capabilityResult;
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("设置失败，请重新设置"),
                           tr("确定"));
        return;
    }
    capabilities = current;
    const QSize sensor(capabilities.sensorWidth, capabilities.sensorHeight);
    const VexoResolution full =
        fullSensorDescriptor(capabilities.resolutions, capabilities.resolutionCount, sensor);
    const VexoResolution region =
        customRegionDescriptor(full, offsetX, offsetY, width, height, sensor);
    const int result = SdkSetRegionOfInterest(camera, &region);
    if (result != 0) {
        qWarning() << "SdkSetRegionOfInterest" << region.offsetX << region.offsetY
                   << region.regionWidth << region.regionHeight << "failed:" << result;
        suite::showMessage(QMessageBox::Critical, this, tr("提示"), tr("设置失败，请重新设置"),
                           tr("确定"));
        return;
    }
    emit resolutionChanged(camera);
    suite::showMessage(QMessageBox::Information, this, tr("提示"), tr("设置成功"), tr("确定"));
    on_pushButton_refresh_clicked();
}

bool RoiWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != ui->Picture_Rect)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
        case QEvent::MouseButtonPress:
            lastCursor = static_cast<QMouseEvent*>(event)->globalPos();
            break;
        case QEvent::MouseButtonRelease:
            dragZone = kZoneNone;
            setCursor(Qt::ArrowCursor);
            break;
        case QEvent::MouseMove: {
            const auto* move = static_cast<QMouseEvent*>(event);
            QWidget* rect = ui->Picture_Rect;
            dragZone = classifyZone(move->localPos().toPoint(), rect->size(), edgeMargin);
            switch (dragZone) {
                case kZoneRight:
                case kZoneLeft:
                    setCursor(Qt::SizeHorCursor);
                    break;
                case kZoneBottom:
                case kZoneTop:
                    setCursor(Qt::SizeVerCursor);
                    break;
                case kZoneTopLeft:
                case kZoneBottomRight:
                    setCursor(Qt::SizeFDiagCursor);
                    break;
                case kZoneTopRight:
                case kZoneBottomLeft:
                    setCursor(Qt::SizeBDiagCursor);
                    break;
                default:
                    setCursor(Qt::SizeAllCursor);
                    break;
            }
            const QPoint now = move->globalPos();
            rect->setGeometry(dragRectangle(rect->geometry(), dragZone, now - lastCursor));
            lastCursor = now;
            updateReadOut();
            update();
            break;
        }
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void RoiWidget::paintEvent(QPaintEvent* event)
{
    updateReadOut();
    QWidget::paintEvent(event);
}

void RoiWidget::updateReadOut()
{
    if (!view.isValid())
        return;
    const QRect sensor = view.toSensor(ui->Picture_Rect->geometry());
    const auto show = [](QLineEdit* edit, int value) {
        const QString text = QString::number(value);
        if (edit->text() != text)
            edit->setText(text);
    };
    show(ui->lineEdit_width, sensor.width());
    show(ui->lineEdit_height, sensor.height());
    show(ui->lineEdit_Hshift, sensor.x());
    show(ui->lineEdit_Vshift, sensor.y());
    show(ui->lineEdit_VShift, sensor.width());
    show(ui->lineEdit_HShift, sensor.height());
}
