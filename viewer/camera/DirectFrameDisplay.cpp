#include "DirectFrameDisplay.h"

#include <QChildEvent>
#include <QDebug>
#include <QGraphicsItem>
#include <QGraphicsView>
#include <QGuiApplication>
#include <QPainter>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <cstring>
#include <map>
#include <mutex>

#ifdef VEXO_HAVE_XSHM
#include <sys/ipc.h>
#include <sys/shm.h>

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#endif

namespace directdisplay {

namespace {

constexpr int kCheckIntervalMs = 100;
// While frames come, Qt repaints one every this many checks.
constexpr int kRefreshEveryChecks = 10;

bool integral(qreal v)
{
    return std::abs(v - std::round(v)) < 1e-6;
}

#ifdef VEXO_HAVE_XSHM

// A SysV segment, removed as soon as it is made: it goes away when the last process
// attached to it (this one or the X server) detaches, even if this one crashes.
class SharedSegment : public framehandover::FrameMemory {
public:
    SharedSegment(int id, uchar* address) : shmId(id), address(address) {}
    ~SharedSegment() override;
    uchar* data() override { return address; }
    int id() const { return shmId; }

private:
    const int shmId;
    uchar* const address;
};

// Segments by address, so that a frame's memory is found from its image.
std::mutex segmentsMutex;
std::map<const uchar*, std::weak_ptr<SharedSegment>>& segmentsByAddress()
{
    static std::map<const uchar*, std::weak_ptr<SharedSegment>> segments;
    return segments;
}

SharedSegment::~SharedSegment()
{
    {
        std::lock_guard<std::mutex> lock(segmentsMutex);
        segmentsByAddress().erase(address);
    }
    shmdt(address);
}

std::shared_ptr<framehandover::FrameMemory> newSegment(std::size_t bytes)
{
    const int id = shmget(IPC_PRIVATE, bytes, IPC_CREAT | 0600);
    if (id < 0)
        return nullptr;
    void* at = shmat(id, nullptr, 0);
    // Linux lets the X server attach a segment already marked for removal.
    shmctl(id, IPC_RMID, nullptr);
    if (at == reinterpret_cast<void*>(-1))
        return nullptr;
    auto segment = std::make_shared<SharedSegment>(id, static_cast<uchar*>(at));
    std::lock_guard<std::mutex> lock(segmentsMutex);
    segmentsByAddress()[segment->data()] = segment;
    return segment;
}

std::shared_ptr<SharedSegment> segmentAt(const uchar* address)
{
    std::lock_guard<std::mutex> lock(segmentsMutex);
    auto it = segmentsByAddress().find(address);
    return it == segmentsByAddress().end() ? nullptr : it->second.lock();
}

// The X side, on a connection of its own, used in the GUI thread only. A put asks for the
// server's completion event, and finishPuts() waits for it: once it returns the server has
// read the frame, so the hand-over may refill its memory. By the next frame the event has
// nearly always come, so the GUI thread seldom waits for the server. Any X error ends
// direct display for the process.
class XShmScreen {
public:
    static XShmScreen& instance()
    {
        static XShmScreen screen;
        return screen;
    }

    bool usable() const { return display && !failed; }
    // Puts region (viewport coordinates) of image, whose origin lies at frameInViewport,
    // into window, whose size Qt has as windowSize.
    bool put(unsigned long window, const QSize& windowSize, const QImage& image,
             const QPoint& viewportInWindow, const QPoint& frameInViewport, const QRegion& region);
    // Returns once the server has read every frame put so far. False when an X error came
    // (direct display is then off; the last frame put may not be on the screen).
    bool finishPuts();
    // Detaches the segments nobody but the server uses any more.
    void releaseUnused();
    int attachedCount() const { return int(attached.size()); }

private:
    struct Attachment {
        std::shared_ptr<SharedSegment> segment;
        XShmSegmentInfo info{};
        XImage* image = nullptr;
    };
    struct WindowInfo {
        bool suitable = false;
        Visual* visual = nullptr;
        unsigned long root = 0;
        QSize size;  // Qt's size of the window when this was asked
    };

