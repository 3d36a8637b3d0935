#include "aprsis/core/packets.h"
#include "aprsis/core/serverlines.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestServerLines : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsServerLines_data();
    void readsServerLines();
    void commandsToTheServer_data();
    void commandsToTheServer();
    void splitsTheStream_data();
    void splitsTheStream();
    void waitsLongerAfterEachFailure();
    void countsPerMinute_data();
    void countsPerMinute();
    void summarisesPackets_data();
    void summarisesPackets();
};

// The comment lines as aprsc 2.1.21 sends them.
void TestServerLines::readsServerLines_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("fragments");
    QTest::addColumn<QString>("server"); ///< logresp: "verified NAME" or "unverified NAME"

    using K = ServerLine::Kind;
    QTest::newRow("packet") << "G4ABC>APRS,qAR,G4XYZ:>hello"_ba << int(K::Packet) << u"G4ABC>APRS,qAR,G4XYZ:>hello"_s
                            << QStringList() << QString();
    QTest::newRow("packet, Latin-1") << "G4ABC>APRS:>caf\xe9"_ba << int(K::Packet) << u"G4ABC>APRS:>caf\u00e9"_s
                                     << QStringList() << QString();
    QTest::newRow("packet, UTF-8") << "G4ABC>APRS:>caf\xc3\xa9"_ba << int(K::Packet) << u"G4ABC>APRS:>caf\u00e9"_s
                                   << QStringList() << QString();
    QTest::newRow("greeting") << "# aprsc 2.1.21-"_ba << int(K::Comment) << u"# aprsc 2.1.21-"_s << QStringList()
                              << QString();
    QTest::newRow("unverified") << "# logresp N0CALL unverified, server TESTSRV"_ba << int(K::LogResp)
                                << u"# logresp N0CALL unverified, server TESTSRV"_s << QStringList()
                                << u"unverified TESTSRV"_s;
    QTest::newRow("verified") << "# logresp G4ABC verified, server T2UK"_ba << int(K::LogResp)
                              << u"# logresp G4ABC verified, server T2UK"_s << QStringList() << u"verified T2UK"_s;
    QTest::newRow("parse errors") << "# Parse errors on filter spec: 'x/zz t/q'"_ba << int(K::ParseErrors)
                                  << u"# Parse errors on filter spec: 'x/zz t/q'"_s << QStringList{u"x/zz"_s, u"t/q"_s}
                                  << QString();
    QTest::newRow("filters kept") << "# filters: r/51.5/-1/100 b/G* "_ba << int(K::Filters)
                                  << u"# filters: r/51.5/-1/100 b/G* "_s << QStringList{u"r/51.5/-1/100"_s, u"b/G*"_s}
                                  << QString();
    QTest::newRow("filters, none kept") << "# filters: "_ba << int(K::Filters) << u"# filters: "_s << QStringList()
                                        << QString();
    QTest::newRow("filter active") << "# filter p/DL active"_ba << int(K::Comment) << u"# filter p/DL active"_s
                                   << QStringList() << QString();
}

void TestServerLines::readsServerLines()
{
    QFETCH(QByteArray, line);
    QFETCH(int, kind);
    QFETCH(QString, text);
    QFETCH(QStringList, fragments);
    QFETCH(QString, server);
    const ServerLine read = readServerLine(line);
    QCOMPARE(int(read.kind), kind);
    QCOMPARE(read.text, text);
    QCOMPARE(read.fragments, fragments);
    if (read.kind == ServerLine::Kind::LogResp)
        QCOMPARE((read.verified ? u"verified "_s : u"unverified "_s) + read.server, server);
}

