#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTextDocument>
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

    // The link leads to the manual shipped beside the programs, never to a web address
    // the suite does not have; without the manual there is no link at all.
    void linkToTheManual_data()
    {
        QTest::addColumn<QString>("folderName");
        QTest::addColumn<bool>("withManual");
        QTest::newRow("manual present") << "bin" << true;
        QTest::newRow("manual missing") << "bin" << false;
        QTest::newRow("folder needing escapes") << "a & b <c> #1 相机" << true;
    }
    void linkToTheManual()
    {
        QFETCH(QString, folderName);
        QFETCH(bool, withManual);
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString programDir = scratch.filePath(folderName);
        QVERIFY(QDir().mkpath(programDir));
        const QString manual = programDir + "/软件使用说明书.pdf";
        if (withManual) {
            QFile file(manual);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write("%PDF-1.4\n");
        }

        QPointer<AboutWidget> about = new AboutWidget(nullptr, programDir);
        about->show();
        auto* url = about->findChild<QLabel*>("label_url");
        QVERIFY(url);
        QVERIFY(!url->text().contains("example"));
        if (!withManual) {
            QVERIFY(url->text().isEmpty());
            QVERIFY(!url->isVisible());
        } else {
            QVERIFY(url->isVisible());
            QTextDocument document;
            document.setHtml(url->text());
            QCOMPARE(document.toPlainText(), QStringLiteral("软件使用说明书"));
            const QRegularExpressionMatch href =
                QRegularExpression("href=\"([^\"]*)\"").match(url->text());
            QVERIFY(href.hasMatch());
            // The attribute as a browser reads it: entities first, then the URL.
            QTextDocument attribute;
            attribute.setHtml(href.captured(1));
            const QUrl target(attribute.toPlainText(), QUrl::StrictMode);
            QVERIFY(target.isValid());
            QCOMPARE(target.toLocalFile(), manual);
        }
        about->close();
        QTRY_VERIFY_WITH_TIMEOUT(!about, 30000);
    }
};

QTEST_MAIN(AboutWidgetTest)
#include "tst_aboutwidget.moc"
