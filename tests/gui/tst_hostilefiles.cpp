// Start-up with hostile files: Varnock starts, shows what it could read, tells the user at most once
// what it could not, and leaves every file as it was.
#include "support/workbench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QByteArray digest(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(&file);
    return hash.result();
}

QByteArray logonIni(const QByteArray &before, const QByteArray &logon, const QByteArray &lineEnd = "\r\n")
{
    return before + "[APRServe]" + lineEnd + "EXTRA_LOGON_TEXT=" + logon + lineEnd;
}

QByteArray symbolLines(int count, const QByteArray &lineEnd = "\r\n")
{
    QByteArray lines;
    for (int i = 0; i < count; ++i)
        lines += "/" + QByteArray(1, static_cast<char>('!' + i % 90)) + " Symbol " + QByteArray::number(i) + lineEnd;
    return lines;
}

} // namespace

class TestHostileFiles : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { isolateUserSettings(); }
    void startsWithAnyFiles_data();
    void startsWithAnyFiles();
    void anyMapInformationFile_data();
    void anyMapInformationFile();
};

void TestHostileFiles::startsWithAnyFiles_data()
{
    QTest::addColumn<QByteArray>("ini");
    QTest::addColumn<QByteArray>("symbols");
    QTest::addColumn<QString>("line"); // the filter line after start-up
    QTest::addColumn<int>("symbolCount");
    QTest::addColumn<bool>("told");

    const QByteArray good = symbolLines(3);
    QByteArray junk;
    while (junk.size() < 20 * 1024 * 1024)
        junk += "Key" + QByteArray::number(junk.size()) + "=some value that goes on and on\r\n";
    QTest::newRow("20 MB ini") << logonIni(junk, "b/G*") << good << u"filter b/G*"_s << 3 << false;
    QTest::newRow("ini with NUL bytes") << logonIni(QByteArray("[X]\0\0\r\n", 7), QByteArray("b/A\0B", 5)) << good
                                        << u"filter b/A\u0000B"_s << 3 << false;
    QTest::newRow("ini in Latin-1 and broken UTF-8")
        << logonIni("[\xe9t\xe9]\r\n", "o/Caf\xe9 b/\xff\xfe") << good
        << u"filter b/"_s + QString::fromLocal8Bit("\xff\xfe") + u" o/Caf"_s + QString::fromLocal8Bit("\xe9") << 3
        << false;
    QByteArray megabyte = "b";
    while (megabyte.size() < 1024 * 1024)
        megabyte += "/C" + QByteArray::number(megabyte.size());
    QTest::newRow("1 MB logon line, not decoded") << logonIni({}, megabyte) << good << QString() << 3 << true;
    QTest::newRow("CR-only ini") << logonIni("[A]\r", "d/WIDE2", "\r") << good << u"filter d/WIDE2"_s << 3 << false;

    QByteArray hugeSymbols;
    while (hugeSymbols.size() < 20 * 1024 * 1024)
        hugeSymbols += symbolLines(1000);
    QTest::newRow("20 MB symbols") << logonIni({}, "b/A") << hugeSymbols << u"filter b/A"_s << 201 << true;
    QTest::newRow("symbols with NUL bytes")
        << logonIni({}, "b/A") << QByteArray("/!\0Nul\r\n/# Digi\r\n", 17) << u"filter b/A"_s << 2 << false;
    QTest::newRow("symbols in Latin-1") << logonIni({}, "b/A") << QByteArray("/! Caf\xe9\r\n/# \xff\xfe\r\n")
                                        << u"filter b/A"_s << 2 << false;
    QTest::newRow("1 MB symbol line") << logonIni({}, "b/A") << QByteArray("/! ") + QByteArray(1024 * 1024, 'x')
                                      << u"filter b/A"_s << 1 << false;
    QTest::newRow("CR-only symbols") << logonIni({}, "b/A") << symbolLines(5, "\r") << u"filter b/A"_s << 5 << false;
    QTest::newRow("short symbol lines") << logonIni({}, "b/A") << QByteArray("ab\r\n\r\n/! A\r\n") << u"filter b/A"_s
                                        << 1 << true;
}

void TestHostileFiles::startsWithAnyFiles()
{
    QFETCH(QByteArray, ini);
    QFETCH(QByteArray, symbols);
    QFETCH(QString, line);
    QFETCH(int, symbolCount);
    QFETCH(bool, told);

    QTemporaryDir program;
    QFile symbolFile(program.filePath(u"symbols.wiz"_s));
    QVERIFY(symbolFile.open(QIODevice::WriteOnly));
    symbolFile.write(symbols);
    symbolFile.close();
    UiViewInstall install(ini);
    const QString iniPath = install.folder() + u"uiview32.ini"_s;
    const QByteArray iniBefore = digest(iniPath);
    const QByteArray symbolsBefore = digest(symbolFile.fileName());

    Workbench bench(program.path());
    QCOMPARE(bench.find<QLabel>(u"status"_s)->text(), u"v1.1.0"_s);
    QCOMPARE(bench.form.filterLine(), line);
    QCOMPARE(bench.find<QComboBox>(u"symbol_combo"_s)->count(), symbolCount);
    QCOMPARE(bench.dialogs.messages.size(), told ? 1 : 0);
    QCOMPARE(digest(iniPath), iniBefore);
    QCOMPARE(digest(symbolFile.fileName()), symbolsBefore);
}

void TestHostileFiles::anyMapInformationFile_data()
{
    QTest::addColumn<QByteArray>("inf");
    QTest::addColumn<QString>("area"); // the area after a map change; a/0/0/0/0 when unreadable

    QByteArray thousand;
    for (int i = 0; i < 1000; ++i)
        thousand += (i % 2 ? "000.30.00E" : "51.30.00N") + QByteArray(i % 7 ? "," : "\r\n");
    QTest::newRow("1,000 values") << thousand << u"a/51.5/0.5/51.5/0.5"_s;
    QTest::newRow("no values") << QByteArray() << u"a/0/0/0/0"_s;
    QTest::newRow("blank lines only") << QByteArray("\r\n \r\n\t\r\n") << u"a/0/0/0/0"_s;
    QTest::newRow("quotes and blanks") << QByteArray(" \"51.30.00N\" ,  \"001.30.00W\"\r\n\"50.30.00N\",000.30.00E , x")
                                       << u"a/51.5/-1.5/50.5/0.5"_s;
    QTest::newRow("NUL bytes") << QByteArray("51.30.00N\0,x,y,z,w", 18) << u"a/51.5/-1/-1/-1"_s;
}

void TestHostileFiles::anyMapInformationFile()
{
    QFETCH(QByteArray, inf);
    QFETCH(QString, area);
    QTemporaryDir maps;
    QFile file(maps.filePath(u"map.inf"_s));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(inf);
    file.close();
    const QByteArray before = digest(file.fileName());

    UiViewInstall install("[APRServe]\r\n");
    Workbench bench;
    bench.uiview.mapFile = maps.filePath(u"map.gif"_s);
    bench.find<QCheckBox>(u"checkAutoSetArea"_s)->click();
    bench.uiview.raiseMapChanged();
    auto *areas = bench.find<QListWidget>(u"List4"_s);
    QCOMPARE(areas->count(), 1);
    QCOMPARE(areas->item(0)->text(), area);
    QCOMPARE(bench.dialogs.messages, QStringList());
    QCOMPARE(digest(file.fileName()), before);
}

QTEST_MAIN(TestHostileFiles)
#include "tst_hostilefiles.moc"
