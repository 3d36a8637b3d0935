#include "packets/core/aprspacket.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestAprsPacket : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsPackets_data();
    void readsPackets();
};

void TestAprsPacket::readsPackets_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("name");
    QTest::addColumn<double>("latitude"); // 999: no position
    QTest::addColumn<double>("longitude");

    // Real packets from the full feed, and vectors of the published protocol for what it lacks.
    QTest::newRow("uncompressed") << "DD1TW-2>APRX29,TCPIP*,qAS,DD1TW-1:!5344.31N/00920.34EyThies"_ba << u"Position"_s
                                  << QString() << 53.738500 << 9.339000;
    QTest::newRow("with timestamp") << "OE1IWA-10>APMI04,TCPIP*,qAC,APRSFI-I1:@191803z4808.26N/01620.81E-Igate"_ba
                                    << u"Position"_s << QString() << 48.137667 << 16.346833;
    QTest::newRow("weather symbol") << "YD1RUH-13>APRSWX,TCPIP*:=0611.01S/10641.81E_.../000g...t078"_ba << u"Weather"_s
                                    << QString() << -6.183500 << 106.696833;
    // Blanks for digits: the middle of what they leave open, as servers place it.
    QTest::newRow("ambiguity") << "N0CALL>APRS:!4903.  N/07201.  W-"_ba << u"Position"_s << QString() << 49.058333
                               << -72.025;
    QTest::newRow("compressed") << "DG5MGJ-10>APLS01,WIDE1-1,qAR,DL0IN-15:!/5m&/QD8Opb(H/A=001244Lora"_ba
                                << u"Position"_s << QString() << 48.781377 << 11.446013;
    QTest::newRow("Mic-E north east") << "SP3VN>URRT29,WIDE1-1,qAR,SP3IZN-1:`,Rl\"R[/`\"4k}radio"_ba << u"Mic-E"_s
                                      << QString() << 52.404833 << 16.913333;
    QTest::newRow("Mic-E north west") << "KI4KK-9>SS5X8U,WIDE1-1,WIDE2-1,qAR,N2MH-14:`j&$ {!v/]\"4%}="_ba << u"Mic-E"_s
                                      << QString() << 33.980833 << -78.168000;
    QTest::newRow("object") << "2E0TKY-S>APDG01,TCPIP*:;2E0TKY B *191803z5153.53ND00033.30EaRNG0001"_ba << u"Object"_s
                            << u"2E0TKY B"_s << 51.892167 << 0.555000;
    QTest::newRow("item") << "F5SMP-Wx>APSFWX,TCPIP*:)Temp-VxB!4348.70NT00125.09WWVIEUX"_ba << u"Item"_s
                          << u"Temp-VxB"_s << 43.811667 << -1.418167;
    QTest::newRow("NMEA") << "N0CALL>GPSLJ:$GPRMC,063909,A,3349.4302,N,11700.3721,W,43.022,89.3,291099,13.6,E*52"_ba
                          << u"NMEA"_s << QString() << 33.823837 << -117.006202;
    QTest::newRow("Ultimeter weather") << "K4OZS-11>APRSWX,qAO,NX2I-1:$ULTW003700750387691227CCFFF"_ba << u"Weather"_s
                                       << QString() << 999.0 << 999.0;
    QTest::newRow("telemetry names") << "N5YIZ-3>APDW17,TCPIP*::N5YIZ-3  :PARM.Cpu,Temp"_ba << u"Telemetry"_s
                                     << u"N5YIZ-3"_s << 999.0 << 999.0;
    QTest::newRow("message") << "G4ABC>APRS,TCPIP*::M0XYZ    :hello{12"_ba << u"Message"_s << u"M0XYZ"_s << 999.0
                             << 999.0;
    QTest::newRow("bulletin") << "G4ABC>APRS,TCPIP*::BLN1     :net tonight"_ba << u"Bulletin"_s << u"BLN1"_s << 999.0
                              << 999.0;
    QTest::newRow("status") << "KP4IA-3>KP4IA-1,TCPIP*:>SAN JUAN"_ba << u"Status"_s << QString() << 999.0 << 999.0;
    QTest::newRow("telemetry") << "OH7ABC>APMI01,TCPIP*:T#124,000,003,080,074,000,00000000"_ba << u"Telemetry"_s
                               << QString() << 999.0 << 999.0;
    QTest::newRow("third party") << "G4ABC>APRS,TCPIP*:}M0XYZ>APRS,TCPIP,G4ABC*:>hi"_ba << u"Third party"_s << QString()
                                 << 999.0 << 999.0;
    // Servers do not look for a position after other text.
    QTest::newRow("text before the position")
        << "N0CALL>APRS:TNC text !4903.50N/07201.75W-"_ba << u"Unknown"_s << QString() << 999.0 << 999.0;
    QTest::newRow("latitude past the pole")
        << "N0CALL>APRS:!9903.50N/07201.75W-"_ba << u"Position"_s << QString() << 999.0 << 999.0;
    QTest::newRow("minutes past 59") << "N0CALL>APRS:!4963.50N/07201.75W-"_ba << u"Position"_s << QString() << 999.0
                                     << 999.0;
    QTest::newRow("cut short") << "N0CALL>APRS:!4903.50N/072"_ba << u"Position"_s << QString() << 999.0 << 999.0;
    QTest::newRow("Mic-E cut short") << "N0CALL>SS5X8U:`j"_ba << u"Mic-E"_s << QString() << 999.0 << 999.0;
    QTest::newRow("one byte") << ":"_ba << u"Unknown"_s << QString() << 999.0 << 999.0;
    QTest::newRow("100 KB") << "N0CALL>APRS:>"_ba + QByteArray(100000, 'x') << u"Status"_s << QString() << 999.0
                            << 999.0;
    QTest::newRow("NUL and 8-bit bytes") <<
        [] {
            static const char bytes[] = "N0CALL>APRS:!5130.00N/00010.00W-\0\xff\xe9";
            return QByteArray(bytes, sizeof bytes - 1);
        }() << u"Position"_s << QString() << 51.5
                                         << -0.166667;
    QTest::newRow("Mic-E, a destination of other letters")
        << "N0CALL>S$5X8U:`j&$ {!v/]"_ba << u"Mic-E"_s << QString() << 999.0 << 999.0;
    QTest::newRow("compressed, bytes outside the alphabet")
        << "N0CALL>APRS:!/5m\x7f/QD8Opb(H"_ba << u"Position"_s << QString() << 999.0 << 999.0;
    QTest::newRow("third party in third party")
        << "N0TP>APRS:}G4TPZ>APRS,N0TP*:}M0TPQ>APRS,G4TPZ*:!5130.00N/00010.00W-"_ba << u"Third party"_s << QString()
        << 999.0 << 999.0;
    QTest::newRow("no header") << "just text"_ba << u"Unknown"_s << QString() << 999.0 << 999.0;
    QTest::newRow("empty information") << "N0CALL>APRS:"_ba << u"Unknown"_s << QString() << 999.0 << 999.0;
}

