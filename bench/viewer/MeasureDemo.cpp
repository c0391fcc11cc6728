// One camera window on a simulated camera with measurement tools on, for looking at them
// (and screenshots):
//
//   measure_demo [identifier] [--english] [--tools readout,region,line,clipping,focus,peaking]
//                [--zoom steps] [--menu] [--focus-sweep] [--seconds N]
//
// Region and line are drawn with the mouse as a user would; the pointer rests over the
// image for the read-out. --menu opens the tools' menu. --focus-sweep drives a motorised
// focus through its range, prints the focus score at each position, and ends at the
// position with the highest score.
#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QGraphicsView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QTimer>
#include <QTranslator>
#include <cstdio>

#include "BenchSupport.h"
#include "CameraThread.h"
#include "MeasureTools.h"
#include "SuiteEnvironment.h"
#include "VexoCameraApi.h"

namespace {

// Drives the focus through its range and reports the score after each step.
void sweepFocus(CameraThread& window, MeasureTools* tools)
{
    const int handle = window.cameraHandle();
    int minimum = 0;
    int maximum = 0;
    if (SdkGetExtendedParameter(handle, VEXO_SDK_EXT_FOCUS_MIN, &minimum) != VEXO_SDK_OK ||
        SdkGetExtendedParameter(handle, VEXO_SDK_EXT_FOCUS_MAX, &maximum) != VEXO_SDK_OK) {
        std::printf("this camera has no motorised focus\n");
        return;
    }
    tools->setOn(MeasureTools::Tool::FocusScore, true);
    int best = minimum;
    double bestScore = -1;
    const auto sweep = [&](int from, int to, int step) {
        for (int position = from; position <= to; position += step) {
            SdkSetExtendedParameter(handle, VEXO_SDK_EXT_FOCUS_POSITION, position);
            // Frames made before the move may still be on their way: skip a few results.
            bench::waitWithEvents(150);
            const int results = tools->resultCount();
            while (tools->resultCount() < results + 3)
                bench::waitWithEvents(20);
            const double score = tools->lastResults().sharpness;
            std::printf("focus %5d: score %10.2f\n", position, score);
            if (score > bestScore) {
                bestScore = score;
                best = position;
            }
        }
    };
    // Coarse over the whole range, then fine around the best coarse position.
    const int step = std::max(1, (maximum - minimum) / 25);
    sweep(minimum, maximum, step);
    const int fineStep = std::max(1, step / 8);
    sweep(std::max(minimum, best - step), std::min(maximum, best + step), fineStep);
    SdkSetExtendedParameter(handle, VEXO_SDK_EXT_FOCUS_POSITION, best);
    tools->resetPeak();
    std::printf("sharpest at focus %d (score %.2f)\n", best, bestScore);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QString identifier = QStringLiteral("VXG2301C0001");
    QStringList tools;
    bool english = false;
    bool openMenu = false;
    bool focusSweep = false;
    int zoomSteps = 0;
    int seconds = 8;
    const QStringList arguments = app.arguments();
    for (int i = 1; i < arguments.size(); ++i) {
        if (arguments[i] == "--english")
            english = true;
        else if (arguments[i] == "--menu")
            openMenu = true;
        else if (arguments[i] == "--focus-sweep")
            focusSweep = true;
        else if (arguments[i] == "--tools" && i + 1 < arguments.size())
            tools = arguments[++i].split(QLatin1Char(','));
        else if (arguments[i] == "--zoom" && i + 1 < arguments.size())
            zoomSteps = arguments[++i].toInt();
        else if (arguments[i] == "--seconds" && i + 1 < arguments.size())
            seconds = arguments[++i].toInt();
        else
            identifier = arguments[i];
    }
    QTranslator translator;
    if (english)
        suite::loadAndInstall(
            &translator, suite::translationFilePath(suite::programDirectory(), "VexoCam", true));

    CameraThread window;
    window.setAttribute(Qt::WA_DeleteOnClose, false);
    window.resize(1000, 700);
    window.move(20, 20);
    window.show();
    if (!window.startCamera(identifier))
        return 1;
    window.retranslate();
    auto* measure = window.findChild<MeasureTools*>("measureTools");
    auto* view = window.findChild<QGraphicsView*>("graphicsView");
    QWidget* viewport = view->viewport();
    bench::waitWithEvents(1200);

    auto* contextMenu = window.findChild<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
    for (int i = 0; i < zoomSteps; ++i)
        contextMenu->findChildren<QPushButton*>().last()->click();
    const QStringList names{"readout", "region", "line", "clipping", "focus", "peaking"};
    using Tool = MeasureTools::Tool;
    const Tool order[] = {Tool::PixelReadout, Tool::RegionStatistics, Tool::LineProfile,
                          Tool::Clipping,     Tool::FocusScore,       Tool::FocusPeaking};
    for (int i = 0; i < names.size(); ++i) {
        if (!tools.contains(names[i]))
            continue;
        measure->setOn(order[i], true);
        const QSize size = viewport->size();
        if (order[i] == Tool::RegionStatistics)
            bench::drag(viewport, QPoint(size.width() * 55 / 100, size.height() * 20 / 100),
                        QPoint(size.width() * 85 / 100, size.height() * 55 / 100));
        if (order[i] == Tool::LineProfile)
            bench::drag(viewport, QPoint(size.width() * 10 / 100, size.height() * 70 / 100),
                        QPoint(size.width() * 90 / 100, size.height() * 62 / 100));
    }
    if (focusSweep)
        sweepFocus(window, measure);
    const QPoint rest(viewport->width() * 40 / 100, viewport->height() * 45 / 100);
    QCursor::setPos(viewport->mapToGlobal(rest));
    QMouseEvent move(QEvent::MouseMove, QPointF(rest), viewport->mapToGlobal(rest), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    if (openMenu) {
        auto* button = window.findChild<QPushButton*>("pushButton_measure");
        QTimer::singleShot(300, button, &QPushButton::showMenu);
    }
    QTimer::singleShot(seconds * 1000, &app, &QApplication::quit);
    return app.exec();
}
