#pragma once
#include <QWidget>

namespace Ui {
class AboutWidget;
}

// The About dialog: program name with the camera library's version, and who made it.
// A top-level window that deletes itself when closed.
class AboutWidget : public QWidget {
    Q_OBJECT
public:
    explicit AboutWidget(QWidget* parent = nullptr);
    ~AboutWidget() override;

private slots:
    void on_pushButton_clicked();

private:
    Ui::AboutWidget* ui;
};
