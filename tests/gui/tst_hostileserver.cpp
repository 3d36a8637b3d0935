#include "aprsis/gui/livewindow.h"
#include "support/workbench.h"

#include <QAction>
#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>

using namespace Qt::StringLiterals;

/// Servers of the test's own on the loopback address that do what real servers should not: the
/// live window and `varnock --live` must come through each, in bounded time and memory.
class TestHostileServer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void liveCommand_data();
    void liveCommand();
    void windowWaitsLongerEachTime();
    void windowRecordsUpToItsLimit();
    void analysisCanBeCancelled();
};

namespace {

/// A listener that greets and answers the login, then does what it was told.
class HostileServer final : public QObject
{
public:
    enum class Then { Close, Silence, LineEnds, EndlessLine, Packets };

    explicit HostileServer(Then then, bool answers = true)
        : m_then(then)
        , m_answers(answers)
    {
        m_listener.listen(QHostAddress::LocalHost);
        connect(&m_listener, &QTcpServer::newConnection, this, [this] {
            QTcpSocket *peer = m_listener.nextPendingConnection();
            ++connections;
            peer->write("# hostile 1.0\r\n");
            connect(peer, &QTcpSocket::readyRead, peer, [this, peer] {
                if (!peer->readAll().contains('\n') || !m_answers)
                    return;
                peer->write("# logresp N0CALL unverified, server HOSTILE\r\n");
                misbehave(peer);
            });
        });
    }

    quint16 port() const { return m_listener.serverPort(); }
    int connections = 0;

private:
    void misbehave(QTcpSocket *peer)
    {
        switch (m_then) {
        case Then::Close:
            peer->disconnectFromHost();
            break;
        case Then::Silence:
            break;
        case Then::LineEnds:
            feed(peer, QByteArray(1 << 20, '\r') + QByteArray(1 << 20, '\n'), 60);
            break;
        case Then::EndlessLine:
            feed(peer, QByteArray(1 << 20, 'A'), 60);
            break;
        case Then::Packets: {
            QByteArray packets;
            for (int i = 0; i < 5000; ++i)
                packets += "G4F" + QByteArray::number(i) + ">APRS,TCPIP*:>flood " + QByteArray(100, 'x') + "\r\n";
            feed(peer, packets, 200);
            break;
        }
        }
    }

    /// Writes the bytes again and again, as fast as the reader takes them.
    static void feed(QTcpSocket *peer, const QByteArray &bytes, int times)
    {
        auto left = std::make_shared<int>(times);
        const auto more = [peer, bytes, left] {
            if (peer->bytesToWrite() < (1 << 20) && (*left)-- > 0)
                peer->write(bytes);
        };
        connect(peer, &QTcpSocket::bytesWritten, peer, more);
        more();
    }

    QTcpServer m_listener;
    Then m_then;
    bool m_answers;
};

/// The resident memory of a running process, in KiB; 0 where it cannot be read.
qint64 residentKib(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLongLong();
    return 0;
}

} // namespace

void TestHostileServer::liveCommand_data()
{
    QTest::addColumn<int>("then");
    QTest::addColumn<bool>("answers");
    QTest::addColumn<bool>("closeOutput");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("errorSays");

    using T = HostileServer::Then;
    QTest::newRow("answers the login and closes")
        << int(T::Close) << true << false << 3 << u"The server closed the connection"_s;
    QTest::newRow("greets and never answers") << int(T::Silence) << false << false << 3 << u"Not logged in after 2 s"_s;
    QTest::newRow("120 MB of line ends") << int(T::LineEnds) << true << false << 0 << QString();
    QTest::newRow("a 60 MB line") << int(T::EndlessLine) << true << false << 0 << QString();
    QTest::newRow("output closed") << int(T::Packets) << true << true << 0 << QString();
}

void TestHostileServer::liveCommand()
{
    QFETCH(int, then);
    QFETCH(bool, answers);
    QFETCH(bool, closeOutput);
    QFETCH(int, status);
    QFETCH(QString, errorSays);
#ifdef Q_OS_WIN
    QSKIP("Varnock.exe's console form is checked by the Windows test's console step.");
#endif
    HostileServer server(HostileServer::Then(then), answers);
    const QString program = QCoreApplication::applicationDirPath() + u"/varnock"_s;
    const QStringList arguments{u"--live"_s, u"b/G*"_s,  u"--server"_s, u"127.0.0.1:%1"_s.arg(server.port()),
                                u"--call"_s, u"N0CALL"_s};
    QProcess varnock;
    // Under AddressSanitizer freed memory waits in a quarantine of 256 MB before it is reused; a
    // small one lets the figure show what the program holds.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"ASAN_OPTIONS"_s, environment.value(u"ASAN_OPTIONS"_s) + u":quarantine_size_mb=8"_s);
    varnock.setProcessEnvironment(environment);
    if (closeOutput) {
        // Without a time of its own, only its closed output can end it: "| head" closes it.
        varnock.start(u"bash"_s,
                      QStringList{u"-c"_s, u"\"$0\" \"$@\" | head -c 1000 >/dev/null; exit ${PIPESTATUS[0]}"_s, program}
                          + arguments);
    } else {
        varnock.start(program, arguments + QStringList{u"--seconds"_s, u"2"_s});
    }
    QVERIFY(varnock.waitForStarted());
    // The server is this process's: waiting must let its events run.
    qint64 peakKib = 0;
    QElapsedTimer clock;
    clock.start();
    while (varnock.state() != QProcess::NotRunning && clock.elapsed() < 10000) {
        peakKib = std::max(peakKib, residentKib(varnock.processId()));
        QTest::qWait(50);
    }
    QCOMPARE(varnock.state(), QProcess::NotRunning);
    QCOMPARE(varnock.exitStatus(), QProcess::NormalExit);
    const QByteArray said = varnock.readAllStandardError();
    QCOMPARE(varnock.exitCode(), status);
    QVERIFY2(said.contains(errorSays.toUtf8()), said.constData());
    if (!closeOutput)
        QCOMPARE(varnock.readAllStandardOutput(), QByteArray());
    // A reader that holds no more than a line, whatever comes.
    QVERIFY2(peakKib < 150 * 1024, qPrintable(u"%1 KiB"_s.arg(peakKib)));
}

