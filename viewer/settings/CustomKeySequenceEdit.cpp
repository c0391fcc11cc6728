#include "CustomKeySequenceEdit.h"

#include "ConfigLogic.h"

CustomKeySequenceEdit::CustomKeySequenceEdit(QWidget* parent) : QKeySequenceEdit(parent) {}

void CustomKeySequenceEdit::keyPressEvent(QKeyEvent* event)
{
    QKeySequenceEdit::keyPressEvent(event);
    const QKeySequence single = configlogic::firstCombination(keySequence());
    setKeySequence(single);
    if (boundText)
        *boundText = single.toString(QKeySequence::NativeText);
}
