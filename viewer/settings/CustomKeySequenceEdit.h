#pragma once
#include <QKeySequenceEdit>

// A key sequence field that keeps a single key combination: the first one typed since
// editing began. Each key press also writes the combination's portable text into a bound
// text.
class CustomKeySequenceEdit : public QKeySequenceEdit {
    Q_OBJECT
public:
    explicit CustomKeySequenceEdit(QWidget* parent = nullptr);

    // The text to keep up to date; not owned, must outlive the field's key presses.
    void setBoundText(QString* text) { boundText = text; }

    // The one combination the field holds, also while editing is still going on.
    QKeySequence combination() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString* boundText = nullptr;
};
