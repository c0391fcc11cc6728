#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// Where the programs' own windows (settings, histogram, region, About, open camera) go:
// on the window they were opened from, never somewhere off screen.
namespace suite {

// Top-left corner of a window of frameSize centred on the owner's frame, moved back inside
// available (the owner's screen) where it would stick out. A window larger than the
// screen keeps its top-left corner on it, so its title bar stays reachable.
QPoint centredPosition(const QSize& frameSize, const QRect& ownerFrame, const QRect& available);

// Makes window a dialog window of owner's window (it stays above it, closes with the
// program and the window manager treats it as belonging to it), keeping the window's own
// title-bar hints, and shows it centred on owner. Without an owner it is only shown.
void showAttached(QWidget* window, QWidget* owner);

}  // namespace suite