void TestAprsPacket::readsPackets()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    const AprsPacket summary = readPacket(line);
    QCOMPARE(summary.kind, kind);
    QCOMPARE(QString::fromLatin1(summary.name.trimmed()), name);
    QCOMPARE(summary.position.has_value(), latitude != 999);
    if (summary.position) {
        QVERIFY2(qAbs(summary.position->latitude - latitude) < 1e-5,
                 qPrintable(QString::number(summary.position->latitude, 'f', 6)));
        QVERIFY2(qAbs(summary.position->longitude - longitude) < 1e-5,
                 qPrintable(QString::number(summary.position->longitude, 'f', 6)));
    }
    // As the table shows a position: four decimals and the hemispheres.
    if (QTest::currentDataTag() == "weather symbol"_ba)
        QCOMPARE(positionText(*summary.position), u"6.1835 S 106.6968 E"_s);
    if (QTest::currentDataTag() == "Mic-E north west"_ba)
        QCOMPARE(positionText(*summary.position), u"33.9808 N 78.1680 W"_s);
    QCOMPARE(summary.line, line);
    // A third party's own packet is read too, as deep as it goes here.
    if (QTest::currentDataTag() == "third party in third party"_ba) {
        QVERIFY(summary.inner && summary.inner->inner);
        QCOMPARE(summary.inner->inner->source, "M0TPQ");
        QCOMPARE(summary.inner->inner->position->latitude, 51.5);
    }
    if (summary.hasHeader) {
        QCOMPARE(summary.source.toByteArray(), line.left(line.indexOf('>')));
        QCOMPARE(summary.body.toByteArray(), line.mid(line.indexOf(':') + 1));
    }
}

QTEST_APPLESS_MAIN(TestAprsPacket)
#include "tst_aprspacket.moc"
