#include "ProfilePlot.h"

#include <QPainter>
#include <QPolygonF>
#include <algorithm>

ProfilePlot::ProfilePlot(QWidget* parent) : QWidget(parent)
{
    setMinimumSize(240, 90);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void ProfilePlot::setProfile(const measurelogic::Profile& profile, bool monochrome)
{
    shown = profile;
    mono = monochrome;
    rendered = QPixmap();
    update();
}

void ProfilePlot::paintEvent(QPaintEvent*)
{
    if (rendered.size() != size())
        render();
    QPainter(this).drawPixmap(0, 0, rendered);
}

void ProfilePlot::render()
{
    rendered = QPixmap(size());
    rendered.fill(Qt::transparent);
    QPainter painter(&rendered);
    const QRectF area = QRectF(rect()).adjusted(2, 2, -2, -2);
    painter.fillRect(rect(), QColor(20, 20, 20, 200));
    painter.setPen(QColor(90, 90, 90));
    painter.drawRect(area);
    const int samples = shown.samples();
    if (samples < 1)
        return;
    painter.setRenderHint(QPainter::Antialiasing);
    const QColor colours[] = {QColor(255, 80, 80), QColor(80, 230, 80), QColor(90, 140, 255)};
    const int curves = mono ? 1 : measurelogic::kChannels;
    const double step = samples > 1 ? area.width() / double(samples - 1) : 0.0;
    // At most two points a device pixel: a long line's thousands of samples would cost
    // the display rate each time the profile changes, and show no more.
    const int columns = std::max(1, int(area.width()));
    for (int c = 0; c < curves; ++c) {
        const QVector<QPoint> points = measurelogic::plotPoints(shown.values[c], columns);
        QPolygonF curve;
        curve.reserve(points.size());
        for (const QPoint& p : points)
            curve.append(
                QPointF(area.left() + p.x() * step, area.bottom() - area.height() * p.y() / 255.0));
        // A one-pixel cosmetic pen takes the painter's fast path for thin lines.
        QPen pen(mono ? QColor(230, 230, 230) : colours[c], 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        painter.drawPolyline(curve);
    }
}
