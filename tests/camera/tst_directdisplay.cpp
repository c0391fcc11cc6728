// Frames put straight from shared memory to an X server: a private Xvfb started by this
// program, so the camera window runs on the xcb platform without touching any other
// display. The screen is read back with XGetImage and compared with what Qt would paint.
#include <fcntl.h>
#include <sys/prctl.h>
#include <unistd.h>
#include <QGraphicsView>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>
#include <csignal>
#include <cstdlib>
#include <memory>

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include "CameraThread.h"
#include "DirectFrameDisplay.h"
#include "ModalDialogWatcher.h"
#include "SimulatedCameras.h"

namespace {

constexpr int kDeadlineMs = 30000;

// An Xvfb of this process's own, on the first free display, listening on no network. It
// ends with the process rather than with this object: connections closed after main
// returns still need it.
class PrivateXServer {
public:
    PrivateXServer()
    {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            const std::string fd = std::to_string(fds[1]);
            // It ends with this process, however that ends; and keeps none of its output
            // streams, which a test runner waits to see closed. Its complaints about
            // displays in use while it looks for a free one are noise.
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            const int null = open("/dev/null", O_RDWR);
            if (null >= 0) {
                dup2(null, STDIN_FILENO);
                dup2(null, STDOUT_FILENO);
                dup2(null, STDERR_FILENO);
            }
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-nolisten", "tcp", "-screen", "0",
                   "1280x1024x24", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        if (pid < 0) {
            close(fds[0]);
            return;
        }
        // Xvfb writes the display number once it accepts connections.
        char text[16] = {};
        std::size_t used = 0;
        while (used + 1 < sizeof(text)) {
            const ssize_t n = read(fds[0], text + used, sizeof(text) - 1 - used);
            if (n <= 0 || text[used + n - 1] == '\n') {
                used += n > 0 ? std::size_t(n) : 0;
                break;
            }
            used += std::size_t(n);
        }
        close(fds[0]);
        const QByteArray number = QByteArray(text, int(used)).trimmed();
        if (!number.isEmpty())
            name = ":" + number;
    }
    QByteArray display() const { return name; }

private:
    QByteArray name;
};

// Counts the paint events Qt sends a widget.
class PaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return false;
    }
};

}  // namespace

class DirectDisplayTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void cleanup();
    void cleanupTestCase();

    void screenShowsTheFrameAtItsOwnSize_data();
    void screenShowsTheFrameAtItsOwnSize();
    void lastFrameShowsWhenUncovered();
    void otherFramesTakeQtsPath_data();
    void otherFramesTakeQtsPath();
    void segmentsAreDetachedWhenTheCameraCloses();
    void widgetsOverTheViewAreLeftToQt();
    void toolBarIsBlendedOverEachFrame();

private:
    QGraphicsView* view() const { return window->findChild<QGraphicsView*>("graphicsView"); }
    directdisplay::DirectFrameOutput* output() const
    {
        return view()->findChild<directdisplay::DirectFrameOutput*>();
    }
    bool openCamera();
    // Runs the event loop until a frame has been put directly; false after the deadline.
    bool waitForDirectFrame();
    // The viewport as on the screen, read from the X server, against the viewport as Qt
    // paints it now: the number of pixels that differ by more than tolerance in a channel.
    int pixelsDifferingFromQt(int tolerance = 0);

    QTemporaryDir folder;
    Display* display = nullptr;
    std::unique_ptr<ModalDialogWatcher> watcher;
    std::unique_ptr<CameraThread> window;
};

void DirectDisplayTest::initTestCase()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        QSKIP("Xvfb could not be started");
    QVERIFY(folder.isValid());
    QVERIFY(testcameras::install(folder));
    display = XOpenDisplay(nullptr);
    QVERIFY(display);
    QVERIFY(directdisplay::memorySource());
}

void DirectDisplayTest::init()
{
    watcher = std::make_unique<ModalDialogWatcher>();
    window = std::make_unique<CameraThread>();
    window->setAttribute(Qt::WA_DeleteOnClose, false);
    window->move(0, 0);
    window->resize(900, 700);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    // The floating tool bar shows while the pointer is over the view's lower part.
    QCursor::setPos(1270, 1010);
}

void DirectDisplayTest::cleanup()
{
    window.reset();
    watcher.reset();
}

void DirectDisplayTest::cleanupTestCase()
{
    if (display)
        XCloseDisplay(display);
}

bool DirectDisplayTest::openCamera()
{
    // The first frame fits the view to the frame; tests start after it.
    const int shown = window->shownFrameCount();
    if (!window->startCamera(QString::fromLatin1(testcameras::kOddWidth)))
        return false;
    if (!QTest::qWaitFor([&]() { return window->shownFrameCount() > shown; }, kDeadlineMs))
        return false;
    // The status line's first report comes about a second later and changes the layout,
    // which moves the view and has Qt repaint it.
    QTest::qWait(1500);
    return true;
}

