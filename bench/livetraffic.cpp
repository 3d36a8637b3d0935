#include "livetraffic.h"

#include "app/gui/form1.h"
#include "app/gui/textviewer.h"
#include "aprsis/gui/livetable.h"
#include "aprsis/gui/livewindow.h"
#include "base/gui/dialogs.h"
#include "packets/core/filterengine.h"
#include "support/aprscserver.h"
#include "support/fakeuiview.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryFile>
#include <QTimer>

#include <cstdio>

namespace {

/// The peak resident memory of this process. Not getrusage's figure: that one keeps the peak of the
/// process that started this one, across exec.
double peakMiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return 0;
}

/// The packets of the full-feed capture, each made distinct by a serial number in its text, as
/// many as asked: the server passes a packet it passed in the last 30 s only once.
QByteArray burstOf(qint64 count)
{
    const QByteArrayList corpus = fullFeedCapture();
    if (corpus.isEmpty())
        return {};
    const QByteArray run = uniqueRun();
    QByteArray burst;
    for (qint64 i = 0; i < count; ++i)
        burst += corpus[i % corpus.size()] + ' ' + run + '.' + QByteArray::number(i) + "\r\n";
    return burst;
}

/// Watches the event loop: the longest time a 5 ms timer waited beyond its interval.
class StallWatch
{
public:
    StallWatch()
    {
        m_timer.setInterval(5);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            m_longest = std::max(m_longest, static_cast<double>(m_clock.nsecsElapsed()) / 1e6 - 5);
            m_clock.restart();
        });
    }
    void start()
    {
        m_longest = 0;
        m_clock.start();
        m_timer.start();
    }
    double longest() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_longest = 0;
};

/// Dialogs that answer the file box with one path and every question with OK.
class AnsweringDialogs final : public Dialogs
{
public:
    explicit AnsweringDialogs(const QString &path)
        : m_path(path)
    { }
    QString askText(QWidget *, const QString &, const QString &, const QString &) override { return m_path; }
    void tell(QWidget *, const QString &) override { }
    bool confirm(QWidget *, const QString &) override { return true; }
    QString askSaveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString askOpenFileName(QWidget *, const QString &, const QString &) override { return m_path; }

private:
    QString m_path;
};

/// A shown main window with its window "Live Traffic" open.
struct LiveBench
{
    explicit LiveBench(Dialogs &dialogs)
        : form(Form1Services{dialogs, viewer, uiview, QApplication::applicationDirPath()})
    {
        form.start();
        form.show();
        form.findChild<QPushButton *>(QStringLiteral("live_test"))->click();
        live = form.liveWindow();
    }
    DesktopTextViewer viewer;
    FakeUiView uiview;
    Form1 form;
    LiveWindow *live = nullptr;
};

} // namespace

int receiveBurst(int argc, char *argv[], bool window, quint16 port, qint64 packets)
{
    QApplication app(argc, argv);
    QtDialogs dialogs;
    DesktopTextViewer viewer;
    FakeUiView uiview;
    std::unique_ptr<Form1> form;
    QTcpSocket bare;
    qint64 bareLines = 0;
    LiveWindow *live = nullptr;
    StallWatch stalls;
    QElapsedTimer sinceFirst;
    qint64 atFirst = 0;
    std::function<qint64()> received;
    std::function<bool()> allShown = [] { return true; };

    if (window) {
        form = std::make_unique<Form1>(Form1Services{dialogs, viewer, uiview, QApplication::applicationDirPath()});
        form->start();
        form->show();
        form->findChild<QPushButton *>(QStringLiteral("live_test"))->click();
        live = form->liveWindow();
        live->findChild<QLineEdit *>(QStringLiteral("live_server"))->setText(QStringLiteral("127.0.0.1:%1").arg(port));
        live->findChild<QLineEdit *>(QStringLiteral("live_call"))->setText(QStringLiteral("N0BNCH"));
        live->findChild<QPushButton *>(QStringLiteral("live_connect"))->click();
        received = [live] { return live->packetCount(); };
        // The last packet sent ends with its serial number; shown, it heads the table.
        QAbstractItemModel *table = live->findChild<QTableView *>(QStringLiteral("live_packets"))->model();
        const QByteArray last = '.' + QByteArray::number(packets - 1);
        allShown = [table, last] {
            return table->rowCount() > 0
                && table->index(0, 0).data(LivePacketModel::RawLineRole).toByteArray().endsWith(last);
        };
    } else {
        QObject::connect(&bare, &QTcpSocket::readyRead, [&] { bareLines += bare.readAll().count('\n'); });
        bare.connectToHost(QStringLiteral("127.0.0.1"), port);
        bare.write("user N0BNCH pass -1 vers Varnock-bench 1.0\r\n");
        // The greeting and the login answer are lines too.
        received = [&] { return std::max<qint64>(0, bareLines - 2); };
    }
    // Logged in and settled: then the parent may send.
    QTimer::singleShot(1500, &app, [&] {
        std::printf("ready %f\n", peakMiB());
        std::fflush(stdout);
        stalls.start();
    });
    QTimer poll;
    poll.setInterval(1);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        const qint64 now = received();
        if (now > 0 && atFirst == 0) {
            atFirst = now;
            sinceFirst.start();
        }
        if (now >= packets && allShown()) {
            const double seconds = static_cast<double>(sinceFirst.nsecsElapsed()) / 1e9;
            std::printf("%lld %f %f %f\n", static_cast<long long>(now), (now - atFirst) / seconds, stalls.longest(),
                        peakMiB());
            std::fflush(stdout);
            poll.stop();
            app.quit();
        }
    });
    poll.start();
    QTimer::singleShot(120000, &app, [&] {
        std::printf("%lld\n", static_cast<long long>(received()));
        app.exit(1);
    });
    return app.exec();
}

