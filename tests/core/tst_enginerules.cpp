#include "packets/core/filterengine.h"

#include <QTest>

using namespace Qt::StringLiterals;

/// What the engine learned from the real server, kept where no server is needed: each row was
/// measured on aprsc first.
class TestEngineRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rules_data();
    void rules();
    void positionsAreForgotten();
};

void TestEngineRules::rules_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QByteArray>("packet");
    QTest::addColumn<bool>("passes");

    const QByteArray position = "G4ABC>APRS,TCPIP*:!5130.00N/00010.00W-";
    const QByteArray gatedPosition = "N0TQ>APRS,TCPIP*:}DL1TQA>APRS,RF1,N0TQ*:!5130.00N/00010.00W-";
    const QByteArray gatedObject = "N0TR>APRS,TCPIP*:}G4TRX>APRS,RF1,N0TR*:;LEADER2  *092345z5130.00N/00020.00W>";
    const QByteArray gatedMessage = "N0TT>APRS,TCPIP*:}G4TTX>APRS,RF1,N0TT*::G4ABC    :hello";
    const QByteArray gatedStatus = "DL0TQ>APRS,TCPIP*:}G4TQC>APRS,RF1,DL0TQ*:>inner status";

    // Kinds and letters in any case, and letters between the kind and its "/".
    QTest::newRow("B/") << u"B/G*"_s << position << true;
    QTest::newRow("bx/") << u"bx/G*"_s << position << true;
    QTest::newRow("t/P") << u"t/P"_s << position << true;
    QTest::newRow("T/W weather") << u"T/W"_s << "G4WX>APRS,TCPIP*:_10090556c220s004g005t077r000p000P000h50b09900wRSW"_ba
                                 << true;
    // A "*" anywhere in an entry makes it a beginning without its "*"s; "*" alone takes nothing.
    QTest::newRow("A*B") << u"b/G*4"_s << position << true;
    QTest::newRow("D*1*") << u"b/G*C*"_s << position << false;
    QTest::newRow("* alone") << u"b/*"_s << position << false;
    QTest::newRow("d/* alone") << u"d/*"_s << "G4DIG>APRS,G4RPT*:!5130.00N/00010.00W-"_ba << false;
    // t/* passes every packet, of a form the engine knows or not.
    QTest::newRow("t/* capabilities") << u"t/*"_s << "G4CAP>APRS,TCPIP*:<IGATE,MSG_CNT=0"_ba << true;
    QTest::newRow("t/* no form") << u"t/*"_s << "G4RAW>APRS,TCPIP*:just some text"_ba << true;
    // t/c: the stations of weather observers, by their call alone: CW, DW or EW and digits.
    QTest::newRow("t/c status") << u"t/c"_s << "CW1234>APRS,TCPIP*:>status"_ba << true;
    QTest::newRow("t/c DW") << u"t/c"_s << "DW567>APRS,TCPIP*:!5130.00N/00010.00W-"_ba << true;
    QTest::newRow("t/c EW, one digit") << u"t/c"_s << "EW1>APRS,TCPIP*:>s"_ba << true;
    QTest::newRow("t/c no digits") << u"t/c"_s << "CW>APRS,TCPIP*:>s"_ba << true;
    QTest::newRow("t/c letters") << u"t/c"_s << "CW1ABC>APRS,TCPIP*:>s"_ba << false;
    QTest::newRow("t/c SSID") << u"t/c"_s << "CW1236-1>APRS,TCPIP*:>s"_ba << false;
    QTest::newRow("t/c lower case") << u"t/c"_s << "cw1235>APRS,TCPIP*:>s"_ba << false;
    QTest::newRow("t/c FW") << u"t/c"_s << "FW1234>APRS,TCPIP*:>s"_ba << false;
    QTest::newRow("t/c weather elsewhere")
        << u"t/c"_s << "G4WX>APRS,TCPIP*:@092345z5130.00N/00010.00W_090/005g010t050"_ba << false;
    // A third-party packet matches where the packet inside does, or the outer one.
    QTest::newRow("gated: inner sender") << u"b/DL*"_s << gatedPosition << true;
    QTest::newRow("gated: outer sender") << u"b/N0TQ"_s << gatedPosition << true;
    QTest::newRow("gated: inner position") << u"r/51.5/-0.2/50"_s << gatedPosition << true;
    QTest::newRow("gated: inner type") << u"t/p"_s << gatedPosition << true;
    QTest::newRow("gated: inner status") << u"t/s"_s << gatedStatus << true;
    QTest::newRow("gated: inner message's sender") << u"b/G4TTX"_s << gatedMessage << true;
    QTest::newRow("gated: inner object") << u"t/o"_s << gatedObject << true;
    QTest::newRow("gated: inner object's name") << u"o/LEADER2"_s << gatedObject << true;
    // ... except by the sender's call where an object or item is inside.
    QTest::newRow("gated: inner object's sender") << u"b/G4TRX"_s << gatedObject << false;
    QTest::newRow("gated: inner object's prefix") << u"p/G4TR"_s << gatedObject << false;
    QTest::newRow("gated: object, outer sender") << u"b/N0TR"_s << gatedObject << true;
    // Minutes and hundredths read as C reads an unsigned number: a sign may stand first.
    QTest::newRow("minutes -0") << u"r/50/-3/2"_s << "G4PA>APRS,TCPIP*:!5000.00N/003-0.00W-"_ba << true;
    QTest::newRow("minutes +5") << u"r/50/-3.0833/2"_s << "G4PB>APRS,TCPIP*:!5000.00N/003+5.00W-"_ba << true;
    QTest::newRow("minutes -5") << u"r/50/-3/20"_s << "G4PC>APRS,TCPIP*:!5000.00N/003-5.00W-"_ba << false;
    QTest::newRow("hundredths -0") << u"r/50/-3/2"_s << "G4PE>APRS,TCPIP*:!5000.-0N/00300.00W-"_ba << true;
    QTest::newRow("sign in the degrees") << u"r/50/-3/2000"_s << "G4PG>APRS,TCPIP*:!5000.00N/0-300.00W-"_ba << false;
    // Blanks for digits: the middle of what they leave open.
    QTest::newRow("ambiguous hundredths")
        << u"r/51.5083/-0.175/0.2"_s << "G4AM1>APRS,TCPIP*:!5130.  N/00010.  W-"_ba << true;
    QTest::newRow("ambiguous tens of minutes")
        << u"r/51.5/-3.5/1"_s << "G4AM5>APRS,TCPIP*:!5130.00N/003 0.00W-"_ba << true;
    QTest::newRow("ambiguous minutes") << u"r/51.5/-3.0833/2"_s << "G4AM6>APRS,TCPIP*:!5130.00N/0030 .00W-"_ba << true;
    // The server's earth: 1 degree of latitude is 111.19 km.
    QTest::newRow("range 111.21") << u"r/10/10/111.21"_s << "G4RAD>APRS,TCPIP*:!1100.00N/01000.00E-"_ba << true;
    QTest::newRow("range 111.18") << u"r/10/10/111.18"_s << "G4RAD>APRS,TCPIP*:!1100.00N/01000.00E-"_ba << false;
    // A fragment the server ignores is never evaluated, an exclusion neither.
    QTest::newRow("ignored") << u"r/95/0/100000 b/X"_s << position << false;
    QTest::newRow("ignored exclusion") << u"b/G* -r/95/0/100000"_s << position << true;
    QTest::newRow("infinite distance") << u"r/51/0/inf"_s << position << true;
    QTest::newRow("distance not a number") << u"r/51/0/nan"_s << position << false;
}