bool DirectDisplayTest::waitForDirectFrame()
{
    const quint64 before = output()->framesPutHere();
    QElapsedTimer clock;
    clock.start();
    while (output()->framesPutHere() == before) {
        if (clock.elapsed() > kDeadlineMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    output()->finishPuts();  // the put has reached the screen
    return true;
}

int DirectDisplayTest::pixelsDifferingFromQt(int tolerance)
{
    QWidget* viewport = view()->viewport();
    const QPoint at = viewport->mapTo(window.get(), QPoint(0, 0));
    // The window's rendering of the viewport's area holds the widgets over it as well.
    const QImage painted = window->grab(QRect(at, viewport->size()))
                               .toImage()
                               .convertToFormat(QImage::Format_RGB32);
    XSync(display, False);
    XImage* shown =
        XGetImage(display, window->windowHandle()->winId(), at.x(), at.y(),
                  unsigned(viewport->width()), unsigned(viewport->height()), AllPlanes, ZPixmap);
    if (!shown)
        return -1;
    int differing = 0;
    for (int y = 0; y < painted.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(painted.constScanLine(y));
        for (int x = 0; x < painted.width(); ++x) {
            const unsigned long pixel = XGetPixel(shown, x, y);
            if (std::abs(int((pixel >> 16) & 0xff) - qRed(row[x])) > tolerance ||
                std::abs(int((pixel >> 8) & 0xff) - qGreen(row[x])) > tolerance ||
                std::abs(int(pixel & 0xff) - qBlue(row[x])) > tolerance)
                ++differing;
        }
    }
    XDestroyImage(shown);
    return differing;
}

void DirectDisplayTest::screenShowsTheFrameAtItsOwnSize_data()
{
    QTest::addColumn<QSize>("windowSize");
    QTest::addColumn<QPoint>("scroll");
    QTest::newRow("frame centred in a larger view") << QSize(900, 700) << QPoint();
    QTest::newRow("odd view size") << QSize(803, 611) << QPoint();
    QTest::newRow("frame larger than the view, scrolled") << QSize(420, 330) << QPoint(97, 61);
}

void DirectDisplayTest::screenShowsTheFrameAtItsOwnSize()
{
    QFETCH(QSize, windowSize);
    QFETCH(QPoint, scroll);
    window->resize(windowSize);
    QVERIFY(openCamera());
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);  // original size
    QCOMPARE(window->zoomFactor(), 1.0);
    if (!scroll.isNull()) {
        view()->horizontalScrollBar()->setValue(scroll.x());
        view()->verticalScrollBar()->setValue(scroll.y());
    }
    QTRY_VERIFY_WITH_TIMEOUT(window->findChild<QWidget*>("widget")->isHidden(), kDeadlineMs);
    // Frames differ from one to the next, so a put in the wrong place, or a frame that did
    // not reach the screen, differs from what Qt paints.
    for (int i = 0; i < 5; ++i) {
        QVERIFY(waitForDirectFrame());
        QCOMPARE(pixelsDifferingFromQt(), 0);
    }
}

void DirectDisplayTest::lastFrameShowsWhenUncovered()
{
    QVERIFY(openCamera());
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    QVERIFY(waitForDirectFrame());
    QVERIFY(waitForDirectFrame());
    // Frames stop with nothing else on the window changing, as between triggers.
    window->acquisitionThread()->setPlaying(false);
    QTRY_VERIFY_WITH_TIMEOUT(output()->qtCopyUpToDate(), kDeadlineMs);
    // Another window over part of ours, then gone, as a menu would be: Qt answers the
    // exposure from its own copy of the window, which must hold the last frame, not one
    // from before the frames went straight to the screen. (A window covered whole is
    // repainted.)
    const QRect area(view()->viewport()->mapToGlobal(QPoint(200, 150)), QSize(300, 200));
    const Window cover =
        XCreateSimpleWindow(display, DefaultRootWindow(display), area.x(), area.y(),
                            unsigned(area.width()), unsigned(area.height()), 0, 0, 0xff00ff);
    XSetWindowAttributes attributes{};
    attributes.override_redirect = True;
    XChangeWindowAttributes(display, cover, CWOverrideRedirect, &attributes);
    XMapRaised(display, cover);
    XSync(display, False);
    QTest::qWait(200);
    XUnmapWindow(display, cover);
    XDestroyWindow(display, cover);
    XSync(display, False);
    QTRY_COMPARE_WITH_TIMEOUT(pixelsDifferingFromQt(), 0, kDeadlineMs);
}

void DirectDisplayTest::otherFramesTakeQtsPath_data()
{
    QTest::addColumn<QString>("setting");
    QTest::newRow("scaled down to fit") << "fit";
    QTest::newRow("zoomed in") << "zoom";
    QTest::newRow("frames read for the histogram") << "reader";
}

void DirectDisplayTest::otherFramesTakeQtsPath()
{
    QFETCH(QString, setting);
    window->resize(400, 360);
    QVERIFY(openCamera());
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    QVERIFY(waitForDirectFrame());
    if (setting == "fit") {
        QTest::keyClick(window.get(), Qt::Key_P, Qt::ControlModifier);
        QVERIFY(window->zoomFactor() < 1.0);
    } else if (setting == "zoom") {
        view()->setTransform(QTransform::fromScale(1.5, 1.5));
    } else {
        connect(window.get(), &CameraThread::frameShown, this, [](const QImage&) {});
    }
    // A frame made before the change may still come as it was.
    const int changed = window->shownFrameCount();
    QTRY_VERIFY_WITH_TIMEOUT(window->shownFrameCount() >= changed + 3, kDeadlineMs);
    const quint64 put = output()->framesPutHere();
    const int shown = window->shownFrameCount();
    QTRY_VERIFY_WITH_TIMEOUT(window->shownFrameCount() >= shown + 10, kDeadlineMs);
    QCOMPARE(output()->framesPutHere(), put);
}

void DirectDisplayTest::segmentsAreDetachedWhenTheCameraCloses()
{
    for (int round = 0; round < 2; ++round) {
        QVERIFY(openCamera());
        QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
        QVERIFY(waitForDirectFrame());
        QVERIFY(waitForDirectFrame());
        // The hand-over's three slots at most.
        QVERIFY(directdisplay::attachedSegments() >= 1);
        QVERIFY(directdisplay::attachedSegments() <= 3);
        window->closeCamera();
        QTRY_COMPARE_WITH_TIMEOUT(directdisplay::attachedSegments(), 0, kDeadlineMs);
    }
}

void DirectDisplayTest::widgetsOverTheViewAreLeftToQt()
{
    QWidget top;
    top.resize(400, 300);
    auto* below = new QWidget(&top);  // stacked under the view: not over it
    below->setGeometry(0, 0, 400, 300);
    auto* frame = new QWidget(&top);
    frame->setGeometry(10, 20, 300, 200);
    auto* viewport = new QWidget(frame);
    viewport->setGeometry(5, 5, 290, 190);
    auto* inViewport = new QWidget(viewport);
    inViewport->setGeometry(1, 2, 3, 4);
    auto* overFrame = new QWidget(frame);
    overFrame->setGeometry(100, 150, 50, 20);
    auto* overTop = new QWidget(&top);
    overTop->setGeometry(0, 0, 30, 40);
    auto* hidden = new QWidget(&top);
    hidden->setGeometry(0, 0, 400, 300);
    auto* beside = new QWidget(&top);
    beside->setGeometry(320, 0, 80, 300);
    top.show();
    hidden->hide();

    QRegion expected = QRect(1, 2, 3, 4);
    expected += QRect(95, 145, 50, 20);
    expected += QRect(0, 0, 30, 40).translated(-15, -25) & viewport->rect();
    QCOMPARE(directdisplay::coveredByWidgets(viewport), expected);
    // The widget drawn by the output itself is left out, and only that one.
    QCOMPARE(directdisplay::coveredByWidgets(viewport, overFrame),
             expected - QRect(95, 145, 50, 20));

    overFrame->raise();
    frame->raise();  // now above overTop and beside
    QCOMPARE(directdisplay::coveredByWidgets(viewport),
             QRegion(1, 2, 3, 4) + QRect(95, 145, 50, 20));
}

void DirectDisplayTest::toolBarIsBlendedOverEachFrame()
{
    QVERIFY(openCamera());
    QTest::keyClick(window.get(), Qt::Key_W, Qt::ControlModifier);
    QWidget* viewport = view()->viewport();
    QWidget* toolBar = window->findChild<QWidget*>("widget");
    QCursor::setPos(viewport->mapToGlobal(QPoint(viewport->width() / 2, viewport->height() - 20)));
    QTRY_VERIFY_WITH_TIMEOUT(toolBar->isVisible(), kDeadlineMs);
    // The translucent tool bar over moving frames is on the screen as Qt paints it (within
    // the rounding of blending its picture rather than painting it onto the frame)...
    for (int i = 0; i < 5; ++i) {
        QVERIFY(waitForDirectFrame());
        QCOMPARE(pixelsDifferingFromQt(2), 0);
    }
    // ...though Qt does not paint it for each frame (at most for the output's refresh of
    // Qt's copy of the window, once a second; reading Qt's painting back paints it too).
    PaintCounter counter;
    toolBar->installEventFilter(&counter);
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < 10; ++i)
        QVERIFY(waitForDirectFrame());
    toolBar->removeEventFilter(&counter);
    QVERIFY2(counter.paints <= 2 + clock.elapsed() / 1000, qPrintable(QString::number(counter.paints)));
    // A button that changes its look: the frames after it show the new look.
    auto* button = window->findChild<QPushButton*>("pushButton_photogrape");
    button->setDown(true);
    for (int i = 0; i < 3; ++i)
        QVERIFY(waitForDirectFrame());
    QCOMPARE(pixelsDifferingFromQt(2), 0);
    button->setDown(false);
}

int main(int argc, char** argv)
{
    PrivateXServer server;
    if (!server.display().isEmpty()) {
        qputenv("DISPLAY", server.display());
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
    QApplication app(argc, argv);
    DirectDisplayTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_directdisplay.moc"
