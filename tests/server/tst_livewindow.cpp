#include "aprsis/gui/livetable.h"
#include "aprsis/gui/livewindow.h"
#include "base/core/filterline.h"
#include "support/aprscserver.h"
#include "support/workbench.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTreeWidget>

using namespace Qt::StringLiterals;

class TestLiveWindow : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void showsWhatTheServerPasses();
    void followsTheFilterLine();
    void reconnectsWhenTheServerIsBack();
    void leavesAServerThatFallsSilent();

private:
    AprscServer m_server;
};

namespace {

/// The live window of a started main window, opened with its button and pointed at a server.
struct LiveBench : Workbench
{
    explicit LiveBench(quint16 port)
    {
        find<QPushButton>(u"live_test"_s)->click();
        window = form.liveWindow();
        find<QLineEdit>(u"live_server"_s)->setText(u"127.0.0.1:%1"_s.arg(port));
    }

    QString status() { return find<QLabel>(u"live_status"_s)->text(); }
    QAbstractItemModel *table() { return find<QTableView>(u"live_packets"_s)->model(); }

    /// The packets of the table, oldest first, as received.
    QByteArrayList shown()
    {
        QByteArrayList lines;
        for (int row = table()->rowCount() - 1; row >= 0; --row)
            lines.append(table()->index(row, 0).data(LivePacketModel::RawLineRole).toByteArray());
        return lines;
    }

    /// What the fragment list says of each fragment, as "fragment: state".
    QStringList fragments()
    {
        auto *list = find<QTreeWidget>(u"live_fragments"_s);
        QStringList states;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            states.append(list->topLevelItem(i)->text(0) + u": "_s + list->topLevelItem(i)->text(1));
        return states;
    }

    bool connectAndWait()
    {
        find<QPushButton>(u"live_connect"_s)->click();
        return QTest::qWaitFor([this] { return status().startsWith(u"Logged in as"_s); }, 10000);
    }

    LiveWindow *window = nullptr;
};

/// Waits until both have received as many packets as the reference and it has received nothing new
/// for a while.
bool settled(RawLogin &reference, LiveWindow *window)
{
    qsizetype last = -1;
    QElapsedTimer quiet;
    return QTest::qWaitFor(
        [&] {
            const qsizetype now = reference.packets().size();
            if (now != last) {
                last = now;
                quiet.start();
            }
            return quiet.elapsed() > 800 && window->packetCount() == now;
        },
        20000);
}

} // namespace

void TestLiveWindow::initTestCase()
{
    VARNOCK_START_APRSC(m_server);
}

