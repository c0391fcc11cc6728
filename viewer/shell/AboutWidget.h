#pragma once
#include <QWidget>

namespace Ui {
class AboutWidget;
}

#include "SuiteEnvironment.h"

// The About dialog: program name with the camera library's version, who made it, and a
// link to the user manual in programDir (no link when the manual is not there).
// A top-level window that deletes itself when closed.
class AboutWidget : public QWidget {
    Q_OBJECT
public:
    explicit AboutWidget(QWidget* parent = nullptr,
                         const QString& programDir = suite::programDirectory());
    ~AboutWidget() override;

private slots:
    void on_pushButton_clicked();

private:
    Ui::AboutWidget* ui;
};
