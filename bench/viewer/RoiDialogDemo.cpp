// The region-of-interest dialog over a live camera window on a simulated camera, for
// looking at it and for checking that the region drawn is the region the camera then
// delivers.
//
//   roi_dialog_demo [identifier] [--english] [--last-preset] [--preset Name] [--shots prefix]
//
// --last-preset switches the camera to its last preset first, as the panel's custom entry
// does. --preset clicks pushButton_<Name> (default RightBottom), then "确定". With --shots
// it writes <prefix>-1-drawn.png, -2-applied.png (with the message box) and -3-after.png
// of the whole screen. At the end it prints the region applied and how far the delivered
// frame is from the drawn part of the frame before (mean absolute difference per channel
// at 240 × 135), next to the part a half-offset, half-size region would have shown.
#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "CameraThread.h"
#include "RoiWidget.h"
#include "SuiteEnvironment.h"
#include "VexoCameraApi.h"

namespace {

struct Frame {
    QImage image;
    QRect sensorArea;  // sensor pixels the frame covers
};

Frame grabFrame(int handle)
{
    Frame frame;
    uint32_t token = 0;
    if (SdkGrabFrameWithTimeout(handle, &token, 5000) != 0)
        return frame;
    VexoImageInfo info{};
    BYTE* raw = SdkGetRawImage(handle, token, &info);
    if (raw) {
        std::vector<BYTE> rgb(size_t(info.width) * size_t(info.height) * 4);
        if (SdkProcessImage(handle, &info, raw, rgb.data()) == 0 &&
            info.pixelFormat == VEXO_SDK_PIXEL_RGB8)
            frame.image =
                QImage(rgb.data(), info.width, info.height, info.width * 3, QImage::Format_RGB888)
                    .copy();
    }
    SdkReleaseFrame(handle, token);
    VexoResolution d{};
    if (SdkGetResolutionDescriptor(handle, VEXO_SDK_CUSTOM_RESOLUTION, &d) == 0)
        frame.sensorArea = QRect(d.offsetX, d.offsetY, d.regionWidth, d.regionHeight);
    return frame;
}

// The part of `frame` showing `sensor` (sensor pixels), at 240 × 135.
QImage sensorPart(const Frame& frame, const QRect& sensor)
{
    const double sx = double(frame.image.width()) / frame.sensorArea.width();
    const double sy = double(frame.image.height()) / frame.sensorArea.height();
    const QRect inFrame(int((sensor.x() - frame.sensorArea.x()) * sx),
                        int((sensor.y() - frame.sensorArea.y()) * sy), int(sensor.width() * sx),
                        int(sensor.height() * sy));
    return frame.image.copy(inFrame).scaled(240, 135, Qt::IgnoreAspectRatio,
                                            Qt::SmoothTransformation);
}

double meanDifference(const QImage& a, const QImage& b)
{
    long long sum = 0;
    for (int y = 0; y < a.height(); ++y) {
        const uchar* pa = a.constScanLine(y);
        const uchar* pb = b.constScanLine(y);
        for (int x = 0; x < a.width() * 3; ++x)
            sum += std::abs(int(pa[x]) - int(pb[x]));
    }
    return double(sum) / (a.width() * a.height() * 3);
}

void shoot(const QString& prefix, const char* name)
{
    if (!prefix.isEmpty())
        QGuiApplication::primaryScreen()->grabWindow(0).save(prefix + name);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString identifier = QStringLiteral("VXG2301C0001");
    QString shots;
    QString preset = QStringLiteral("RightBottom");
    bool english = false;
    bool lastPreset = false;
    const QStringList arguments = app.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--shots" && i + 1 < arguments.size())
            shots = arguments[++i];
        else if (arguments[i] == "--preset" && i + 1 < arguments.size())
            preset = arguments[++i];
        else if (arguments[i] == "--english")
            english = true;
        else if (arguments[i] == "--last-preset")
            lastPreset = true;
        else
            identifier = arguments[i];
    }
    QTranslator translator;
    suite::loadAndInstall(
        &translator,
        suite::translationFilePath(QCoreApplication::applicationDirPath(), "VexoCam", english));

    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(620, 480);
    window.move(10, 10);
    window.show();
    if (!window.startCamera(identifier))
        return 1;
    const int handle = window.cameraHandle();
    if (lastPreset) {
        VexoCapabilities caps{};
        VexoResolution last{};
        if (SdkGetCapabilities(handle, &caps) != 0 ||
            SdkGetResolutionDescriptor(handle, caps.resolutionCount - 1, &last) != 0 ||
            SdkApplyResolution(handle, &last) != 0)
            return 2;
    }

