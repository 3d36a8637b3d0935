#include "base/core/filterline.h"
#include "base/core/kinds.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestFilterLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void assemble_data();
    void assemble();
    void lineOrderIsFixed();
    void words_data();
    void words();
    void longLineKeepsEveryWord();
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

void TestFilterLine::words_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QStringList>("expected"); // kind letter and word, pairwise

    QTest::newRow("range then budlist") << QStringLiteral("filter r/1/2/3 b/G*")
                                        << QStringList{u"r"_s, u"r/1/2/3"_s, u"b"_s, u"b/G*"_s};
    QTest::newRow("without filter word") << QStringLiteral("b/G*") << QStringList{u"b"_s, u"b/G*"_s};
    QTest::newRow("double blank") << QStringLiteral("filter  b/G*  -d/X ")
                                  << QStringList{u"b"_s, u"b/G*"_s, u"d"_s, u"-d/X"_s};
    QTest::newRow("filter anywhere") << QStringLiteral("b/A filter o/x")
                                     << QStringList{u"b"_s, u"b/A"_s, u"o"_s, u"o/x"_s};
    QTest::newRow("filter is case-sensitive") << QStringLiteral("Filter f/x/1") << QStringList{u"f"_s, u"f/x/1"_s};
    QTest::newRow("lone dash") << QStringLiteral("filter - b/A") << QStringList{u"b"_s, u"b/A"_s};
    QTest::newRow("upper-case letter") << QStringLiteral("R/1/2/3 B/x") << QStringList{};
    QTest::newRow("unknown letter") << QStringLiteral("x/1 -z/2 P/G*") << QStringList{};
    QTest::newRow("prefix and group") << QStringLiteral(
        "g/CQ* -p/G p/ g") << QStringList{u"g"_s, u"g/CQ*"_s, u"p"_s, u"-p/G"_s, u"p"_s, u"p/"_s, u"g"_s, u"g"_s};
    QTest::newRow("malformed word still dispatched") << QStringLiteral("rubbish") << QStringList{u"r"_s, u"rubbish"_s};
    QTest::newRow("letter alone") << QStringLiteral("-b") << QStringList{u"b"_s, u"-b"_s};
    QTest::newRow("tab is no separator") << QStringLiteral("b/A\tb/B") << QStringList{u"b"_s, u"b/A\tb/B"_s};
    QTest::newRow("only filter") << QStringLiteral("filter") << QStringList{};
    QTest::newRow("empty") << QString() << QStringList{};
}

void TestFilterLine::words()
{
    QFETCH(QString, line);
    QFETCH(QStringList, expected);
    QList<FilterWord> wanted;
    for (qsizetype i = 0; i + 1 < expected.size(); i += 2)
        wanted.append({expected.at(i).at(0), expected.at(i + 1)});
    QCOMPARE(recognisedWords(line), wanted);
}

void TestFilterLine::longLineKeepsEveryWord()
{
    QString line = QStringLiteral("filter");
    for (int i = 0; i < 20000; ++i)
        line += QStringLiteral(" b/") + QString::number(i);
    const QList<FilterWord> words = recognisedWords(line);
    QCOMPARE(words.size(), 20000);
    QCOMPARE(words.last().word, QStringLiteral("b/19999"));
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
