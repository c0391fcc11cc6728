#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QtTest>

#include "AboutWidget.h"
#include "VexoCameraApi.h"

class AboutWidgetTest : public QObject {
    Q_OBJECT
private slots:
    void textsAndBehaviour()
    {
        QPointer<AboutWidget> about = new AboutWidget;
        about->show();
        QCOMPARE(about->windowTitle(), QStringLiteral("关于"));
        QVERIFY(!about->windowIcon().isNull());
        QVERIFY(about->testAttribute(Qt::WA_DeleteOnClose));
        QVERIFY(!about->testAttribute(Qt::WA_QuitOnClose));
        QVERIFY(about->windowFlags() & Qt::WindowCloseButtonHint);

        char version[VEXO_SDK_TEXT_BUFFER_SIZE] = {};
        QCOMPARE(SdkGetSdkVersion(version), 0);
        QVERIFY(version[0] != '\0');
        auto* label = about->findChild<QLabel*>("label");
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Prismora V1.5.0 SDK ") + QString::fromUtf8(version));
        QVERIFY(label->text().contains(QRegularExpression("SDK \\d")));

        auto* url = about->findChild<QLabel*>("label_url");
        QVERIFY(url);
        QVERIFY(url->openExternalLinks());
        QVERIFY(url->text().contains("href="));
        QStringList texts;
        for (QLabel* each : about->findChildren<QLabel*>())
            texts << each->text();
        QVERIFY(texts.contains(QStringLiteral("关于")));

        auto* ok = about->findChild<QPushButton*>("pushButton");
        QVERIFY(ok);
        QCOMPARE(ok->text(), QStringLiteral("确定"));
        QTest::mouseClick(ok, Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(!about, 30000);
    }
};

QTEST_MAIN(AboutWidgetTest)
#include "tst_aboutwidget.moc"