void TestHostileServer::windowWaitsLongerEachTime()
{
    HostileServer server(HostileServer::Then::Close);
    Workbench bench;
    bench.find<QPushButton>(u"live_test"_s)->click();
    LiveWindow *window = bench.form.liveWindow();
    window->findChild<QLineEdit *>(u"live_server"_s)->setText(u"127.0.0.1:%1"_s.arg(server.port()));
    window->findChild<QLineEdit *>(u"live_call"_s)->setText(u"N0CALL"_s);
    window->findChild<QPushButton *>(u"live_connect"_s)->click();
    auto *status = window->findChild<QLabel *>(u"live_status"_s);
    // Waits of 1, 2 and 4 s: the fourth connection, not the seventh, in the first 7 s.
    QTRY_VERIFY_WITH_TIMEOUT(status->text().endsWith(u"Reconnecting in 8 s..."_s), 10000);
    QCOMPARE(server.connections, 4);
}

void TestHostileServer::windowRecordsUpToItsLimit()
{
    HostileServer server(HostileServer::Then::Packets);
    Workbench bench;
    bench.find<QPushButton>(u"live_test"_s)->click();
    LiveWindow *window = bench.form.liveWindow();
    window->setRecordingLimit(1 << 20);
    window->findChild<QLineEdit *>(u"live_server"_s)->setText(u"127.0.0.1:%1"_s.arg(server.port()));
    window->findChild<QLineEdit *>(u"live_call"_s)->setText(u"N0CALL"_s);
    window->findChild<QPushButton *>(u"live_connect"_s)->click();
    auto *status = window->findChild<QLabel *>(u"live_status"_s);
    QTRY_VERIFY_WITH_TIMEOUT(status->text().contains(u"stopped at its limit of 1 MiB"_s), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(window->packetCount() > 20000, 20000);

    QTemporaryDir folder;
    const QString saved = folder.filePath(u"saved.txt"_s);
    bench.dialogs.answer(saved);
    window->findChild<QPushButton *>(u"live_save"_s)->click();
    QVERIFY2(status->text().contains(u"Saved "_s), qPrintable(status->text()));
    QVERIFY(QFileInfo(saved).size() <= 1 << 20 && QFileInfo(saved).size() > (1 << 20) - 200);
    window->findChild<QPushButton *>(u"live_connect"_s)->click();
    QVERIFY(!window->isActive());
}

void TestHostileServer::analysisCanBeCancelled()
{
    // Not a server, but a capture too big to wait for: the window answers, and Cancel stops it.
    QTemporaryDir folder;
    const QString capture = folder.filePath(u"big.txt"_s);
    QFile file(capture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QByteArray block;
    for (int i = 0; i < 10000; ++i)
        block += "G4A" + QByteArray::number(i) + ">APRS,TCPIP*:!5130.00N/00010.00W-big capture\r\n";
    for (int i = 0; i < 200; ++i)
        file.write(block);
    file.close();
    Workbench bench;
    bench.form.decodeFilter(u"b/G4A1*"_s);
    bench.find<QPushButton>(u"live_test"_s)->click();
    LiveWindow *window = bench.form.liveWindow();
    bench.dialogs.answer(capture);
    window->findChild<QPushButton *>(u"live_analyse"_s)->click();
    QVERIFY(window->isAnalysing());
    QVERIFY(window->findChild<QPushButton *>(u"live_cancel"_s)->isVisible());
    window->findChild<QPushButton *>(u"live_cancel"_s)->click();
    QTRY_VERIFY_WITH_TIMEOUT(!window->isAnalysing(), 10000);
    auto *status = window->findChild<QLabel *>(u"live_status"_s);
    QVERIFY2(status->text().contains(u"(cancelled: only what was read before)"_s), qPrintable(status->text()));

    // What the table shows copies as the packets' lines.
    auto *table = window->findChild<QTableView *>(u"live_packets"_s);
    QVERIFY(table->model()->rowCount() > 0);
    table->selectRow(0);
    QCOMPARE(table->actions().size(), 1);
    QCOMPARE(table->actions().first()->shortcut(), QKeySequence(QKeySequence::Copy));
    table->actions().first()->trigger();
    QCOMPARE(QGuiApplication::clipboard()->text().toLatin1(),
             table->model()->index(0, 0).data(LivePacketModel::RawLineRole).toByteArray());
}

QTEST_MAIN(TestHostileServer)
#include "tst_hostileserver.moc"
