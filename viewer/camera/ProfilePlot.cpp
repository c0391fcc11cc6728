#include "ProfilePlot.h"

#include <QPainter>
#include <QPainterPath>

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
    for (int c = 0; c < curves; ++c) {
        QPainterPath path;
        for (int i = 0; i < samples; ++i) {
            const QPointF point(area.left() + i * step,
                                area.bottom() - area.height() * shown.values[c][i] / 255.0);
            if (i == 0)
                path.moveTo(point);
            else
                path.lineTo(point);
        }
        painter.setPen(QPen(mono ? QColor(230, 230, 230) : colours[c], 1.2));
        painter.drawPath(path);
    }
}