void TestLiveWindow::showsWhatTheServerPasses()
{
    const QByteArrayList corpus = fullFeedCapture();
    if (corpus.isEmpty())
        VARNOCK_MISSING(kCaptureMissing);

    LiveBench bench(m_server.port());
    bench.form.decodeFilter(u"filter b/G* r/51/10/600 t/m"_s);
    const QString line = bench.form.filterLine();
    bench.dialogs.answer(u"n0call"_s);
    QVERIFY2(bench.connectAndWait(), qPrintable(bench.status()));
    QCOMPARE(bench.dialogs.questions.size(), 1);
    QCOMPARE(bench.dialogs.questions.first().prompt, u"Enter your callsign"_s);
    QVERIFY2(bench.status().contains(u"Logged in as N0CALL (unverified) on server TESTSRV  |  aprsc 2.1.21"_s),
             qPrintable(bench.status()));
    QTRY_COMPARE(bench.fragments(), (QStringList{u"b/G*: kept"_s, u"t/m: kept"_s, u"r/51/10/600: kept"_s}));

    RawLogin reference;
    QVERIFY(reference.logIn(m_server.port(), "N0REF", line.mid(7).toLatin1()));
    RawLogin sender;
    QVERIFY(sender.logIn(m_server.port(), "G4INJ"));
    QVERIFY(sender.send(corpus));
    QVERIFY(settled(reference, bench.window));
    const QByteArrayList passed = reference.packets();
    QVERIFY2(passed.size() > 20, "the server passed almost nothing: was the corpus sent in the last 30 s?");
    QTRY_COMPARE(bench.shown(), passed);
    QVERIFY(bench.find<QLabel>(u"live_rate"_s)->text().startsWith(u"%1 packets, "_s.arg(passed.size())));

    // Each packet names the fragment that brought it; the fragment list tallies them.
    int byTheServer = 0;
    for (int row = 0; row < bench.table()->rowCount(); ++row) {
        const QString fragment = bench.table()->index(row, LivePacketModel::Fragment).data().toString();
        QVERIFY2(serverFragments(line).contains(fragment) || fragment == u"server"_s, qPrintable(fragment));
        byTheServer += fragment == u"server"_s;
    }
    QVERIFY2(byTheServer * 20 < passed.size(), "the engine could not tell what brought more than 5% of the packets");
    auto *list = bench.find<QTreeWidget>(u"live_fragments"_s);
    int tallied = 0;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        tallied += list->topLevelItem(i)->text(2).toInt();
    QCOMPARE(tallied, passed.size());

    // The distance column measures from the range's centre.
    const int distances = [&] {
        int count = 0;
        for (int row = 0; row < bench.table()->rowCount(); ++row)
            count += !bench.table()->index(row, LivePacketModel::Distance).data().toString().isEmpty();
        return count;
    }();
    QVERIFY(distances > 0);

    QTemporaryDir folder;
    const QString savedPath = folder.filePath(u"saved.txt"_s);
    bench.dialogs.answer(savedPath);
    bench.find<QPushButton>(u"live_save"_s)->click();
    QFile saved(savedPath);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), passed.join("\r\n") + "\r\n");

    auto *search = bench.find<QLineEdit>(u"live_search"_s);
    const QString someone = QString::fromLatin1(passed.first().left(passed.first().indexOf('>')));
    search->setText(someone.toLower());
    QVERIFY(bench.table()->rowCount() >= 1 && bench.table()->rowCount() < passed.size());
    for (const QByteArray &shown : bench.shown())
        QVERIFY2(QString::fromLatin1(shown).contains(someone, Qt::CaseInsensitive), shown.constData());
    search->clear();
    QCOMPARE(bench.table()->rowCount(), passed.size());

    // Paused, the view stands still while the count goes on.
    auto *pause = bench.find<QPushButton>(u"live_pause"_s);
    pause->click();
    QCOMPARE(pause->text(), u"Resume"_s);
    QVERIFY(sender.send({"G4PSE>APRS,TCPIP*:>while paused " + uniqueRun()}));
    QTRY_COMPARE(bench.window->packetCount(), qint64(passed.size() + 1));
    QTest::qWait(300);
    QCOMPARE(bench.table()->rowCount(), passed.size());
    pause->click();
    QCOMPARE(pause->text(), u"Pause"_s);
    QTRY_COMPARE(bench.table()->rowCount(), passed.size() + 1);

    // The saved capture, analysed without a connection, comes back whole: every packet the server
    // passed passes the line again, except those whose fragment the engine could not tell.
    bench.find<QPushButton>(u"live_connect"_s)->click();
    bench.dialogs.answer(savedPath);
    bench.find<QPushButton>(u"live_analyse"_s)->click();
    QTRY_VERIFY(!bench.window->isAnalysing());
    QCOMPARE(bench.dialogs.confirmQuestions.size(), 1); // the table it replaces showed a connection
    QCOMPARE(bench.table()->rowCount(), passed.size() - byTheServer);
    QVERIFY2(bench.status().endsWith(
                 u"%1 packets, %2 pass the line"_s.arg(passed.size()).arg(passed.size() - byTheServer)),
             qPrintable(bench.status()));

    // Server and callsign are remembered, the passcode only when asked.
    LiveWindow again(bench.dialogs);
    QCOMPARE(again.findChild<QLineEdit *>(u"live_server"_s)->text(), u"127.0.0.1:%1"_s.arg(m_server.port()));
    QCOMPARE(again.findChild<QLineEdit *>(u"live_call"_s)->text(), u"N0CALL"_s);
    QVERIFY(!again.findChild<QCheckBox *>(u"live_remember"_s)->isChecked());
}