    XShmScreen();
    ~XShmScreen();
    bool attach(Attachment& attachment);
    bool ensureImage(Attachment& attachment, const QImage& image, Visual* visual);
    const WindowInfo& windowInfo(unsigned long window, const QSize& size);
    bool checkErrors(const char* what);
    static void destroyImage(XImage* image);
    static int onError(Display* display, XErrorEvent* event);

    Display* display = nullptr;
    bool failed = false;
    int completionType = 0;    // the event type of XShmCompletionEvent on this connection
    int completionsOwed = 0;   // puts whose completion event has not been read yet
    std::map<int, Attachment> attached;
    std::map<unsigned long, WindowInfo> windows;
    std::map<unsigned long, GC> gcByRoot;

    static Display* errorDisplay;
    static int lastError;
    static int (*previousHandler)(Display*, XErrorEvent*);
};

Display* XShmScreen::errorDisplay = nullptr;
int XShmScreen::lastError = 0;
int (*XShmScreen::previousHandler)(Display*, XErrorEvent*) = nullptr;

int XShmScreen::onError(Display* display, XErrorEvent* event)
{
    if (display == errorDisplay) {
        lastError = event->error_code;
        return 0;
    }
    return previousHandler ? previousHandler(display, event) : 0;
}

XShmScreen::XShmScreen()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb") ||
        qgetenv("VEXO_DIRECT_DISPLAY") == "0")
        return;
    display = XOpenDisplay(nullptr);
    if (!display)
        return;
    errorDisplay = display;
    previousHandler = XSetErrorHandler(&XShmScreen::onError);
    int major = 0;
    int minor = 0;
    Bool pixmaps = False;
    if (!XShmQueryVersion(display, &major, &minor, &pixmaps) ||
        ImageByteOrder(display) != LSBFirst) {
        failed = true;
        return;
    }
    completionType = XShmGetEventBase(display) + ShmCompletion;
    // A server on another machine reports MIT-SHM but cannot attach our memory.
    auto probe = std::static_pointer_cast<SharedSegment>(newSegment(4096));
    Attachment test;
    test.segment = probe;
    if (!probe || !attach(test)) {
        failed = true;
        return;
    }
    XShmDetach(display, &test.info);
    XSync(display, False);
}

XShmScreen::~XShmScreen()
{
    if (!display)
        return;
    for (auto& entry : attached) {
        destroyImage(entry.second.image);
        XShmDetach(display, &entry.second.info);
    }
    attached.clear();
    for (auto& entry : gcByRoot)
        XFreeGC(display, entry.second);
    XSetErrorHandler(previousHandler);
    XCloseDisplay(display);
}

bool XShmScreen::checkErrors(const char* what)
{
    if (lastError == 0)
        return true;
    qWarning() << "Direct frame display off after X error" << lastError << "in" << what;
    lastError = 0;
    failed = true;
    return false;
}

bool XShmScreen::attach(Attachment& attachment)
{
    attachment.info.shmid = attachment.segment->id();
    attachment.info.shmaddr = reinterpret_cast<char*>(attachment.segment->data());
    attachment.info.readOnly = True;
    if (!XShmAttach(display, &attachment.info))
        return false;
    XSync(display, False);
    return checkErrors("XShmAttach");
}

void XShmScreen::destroyImage(XImage* image)
{
    if (!image)
        return;
    image->data = nullptr;  // the segment's, not the image's
    XDestroyImage(image);
}

bool XShmScreen::ensureImage(Attachment& attachment, const QImage& image, Visual* visual)
{
    const int rowPixels = image.bytesPerLine() / 4;
    char* data = reinterpret_cast<char*>(const_cast<uchar*>(image.constBits()));
    XImage* x = attachment.image;
    if (x && x->width == rowPixels && x->height == image.height() && x->data == data)
        return true;
    destroyImage(x);
    attachment.image = XShmCreateImage(display, visual, 24, ZPixmap, data, &attachment.info,
                                       unsigned(rowPixels), unsigned(image.height()));
    x = attachment.image;
    return x && x->bits_per_pixel == 32 && x->bytes_per_line == image.bytesPerLine();
}

