#include "GroupedLineLabel.h"

#include <QEvent>
#include <QFontMetrics>

#include "CameraWindowLogic.h"

GroupedLineLabel::GroupedLineLabel(QWidget* parent) : QLabel(parent) {}

void GroupedLineLabel::setSeparator(const QString& newSeparator)
{
    adoptPlainText();
    separator = newSeparator;
    rewrap();
}

void GroupedLineLabel::setLine(const QString& line)
{
    whole = line;
    rewrap();
}

QString GroupedLineLabel::line()
{
    adoptPlainText();
    return whole;
}

void GroupedLineLabel::resizeEvent(QResizeEvent* event)
{
    QLabel::resizeEvent(event);
    adoptPlainText();
    rewrap();
}

void GroupedLineLabel::changeEvent(QEvent* event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        adoptPlainText();
        rewrap();
    }
}

void GroupedLineLabel::adoptPlainText()
{
    // Text set through QLabel::setText (or clear) replaces the line, so a later resize
    // never brings an older line back.
    if (text() != shown)
        whole = shown = text();
}

void GroupedLineLabel::rewrap()
{
    // QLabel leaves its text unchanged (and the layout alone) when the wrapped text is
    // the same, so the height this may change does not come back here as a new width.
    if (whole.contains(separator)) {
        const QFontMetrics metrics(font());
        shown = windowlogic::wrapGroups(whole, separator, contentsRect().width(),
                                        [&](const QString& s) { return metrics.horizontalAdvance(s); });
    } else {
        shown = whole;
    }
    setText(shown);
}
