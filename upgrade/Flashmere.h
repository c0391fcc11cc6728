#pragma once
#include <QPointer>
#include <QWidget>

#include <memory>

namespace Ui {
class Flashmere;
}
class CbUpdateCamera;

// Main window of the firmware upgrade tool: the attached cameras, the upgrade file and the
// progress of the one upgrade that may run at a time.
class Flashmere : public QWidget {
    Q_OBJECT
public:
    explicit Flashmere(QWidget* parent = nullptr);
    // Waits for a running upgrade to end: the camera must not be left half-written.
    ~Flashmere() override;

protected:
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_pushButton_open_clicked();
    void on_pushButton_upgrade_clicked();
    void on_pushButton_clicked();
    void SendStatus(int percent);
    void SendRes(int result);

private:
    QString chooseUpgradeFile();
    // Closes the worker's camera and deletes the worker; the worker's thread has ended.
    void releaseWorker();

    std::unique_ptr<Ui::Flashmere> ui;
    QPointer<CbUpdateCamera> worker;
};