BurstFigures measureBurst(bool window, qint64 packets)
{
    BurstFigures figures;
    if (const QString missing = AprscServer::missingReason(); !missing.isEmpty()) {
        figures.failure = missing;
        return figures;
    }
    AprscServer server;
    if (!server.start(&figures.failure))
        return figures;
    const QByteArray burst = burstOf(packets);
    if (burst.isEmpty()) {
        figures.failure = QStringLiteral("no capture in ../shared/aprs-corpus");
        return figures;
    }

    QProcess receiver;
    receiver.start(QCoreApplication::applicationFilePath(),
                   {QStringLiteral("--receive"), window ? QStringLiteral("window") : QStringLiteral("socket"),
                    QString::number(server.port() + 1), QString::number(packets)});
    if (!receiver.waitForReadyRead(20000)) {
        figures.failure = QStringLiteral("the receiver did not start");
        return figures;
    }
    const QList<QByteArray> ready = receiver.readLine().trimmed().split(' ');
    figures.idleMiB = ready.value(1).toDouble();

    RawLogin sender;
    if (!sender.logIn(server.port(), "G4INJ") || !sender.send({burst.chopped(2)})) {
        figures.failure = QStringLiteral("the packets could not be sent");
        return figures;
    }
    if (!receiver.waitForFinished(130000) || receiver.exitCode() != 0) {
        receiver.kill();
        figures.failure = QStringLiteral("the receiver got %1 packets of %2 and gave up")
                              .arg(QString::fromLatin1(receiver.readAllStandardOutput().trimmed()))
                              .arg(packets);
        return figures;
    }
    const QList<QByteArray> parts = receiver.readAllStandardOutput().trimmed().split(' ');
    figures.packets = parts.value(0).toLongLong();
    figures.perSecond = parts.value(1).toDouble();
    figures.longestStallMs = parts.value(2).toDouble();
    figures.peakMiB = parts.value(3).toDouble();
    return figures;
}

namespace {

/// The full-feed capture repeated to a number of packets, written a block at a time; false when
/// there is no capture.
bool writeRepeatedCapture(QTemporaryFile &file, qint64 packets)
{
    const QByteArrayList corpus = fullFeedCapture();
    if (corpus.isEmpty() || !file.open())
        return false;
    const QByteArray block = corpus.join("\r\n") + "\r\n";
    qint64 written = 0;
    for (; written + corpus.size() <= packets; written += corpus.size())
        file.write(block);
    for (qint64 i = 0; written < packets; ++i, ++written)
        file.write(corpus[i] + "\r\n");
    return file.flush();
}

} // namespace

EngineFigures measureEngine(qint64 packets, const QString &filterLine)
{
    EngineFigures figures;
    QTemporaryFile file;
    if (!writeRepeatedCapture(file, packets)) {
        figures.failure = QStringLiteral("no capture in ../shared/aprs-corpus");
        return figures;
    }

    // Each pass reads the file afresh, from the page cache after the first.
    const auto perSecond = [&](const std::function<void(const QByteArray &)> &use) {
        double best = 0;
        for (int run = 0; run < 3; ++run) {
            QFile capture(file.fileName());
            if (!capture.open(QIODevice::ReadOnly))
                return 0.0;
            QElapsedTimer clock;
            clock.start();
            while (!capture.atEnd()) {
                QByteArray line = capture.readLine();
                line.chop(2);
                use(line);
            }
            best = std::max(best, packets / (static_cast<double>(clock.nsecsElapsed()) / 1e9));
        }
        return best;
    };
    qint64 sink = 0;
    figures.floorPerSecond = perSecond([&](const QByteArray &line) { sink += line.size(); });
    figures.readPerSecond = perSecond([&](const QByteArray &line) { sink += readPacket(line).types; });
    FilterEngine engine(filterLine);
    figures.matchPerSecond = perSecond([&](const QByteArray &line) { sink += engine.match(readPacket(line)).passes; });
    if (sink == 42)
        std::printf(" ");
    return figures;
}

