// The fragment rules and word readers of the type, q construct, my range and friend range pages.
#include "base/core/fragmentsyntax.h"
#include "pages/core/qconstructfragment.h"
#include "pages/core/stationranges.h"
#include "pages/core/typefragment.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestPageRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typeFragment_data();
    void typeFragment();
    void typeDecode_data();
    void typeDecode();
    void qFragment_data();
    void qFragment();
    void qDecode_data();
    void qDecode();
    void myRange_data();
    void myRange();
    void friendEntries();
};

void TestPageRules::typeFragment_data()
{
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("callsign");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("alphabetical") << false << u"pm"_s << QString() << QString() << u"t/mp"_s;
    QTest::newRow("all ten") << false << u"poimnwtqsu"_s << QString() << QString() << u"t/imnopqstuw"_s;
    QTest::newRow("excluded") << true << u"ow"_s << QString() << QString() << u"-t/ow"_s;
    QTest::newRow("exclude alone") << true << QString() << QString() << QString() << QString();
    QTest::newRow("station upper-cased") << false << u"p"_s << u"qq0abc"_s << u"50"_s << u"t/p/QQ0ABC/50"_s;
    QTest::newRow("station without types") << false << QString() << u"QQ0ABC"_s << QString() << u"t//QQ0ABC"_s;
    QTest::newRow("range without station left out") << false << u"p"_s << QString() << u"50"_s << u"t/p"_s;
    QTest::newRow("range alone") << true << QString() << QString() << u"50"_s << QString();
    QTest::newRow("range taken as typed") << false << u"w"_s << u"a"_s << u" 5 km"_s << u"t/w/A/ 5 km"_s;
}

void TestPageRules::typeFragment()
{
    QFETCH(bool, exclude);
    QFETCH(QString, letters);
    QFETCH(QString, callsign);
    QFETCH(QString, range);
    QFETCH(QString, fragment);
    QCOMPARE(::typeFragment({exclude, letters, callsign, range}), fragment);
}

void TestPageRules::typeDecode_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QStringList>("station"); // absent, or callsign and range as present

    QTest::newRow("full") << u"-t/pm/QQ0ABC/500"_s << true << u"mp"_s << QStringList{u"QQ0ABC"_s, u"500"_s};
    QTest::newRow("upper-case letters ignored") << u"t/PM"_s << false << QString() << QStringList{};
    QTest::newRow("unknown letters") << u"t/xyz"_s << false << QString() << QStringList{};
    QTest::newRow("repeated letter") << u"t/pp"_s << false << u"p"_s << QStringList{};
    QTest::newRow("extra pieces") << u"t/p/a/b/c"_s << false << u"p"_s << QStringList{u"a"_s, u"b"_s};
    QTest::newRow("station only") << u"t//x"_s << false << QString() << QStringList{u"x"_s};
    QTest::newRow("letter alone") << u"t"_s << false << QString() << QStringList{};
}

void TestPageRules::typeDecode()
{
    QFETCH(QString, word);
    QFETCH(bool, exclude);
    QFETCH(QString, letters);
    QFETCH(QStringList, station);
    const TypeDecode decoded = parseTypeFragment(word);
    QCOMPARE(decoded.exclude, exclude);
    QCOMPARE(decoded.letters, letters);
    QCOMPARE(decoded.callsign.has_value(), station.size() > 0);
    QCOMPARE(decoded.range.has_value(), station.size() > 1);
    if (decoded.callsign)
        QCOMPARE(*decoded.callsign, station.at(0));
    if (decoded.range)
        QCOMPARE(*decoded.range, station.at(1));
}

