// The viewer's main window with one simulated camera running a continuous capture (the
// parameter panel on its video page), a histogram window, the settings dialog's three
// pages and its folder chooser, for looking at them (and screenshots under Xvfb).
//
//   capture_demo [identifier] [--english] [--grab prefix] [--pictures folder]
//
// With --grab it writes <prefix>-capture.png, <prefix>-histogram.png,
// <prefix>-settings-<page>.png and <prefix>-folder-dialog.png of the whole screen, then
// quits. The dialogs open where the viewer puts them, centred on the main window.
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QDialog>
#include <QDir>
#include <QGraphicsView>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <QToolBox>

#include "CameraThread.h"
#include "ConfigWidget.h"
#include "SettingsStore.h"
#include "VexoCam.h"
#include "histogramWidget.h"

namespace {

void grabScreen(const QString& file)
{
    QGuiApplication::primaryScreen()->grabWindow(0).save(file);
}

template <typename T>
T* topLevel()
{
    T* found = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* t = qobject_cast<T*>(w))
            found = t;
    return found;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString identifier = QStringLiteral("VXG2301C0001");
    QString grab;
    QString pictures = QDir::homePath() + QStringLiteral("/capture-demo");
    bool english = false;
    const QStringList arguments = app.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--grab" && i + 1 < arguments.size())
            grab = arguments[++i];
        else if (arguments[i] == "--pictures" && i + 1 < arguments.size())
            pictures = arguments[++i];
        else if (arguments[i] == "--english")
            english = true;
        else
            identifier = arguments[i];
    }
    SettingsStore* store = settingsStore();
    store->setValue("EDITION", "Language", english ? 1 : 0);
    store->setValue("CAPTURE", "SvaePath", pictures);
    store->setValue("CAPTURE", "CaptureMode", 1);
    store->setValue("CAPTURE", "GrapTimeRadix", 400);
    store->setValue("CAPTURE", "GrapTimeStop", 0);
    store->setValue("CAPTURE", "PictureType", 2);
    store->setValue("CAPTURE", "NameRuleFormat", 1);

    VexoCam window(nullptr, QCoreApplication::applicationDirPath());
    window.resize(1280, 800);
    window.move(0, 0);
    window.show();
    window.findChild<QToolBox*>("toolBox_2")->setCurrentIndex(1);  // video parameters

    QTimer::singleShot(800, &window, [&]() { window.cameraWidget_open(identifier); });
    QTimer::singleShot(2000, &window, [&]() {
        if (window.cameraWindowList().isEmpty())
            return;
        CameraThread* camera = window.cameraWindowList().first();
        camera->findChild<QPushButton*>("pushButton_continuityPhotogrape")->click();
        QWidget* view = camera->findChild<QWidget*>("graphicsView");
        QCursor::setPos(view->mapToGlobal(QPoint(view->width() / 2, view->height() * 7 / 8)));
    });
    QTimer::singleShot(5000, &window, [&]() {
        if (!grab.isEmpty())
            grabScreen(grab + "-capture.png");
        CameraThread* camera = window.cameraWindowList().first();
        camera->findChild<QMenu*>()->actions().at(4)->trigger();  // "直方图"
    });
    QTimer::singleShot(6500, &window, [&]() {
        if (auto* histogram = topLevel<histogramWidget>()) {
            QWidget* overlay = histogram->findChild<QWidget*>("graphicsView_info");
            QCursor::setPos(overlay->mapToGlobal(QPoint(250, 100)));
        }
    });
    QTimer::singleShot(7500, &window, [&]() {
        if (!grab.isEmpty())
            grabScreen(grab + "-histogram.png");
        delete topLevel<histogramWidget>();
        window.findChild<QAction*>("action_capturesetting")->trigger();
    });
    const char* const pages[] = {"capture", "recording", "hotkeys"};
    for (int page = 0; page < 3; ++page) {
        QTimer::singleShot(8500 + 1000 * page, &window, [&, page]() {
            if (auto* dialog = topLevel<ConfigWidget>()) {
                dialog->findChild<QListWidget*>("listWidget_menu")->setCurrentRow(page);
            }
        });
        QTimer::singleShot(9000 + 1000 * page, &window, [&, page]() {
            if (!grab.isEmpty())
                grabScreen(QStringLiteral("%1-settings-%2.png").arg(grab, pages[page]));
        });
    }
    // The folder chooser of the capture page is modal: the timers go on inside it.
    QTimer::singleShot(11500, &window, [&]() {
        if (auto* dialog = topLevel<ConfigWidget>()) {
            dialog->findChild<QListWidget*>("listWidget_menu")->setCurrentRow(0);
            dialog->findChild<QPushButton*>("pushButton_openFile")->click();
        }
    });
    QTimer::singleShot(12000, &window, [&]() {
        if (!grab.isEmpty())
            grabScreen(grab + "-folder-dialog.png");
    });
    QTimer::singleShot(13500, &window, [&]() {
        if (auto* chooser = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
            chooser->reject();
    });
    QTimer::singleShot(grab.isEmpty() ? 60000 : 14500, &app, &QApplication::quit);
    return app.exec();
}