const XShmScreen::WindowInfo& XShmScreen::windowInfo(unsigned long window, const QSize& size)
{
    auto found = windows.find(window);
    if (found != windows.end() && found->second.size == size)
        return found->second;
    WindowInfo info;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) && attributes.visual) {
        const Visual* v = attributes.visual;
        // The byte order of Qt's 32-bit RGB images, and the size Qt gave the window: the
        // connection is opened on $DISPLAY, and a window of that number on another server
        // (Qt started with -display) would be someone else's.
        info.suitable = attributes.depth == 24 && v->red_mask == 0xff0000 &&
                        v->green_mask == 0xff00 && v->blue_mask == 0xff &&
                        QSize(attributes.width, attributes.height) == size;
        info.visual = attributes.visual;
        info.root = attributes.root;
    }
    info.size = size;
    if (windows.size() > 64)
        windows.clear();
    return windows[window] = info;
}

bool XShmScreen::put(unsigned long window, const QSize& windowSize, const QImage& image,
                     const QPoint& viewportInWindow, const QPoint& frameInViewport,
                     const QRegion& region)
{
    if (!usable())
        return false;
    const std::shared_ptr<SharedSegment> segment = segmentAt(image.constBits());
    if (!segment)
        return false;
    const WindowInfo& target = windowInfo(window, windowSize);
    if (!checkErrors("XGetWindowAttributes") || !target.suitable)
        return false;

    auto found = attached.find(segment->id());
    if (found == attached.end()) {
        releaseUnused();
        Attachment attachment;
        attachment.segment = segment;
        if (!attach(attachment))
            return false;
        found = attached.emplace(segment->id(), attachment).first;
    }
    Attachment& attachment = found->second;
    if (!ensureImage(attachment, image, target.visual))
        return false;
    GC& gc = gcByRoot[target.root];
    if (!gc)
        gc = XCreateGC(display, window, 0, nullptr);
    if (region.isEmpty())
        return true;
    // The server handles a connection's requests in order: the last put's completion
    // means every earlier one is done too.
    const QRect* const last = region.end() - 1;
    for (const QRect* r = region.begin(); r != region.end(); ++r) {
        XShmPutImage(display, window, gc, attachment.image, r->x() - frameInViewport.x(),
                     r->y() - frameInViewport.y(), viewportInWindow.x() + r->x(),
                     viewportInWindow.y() + r->y(), unsigned(r->width()),
                     unsigned(r->height()), r == last ? True : False);
    }
    ++completionsOwed;
    XFlush(display);
    return true;
}

bool XShmScreen::finishPuts()
{
    if (!display || completionsOwed == 0)
        return true;
    // Reads what the server has sent without waiting; only if a completion is still owed
    // after that, a round trip (after which every one is queued) makes sure.
    XEvent event;
    XEventsQueued(display, QueuedAfterReading);
    while (completionsOwed > 0 && XCheckTypedEvent(display, completionType, &event))
        --completionsOwed;
    if (completionsOwed > 0) {
        XSync(display, False);
        while (XCheckTypedEvent(display, completionType, &event)) {
        }
        completionsOwed = 0;
    }
    return checkErrors("XShmPutImage");
}

void XShmScreen::releaseUnused()
{
    if (!display)
        return;
    finishPuts();
    bool detached = false;
    for (auto it = attached.begin(); it != attached.end();) {
        // Only this map holds the segment: the hand-over has let it go.
        if (it->second.segment.use_count() == 1) {
            destroyImage(it->second.image);
            XShmDetach(display, &it->second.info);
            detached = true;
            it = attached.erase(it);
        } else {
            ++it;
        }
    }
    if (detached)
        XFlush(display);
}

#endif  // VEXO_HAVE_XSHM

}  // namespace

framehandover::FrameMemorySource memorySource()
{
#ifdef VEXO_HAVE_XSHM
    if (XShmScreen::instance().usable())
        return &newSegment;
#endif
    return {};
}