void TestServerLines::commandsToTheServer_data()
{
    QTest::addColumn<QString>("filterLine");
    QTest::addColumn<QByteArray>("login"); ///< as N0CALL with no passcode
    QTest::addColumn<QByteArray>("command");

    QTest::newRow("fragments") << u"filter b/G* r/51.5/-1/100"_s
                               << "user N0CALL pass -1 vers Varnock 1.1.0 filter b/G* r/51.5/-1/100\r\n"_ba
                               << "#filter b/G* r/51.5/-1/100\r\n"_ba;
    QTest::newRow("without the word") << u"  p/DL   g/BLN* "_s
                                      << "user N0CALL pass -1 vers Varnock 1.1.0 filter p/DL g/BLN*\r\n"_ba
                                      << "#filter p/DL g/BLN*\r\n"_ba;
    QTest::newRow("no fragment") << u"filter"_s << "user N0CALL pass -1 vers Varnock 1.1.0\r\n"_ba
                                 << "#filter default\r\n"_ba;
    const QString longest = u"filter b/"_s + QString(500, u'A'); // "#filter b/" and 500 letters: 510
    QTest::newRow("510 bytes") << longest << QByteArray() << "#filter b/" + QByteArray(500, 'A') + "\r\n";
    QTest::newRow("511 bytes") << longest + u'A' << QByteArray() << QByteArray();
}

void TestServerLines::commandsToTheServer()
{
    QFETCH(QString, filterLine);
    QFETCH(QByteArray, login);
    QFETCH(QByteArray, command);
    if (!login.isEmpty())
        QCOMPARE(loginLine(u"N0CALL"_s, QString(), filterLine), login);
    QString problem;
    QCOMPARE(filterCommand(filterLine, &problem).value_or(QByteArray()), command);
    QCOMPARE(problem.isEmpty(), !command.isEmpty());
}

void TestServerLines::splitsTheStream_data()
{
    QTest::addColumn<QByteArrayList>("chunks");
    QTest::addColumn<QByteArrayList>("lines");
    QTest::addColumn<int>("pending");

    QTest::newRow("CR LF") << QByteArrayList{"a\r\nb\r\n"} << QByteArrayList{"a", "b"} << 0;
    QTest::newRow("LF only, split") << QByteArrayList{"ab", "c\nd"} << QByteArrayList{"abc"} << 1;
    QTest::newRow("CR LF split between chunks") << QByteArrayList{"a\r", "\n"} << QByteArrayList{"a"} << 0;
    QTest::newRow("NUL kept") << QByteArrayList{QByteArray("a\0b\n", 4)} << QByteArrayList{QByteArray("a\0b", 3)} << 0;
    QTest::newRow("long line cut") << QByteArrayList{"0123456789", "0123", "45\nok\n"}
                                   << QByteArrayList{"01234567", "ok"} << 0;
    QTest::newRow("half a line never ended") << QByteArrayList{"0123456789", "0123456789"} << QByteArrayList() << 8;
}

void TestServerLines::splitsTheStream()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArrayList, lines);
    QFETCH(int, pending);
    LineSplitter splitter(8);
    QByteArrayList split;
    for (const QByteArray &chunk : chunks)
        split += splitter.feed(chunk);
    QCOMPARE(split, lines);
    QCOMPARE(splitter.pending(), pending);
}

void TestServerLines::waitsLongerAfterEachFailure()
{
    QList<int> delays;
    for (int attempt = 0; attempt < 9; ++attempt)
        delays.append(reconnectDelaySeconds(attempt));
    QCOMPARE(delays, (QList<int>{1, 2, 4, 8, 16, 32, 60, 60, 60}));
}

void TestServerLines::countsPerMinute_data()
{
    QTest::addColumn<QList<qint64>>("arrivals"); // milliseconds, one packet each
    QTest::addColumn<qint64>("asked");
    QTest::addColumn<int>("perMinute");

    QTest::newRow("none") << QList<qint64>{} << qint64(5000) << 0;
    QTest::newRow("within the minute") << QList<qint64>{1000, 1500, 30000, 59999} << qint64(59999) << 4;
    QTest::newRow("the oldest second left behind") << QList<qint64>{1000, 1500, 30000} << qint64(61000) << 1;
    QTest::newRow("a quiet minute") << QList<qint64>{1000, 30000} << qint64(90000) << 0;
    QTest::newRow("an hour later, the same second") << QList<qint64>{1000, 3601000} << qint64(3601500) << 1;
    QTest::newRow("buckets reused after a gap") << QList<qint64>{1000, 2000, 62000, 62500} << qint64(62500) << 2;
}

void TestServerLines::countsPerMinute()
{
    QFETCH(QList<qint64>, arrivals);
    QFETCH(qint64, asked);
    QFETCH(int, perMinute);
    PacketRate rate;
    for (qint64 msecs : arrivals)
        rate.count(msecs);
    QCOMPARE(rate.perMinute(asked), perMinute);
}

