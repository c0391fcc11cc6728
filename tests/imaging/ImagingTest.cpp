#include <QtTest>
class ImagingTest : public QObject { Q_OBJECT };
QTEST_GUILESS_MAIN(ImagingTest)
#include "ImagingTest.moc"
