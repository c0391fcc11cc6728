#include "WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace suite {

QPoint centredPosition(const QSize& frameSize, const QRect& ownerFrame, const QRect& available)
{
    QPoint corner = ownerFrame.center() - QPoint(frameSize.width() / 2, frameSize.height() / 2);
    if (available.isEmpty())
        return corner;
    // Right and bottom edges first, then left and top, so the top-left corner wins when
    // the window does not fit at all.
    corner.setX(std::min(corner.x(), available.right() + 1 - frameSize.width()));
    corner.setY(std::min(corner.y(), available.bottom() + 1 - frameSize.height()));
    corner.setX(std::max(corner.x(), available.left()));
    corner.setY(std::max(corner.y(), available.top()));
    return corner;
}

void showAttached(QWidget* window, QWidget* owner)
{
    if (owner) {
        QWidget* ownerWindow = owner->window();
        const Qt::WindowFlags hints = window->windowFlags() & ~Qt::WindowType_Mask;
        window->setParent(ownerWindow, hints | Qt::Dialog);
        QScreen* screen = ownerWindow->screen();
        if (!screen)
            screen = QGuiApplication::primaryScreen();
        const QRect available = screen ? screen->availableGeometry() : QRect();
        // Before the first show the frame is not known yet: the window's own size, grown
        // to what its layout needs (longer English texts), with a frame like the owner's.
        const QSize frame = ownerWindow->frameGeometry().size() - ownerWindow->geometry().size();
        const QSize size = window->size().expandedTo(window->minimumSizeHint()) + frame;
        window->move(centredPosition(size, ownerWindow->frameGeometry(), available));
    }
    window->show();
}

}  // namespace suite
