#include "aprsis/core/serverlines.h"
#include "base/core/linereader.h"

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
    QTest::addColumn<int>("cut");
    QTest::addColumn<int>("running"); ///< the length of the line not yet ended

    QTest::newRow("CR LF") << QByteArrayList{"a\r\nb\r\n"} << QByteArrayList{"a", "b"} << 0 << 0;
    QTest::newRow("LF only, split") << QByteArrayList{"ab", "c\nd"} << QByteArrayList{"abc"} << 0 << 1;
    QTest::newRow("CR LF split between chunks") << QByteArrayList{"a\r", "\n"} << QByteArrayList{"a"} << 0 << 0;
    QTest::newRow("lone CR ends a line") << QByteArrayList{"a\rb\n"} << QByteArrayList{"a", "b"} << 0 << 0;
    QTest::newRow("line ends only") << QByteArrayList{QByteArray(1000, '\r'), QByteArray(1000, '\n')}
                                    << QByteArrayList() << 0 << 0;
    QTest::newRow("NUL and 8-bit kept") << QByteArrayList{QByteArray("a\0b\xe9\n", 5)}
                                        << QByteArrayList{QByteArray("a\0b\xe9", 4)} << 0 << 0;
    QTest::newRow("at the cap") << QByteArrayList{"0123", "4567\n"} << QByteArrayList{"01234567"} << 0 << 0;
    QTest::newRow("long line dropped and counted")
        << QByteArrayList{"0123456789", "0123", "45\nok\n"} << QByteArrayList{"ok"} << 1 << 0;
    QTest::newRow("long line in one chunk") << QByteArrayList{"012345678\nok\n"} << QByteArrayList{"ok"} << 1 << 0;
    QTest::newRow("a line never ended") << QByteArrayList{"0123456789", "0123456789"} << QByteArrayList() << 0 << 20;
}

void TestServerLines::splitsTheStream()
{
    QFETCH(QByteArrayList, chunks);
    QFETCH(QByteArrayList, lines);
    QFETCH(int, cut);
    QFETCH(int, running);
    LineReader reader(8);
    QByteArrayList split;
    for (const QByteArray &chunk : chunks)
        reader.feed(chunk, [&](QByteArrayView line) { split.append(line.toByteArray()); });
    QCOMPARE(split, lines);
    QCOMPARE(reader.cutLines(), cut);
    QCOMPARE(reader.runningLength(), running);
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

QTEST_APPLESS_MAIN(TestServerLines)
#include "tst_serverlines.moc"
