#include "aprsis/core/livesession.h"

#include <QTest>

using namespace Qt::StringLiterals;

/// The connection's state machine, driven by scripts of socket events and clock ticks: minutes of
/// a hostile server in microseconds.
class TestLiveSession : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void script_data();
    void script();
    void floodsCostNothing();
};

namespace {

/// What a script's effects added up to.
struct Outcome
{
    int connects = 0;
    QByteArray written;
    QByteArrayList packets;
};

const QByteArray kLogresp = "# logresp N0CALL unverified, server T2TEST\r\n";

LiveSession::Settings testSettings()
{
    LiveSession::Settings settings;
    settings.host = u"h"_s;
    settings.port = 14580;
    settings.call = u"N0CALL"_s;
    return settings;
}

/// Runs steps of the form "verb@ms" or "verb@ms:argument": open, connected, recv (the argument,
/// with \r and \n written as such), lost (the argument is the sentence), tick, line, close.
/// "cycle@ms:N" is N rounds of a server that answers the login and closes at once, each right
/// after the wait the session asked for.
Outcome run(LiveSession &session, const QStringList &steps)
{
    Outcome outcome;
    const auto take = [&](const LiveSession::Effects &effects) {
        outcome.connects += effects.connect;
        outcome.written += effects.write;
        outcome.packets += effects.packets;
    };
    for (const QString &step : steps) {
        const QString verb = step.section(u'@', 0, 0);
        const QString rest = step.section(u'@', 1);
        const qint64 at = rest.section(u':', 0, 0).toLongLong();
        QString argument = rest.section(u':', 1);
        argument.replace(u"\\r"_s, u"\r"_s).replace(u"\\n"_s, u"\n"_s);
        if (verb == u"open")
            take(session.open(argument.isEmpty() ? u"filter b/G*"_s : argument, at));
        else if (verb == u"connected")
            take(session.connected(at));
        else if (verb == u"recv")
            take(session.received(argument.toLatin1(), at));
        else if (verb == u"lost")
            take(session.lost(argument, at));
        else if (verb == u"tick")
            take(session.tick(at));
        else if (verb == u"line")
            take(session.setFilterLine(argument, at));
        else if (verb == u"close")
            take(session.close());
        else if (verb == u"cycle") {
            qint64 now = at;
            for (int i = argument.toInt(); i > 0; --i) {
                now = std::max(now, session.nextDeadline());
                take(session.tick(now));
                take(session.connected(now));
                take(session.received(kLogresp, now + 5));
                take(session.received("# aprsc 2.1.21\r\n", now + 6));
                take(session.lost(u"The server closed the connection"_s, now + 10));
            }
        }
    }
    return outcome;
}

} // namespace

