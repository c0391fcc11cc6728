#include "GroupedLineLabel.h"

#include <QEvent>
#include <QFontMetrics>

#include "CameraWindowLogic.h"

GroupedLineLabel::GroupedLineLabel(const QString& separator, QWidget* parent)
    : QLabel(parent), separator(separator)
{
}

void GroupedLineLabel::setLine(const QString& line)
{
    whole = line;
    rewrap();
}

void GroupedLineLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    rewrap();
}

void GroupedLineLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        rewrap();
}

void GroupedLineLabel::rewrap()
{
    // QLabel leaves its text unchanged (and the layout alone) when the wrapped text is
    // the same, so the height this may change does not come back here as a new width.
    const QFontMetrics metrics(font());
    setText(windowlogic::wrapGroups(whole, separator, contentsRect().width(),
                                    [&](const QString& s) { return metrics.horizontalAdvance(s); }));
}