int attachedSegments()
{
#ifdef VEXO_HAVE_XSHM
    return XShmScreen::instance().attachedCount();
#else
    return 0;
#endif
}

QRegion coveredByWidgets(const QWidget* viewport, const QWidget* except)
{
    auto over = [except](const QObject* object) {
        const auto* widget = qobject_cast<const QWidget*>(object);
        return widget && widget != except && widget->isVisible() && !widget->isWindow() ? widget
                                                                                         : nullptr;
    };
    QRegion covered;
    for (const QObject* child : viewport->children()) {
        if (const QWidget* widget = over(child))
            covered += widget->geometry();
    }
    QPoint offset;  // the origin of the current ancestor's parent, in viewport coordinates
    for (const QWidget* w = viewport; !w->isWindow() && w->parentWidget(); w = w->parentWidget()) {
        offset -= w->pos();
        const QObjectList& siblings = w->parentWidget()->children();
        for (int i = siblings.indexOf(const_cast<QWidget*>(w)) + 1; i < siblings.size(); ++i) {
            if (const QWidget* widget = over(siblings.at(i)))
                covered += widget->geometry().translated(offset);
        }
    }
    return covered & viewport->rect();
}

DirectFrameOutput::DirectFrameOutput(QGraphicsView* view) : QObject(view), view(view)
{
    refreshTimer.setInterval(kCheckIntervalMs);
    connect(&refreshTimer, &QTimer::timeout, this, &DirectFrameOutput::checkQtCopy);
}

DirectFrameOutput::~DirectFrameOutput()
{
    dropStage();
#ifdef VEXO_HAVE_XSHM
    XShmScreen::instance().releaseUnused();
#endif
}

void DirectFrameOutput::setOverlay(QWidget* widget)
{
    overlay = widget;
    overlayPictureStale = true;
    if (widget)
        watchOverlay(widget);
}

void DirectFrameOutput::watchOverlay(QObject* object)
{
    object->installEventFilter(this);
    for (QObject* child : object->children()) {
        if (child->isWidgetType())
            watchOverlay(child);
    }
}

bool DirectFrameOutput::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
        case QEvent::Paint:
            // Qt painted the overlay or a part of it: it may look different now.
            if (!renderingOverlay)
                overlayPictureStale = true;
            break;
        case QEvent::ChildAdded: {
            QObject* child = static_cast<QChildEvent*>(event)->child();
            if (child->isWidgetType())
                watchOverlay(child);
            overlayPictureStale = true;
            break;
        }
        case QEvent::ChildRemoved:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::StyleChange:
            overlayPictureStale = true;
            break;
        default:
            break;
    }
    return false;
}

void DirectFrameOutput::dropStage()
{
    overlayStage = QImage();
    stageMemory.reset();
}

bool DirectFrameOutput::composeOverlay(const QImage& image, const QRect& frame,
                                       const QRect& where)
{
#ifdef VEXO_HAVE_XSHM
    if (image.format() != QImage::Format_RGB32)
        return false;
    if (overlayPictureStale || overlayPicture.size() != where.size()) {
        overlayPicture = QImage(where.size(), QImage::Format_ARGB32_Premultiplied);
        overlayPicture.fill(Qt::transparent);
        renderingOverlay = true;
        overlay->render(&overlayPicture, QPoint(), QRegion(), QWidget::DrawChildren);
        renderingOverlay = false;
        overlayPictureStale = false;
    }
    if (overlayStage.size() != where.size()) {
        dropStage();
        stageMemory = newSegment(std::size_t(where.width()) * std::size_t(where.height()) * 4);
        if (!stageMemory)
            return false;
        overlayStage = QImage(stageMemory->data(), where.width(), where.height(),
                              where.width() * 4, QImage::Format_RGB32);
    }
    // The server may still be reading the stage of the frame before.
    if (!XShmScreen::instance().finishPuts())
        return false;
    const QPoint from = where.topLeft() - frame.topLeft();
    for (int y = 0; y < where.height(); ++y) {
        std::memcpy(overlayStage.scanLine(y), image.constScanLine(from.y() + y) + 4 * from.x(),
                    std::size_t(where.width()) * 4);
    }
    QPainter painter(&overlayStage);
    painter.drawImage(0, 0, overlayPicture);
    return true;
#else
    Q_UNUSED(image)
    Q_UNUSED(frame)
    Q_UNUSED(where)
    return false;
#endif
}