int analyseInChild(int argc, char *argv[], const QString &path, const QString &filterLine)
{
    QApplication app(argc, argv);
    AnsweringDialogs dialogs(path);
    LiveBench bench(dialogs);
    bench.live->setFilterLine(filterLine);
    QTimer::singleShot(500, &app, [&] {
        const double idle = peakMiB();
        StallWatch stalls;
        stalls.start();
        QElapsedTimer clock;
        clock.start();
        bench.live->findChild<QPushButton *>(QStringLiteral("live_analyse"))->click();
        while (bench.live->isAnalysing())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        std::printf("%f %f %f %f\n", seconds, stalls.longest(), idle, peakMiB());
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}

AnalysisFigures measureAnalysis(qint64 packets, const QString &filterLine)
{
    AnalysisFigures figures;
    QTemporaryFile file; // some 3 GB
    if (!writeRepeatedCapture(file, packets)) {
        figures.failure = QStringLiteral("no capture in ../shared/aprs-corpus");
        return figures;
    }
    figures.packets = packets;

    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--analyse"), file.fileName(), filterLine});
    if (!child.waitForFinished(600000) || child.exitCode() != 0) {
        figures.failure = QStringLiteral("the analysing process failed");
        return figures;
    }
    const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
    if (parts.size() != 4) {
        figures.failure = QStringLiteral("the analysing process said nothing");
        return figures;
    }
    figures.seconds = parts[0].toDouble();
    figures.perSecond = packets / figures.seconds;
    figures.longestStallMs = parts[1].toDouble();
    figures.idleMiB = parts[2].toDouble();
    figures.peakMiB = parts[3].toDouble();
    return figures;
}

int receiveFlood(int argc, char *argv[], quint16 port, int seconds)
{
    QApplication app(argc, argv);
    AnsweringDialogs dialogs({});
    LiveBench bench(dialogs);
    bench.live->findChild<QLineEdit *>(QStringLiteral("live_server"))
        ->setText(QStringLiteral("127.0.0.1:%1").arg(port));
    bench.live->findChild<QLineEdit *>(QStringLiteral("live_call"))->setText(QStringLiteral("N0BNCH"));
    const double idle = peakMiB();
    bench.live->findChild<QPushButton *>(QStringLiteral("live_connect"))->click();
    QTimer::singleShot(seconds * 1000, &app, [&] {
        std::printf("%lld %f %f %f %lld\n", static_cast<long long>(bench.live->packetCount()), idle, peakMiB(),
                    bench.live->recordedBytes() / (1024.0 * 1024.0),
                    static_cast<long long>(bench.live->droppedCount()));
        std::fflush(stdout);
        app.quit();
    });
    return app.exec();
}

FloodFigures measureFlood(int seconds)
{
    FloodFigures figures;
    const QByteArrayList corpus = fullFeedCapture();
    if (corpus.isEmpty()) {
        figures.failure = QStringLiteral("no capture in ../shared/aprs-corpus");
        return figures;
    }
    const QByteArray block = corpus.join("\r\n") + "\r\n";
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost)) {
        figures.failure = server.errorString();
        return figures;
    }
    QObject::connect(&server, &QTcpServer::newConnection, &server, [&] {
        QTcpSocket *peer = server.nextPendingConnection();
        QObject::connect(peer, &QTcpSocket::readyRead, peer, [peer, block] {
            if (!peer->readAll().contains('\n'))
                return;
            peer->write("# logresp N0BNCH unverified, server FLOOD\r\n");
            // As fast as the window takes them: a block whenever less than a megabyte waits.
            const auto more = [peer, block] {
                while (peer->bytesToWrite() < (1 << 20))
                    peer->write(block);
            };
            QObject::connect(peer, &QTcpSocket::bytesWritten, peer, more);
            more();
        });
    });
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--flood"), QString::number(server.serverPort()), QString::number(seconds)});
    QEventLoop loop;
    QObject::connect(&child, &QProcess::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot((seconds + 60) * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
    if (parts.size() != 5) {
        figures.failure = QStringLiteral("the flooded process said nothing");
        return figures;
    }
    figures.packets = parts[0].toLongLong();
    figures.idleMiB = parts[1].toDouble();
    figures.peakMiB = parts[2].toDouble();
    figures.recordingMiB = parts[3].toDouble();
    figures.dropped = parts[4].toLongLong();
    return figures;
}
