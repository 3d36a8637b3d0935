#include "support/uiviewinstall.h"
#include "uiview/core/uiview32.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;

class TestUiView32 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void logonFilter_data();
    void logonFilter();
    void hugeLogonLine();
    void findsTheRecordedFolder();
    void addOnFile();
    void addOnFileRunsOnFromTheFolderText();
    void addOnFileThatCannotBeWritten();
};

void TestUiView32::initTestCase()
{
    isolateUserSettings();
}

void TestUiView32::logonFilter_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QString>("filter"); // null: no logon filter

    QTest::newRow("quoted") << QByteArray("[APRServe]\r\nEXTRA_LOGON_TEXT=\"filter b/G* r/51/-1/100\"\r\n")
                            << u"filter b/G* r/51/-1/100"_s;
    QTest::newRow("bar to comma") << QByteArray("[APRServe]\nEXTRA_LOGON_TEXT=b/A|B\n") << u"b/A,B"_s;
    QTest::newRow("other section") << QByteArray("[Other]\nEXTRA_LOGON_TEXT=b/A\n") << QString();
    QTest::newRow("section case") << QByteArray("[aprserve]\nEXTRA_LOGON_TEXT=b/A\n") << QString();
    QTest::newRow("indented header") << QByteArray(" [APRServe]\nEXTRA_LOGON_TEXT=b/A\n") << QString();
    QTest::newRow("header with blanks after") << QByteArray("[APRServe]  \nEXTRA_LOGON_TEXT=b/A\n") << u"b/A"_s;
    QTest::newRow("key not first") << QByteArray("[APRServe]\nX EXTRA_LOGON_TEXT=b/A\n") << u"T=b/A"_s;
    QTest::newRow("key case") << QByteArray("[APRServe]\nextra_logon_text=b/A\n") << QString();
    QTest::newRow("last wins") << QByteArray(
        "[APRServe]\nEXTRA_LOGON_TEXT=b/A\n[x]\n[APRServe]\nEXTRA_LOGON_TEXT=d/B\n")
                               << u"d/B"_s;
    QTest::newRow("empty value") << QByteArray("[APRServe]\nEXTRA_LOGON_TEXT=\n") << QString(u""_s);
    QTest::newRow("section ends") << QByteArray("[APRServe]\n[Next]\nEXTRA_LOGON_TEXT=b/A\n") << QString();
    QTest::newRow("CR only") << QByteArray("[APRServe]\rEXTRA_LOGON_TEXT=b/A\r") << u"b/A"_s;
    QTest::newRow("NUL and Latin-1") << QByteArray("[APRServe]\nEXTRA_LOGON_TEXT=b/\xe9\0x\n", 35)
                                     << u"b/"_s + QString::fromLocal8Bit("\xe9") + QChar(0) + u"x"_s;
    QTest::newRow("empty file") << QByteArray() << QString();
}

void TestUiView32::logonFilter()
{
    QFETCH(QByteArray, ini);
    QFETCH(QString, filter);
    const std::optional<QString> found = logonFilterFromIni(ini);
    QCOMPARE(found.has_value(), !filter.isNull());
    if (found)
        QCOMPARE(*found, filter);
}

void TestUiView32::hugeLogonLine()
{
    QByteArray ini = "[APRServe]\r\nEXTRA_LOGON_TEXT=filter";
    for (int i = 0; i < 100000; ++i)
        ini += " b/C" + QByteArray::number(i);
    const std::optional<QString> found = logonFilterFromIni(ini);
    QVERIFY(found);
    QCOMPARE(found->size(), ini.size() - 12 - 17);
}

void TestUiView32::findsTheRecordedFolder()
{
    QVERIFY(!isUIView32Installed());
    QCOMPARE(findUIView32(), QString());
    {
        UiViewInstall install;
        QVERIFY(isUIView32Installed());
        QCOMPARE(findUIView32(), install.folder());
        install.record(QString());
        QVERIFY(!isUIView32Installed()); // read afresh, an empty value is none
    }
    QVERIFY(!isUIView32Installed());
}

void TestUiView32::addOnFile()
{
    UiViewInstall install;
    const QString path = install.folder() + u"Varnock.xtr"_s;
    QCOMPARE(writeAddOnFile(install.folder(), u"/opt/my varnock"_s), AddOnFile::Written);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray expected = "Varnock\r\n\"" + QDir::toNativeSeparators(u"/opt/my varnock"_s).toLocal8Bit()
        + QDir::separator().toLatin1() + executableName().toLatin1() + "\"\r\nFalse\r\nFalse\r\n";
    QCOMPARE(file.readAll(), expected);
    file.close();

    // Never rewritten, even when Varnock has moved since.
    QCOMPARE(writeAddOnFile(install.folder(), u"/elsewhere"_s), AddOnFile::AlreadyThere);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), expected);
    QCOMPARE(writeAddOnFile(QString(), u"/opt"_s), AddOnFile::NoFolder);
}

void TestUiView32::addOnFileRunsOnFromTheFolderText()
{
    UiViewInstall install;
    const QString withoutSeparator = install.folder().chopped(1);
    QCOMPARE(writeAddOnFile(withoutSeparator, u"/opt"_s), AddOnFile::Written);
    QVERIFY(QFile::exists(withoutSeparator + u"Varnock.xtr"_s));
    QFile::remove(withoutSeparator + u"Varnock.xtr"_s);
}

void TestUiView32::addOnFileThatCannotBeWritten()
{
    UiViewInstall install;
    const QString folder = install.folder() + u"gone/"_s;
    QString error;
    QCOMPARE(writeAddOnFile(folder, u"/opt"_s, &error), AddOnFile::NotWritten);
    QVERIFY(!error.isEmpty());
    QCOMPARE(QDir(install.folder()).entryList(QDir::Files | QDir::Hidden), QStringList()); // nothing partial left
}

QTEST_GUILESS_MAIN(TestUiView32)
#include "tst_uiview32.moc"
