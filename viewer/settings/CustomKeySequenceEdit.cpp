#include "CustomKeySequenceEdit.h"

#include <QLineEdit>

#include "ConfigLogic.h"

CustomKeySequenceEdit::CustomKeySequenceEdit(QWidget* parent) : QKeySequenceEdit(parent)
{
    // Once editing has ended the later combinations can go for good.
    connect(this, &QKeySequenceEdit::editingFinished, this, [this]() {
        const QKeySequence single = combination();
        if (single != keySequence())
            setKeySequence(single);
    });
}

QKeySequence CustomKeySequenceEdit::combination() const
{
    return configlogic::firstCombination(keySequence());
}

void CustomKeySequenceEdit::keyPressEvent(QKeyEvent* event)
{
    QKeySequenceEdit::keyPressEvent(event);
    const QKeySequence single = combination();
    if (single != keySequence()) {
        // Setting the sequence now would restart editing and make the next key the first
        // again, so only the shown text is cut to the first combination.
        if (auto* text = findChild<QLineEdit*>())
            text->setText(single.toString(QKeySequence::NativeText));
    }
    // The kept text is portable: the native one carries Qt's translated key names
    // ("空格" for Space with Qt's Chinese texts), which the camera windows do not match.
    if (boundText)
        *boundText = single.toString(QKeySequence::PortableText);
}