void TestEngineRules::rules()
{
    QFETCH(QString, filter);
    QFETCH(QByteArray, packet);
    QFETCH(bool, passes);
    FilterEngine engine(filter);
    QCOMPARE(engine.match(readPacket(packet)).passes, passes);
}

void TestEngineRules::positionsAreForgotten()
{
    // As the server's history does: a day after a station was last heard, its position is gone.
    FilterEngine engine(u"f/G4POS/50"_s);
    const AprsPacket there = readPacket("G4POS>APRS,TCPIP*:!5130.00N/00010.00W-");
    const AprsPacket near = readPacket("G4NEAR>APRS,TCPIP*:!5130.10N/00010.10W-");
    const qint64 hour = 3600 * 1000;
    engine.match(there, 0);
    QVERIFY(engine.match(near, 23 * hour).passes);
    const FilterEngine::Verdict dayLater = engine.match(near, FilterEngine::kPositionLifetimeMs + 1);
    QVERIFY(!dayLater.passes && dayLater.unknown);

    // However many stations a flood brings, the longest unheard go first.
    FilterEngine flooded(u"f/G4POS/50"_s);
    flooded.match(there, 0);
    for (qsizetype i = 0; i < FilterEngine::kMaxPositions; ++i)
        flooded.match(readPacket("N" + QByteArray::number(i) + ">APRS:!5130.00N/00010.00W-"), 1);
    QVERIFY(flooded.positionsKnown() <= FilterEngine::kMaxPositions);
    QVERIFY(flooded.match(near, 2).unknown);
    flooded.setLine(u"f/N%1/50"_s.arg(FilterEngine::kMaxPositions - 1));
    QVERIFY(flooded.match(near, 3).passes);
}

QTEST_GUILESS_MAIN(TestEngineRules)
#include "tst_enginerules.moc"
