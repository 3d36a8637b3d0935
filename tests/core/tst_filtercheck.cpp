// What APRS-IS servers accept of each fragment, and the fragments in plain words.
#include "app/core/filtercheck.h"
#include "pages/core/symboltable.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(Fragment::Verdict)

namespace {

constexpr auto OK = Fragment::Verdict::Accepted;
constexpr auto WARN = Fragment::Verdict::AcceptedWithWarning;
constexpr auto IGNORED = Fragment::Verdict::Ignored;

} // namespace

class TestFilterCheck : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void fragments_data();
    void fragments();
    void lineWarnings();
    void explanations_data();
    void explanations();
    void explainedLine();
};

void TestFilterCheck::fragments_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<Fragment::Verdict>("verdict");
    QTest::addColumn<QString>("says"); ///< a part of the reason, where it matters

    const auto row = [](const char *word, Fragment::Verdict verdict, const char *says = "") {
        QTest::newRow(word) << QString::fromUtf8(word) << verdict << QString::fromUtf8(says);
    };
    // Ranges: three numbers, both sides of every bound.
    row("r/51.5/-1/100", OK);
    row("-r/90/180/0.1", OK);
    row("r/-90/-180/1e3", OK);
    row("r/90.01/0/10", IGNORED);
    row("r/0/-180.01/10", WARN, "beyond 180 degrees; servers still take it");
    row("r/0/-180.02/10", IGNORED);
    row("r/0/0/0.09", IGNORED);
    row("r/0/0", IGNORED);
    row("r/0/0/10/5", WARN, "Servers ignore \"/5\" after the distance.");
    // Numbers are read as C reads them, so some odd spellings are numbers to a server.
    row("r/0x10/0/10", WARN, "Servers read \"0x10\" as 16.");
    row("r/51/-1/1e", WARN, "Servers read \"1e\" as 1.");
    row("r/51/-1/10km", WARN, "Servers read \"10km\" as 10 and skip the rest.");
    row("r/51/-1/nan", WARN, "not a number");
    row("r/51/-1/-inf", IGNORED);
    row("r/51/-1/infin", IGNORED, "The distance \"infin\" is not a number.");
    row("r/nan/0/10", IGNORED);
    row("r/51x/0/10", IGNORED, "\"51x\" is not a number.");
    row("r/0x/0/10", IGNORED);
    row("r/0x./0/10", WARN, "as 0");
    row("r/1.5e/0/10", WARN);
    row("r/a/0/10", IGNORED);
    row("R/51/0/10", OK); // letters in either case
    // Areas: north not below south, west not above east.
    row("a/51.5/-1.5/50.5/0.5", OK);
    row("a/51/0/51/0", OK);
    row("a/50.5/-1.5/51.5/0.5", IGNORED);
    row("a/51.5/0.5/50.5/-1.5", IGNORED);
    row("a/91/0/50/1", IGNORED);
    row("a/51/-181/50/1", IGNORED);
    row("a/51/0/50", IGNORED);
    row("a/51/0/50/1/2", WARN, "after the four corners");
    row("a/51/0/50/1x", IGNORED);
    // My range and friend range.
    row("m/0.1", OK);
    row("m/0.099", IGNORED);
    row("m/", IGNORED);
    row("m", IGNORED);
    row("f/G4ABC/25", OK);
    row("f/G/0.1", OK);
    row("f/ABCDEFGHI/1", OK);
    row("f/ABCDEFGHIJ/1", IGNORED);
    row("f//1", IGNORED);
    row("f/G4ABC/0", IGNORED);
    row("f/G4ABC", IGNORED);
    row("f/G4ABC/10/3", WARN);
    row("f/ÄÄÄÄÄ/10", IGNORED); // servers count the bytes
    // List kinds.
    row("b/G*", OK);
    row("b/ABCDEFGHI", OK);
    row("b/ABCDEFGHIJ", WARN);
    row("b", IGNORED);
    row("b/", IGNORED);
    row("b//", WARN, "Every entry is empty.");
    row("g/", IGNORED);
    row("p//G", OK);
    row("-d/WIDE2", OK);
    row("e/T2UK", OK);
    row("g/BLN*", OK);
    row("o/Name1", OK);
    row("u/APZ*", OK);
    row("p/G/M", OK);
    row("p/G*", IGNORED);
    // Symbols.
    row("s/", OK);
    row("s", IGNORED);
    row("s/ab//", OK);
    row("s//c/X", OK);
    row("s/ab//X", IGNORED);
    row("s/ab///", IGNORED); // the overlay is "/"
    row("s/a/b/1/2", WARN, "Servers read all of \"1/2\" as the overlay.");
    // q constructs.
    row("q/", OK);
    row("q//", OK);
    row("q/CXUoOSrRZI", OK);
    row("q/C/I", OK);
    row("q/C/i", OK);
    row("q/C/II", IGNORED);
    row("q/C/I/x", IGNORED);
    row("q/c", IGNORED);
    row("q", IGNORED);
    // Types.
    row("t/", OK);
    row("t/poimqstunwc*", OK);
    row("t/PM", OK);
    row("t/x", IGNORED);
    row("t/p/QQ0ABC/50", OK);
    row("t//ABC/0.1", OK);
    row("t/p/QQ0ABC", IGNORED);
    row("t/p/AB/50", IGNORED);
    row("t/p/ABCDEFGHIJ/50", IGNORED);
    row("t/p/QQ0ABC/0", IGNORED);
    row("t/p/QQ0ABC/10x", IGNORED);
    row("t/p/", WARN, "empty station");
    row("t/p//", IGNORED);
    row("t/p/QQ0ABC/50/1", IGNORED);
    row("t", IGNORED);
    // Words of no kind.
    row("-", WARN, "removes nothing");
    row("--b/G*", IGNORED);
    row("x/1", IGNORED);
    row("bx/1", WARN, "Servers skip \"x\"");
    row("rx/1/1/1", IGNORED);
    row("b/G\tH", IGNORED, "tabs");
}