void TestLiveWindow::followsTheFilterLine()
{
    LiveBench bench(m_server.port());
    bench.find<QLineEdit>(u"live_call"_s)->setText(u"N0CALL"_s);
    bench.window->setFilterLine(u"filter b/G4* x/zz"_s);
    QVERIFY2(bench.connectAndWait(), qPrintable(bench.status()));
    QTRY_COMPARE(bench.fragments(), (QStringList{u"b/G4*: kept"_s, u"x/zz: parse error"_s}));

    // A change of the main window's line goes to the server and takes effect.
    bench.form.decodeFilter(u"filter b/M0* p/DL"_s);
    QTRY_COMPARE_WITH_TIMEOUT(bench.fragments(), (QStringList{u"b/M0*: kept"_s, u"p/DL: kept"_s}), 5000);
    QVERIFY(bench.find<QLabel>(u"live_sent"_s)->text().endsWith(u"The server keeps: b/M0* p/DL"_s));
    RawLogin reference;
    QVERIFY(reference.logIn(m_server.port(), "N0REF", "b/M0* p/DL"));
    RawLogin sender;
    QVERIFY(sender.logIn(m_server.port(), "G4INJ"));
    const QByteArray run = uniqueRun();
    QVERIFY(sender.send({"G4ABC>APRS,TCPIP*:>not now " + run, "M0ABC>APRS,TCPIP*:>passes " + run,
                         "DL1ABC>APRS,TCPIP*:>passes " + run}));
    QVERIFY(settled(reference, bench.window));
    QCOMPARE(reference.packets().size(), 2);
    QTRY_COMPARE(bench.shown(), reference.packets());

    // A fragment the server drops without a word is marked from its answer.
    bench.window->setFilterLine(u"filter p/DL t/zz"_s);
    QTRY_COMPARE_WITH_TIMEOUT(bench.fragments(), (QStringList{u"p/DL: kept"_s, u"t/zz: not kept"_s}), 5000);

    bench.form.clearAllPages();
    QTRY_COMPARE_WITH_TIMEOUT(bench.fragments(), QStringList{u"(the server's default): kept"_s}, 5000);
    QTRY_VERIFY(bench.find<QLabel>(u"live_sent"_s)->text().endsWith(u"The server keeps: its default"_s));

    // A line the server would drop is not sent: the list goes on showing what the server applies.
    bench.window->setFilterLine(u"filter b/"_s + QString(600, u'A'));
    auto *sent = bench.find<QLabel>(u"live_sent"_s);
    QTRY_VERIFY_WITH_TIMEOUT(sent->text().endsWith(u"so it was not sent."_s), 5000);
    QCOMPARE(bench.fragments(), QStringList{u"(the server's default): kept"_s});
}

void TestLiveWindow::reconnectsWhenTheServerIsBack()
{
    LiveBench bench(m_server.port());
    bench.find<QLineEdit>(u"live_call"_s)->setText(u"N0CALL"_s);
    QVERIFY2(bench.connectAndWait(), qPrintable(bench.status()));
    auto *button = bench.find<QPushButton>(u"live_connect"_s);
    QCOMPARE(button->text(), u"Disconnect"_s);

    m_server.stop();
    QTRY_VERIFY_WITH_TIMEOUT(bench.status().startsWith(u"The server closed the connection. Reconnecting in 1 s..."_s),
                             10000);
    QTRY_VERIFY_WITH_TIMEOUT(bench.status().startsWith(
                                 u"Connection refused by 127.0.0.1:%1. Reconnecting in"_s.arg(m_server.port())),
                             10000);
    QCOMPARE(bench.fragments(), QStringList{u"(the server's default): not sent"_s}); // no server applies it now
    QString error;
    QVERIFY2(m_server.restart(&error), qPrintable(error));
    QTRY_VERIFY_WITH_TIMEOUT(bench.status().startsWith(u"Logged in as N0CALL"_s), 40000);

    button->click();
    QCOMPARE(bench.status(), u"Disconnected."_s);
    QCOMPARE(button->text(), u"Connect"_s);
}

void TestLiveWindow::leavesAServerThatFallsSilent()
{
    // A server that greets, sends one awkward packet and half a line, and then nothing.
    QTcpServer silent;
    QVERIFY(silent.listen(QHostAddress::LocalHost));
    int connections = 0;
    const QByteArray awkward = "N0CALL>APRS:>" + QByteArray(600, 'A') + QByteArray("\xff\0\xe9", 3);
    connect(&silent, &QTcpServer::newConnection, &silent, [&] {
        QTcpSocket *peer = silent.nextPendingConnection();
        ++connections;
        peer->write("# silent 1.0\r\n" + awkward + "\r\nN0CALL>APR");
    });
    LiveBench bench(silent.serverPort());
    bench.find<QLineEdit>(u"live_call"_s)->setText(u"N0CALL"_s);
    bench.window->setSilenceLimit(500);
    bench.find<QPushButton>(u"live_connect"_s)->click();
    QTRY_VERIFY_WITH_TIMEOUT(bench.status().startsWith(u"127.0.0.1:%1 did not answer the login within 0.5 s. "
                                                       "Reconnecting in 1 s..."_s.arg(silent.serverPort())),
                             5000);
    QTRY_COMPARE(bench.shown(), QByteArrayList{awkward});
    QCOMPARE(bench.table()->index(0, LivePacketModel::Text).data().toString(),
             QString::fromLatin1(awkward.mid(awkward.indexOf(':') + 1)));
    QTRY_COMPARE_WITH_TIMEOUT(connections, 2, 5000);
}

QTEST_MAIN(TestLiveWindow)
#include "tst_livewindow.moc"