bool DirectFrameOutput::present(QGraphicsView* target, const QImage& image,
                                const QGraphicsItem& item, QRegion& area)
{
#ifdef VEXO_HAVE_XSHM
    if (target != view || !allowedFlag || image.depth() != 32 || image.bytesPerLine() % 4 != 0 ||
        !XShmScreen::instance().usable())
        return false;
    // Only where the frame's pixels are the screen's pixels.
    const QTransform toViewport = item.deviceTransform(view->viewportTransform());
    if (toViewport.type() > QTransform::TxTranslate || !integral(toViewport.dx()) ||
        !integral(toViewport.dy()))
        return false;
    QWidget* viewport = view->viewport();
    QWidget* top = viewport->window();
    QWindow* window = top->windowHandle();
    if (!window || !window->isExposed() || !viewport->isVisible() ||
        top->devicePixelRatioF() != 1.0)
        return false;

    const QRect frame(QPoint(qRound(toViewport.dx()), qRound(toViewport.dy())), image.size());
    const QRegion visible = viewport->visibleRegion() & frame;
    const QPoint viewportInWindow = viewport->mapTo(top, QPoint(0, 0));
    QRegion covered = coveredByWidgets(viewport) & frame;
    QRect overlayArea;
    if (overlay && overlay->isVisible() && overlay->window() == top && !covered.isEmpty()) {
        const QRegion others = coveredByWidgets(viewport, overlay) & frame;
        const QRect where(overlay->mapTo(top, QPoint(0, 0)) - viewportInWindow, overlay->size());
        // Drawn here only when it lies over visible frame pixels alone, under no other widget.
        if (covered != others && (QRegion(where) - visible).isEmpty() && !others.intersects(where) &&
            composeOverlay(image, frame, where)) {
            covered = others;
            overlayArea = where;
        }
    }
    const QRegion shown = visible - covered - overlayArea;
    XShmScreen& screen = XShmScreen::instance();
    if (!screen.put(window->winId(), top->size(), image, viewportInWindow, frame.topLeft(), shown))
        return false;
    if (!overlayArea.isEmpty() && !screen.put(window->winId(), top->size(), overlayStage,
                                              viewportInWindow, overlayArea.topLeft(),
                                              QRegion(overlayArea))) {
        covered += overlayArea;  // Qt paints it after all
    }
    area = covered;
    lastFrame = frame;
    qtCopyStale = true;
    ++puts;
    if (!refreshTimer.isActive())
        refreshTimer.start();
    return true;
#else
    Q_UNUSED(target)
    Q_UNUSED(image)
    Q_UNUSED(item)
    Q_UNUSED(area)
    return false;
#endif
}

void DirectFrameOutput::finishPuts()
{
#ifdef VEXO_HAVE_XSHM
    // After an X error the last frame put may be missing: Qt paints it.
    if (!XShmScreen::instance().finishPuts() && qtCopyStale)
        view->viewport()->update(lastFrame);
#endif
}

void DirectFrameOutput::checkQtCopy()
{
#ifdef VEXO_HAVE_XSHM
    XShmScreen::instance().releaseUnused();
#endif
    if (puts != putsAtLastCheck) {
        putsAtLastCheck = puts;
        if (++busyChecks < kRefreshEveryChecks)
            return;
    }
    busyChecks = 0;
    if (!qtCopyStale) {
        // Frames have stopped: the overlay's stage goes until they come again.
        refreshTimer.stop();
        dropStage();
#ifdef VEXO_HAVE_XSHM
        XShmScreen::instance().releaseUnused();
#endif
        return;
    }
    qtCopyStale = false;
    view->viewport()->update(lastFrame);
}

}  // namespace directdisplay
