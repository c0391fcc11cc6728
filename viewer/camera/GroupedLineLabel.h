#pragma once
#include <QLabel>
#include <QString>

// A status line of groups ("a · b · c") that a narrow window wraps between its groups (a
// group wider than the window between its words), so no counter is cut off and none is
// parted from its name.
class GroupedLineLabel : public QLabel {
    Q_OBJECT
public:
    GroupedLineLabel(const QString& separator, QWidget* parent);
    void setLine(const QString& line);
    QString line() const { return whole; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void rewrap();
    const QString separator;
    QString whole;
};
