#include "base/core/filterline.h"
#include "base/core/kinds.h"
#include "filter/core/decoding.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFilterLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void assemble_data();
    void assemble();
    void lineOrderIsFixed();
    void decodePlan_data();
    void decodePlan();
    void withdrawnShareIsKeptInTypedOrder();
    void captions();
};

void TestFilterLine::assemble_data()
{
    QTest::addColumn<QStringList>("boxes");
    QTest::addColumn<QString>("line");

    const QStringList empty(12);
    QTest::newRow("all empty") << empty << QStringLiteral("filter");

    QStringList budlistAndRange = empty;
    budlistAndRange[0] = QStringLiteral("b/G*");
    budlistAndRange[3] = QStringLiteral("r/51.5/-1/100 ");
    QTest::newRow("budlist and range") << budlistAndRange << QStringLiteral("filter b/G* r/51.5/-1/100");

    QStringList padded = empty;
    padded[11] = QStringLiteral("  e/X1 Y2  ");
    QTest::newRow("blanks trimmed at the ends only") << padded << QStringLiteral("filter e/X1 Y2");

    QStringList blanksOnly = empty;
    blanksOnly[0] = QStringLiteral("   ");
    blanksOnly[1] = QStringLiteral("t/p");
    QTest::newRow("box of blanks adds one blank") << blanksOnly << QStringLiteral("filter  t/p");

    QStringList tabbed = empty;
    tabbed[2] = QStringLiteral("\td/WIDE\t");
    QTest::newRow("only blanks are trimmed") << tabbed << QStringLiteral("filter \td/WIDE\t");
}

void TestFilterLine::assemble()
{
    QFETCH(QStringList, boxes);
    QFETCH(QString, line);
    QCOMPARE(assembleFilterLine(boxes), line);
}

void TestFilterLine::lineOrderIsFixed()
{
    QString letters;
    for (const Kind *kind : kindsInLineOrder())
        letters += QChar(kind->letter);
    QCOMPARE(letters, QStringLiteral("btdramfqsouepg"));

    QString pageOrder;
    for (const Kind &kind : kinds())
        pageOrder += QChar(kind.letter);
    QCOMPARE(pageOrder, QStringLiteral("rbtsdaqmufeopg"));
}

