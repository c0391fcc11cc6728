#pragma once
// "相机属性": a window per open camera with every feature the camera library lists for
// it, as a tree by category, with an editor fitting each type, a visibility filter and a
// search field, saving and loading feature files. All camera access runs on the window's
// own worker thread; values refresh every refreshIntervalMs and right after each write.
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <memory>

#include "FeatureBrowserLogic.h"
#include "FeatureTreeModel.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;
class QTreeView;

class FeatureBrowser : public QWidget {
    Q_OBJECT
public:
    static constexpr int refreshIntervalMs = 700;

    // The browser of the camera handle, made and shown if there is none yet.
    static FeatureBrowser* showFor(int handle, const QString& cameraName,
                                   QWidget* parent = nullptr);
    // Closes the browser of handle (the camera closes).
    static void closeFor(int handle);
    static FeatureBrowser* browserOf(int handle);

    FeatureBrowser(int handle, const QString& cameraName, QWidget* parent = nullptr);
    ~FeatureBrowser() override;

    int cameraHandle() const { return handle; }
    FeatureTreeModel* featureModel() const { return model; }
    QString statusText() const;
    QString reportText() const;
    // What the save and load buttons do once a file is chosen.
    void saveToFile(const QString& path);
    void loadFromFile(const QString& path);

signals:
    // A write, command or load went to the camera; the panel reads the camera again.
    void featuresWritten(int handle);

protected:
    void changeEvent(QEvent* event) override;

private:
    void retranslate();
    void applyFilter();
    void refresh();
    void showListed(const QVector<features::Feature>& list, int code);
    void showReadings(const QVector<features::Reading>& readings);
    void showWritten(const QString& name, int code, const QString& reason);
    void showSaved(const QString& path, int code, const QString& detail);
    void showLoaded(const QString& path, const features::LoadReport& report, const QString& error);
    void placeCommandButtons();
    void setStatus(const QString& text);

    int handle;
    QString cameraName;
    features::SdkFeatureSource source;
    QThread workerThread;
    features::Worker* worker = nullptr;
    FeatureTreeModel* model = nullptr;
    QTreeView* view = nullptr;
    QLineEdit* searchEdit = nullptr;
    QComboBox* visibilityBox = nullptr;
    QPushButton* saveButton = nullptr;
    QPushButton* loadButton = nullptr;
    QLabel* visibilityLabel = nullptr;
    QLabel* statusLabel = nullptr;
    QPlainTextEdit* reportView = nullptr;
    QTimer* refreshTimer = nullptr;
    bool readPending = false;
    bool listPending = false;
    bool cameraGone = false;
    // A refused write waits for the value the camera holds before it is reported.
    QString refusedName, refusedReason;
};
