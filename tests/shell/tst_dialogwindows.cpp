// The windows the main window opens (settings, region, histogram, About, open camera):
// they belong to the main window, open centred on it and on screen, and the settings and
// histogram windows follow a language switch.
#include <QAction>
#include <QGroupBox>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QtTest>

#include "AboutWidget.h"
#include "CameraListWidget.h"
#include "ConfigWidget.h"
#include "ModalDialogWatcher.h"
#include "PanelFixture.h"
#include "RoiWidget.h"
#include "SettingsStore.h"
#include "histogramWidget.h"

using namespace panelfixture;

namespace {

const char kCamera[] = "VXG2301C0001";

QWidget* newestWindowOf(const char* className, const QList<QWidget*>& before)
{
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->inherits(className) && top->isVisible() && !before.contains(top))
            return top;
    return nullptr;
}

QAction* histogramAction(CameraThread* camera)
{
    for (QAction* action : camera->findChild<QMenu*>()->actions())
        if (action->text() == QStringLiteral("直方图") ||
            action->text() == QStringLiteral("Histogram"))
            return action;
    return nullptr;
}

}  // namespace

class DialogWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<VexoCam> window;

    // Opens the window the row names the way a user does, returns it.
    QWidget* open(const QString& how)
    {
        const QList<QWidget*> before = QApplication::topLevelWidgets();
        if (how == "settings") {
            window->findChild<QAction*>("action_capturesetting")->trigger();
            return newestWindowOf("ConfigWidget", before);
        }
        if (how == "about") {
            window->findChild<QAction*>("action_about")->trigger();
            return newestWindowOf("AboutWidget", before);
        }
        if (how == "open camera") {
            window->findChild<QAction*>("action_opencamera")->trigger();
            return newestWindowOf("CameraListWidget", before);
        }
        const int handle = openCamera(*window, kCamera);
        if (handle == 0)
            return nullptr;
        if (how == "region") {
            // A camera on a region of its own offers the region dialog.
            VexoResolution region{};
            if (SdkGetResolutionDescriptor(handle, 0, &region) != 0)
                return nullptr;
            region.index = VEXO_SDK_CUSTOM_RESOLUTION;
            region.regionWidth = region.outputWidth = 640;
            region.regionHeight = region.outputHeight = 480;
            if (SdkSetRegionOfInterest(handle, &region) != 0)
                return nullptr;
            openCamera(*window, kCamera);
            window->findChild<QPushButton*>("pushButton_roi")->click();
            return newestWindowOf("RoiWidget", before);
        }
        for (CameraThread* camera : window->cameraWindowList())
            if (camera->cameraHandle() == handle)
                histogramAction(camera)->trigger();
        return newestWindowOf("histogramWidget", before);
    }

private slots:
    void initTestCase() { settingsStore()->setValue("EDITION", "Language", 0); }
    void init()
    {
        window = std::make_unique<VexoCam>(nullptr, programDir());
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
        QVERIFY(waitForGrid(*window));
    }
    void cleanup()
    {
        window.reset();
        settingsStore()->setValue("EDITION", "Language", 0);
    }

    void openCentredOnTheMainWindow_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("settings") << "settings";
        QTest::newRow("About") << "about";
        QTest::newRow("open camera") << "open camera";
        QTest::newRow("region") << "region";
        QTest::newRow("histogram") << "histogram";
    }
    void openCentredOnTheMainWindow()
    {
        QFETCH(QString, how);
        const QRect screen = window->screen()->availableGeometry();
        // A main window off the screen's middle, so centred on it differs from anywhere else.
        const QSize size = window->size().boundedTo(screen.size() * 3 / 4);
        window->setGeometry(
            QRect(screen.topLeft() + QPoint(screen.width() - size.width(), 0), size));
        QTRY_COMPARE(window->geometry().topRight(), screen.topRight());

        QWidget* dialog = open(how);
        QVERIFY(dialog);
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        QCOMPARE(dialog->parentWidget(), window.get());
        QVERIFY(dialog->isWindow());
        QCOMPARE(dialog->windowType(), Qt::Dialog);
        QVERIFY(dialog->testAttribute(Qt::WA_DeleteOnClose));

        const QRect frame = dialog->frameGeometry();
        QVERIFY2(screen.contains(frame) || frame.width() > screen.width() ||
                     frame.height() > screen.height(),
                 qPrintable(QString("%1,%2 %3x%4 off screen")
                                .arg(frame.x())
                                .arg(frame.y())
                                .arg(frame.width())
                                .arg(frame.height())));
        const QPoint apart = frame.center() - window->frameGeometry().center();
        // Centred on the main window, unless that would leave the screen.
        const QRect centred(
            window->frameGeometry().center() - QPoint(frame.width() / 2, frame.height() / 2),
            frame.size());
        if (screen.contains(centred))
            QVERIFY2(
                apart.manhattanLength() <= 4,
                qPrintable(
                    QString("centre %1,%2 from the main window's").arg(apart.x()).arg(apart.y())));
        else
            QVERIFY(frame.left() == screen.left() || frame.right() == screen.right() ||
                    frame.top() == screen.top() || frame.bottom() == screen.bottom());
        dialog->close();
    }

    void settingsAndHistogramFollowALanguageSwitch()
    {
        auto* settings = qobject_cast<ConfigWidget*>(open("settings"));
        auto* histogram = qobject_cast<histogramWidget*>(open("histogram"));
        QVERIFY(settings && histogram);
        const QString cameraTitle = histogram->windowTitle();
        auto* table = histogram->findChild<QTableWidget*>("tableWidget");
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("红色"));

        window->findChild<QAction*>("action_language_EN")->trigger();
        QTRY_COMPARE(settings->windowTitle(), QStringLiteral("Settings"));
        QTRY_COMPARE(histogram->findChild<QGroupBox*>("groupBox")->title(),
                     QStringLiteral("Live data"));
        QCOMPARE(table->horizontalHeaderItem(1)->text(), QStringLiteral("Channel"));
        QCOMPARE(table->item(0, 1)->text(), QStringLiteral("Red"));
        QCOMPARE(table->item(2, 1)->text(), QStringLiteral("Blue"));
        QCOMPARE(histogram->windowTitle(), cameraTitle);  // the camera's name stays

        window->findChild<QAction*>("action_language_CH")->trigger();
        QTRY_COMPARE(settings->windowTitle(), QStringLiteral("设置"));
        QTRY_COMPARE(table->item(1, 1)->text(), QStringLiteral("绿色"));
        QCOMPARE(histogram->windowTitle(), cameraTitle);
    }

    void qtTextsFollowTheLanguage()
    {
        // File dialogs and standard buttons are Qt's: Chinese with the Chinese interface.
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"),
                 QStringLiteral("查找范围："));
        window->findChild<QAction*>("action_language_EN")->trigger();
        QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"),
                 QStringLiteral("Look in:"));
        window->findChild<QAction*>("action_language_CH")->trigger();
        QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("取消"));
    }
};

QTEST_MAIN(DialogWindowsTest)
#include "tst_dialogwindows.moc"