void TestFilterLine::decodePlan_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("pages"); // kind letter, ":", the page's words, in the order of each kind's last word
    QTest::addColumn<QString>("kept");
    QTest::addColumn<QString>("summary");

    QTest::newRow("range then budlist") << u"filter r/1/2/3 b/G*"_s << QStringList{u"r:r/1/2/3"_s, u"b:b/G*"_s}
                                        << QString() << u"Decoded 2 fragments."_s;
    QTest::newRow("one sign merges, the other is kept")
        << u"filter b/G* b/M* s/-> -s/#"_s << QStringList{u"b:b/G*/M*"_s, u"s:s/->"_s} << u"-s/#"_s
        << u"Decoded 4 fragments; 1 kept as typed: -s/#."_s;
    QTest::newRow("both signs of a list") << u"b/G1 -b/G2 b/G3"_s << QStringList{u"b:b/G1/G3"_s} << u"-b/G2"_s
                                          << u"Decoded 3 fragments; 1 kept as typed: -b/G2."_s;
    QTest::newRow("second my range") << u"m/10 -m/5 m/7"_s << QStringList{u"m:m/10"_s} << u"-m/5 m/7"_s
                                     << u"Decoded 3 fragments; 2 kept as typed: -m/5, m/7."_s;
    QTest::newRow("types merge, a station does not")
        << u"t/p t/w/G4ABC/20 T/W"_s << QStringList{u"t:t/pw"_s} << u"t/w/G4ABC/20"_s
        << u"Decoded 3 fragments; 1 kept as typed: t/w/G4ABC/20."_s;
    QTest::newRow("upper case") << u"B/G* R/51/0/10 t/PM -OS/X"_s
                                << QStringList{u"b:b/G*"_s, u"r:r/51/0/10"_s, u"t:t/pm"_s, u"o:-os/X"_s} << QString()
                                << u"Decoded 4 fragments."_s;
    QTest::newRow("analysis and strict objects stay apart")
        << u"q/C q/X/I q/R o/A os/B"_s << QStringList{u"q:q/CR"_s, u"o:o/A"_s} << u"q/X/I os/B"_s
        << u"Decoded 5 fragments; 2 kept as typed: q/X/I, os/B."_s;
    QTest::newRow("not fragments") << u"filter x/1 -z/2 - --b/X b/A filter"_s << QStringList{u"b:b/A"_s} << QString()
                                   << u"Decoded 1 fragment. Not a fragment: x/1, -z/2, -, --b/X."_s;
    QTest::newRow("ignored alone goes to its page")
        << u"t/xyz b/"_s << QStringList{u"t:t/xyz"_s, u"b:b/"_s} << QString() << u"Decoded 2 fragments."_s;
    QTest::newRow("ignored beside others is left out")
        << u"t/xyz t/p b/ b/A m"_s << QStringList{u"t:t/p"_s, u"b:b/A"_s, u"m:m"_s} << QString()
        << u"Decoded 3 fragments. Left out, as servers ignore them: t/xyz, b/."_s;
    QTest::newRow("many fragments, whole")
        << u"f/abc1/50 -f/B/2 r/x a/1/2/3/4"_s << QStringList{u"f:f/abc1/50 -f/B/2"_s, u"r:r/x"_s, u"a:a/1/2/3/4"_s}
        << QString() << u"Decoded 4 fragments."_s;
    QTest::newRow("split as servers split")
        << u"b/A\tb/B  d/X"_s << QStringList{u"b:b/A/B"_s, u"d:d/X"_s} << QString() << u"Decoded 3 fragments."_s;
    QTest::newRow("long lists are named in part")
        << u"m/1 m/2 m/3 m/4 m/5 m/6 m/7 m/8"_s << QStringList{u"m:m/1"_s} << u"m/2 m/3 m/4 m/5 m/6 m/7 m/8"_s
        << u"Decoded 8 fragments; 7 kept as typed: m/2, m/3, m/4, m/5, m/6 and 2 more."_s;
    QTest::newRow("only filter") << u"filter"_s << QStringList{} << QString() << u"Decoded 0 fragments."_s;
    QString longest = u"b/A"_s;
    longest += QString(kMaxDecodedLine - longest.size(), u' ');
    QTest::newRow("longest") << longest << QStringList{u"b:b/A"_s} << QString() << u"Decoded 1 fragment."_s;
    QTest::newRow("too long") << longest + u' ' << QStringList{} << QString()
                              << u"This filter is 65537 characters long; Varnock decodes filters of up to 65536 "
                                 "characters."_s;
}

void TestFilterLine::decodePlan()
{
    QFETCH(QString, line);
    QFETCH(QStringList, pages);
    QFETCH(QString, kept);
    QFETCH(QString, summary);
    const DecodePlan plan = planDecode(line);
    QStringList planned;
    for (const DecodePlan::Share &share : plan.shares)
        planned.append(share.kind + u':' + share.words.join(u' '));
    QCOMPARE(planned, pages);
    QCOMPARE(plan.keptText(), kept);
    QCOMPARE(decodeSummary(plan), summary);
}

void TestFilterLine::withdrawnShareIsKeptInTypedOrder()
{
    DecodePlan plan = planDecode(u"s/! b/X -s/# s/> t/xyz"_s);
    QCOMPARE(plan.keptText(), u"-s/#"_s);
    QCOMPARE(plan.shares.at(1).kind, u's');
    QVERIFY(!pageHolds(plan.shares.at(1), u"s/"_s)); // a symbol the page's list lacks
    plan.withdraw(1);
    QCOMPARE(plan.keptText(), u"s/! -s/# s/>"_s);
    QCOMPARE(decodeSummary(plan), u"Decoded 5 fragments; 3 kept as typed: s/!, -s/#, s/>."_s);
}

void TestFilterLine::captions()
{
    QCOMPARE(tabCaption(*kindForLetter(u'b'), true), QStringLiteral("Budlist - b   [Active]"));
    QCOMPARE(tabCaption(*kindForLetter(u'e'), true), QStringLiteral("Port of entry - e   [Active]"));
    QCOMPARE(tabCaption(*kindForLetter(u'q'), false), QStringLiteral("q Construct - q"));
    QCOMPARE(tabCaption(*kindForLetter(u'g'), true), QStringLiteral("Group Msg - g   [Active]"));
    QVERIFY(!kindForLetter(u'B'));
}

QTEST_APPLESS_MAIN(TestFilterLine)
#include "tst_filterline.moc"
