#include "SpinBoxInputNotice.h"

#include <QAbstractSpinBox>
#include <QKeyEvent>
#include <QLineEdit>

SpinBoxInputNotice::SpinBoxInputNotice(QObject* parent) : QObject(parent) {}

void SpinBoxInputNotice::watch(QAbstractSpinBox* spin)
{
    spin->installEventFilter(this);
}

QString SpinBoxInputNotice::typedText(const QString& text, int cursor, int selectionStart,
                                      int selectionLength, const QString& typed)
{
    QString result = text;
    if (selectionStart >= 0 && selectionLength > 0)
        return result.replace(selectionStart, selectionLength, typed);
    return result.insert(qBound(0, cursor, int(text.size())), typed);
}

bool SpinBoxInputNotice::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* spin = qobject_cast<QAbstractSpinBox*>(watched);
    auto* key = static_cast<QKeyEvent*>(event);
    // Only keys that insert characters can be swallowed; editing keys, shortcuts and
    // read-only fields are left alone.
    if (!spin || spin->isReadOnly() || key->text().isEmpty() || !key->text().at(0).isPrint() ||
        (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier)))
        return false;
    QLineEdit* edit = spin->findChild<QLineEdit*>();
    if (!edit)
        return false;
    const QString before = edit->text();
    const QString attempted = typedText(before, edit->cursorPosition(), edit->selectionStart(),
                                        edit->selectedText().size(), key->text());
    // The spin box handles the key here and now, so its text can be compared afterwards.
    // QObject::event is public; the filter has already let every later filter see it.
    static_cast<QObject*>(spin)->event(event);
    if (edit->text() == before && attempted != before)
        emit refused(spin, attempted);
    return true;
}
