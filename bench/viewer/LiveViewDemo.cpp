// One camera window on a simulated camera, sized like a grid cell, with the navigation
// panel open and the pointer over the lower half of the image so the tool bar shows.
//
//   liveview_demo [identifier] [--grab prefix] [--seconds N] [--pause-at ms]
//
// With --grab it writes <prefix>-1.png and <prefix>-2.png 1.5 s apart, then quits after
// N seconds (default 6).
#include <QApplication>
#include <QCursor>
#include <QPushButton>
#include <QTimer>

#include "CameraThread.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString identifier = QStringLiteral("VXG2301C0001");
    QString grab;
    int seconds = 6;
    int pauseAtMs = -1;
    const QStringList arguments = app.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--grab" && i + 1 < arguments.size())
            grab = arguments[++i];
        else if (arguments[i] == "--seconds" && i + 1 < arguments.size())
            seconds = arguments[++i].toInt();
        else if (arguments[i] == "--pause-at" && i + 1 < arguments.size())
            pauseAtMs = arguments[++i].toInt();
        else
            identifier = arguments[i];
    }

    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(960, 640);
    window.move(40, 40);
    window.show();
    if (!window.startCamera(identifier))
        return 1;
    window.findChild<QPushButton*>("pushButton_navigation")->click();

    QTimer::singleShot(500, &window, [&window]() {
        QWidget* view = window.findChild<QWidget*>("graphicsView");
        QCursor::setPos(view->mapToGlobal(QPoint(view->width() / 2, view->height() * 7 / 8)));
    });
    if (pauseAtMs >= 0) {
        QTimer::singleShot(pauseAtMs, &window, [&window]() {
            window.findChild<QPushButton*>("pushButton_open")->click();
        });
    }
    if (!grab.isEmpty()) {
        QTimer::singleShot(2500, &window, [&]() { window.grab().save(grab + "-1.png"); });
        QTimer::singleShot(4000, &window, [&]() { window.grab().save(grab + "-2.png"); });
    }
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
