#include "aprsis/net/aprsisclient.h"
#include "support/aprscserver.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTcpServer>
#include <QTest>

using namespace Qt::StringLiterals;

class TestLiveClient : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void logsInAndChangesTheFilter();
    void failuresAreSentences_data();
    void failuresAreSentences();
    void liveCommandPrintsWhatTheServerPasses();
    void liveCommandToAClosedPortEndsQuickly();

private:
    AprscServer m_server;
};

namespace {

LiveSession::Settings settings(const QString &host, quint16 port)
{
    LiveSession::Settings settings;
    settings.host = host;
    settings.port = port;
    settings.call = u"N0CALL"_s;
    settings.filterDelayMs = 0;
    return settings;
}

} // namespace

void TestLiveClient::initTestCase()
{
    VARNOCK_START_APRSC(m_server);
}

void TestLiveClient::logsInAndChangesTheFilter()
{
    AprsIsClient client;
    QList<ServerLine> lines;
    connect(&client, &AprsIsClient::serverLineReceived, this, [&](const ServerLine &line) { lines.append(line); });
    const auto waitFor = [&](ServerLine::Kind kind) {
        return QTest::qWaitFor([&] {
            return std::any_of(lines.cbegin(), lines.cend(), [&](const ServerLine &l) { return l.kind == kind; });
        });
    };
    client.open(settings(u"127.0.0.1"_s, m_server.port()), u"filter b/G* x/zz"_s);
    QVERIFY(waitFor(ServerLine::Kind::LogResp));
    QCOMPARE(lines.first().kind, ServerLine::Kind::Comment); // the greeting
    const auto refused = std::find_if(lines.cbegin(), lines.cend(),
                                      [](const ServerLine &l) { return l.kind == ServerLine::Kind::ParseErrors; });
    QVERIFY(refused != lines.cend());
    QCOMPARE(refused->fragments, QStringList{u"x/zz"_s});
    const ServerLine logresp = lines.last();
    QCOMPARE(logresp.call, u"N0CALL"_s);
    QVERIFY(!logresp.verified);
    QCOMPARE(logresp.server, u"TESTSRV"_s);

    QVERIFY(waitFor(ServerLine::Kind::Filters));
    QCOMPARE(client.session().filter().kept, QStringList{u"b/G*"_s});
    QCOMPARE(client.session().filter().parseErrors, QStringList{u"x/zz"_s});

    lines.clear();
    client.setFilterLine(u"filter p/DL r/51.5/-1/100"_s);
    QVERIFY(waitFor(ServerLine::Kind::Filters));
    QCOMPARE(lines.last().fragments, (QStringList{u"p/DL"_s, u"r/51.5/-1/100"_s}));
    QCOMPARE(client.session().filter().sent, u"filter p/DL r/51.5/-1/100"_s);
}

void TestLiveClient::failuresAreSentences_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("sentence");

    QTest::newRow("refused") << u"127.0.0.1"_s << u"Connection refused by 127.0.0.1:%1"_s;
    QTest::newRow("unresolved") << u"no-such-host.invalid"_s << u"Cannot resolve no-such-host.invalid"_s;
    QTest::newRow("closed by the server") << QString() << u"The server closed the connection"_s;
}

void TestLiveClient::failuresAreSentences()
{
    QFETCH(QString, host);
    QFETCH(QString, sentence);
    // A listener that answers and hangs up stands in for a server that ends the connection.
    QTcpServer hangUp;
    QVERIFY(hangUp.listen(QHostAddress::LocalHost));
    connect(&hangUp, &QTcpServer::newConnection, &hangUp, [&] {
        QTcpSocket *peer = hangUp.nextPendingConnection();
        peer->write("# half a li");
        peer->disconnectFromHost();
    });
    quint16 port = hangUp.serverPort();
    if (!host.isEmpty()) {
        // A port just given up by a listener is refused.
        QTcpServer gone;
        QVERIFY(gone.listen(QHostAddress::LocalHost));
        port = gone.serverPort();
    }
    AprsIsClient client;
    // Generous: a machine without a name server may take a while to say a name is unknown.
    LiveSession::Settings once = settings(host.isEmpty() ? u"127.0.0.1"_s : host, port);
    once.reconnects = false;
    once.answerMs = 30000;
    client.open(once, u"b/G*"_s);
    QTRY_VERIFY_WITH_TIMEOUT(!client.isActive(), 30000);
    QCOMPARE(client.session().status(), sentence.contains(u"%1"_s) ? sentence.arg(port) : sentence);
}

void TestLiveClient::liveCommandPrintsWhatTheServerPasses()
{
    const QByteArray filter = "b/G4*";
    // The same filter through a plain login: what the server passes is the measure.
    RawLogin reference;
    QVERIFY(reference.logIn(m_server.port(), "N0REF", filter));

    QProcess varnock;
    varnock.start(QCoreApplication::applicationDirPath() + u"/varnock"_s,
                  {u"--live"_s, QString::fromLatin1(filter), u"--server"_s, u"127.0.0.1:%1"_s.arg(m_server.port()),
                   u"--call"_s, u"N0CALL"_s, u"--seconds"_s, u"4"_s});
    QVERIFY(varnock.waitForStarted());
    QByteArray serverLines;
    QVERIFY(
        QTest::qWaitFor([&] { return (serverLines += varnock.readAllStandardError()).contains("# logresp"); }, 5000));
    QVERIFY(QTest::qWaitFor([&] { return reference.loggedIn(); }, 5000));

    RawLogin sender;
    QVERIFY(sender.logIn(m_server.port(), "G4INJ"));
    const QByteArray run = uniqueRun();
    QVERIFY(sender.send({"G4ABC>APRS,TCPIP*:>passes " + run, "DL1ABC>APRS,TCPIP*:>does not " + run,
                         "G4XYZ>APRS,TCPIP*:>caf\xe9 " + run, "M0ABC>APRS,TCPIP*:>does not " + run}));
    QVERIFY(QTest::qWaitFor([&] { return reference.packets().size() >= 2; }, 5000));
    QVERIFY(varnock.waitForFinished(10000));
    QCOMPARE(varnock.exitCode(), 0);
    QByteArrayList printed = varnock.readAllStandardOutput().split('\n');
    printed.removeAll(QByteArray());
    QCOMPARE(printed, reference.packets());
    QCOMPARE(printed.size(), 2);
}

void TestLiveClient::liveCommandToAClosedPortEndsQuickly()
{
    QTcpServer gone;
    QVERIFY(gone.listen(QHostAddress::LocalHost));
    const quint16 port = gone.serverPort();
    gone.close();
    QElapsedTimer clock;
    clock.start();
    QProcess varnock;
    varnock.start(QCoreApplication::applicationDirPath() + u"/varnock"_s,
                  {u"--live"_s, u"b/G4*"_s, u"--server"_s, u"127.0.0.1:%1"_s.arg(port), u"--call"_s, u"N0CALL"_s});
    QVERIFY(varnock.waitForFinished(10000));
    QCOMPARE(varnock.exitCode(), 3);
    QVERIFY(varnock.readAllStandardError().contains(
        QByteArray("Connection refused by 127.0.0.1:" + QByteArray::number(port))));
}

QTEST_GUILESS_MAIN(TestLiveClient)
#include "tst_liveclient.moc"