void TestLiveSession::script_data()
{
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("status"); ///< how it begins
    QTest::addColumn<int>("connects");
    QTest::addColumn<QByteArray>("written");
    QTest::addColumn<QByteArrayList>("packets");

    using S = LiveSession::State;
    const QByteArray login = "user N0CALL pass -1 vers Varnock 1.1.0 filter b/G*\r\n";
    const QStringList loggedIn{u"open@0"_s, u"connected@10"_s, u"recv@20:# aprsc 2.1.21\\r\\n"_s,
                               u"recv@30:"_s + QString::fromLatin1(kLogresp).replace(u"\r\n"_s, u"\\r\\n"_s)};

    QTest::newRow("logs in") << loggedIn << int(S::Connected)
                             << u"Logged in as N0CALL (unverified) on server T2TEST  |  aprsc 2.1.21"_s << 1
                             << login + "#filter?\r\n"
                             << QByteArrayList();
    QTest::newRow("packets byte for byte, NUL and 8-bit")
        << loggedIn + QStringList{u"recv@40:G4ABC>APRS:>a"_s, u"recv@41:\0b\xe9\\r\\n\\r\\r\\nM0X>APRS:>c\\n"_s}
        << int(S::Connected) << u"Logged in"_s << 1 << login + "#filter?\r\n"
        << QByteArrayList{QByteArray("G4ABC>APRS:>a\0b\xe9", 16), "M0X>APRS:>c"};
    QTest::newRow("refused, then waits") << QStringList{u"open@0"_s, u"lost@5:Connection refused by h:1"_s}
                                         << int(S::WaitingToReconnect)
                                         << u"Connection refused by h:1. Reconnecting in 1 s..."_s << 1 << QByteArray()
                                         << QByteArrayList();
    QTest::newRow("reconnects when the wait is over")
        << QStringList{u"open@0"_s, u"lost@5:Connection refused by h:1"_s, u"tick@1004"_s, u"tick@1005"_s}
        << int(S::Connecting) << u"Reconnecting to"_s << 2 << QByteArray() << QByteArrayList();
    QTest::newRow("answers the login and closes: the wait grows")
        << QStringList{u"open@0"_s, u"lost@5:Connection refused by h:1"_s, u"cycle@0:6"_s} << int(S::WaitingToReconnect)
        << u"The server closed the connection. Reconnecting in 60 s..."_s << 7 << QByteArray() << QByteArrayList();
    QTest::newRow("a healthy minute starts the waits again")
        << loggedIn + QStringList{u"recv@30000:# keepalive\\r\\n"_s, u"lost@60030:The server closed the connection"_s}
        << int(S::WaitingToReconnect) << u"The server closed the connection. Reconnecting in 1 s..."_s << 1
        << QByteArray() << QByteArrayList();
    QTest::newRow("greeting, then silence")
        << QStringList{u"open@0"_s, u"connected@10"_s, u"recv@20:# aprsc\\r\\n"_s, u"tick@10009"_s, u"tick@10010"_s}
        << int(S::WaitingToReconnect) << u"h:14580 did not answer the login within 10 s. Reconnecting in 1 s..."_s << 1
        << QByteArray() << QByteArrayList();
    QTest::newRow("no connection within the time")
        << QStringList{u"open@0"_s, u"tick@10000"_s} << int(S::WaitingToReconnect)
        << u"h:14580 did not accept the connection within 10 s"_s << 1 << QByteArray() << QByteArrayList();
    QTest::newRow("silent after login") << loggedIn + QStringList{u"tick@120029"_s, u"tick@120030"_s}
                                        << int(S::WaitingToReconnect) << u"No traffic from the server for 2 minutes"_s
                                        << 1 << QByteArray() << QByteArrayList();
    QStringList drip = loggedIn;
    for (int second = 1; second <= 120; ++second)
        drip << u"recv@%1:x"_s.arg(second * 1000 + 30) << u"tick@%1"_s.arg(second * 1000 + 30);
    QTest::newRow("a drip without a line end is silence")
        << drip << int(S::WaitingToReconnect) << u"No traffic from the server for 2 minutes"_s << 1 << QByteArray()
        << QByteArrayList();
    QTest::newRow("filter change after the line rests")
        << loggedIn + QStringList{u"line@100:filter b/X"_s, u"line@600:filter b/Y"_s, u"tick@1500"_s, u"tick@1600"_s}
        << int(S::Connected) << u"Logged in"_s << 1 << login + "#filter?\r\n#filter b/Y\r\n#filter?\r\n"
        << QByteArrayList();
    QTest::newRow("a change before the login goes with it")
        << QStringList{u"open@0"_s, u"line@5:filter p/DL"_s, u"connected@10"_s, u"tick@2000"_s} << int(S::LoggingIn)
        << u"Logging in to h:14580 as N0CALL..."_s << 1 << "user N0CALL pass -1 vers Varnock 1.1.0 filter p/DL\r\n"_ba
        << QByteArrayList();
    QTest::newRow("closed by the user") << loggedIn + QStringList{u"close@40"_s, u"lost@50:gone"_s, u"tick@99999"_s}
                                        << int(S::Disconnected) << u"Disconnected."_s << 1 << login + "#filter?\r\n"
                                        << QByteArrayList();
}

void TestLiveSession::script()
{
    QFETCH(QStringList, steps);
    QFETCH(int, state);
    QFETCH(QString, status);
    QFETCH(int, connects);
    QFETCH(QByteArray, written);
    QFETCH(QByteArrayList, packets);
    LiveSession session(testSettings());
    const Outcome outcome = run(session, steps);
    QCOMPARE(int(session.state()), state);
    QVERIFY2(session.status().startsWith(status), qPrintable(session.status()));
    QCOMPARE(outcome.connects, connects);
    if (!written.isNull())
        QCOMPARE(outcome.written, written);
    QCOMPARE(outcome.packets, packets);
}

void TestLiveSession::floodsCostNothing()
{
    LiveSession session(testSettings());
    run(session, {u"open@0"_s, u"connected@1"_s, u"recv@2:# logresp N0CALL unverified, server T\\r\\n"_s});

    // 50 MB without a line end: held to the cap, then dropped whole and counted, never a packet.
    const QByteArray megabyte(1 << 20, 'A');
    for (int i = 0; i < 50; ++i)
        QVERIFY(session.received(megabyte, 10).packets.isEmpty());
    QVERIFY(session.received("\r\n", 10).packets.isEmpty());
    QCOMPARE(session.cutLines(), 1);

    // Line ends alone, a megabyte of them, are nothing at all.
    QVERIFY(session.received(QByteArray(1 << 20, '\r'), 20).packets.isEmpty());
    QVERIFY(session.received(QByteArray(1 << 20, '\n'), 20).packets.isEmpty());
    QCOMPARE(session.cutLines(), 1);

    // What the server says of the filter is the session's view of it; a line it would drop is not sent.
    session.received("# Parse errors on filter spec: 'x/zz'\r\n# filters: b/G*\r\n", 30);
    QCOMPARE(session.filter().parseErrors, QStringList{u"x/zz"_s});
    QCOMPARE(session.filter().kept, QStringList{u"b/G*"_s});
    session.setFilterLine(u"b/"_s + QString(600, u'A'), 40);
    QVERIFY(session.tick(5000).write.isEmpty());
    QCOMPARE(session.filter().sent, u"filter b/G*"_s);
    QCOMPARE(session.filter().kept, QStringList{u"b/G*"_s});
    QVERIFY(session.filter().problem.endsWith(u"so it was not sent."_s));
    QCOMPARE(int(session.state()), int(LiveSession::State::Connected));
}

QTEST_APPLESS_MAIN(TestLiveSession)
#include "tst_livesession.moc"
