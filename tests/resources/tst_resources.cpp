#include <QDirIterator>
#include <QPixmap>
#include <QRegularExpression>
#include <QSet>
#include <QtTest>

// The embedded icon tree: every image the programs name must be there and load.
class ResourcesTest : public QObject {
    Q_OBJECT
private slots:
    void namedIconsLoad_data()
    {
        QTest::addColumn<QString>("path");
        const QStringList names = {
            "CameraplayStatus", "CustomScreen", "FourScreen", "Play", "camera", "cameraOff",
            "cameraOn", "connect", "deviceinfo", "disconnect", "enlarge", "exit_close",
            "logomin", "narrow", "pause", "video", "videoinfo", "ContinuousCapture",
            "ContinuousCaptureOn", "Prismora", "Addrwright", "Flashmere"};
        for (const QString& name : names)
            QTest::newRow(qPrintable(name)) << ":/images/ICO/" + name + ".png";
    }
    void namedIconsLoad()
    {
        QFETCH(QString, path);
        QPixmap pixmap(path);
        QVERIFY2(!pixmap.isNull(), qPrintable(path));
        QVERIFY(pixmap.width() >= 24);
    }

    // Any icon path written into the code or a form must exist, so a typo shows up here
    // rather than as a missing icon in the running program.
    void iconsReferencedBySourcesExist()
    {
        const QString sourceDir = qEnvironmentVariable("VEXO_SOURCE_DIR");
        QVERIFY(!sourceDir.isEmpty());
        const QRegularExpression reference(QStringLiteral(":/images/ICO/[A-Za-z0-9_]+\\.png"));
        QSet<QString> missing;
        int seen = 0;
        for (const char* folder : {"viewer", "ipconfig", "upgrade", "common"}) {
            QDirIterator it(sourceDir + "/" + QLatin1String(folder), {"*.cpp", "*.h", "*.ui"}, QDir::Files,
                            QDirIterator::Subdirectories);
            while (it.hasNext()) {
                QFile file(it.next());
                QVERIFY(file.open(QIODevice::ReadOnly));
                const QString text = QString::fromUtf8(file.readAll());
                auto matches = reference.globalMatch(text);
                while (matches.hasNext()) {
                    const QString path = matches.next().captured(0);
                    ++seen;
                    if (QPixmap(path).isNull())
                        missing.insert(path + " in " + it.fileName());
                }
            }
        }
        QVERIFY(seen > 0);
        QVERIFY2(missing.isEmpty(), qPrintable(QStringList(missing.values()).join('\n')));
    }
};

QTEST_MAIN(ResourcesTest)
#include "tst_resources.moc"
