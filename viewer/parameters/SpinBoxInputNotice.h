#pragma once

#include <QObject>
#include <QString>

class QAbstractSpinBox;

// Tells when a spin box swallows a typed character. A spin box refuses a key whose text
// would leave its range or its number of decimals, and on its own shows nothing: the
// user sees a digit vanish. Watching the spin boxes' keys, this object reports such a
// key with the text the user meant to have.
class SpinBoxInputNotice : public QObject
{
    Q_OBJECT
public:
    explicit SpinBoxInputNotice(QObject* parent = nullptr);

    void watch(QAbstractSpinBox* spin);

    // The text a key's characters give when typed into text at the cursor, replacing
    // the selection when there is one.
    static QString typedText(const QString& text, int cursor, int selectionStart,
                             int selectionLength, const QString& typed);

signals:
    void refused(QAbstractSpinBox* spin, const QString& attempted);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