void TestFilterCheck::fragments()
{
    QFETCH(QString, word);
    QFETCH(Fragment::Verdict, verdict);
    QFETCH(QString, says);
    const Fragment check = readFragment(word);
    QCOMPARE(check.verdict, verdict);
    QCOMPARE(check.reason.isEmpty(), verdict == OK);
    QVERIFY2(check.reason.contains(says), qPrintable(check.reason));
}

void TestFilterCheck::lineWarnings()
{
    QString nine = u"filter"_s;
    for (int i = 0; i < 9; ++i)
        nine += u" r/51/0/"_s + QString::number(i + 1) + u" a/51/0/50/1"_s;
    QCOMPARE(checkFilterLine(nine).warnings, QStringList());
    const LineCheck ten = checkFilterLine(nine + u" r/1/1/1"_s);
    QCOMPARE(ten.warnings.size(), 1);
    QVERIFY(ten.warnings.first().contains(u"10 r fragments"_s));
    QVERIFY(!ten.anyIgnored());

    // Measured as the command servers receive: "#filter b/" and 500 letters are 510 bytes.
    const QString longest = u"filter b/"_s + QString(500, u'A');
    QCOMPARE(checkFilterLine(longest).warnings, QStringList());
    QCOMPARE(checkFilterLine(u"filter   b/"_s + QString(500, u'A')).warnings, QStringList());
    QCOMPARE(checkFilterLine(longest + u'A').warnings.size(), 1);
    QCOMPARE(checkFilterLine(longest.chopped(1) + u'\u00e9').warnings.size(), 1); // two bytes

    const LineCheck line = checkFilterLine(u"filter  b/G*  x/1 "_s);
    QCOMPARE(line.fragments.size(), 2); // "filter" and empty words are not fragments
    QVERIFY(line.anyIgnored());
    QVERIFY(checkSummary(line).contains(u"x/1 is ignored"_s));
    QCOMPARE(checkSummary(checkFilterLine(u"filter b/G* m/10"_s)),
             u"All 2 fragments are accepted by APRS-IS servers."_s);
}

void TestFilterCheck::explanations_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("words");
    QTest::newRow("b") << u"b/G*"_s << u"stations whose callsign starts with G"_s;
    QTest::newRow("b exact and start") << u"b/G4ABC/M*"_s
                                       << u"stations whose callsign is G4ABC, or whose callsign starts with M"_s;
    QTest::newRow("r") << u"-r/51.5/-1/100"_s << u"except positions within 100 km of 51.5 N 1 W"_s;
    QTest::newRow("t") << u"t/mp/QQ0ABC/50"_s << u"messages and positions within 50 km of QQ0ABC"_s;
    QTest::newRow("t all") << u"t/*"_s << u"all packets"_s;
    QTest::newRow("a") << u"a/51.5/-1.5/50.5/0.5"_s << u"positions in the box from 51.5 N 1.5 W to 50.5 N 0.5 E"_s;
    QTest::newRow("m") << u"m/50"_s << u"positions within 50 km of your own station"_s;
    QTest::newRow("f") << u"f/m0xyz/25"_s << u"positions within 25 km of M0XYZ"_s;
    QTest::newRow("d") << u"d/WIDE2"_s << u"packets digipeated by WIDE2"_s;
    QTest::newRow("u") << u"u/APZ*"_s << u"packets whose destination starts with APZ"_s;
    QTest::newRow("e") << u"e/T2UK"_s << u"packets that entered APRS-IS at T2UK"_s;
    QTest::newRow("o") << u"o/Bob/Eve*"_s << u"objects and items named Bob, or whose name starts with Eve"_s;
    QTest::newRow("p") << u"p/G/M"_s << u"stations whose callsign starts with G or M"_s;
    QTest::newRow("g") << u"g/BLN*"_s << u"messages to BLN*, and bulletins of that group"_s;
    QTest::newRow("p two") << u"p/DL/DB"_s << u"stations whose callsign starts with DL or DB"_s;
    QTest::newRow("q") << u"q/CI/I"_s
                       << u"packets whose q construct is qAC or qAI, and the server's analysis of q constructs"_s;
    QTest::newRow("s") << u"s/a/c/X"_s << u"stations shown with the symbol Alpha or Charlie with the overlay X"_s;
    QTest::newRow("t/c") << u"t/c"_s << u"packets of weather observers (CW, DW and EW stations)"_s;
    QTest::newRow("s unknown") << u"s/z//"_s << u"stations shown with the symbol \"/z\""_s;
    QTest::newRow("ignored") << u"r/95/0/1"_s << QString();
}

void TestFilterCheck::explanations()
{
    QFETCH(QString, word);
    QFETCH(QString, words);
    const SymbolTable table = SymbolTable::fromBytes("/a Alpha\n\\c Charlie\n", u"t"_s).table;
    QCOMPARE(explainFragment(readFragment(word), &table), words);
}

void TestFilterCheck::explainedLine()
{
    const QStringList lines = explainFilterLine(u"filter b/G* x/1"_s);
    QCOMPARE(lines,
             (QStringList{u"b/G*: stations whose callsign starts with G"_s,
                          u"x/1: ignored by servers (\"x\" is no filter kind.)"_s}));
}

QTEST_APPLESS_MAIN(TestFilterCheck)
#include "tst_filtercheck.moc"