void TestServerLines::summarisesPackets_data()
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
    QTest::newRow("weather symbol") << "YD1RUH-13>APRSWX,TCPIP*:=0611.01S/10641.81E_.../000g...t078"_ba
                                    << u"Weather"_s << QString() << -6.183500 << 106.696833;
    QTest::newRow("ambiguity") << "N0CALL>APRS:!4903.  N/07201.  W-"_ba << u"Position"_s << QString() << 49.05
                               << -72.016667;
    QTest::newRow("compressed") << "DG5MGJ-10>APLS01,WIDE1-1,qAR,DL0IN-15:!/5m&/QD8Opb(H/A=001244Lora"_ba
                                << u"Position"_s << QString() << 48.781377 << 11.446013;
    QTest::newRow("Mic-E north east") << "SP3VN>URRT29,WIDE1-1,qAR,SP3IZN-1:`,Rl\"R[/`\"4k}radio"_ba << u"Mic-E"_s
                                      << QString() << 52.404833 << 16.913333;
    QTest::newRow("Mic-E north west") << "KI4KK-9>SS5X8U,WIDE1-1,WIDE2-1,qAR,N2MH-14:`j&$ {!v/]\"4%}="_ba
                                      << u"Mic-E"_s << QString() << 33.980833 << -78.168000;
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
    QTest::newRow("third party") << "G4ABC>APRS,TCPIP*:}M0XYZ>APRS,TCPIP,G4ABC*:>hi"_ba << u"Third party"_s
                                 << QString() << 999.0 << 999.0;
    QTest::newRow("text before the position") << "N0CALL>APRS:TNC text !4903.50N/07201.75W-"_ba << u"Position"_s
                                              << QString() << 49.058333 << -72.029167;
    QTest::newRow("latitude past the pole") << "N0CALL>APRS:!9903.50N/07201.75W-"_ba << u"Position"_s << QString()
                                            << 999.0 << 999.0;
    QTest::newRow("minutes past 59") << "N0CALL>APRS:!4963.50N/07201.75W-"_ba << u"Position"_s << QString() << 999.0
                                     << 999.0;
    QTest::newRow("cut short") << "N0CALL>APRS:!4903.50N/072"_ba << u"Position"_s << QString() << 999.0 << 999.0;
    QTest::newRow("Mic-E cut short") << "N0CALL>SS5X8U:`j"_ba << u"Mic-E"_s << QString() << 999.0 << 999.0;
    QTest::newRow("no header") << "just text"_ba << u"Other"_s << QString() << 999.0 << 999.0;
    QTest::newRow("empty information") << "N0CALL>APRS:"_ba << u"Other"_s << QString() << 999.0 << 999.0;
}

void TestServerLines::summarisesPackets()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(double, latitude);
    QFETCH(double, longitude);
    const PacketSummary summary = summarisePacket(line);
    QCOMPARE(summary.kind, kind);
    QCOMPARE(summary.name, name);
    QCOMPARE(summary.position.has_value(), latitude != 999);
    if (summary.position) {
        QVERIFY2(qAbs(summary.position->latitude - latitude) < 1e-5, qPrintable(QString::number(summary.position->latitude, 'f', 6)));
        QVERIFY2(qAbs(summary.position->longitude - longitude) < 1e-5, qPrintable(QString::number(summary.position->longitude, 'f', 6)));
    }
    // As the table shows a position: four decimals and the hemispheres.
    if (QTest::currentDataTag() == "weather symbol"_ba)
        QCOMPARE(positionText(*summary.position), u"6.1835 S 106.6968 E"_s);
    if (QTest::currentDataTag() == "Mic-E north west"_ba)
        QCOMPARE(positionText(*summary.position), u"33.9808 N 78.1680 W"_s);
    if (kind != u"Other"_s) {
        const qsizetype arrow = line.indexOf('>');
        QCOMPARE(summary.source, QString::fromLatin1(line.left(arrow)));
        QCOMPARE(summary.text, QString::fromLatin1(line.mid(line.indexOf(':') + 1)));
    }
}

QTEST_APPLESS_MAIN(TestServerLines)
#include "tst_serverlines.moc"