void TestPageRules::qFragment_data()
{
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<bool>("analysis");
    QTest::addColumn<QString>("letters");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("one") << false << false << u"C"_s << u"q/C"_s;
    QTest::newRow("case matters") << false << false << u"Rr"_s << u"q/rR"_s;
    QTest::newRow("fixed order, analysis after") << true << true << u"UROSr"_s << u"-q/OSrRU/I"_s;
    QTest::newRow("analysis alone") << false << true << QString() << u"q//I"_s;
    QTest::newRow("excluded analysis alone") << true << true << QString() << u"-q//I"_s;
    QTest::newRow("analysis and qAI") << false << true << u"I"_s << u"q/I/I"_s;
    QTest::newRow("nothing") << true << false << QString() << QString();
    QTest::newRow("all") << false << false << u"ZXURrSOoIC"_s << u"q/CIoOSrRUXZ"_s;
}

void TestPageRules::qFragment()
{
    QFETCH(bool, exclude);
    QFETCH(bool, analysis);
    QFETCH(QString, letters);
    QFETCH(QString, fragment);
    QCOMPARE(qConstructFragment({exclude, analysis, letters}), fragment);
}

void TestPageRules::qDecode_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<bool>("analysis");
    QTest::addColumn<QString>("letters");

    QTest::newRow("older analysis form") << u"-q//OSrRU"_s << true << true << u"OSrRU"_s;
    QTest::newRow("server form") << u"-q/OSrRU/I"_s << true << true << u"OSrRU"_s;
    QTest::newRow("lower-case analysis") << u"q/C/i"_s << false << true << u"C"_s;
    QTest::newRow("other analysis text") << u"q/C/X"_s << false << false << u"C"_s;
    QTest::newRow("unknown letter dropped") << u"q/ZCx"_s << false << false << u"CZ"_s;
    QTest::newRow("analysis alone") << u"q//I"_s << false << true << QString();
    QTest::newRow("empty analysis") << u"q//"_s << false << true << QString();
    QTest::newRow("letter alone") << u"q"_s << false << true << QString();
    QTest::newRow("excluded letter alone") << u"-q"_s << true << true << QString();
    QTest::newRow("empty piece 1, no piece 2") << u"-q/"_s << true << true << QString();
}

void TestPageRules::qDecode()
{
    QFETCH(QString, word);
    QFETCH(bool, exclude);
    QFETCH(bool, analysis);
    QFETCH(QString, letters);
    const QConstructChoice decoded = parseQConstructFragment(word);
    QCOMPARE(decoded.exclude, exclude);
    QCOMPARE(decoded.analysis, analysis);
    QCOMPARE(decoded.letters, letters);
}

void TestPageRules::myRange_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QString>("rebuilt");

    QTest::newRow("excluded") << u"-m/400"_s << true << u"400"_s << u"-m/400"_s;
    QTest::newRow("empty range") << u"m/"_s << false << QString() << QString();
    QTest::newRow("extra pieces ignored") << u"m/400/500"_s << false << u"400"_s << u"m/400"_s;
    QTest::newRow("letter alone") << u"m"_s << false << QString() << QString();
    QTest::newRow("text kept") << u"m/ ten "_s << false << u" ten "_s << u"m/ ten "_s;
}

void TestPageRules::myRange()
{
    QFETCH(QString, word);
    QFETCH(bool, exclude);
    QFETCH(QString, range);
    QFETCH(QString, rebuilt);
    const MyRangeDecode decoded = parseMyRangeFragment(word);
    QCOMPARE(decoded.exclude, exclude);
    QCOMPARE(decoded.range, range);
    QCOMPARE(myRangeFragment(decoded.exclude, decoded.range), rebuilt);
}

void TestPageRules::friendEntries()
{
    QCOMPARE(friendEntry(false, u"abc1"_s, u"50"_s), u"f/ABC1/50"_s);
    QCOMPARE(friendEntry(true, u"abc1"_s, u"50"_s), u"-f/ABC1/50"_s);
    QCOMPARE(friendEntry(false, QString(), QString()), u"f//"_s);
    QCOMPARE(entryListFragment({u"f/A/1"_s, u"-f/B/2"_s}), u"f/A/1 -f/B/2 "_s);
    QCOMPARE(entryListFragment({}), QString());
}

QTEST_APPLESS_MAIN(TestPageRules)
#include "tst_pagerules.moc"