    auto* dialog = new RoiWidget;
    Frame before;
    int status = 0;
    QTimer::singleShot(1500, dialog, [&]() {
        dialog->camera = handle;
        dialog->move(640, 10);
        dialog->show();
        dialog->on_pushButton_refresh_clicked();
    });
    QTimer::singleShot(2500, dialog, [&]() {
        dialog->findChild<QPushButton*>("pushButton_" + preset)->click();
        QTimer::singleShot(500, [&]() { shoot(shots, "-1-drawn.png"); });
    });
    QTimer::singleShot(3500, dialog, [&]() {
        before = grabFrame(handle);
        QTimer::singleShot(800, [&]() {
            shoot(shots, "-2-applied.png");
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                box->buttons().first()->click();
        });
        dialog->findChild<QPushButton*>("pushButton_setup")->click();
    });
    QTimer::singleShot(6500, &app, [&]() {
        shoot(shots, "-3-after.png");
        const Frame after = grabFrame(handle);
        const QRect region = after.sensorArea;
        std::printf("region applied: offset %d/%d size %dx%d, frame delivered %dx%d\n", region.x(),
                    region.y(), region.width(), region.height(), after.image.width(),
                    after.image.height());
        std::printf("read-out: %s/%s %sx%s\n",
                    qPrintable(dialog->findChild<QLineEdit*>("lineEdit_Hshift")->text()),
                    qPrintable(dialog->findChild<QLineEdit*>("lineEdit_Vshift")->text()),
                    qPrintable(dialog->findChild<QLineEdit*>("lineEdit_width")->text()),
                    qPrintable(dialog->findChild<QLineEdit*>("lineEdit_height")->text()));
        if (before.image.isNull() || after.image.isNull() || !before.sensorArea.contains(region)) {
            std::printf("no comparison possible\n");
            status = 3;
        } else {
            const Frame delivered{after.image, QRect(QPoint(0, 0), region.size())};
            const QImage got = sensorPart(delivered, QRect(QPoint(0, 0), region.size()));
            const QRect half(region.x() / 2, region.y() / 2, region.width() / 2,
                             region.height() / 2);
            std::printf("mean difference to the drawn part: %.2f, to the half-offset part: %.2f\n",
                        meanDifference(got, sensorPart(before, region)),
                        meanDifference(got, sensorPart(before, half)));
            // The scene moves a little between the two frames; the drawn part must still
            // match better than the same part shifted by a few sensor pixels.
            QPoint best;
            double bestDifference = 1e9;
            for (int dy = -24; dy <= 24; dy += 8) {
                for (int dx = -24; dx <= 24; dx += 8) {
                    const QRect shifted = region.translated(dx, dy);
                    if (!before.sensorArea.contains(shifted))
                        continue;
                    const double difference = meanDifference(got, sensorPart(before, shifted));
                    if (difference < bestDifference) {
                        bestDifference = difference;
                        best = QPoint(dx, dy);
                    }
                }
            }
            std::printf("best match among shifts of up to 24 sensor pixels: %+d/%+d (%.2f)\n",
                        best.x(), best.y(), bestDifference);
            if (!best.isNull())
                status = 4;
        }
        app.quit();
    });
    const int result = app.exec();
    delete dialog;
    return status ? status : result;
}
