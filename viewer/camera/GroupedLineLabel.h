#pragma once
#include <QLabel>
#include <QString>

// A status line of groups ("a | b | c") that a narrow window wraps between its groups (a
// group wider than the window between its words), so no number is cut off and none is
// parted from its name. Text without the separator, and text given by QLabel::setText,
// is shown as QLabel shows it.
class GroupedLineLabel : public QLabel {
    Q_OBJECT
public:
    explicit GroupedLineLabel(QWidget* parent = nullptr);
    void setSeparator(const QString& separator);
    void setLine(const QString& line);
    // The line as given, without the breaks the width put in.
    QString line();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void adoptPlainText();
    void rewrap();
    QString separator = QStringLiteral(" | ");
    QString whole;
    QString shown;
};
