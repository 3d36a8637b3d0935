#include "support/aprscserver.h"

#include "packets/core/aprspacket.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <functional>
#include <memory>

namespace {

QString testServerScript()
{
    return QStringLiteral(VARNOCK_SHARED_DIR "/aprsc/test-server");
}

/// Runs the shared folder's script; its output goes to the error text when it fails.
bool runScript(const QStringList &arguments, QString *error)
{
    QProcess script;
    script.setProcessChannelMode(QProcess::MergedChannels);
    script.start(testServerScript(), arguments);
    // Building aprsc the first time takes a minute or two.
    if (!script.waitForFinished(10 * 60 * 1000) || script.exitStatus() != QProcess::NormalExit
        || script.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("test-server %1 failed: %2")
                         .arg(arguments.join(u' '), QString::fromLocal8Bit(script.readAll()));
        return false;
    }
    return true;
}

/// A port whose next port is free too. Taken below the system's range for outgoing connections,
/// which a test's many logins may fill for a while.
quint16 freePortPair()
{
    for (int attempt = 0; attempt < 200; ++attempt) {
        const auto port = static_cast<quint16>(QRandomGenerator::global()->bounded(20000, 32000));
        QTcpServer first;
        QTcpServer second;
        if (first.listen(QHostAddress::LocalHost, port) && second.listen(QHostAddress::LocalHost, port + 1))
            return port;
    }
    return 0;
}

} // namespace

AprscServer::~AprscServer()
{
    stop();
}

QString AprscServer::missingReason()
{
#ifdef Q_OS_WIN
    return QStringLiteral("aprsc, the server these tests measure against, builds and runs on Linux only; the Linux "
                          "run of this suite measures the same code against it");
#endif
    if (!QFileInfo(testServerScript()).isExecutable()
        || !QFileInfo::exists(QStringLiteral(VARNOCK_SHARED_DIR "/aprsc/src/filter.c")))
        return QStringLiteral("aprsc's source is missing in %1/aprsc: put aprsc 2.1.21 there (its repository "
                              "hessu/aprsc at tag v2.1.21, with the test-server script beside src/)")
            .arg(QDir::cleanPath(QStringLiteral(VARNOCK_SHARED_DIR)));
    return {};
}

bool AprscServer::start(QString *error)
{
    const QString missing = missingReason();
    if (!missing.isEmpty()) {
        *error = missing;
        return false;
    }
    m_port = freePortPair();
    if (m_port == 0) {
        *error = QStringLiteral("no free pair of ports on the loopback address");
        return false;
    }
    return restart(error);
}

bool AprscServer::restart(QString *error)
{
    const QString folder = QStringLiteral(VARNOCK_APRSC_DIR);
    if (!runScript({QStringLiteral("build"), folder}, error)
        || !runScript({QStringLiteral("start"), folder, QString::number(m_port)}, error))
        return false;
    m_running = true;
    return true;
}

void AprscServer::stop()
{
    if (m_running)
        runScript({QStringLiteral("stop"), QStringLiteral(VARNOCK_APRSC_DIR)}, nullptr);
    m_running = false;
}

QList<QList<QByteArray>> logInWithFilters(quint16 port, const QList<QByteArray> &filters)
{
    constexpr int kAtOnce = 32;
    constexpr int kTimeoutMs = 10000;
    QList<QList<QByteArray>> answers(filters.size());
    QEventLoop loop;
    qsizetype next = 0;
    int open = 0;
    std::function<void()> startNext = [&] {
        while (open < kAtOnce && next < filters.size()) {
            const qsizetype index = next++;
            ++open;
            auto *socket = new QTcpSocket(&loop);
            auto *timer = new QTimer(socket);
            auto greeted = std::make_shared<bool>(false);
            const auto finish = [&, socket] {
                if (socket->property("done").toBool())
                    return;
                socket->setProperty("done", true);
                socket->abort();
                socket->deleteLater();
                --open;
                startNext();
                if (open == 0 && next >= filters.size())
                    loop.quit();
            };
            QObject::connect(socket, &QTcpSocket::readyRead, socket, [&, socket, index, greeted, finish] {
                while (socket->canReadLine()) {
                    const QByteArray line = socket->readLine().trimmed();
                    if (!*greeted) {
                        *greeted = true; // the server's banner comes before the login
                        socket->write("user N0CHK pass -1 vers Varnock-test 1.0 filter " + filters[index] + "\r\n");
                        continue;
                    }
                    answers[index].append(line);
                    if (line.startsWith("# logresp"))
                        return finish();
                }
            });
            QObject::connect(socket, &QTcpSocket::disconnected, socket, finish);
            QObject::connect(socket, &QTcpSocket::errorOccurred, socket, finish);
            QObject::connect(timer, &QTimer::timeout, socket, finish);
            timer->start(kTimeoutMs);
            socket->connectToHost(QHostAddress::LocalHost, port);
        }
    };
    startNext();
    if (open > 0)
        loop.exec();
    return answers;
}

QString sharedFile(const QString &relativePath)
{
    const QString path = QDir::cleanPath(QStringLiteral(VARNOCK_SHARED_DIR "/") + relativePath);
    return QFileInfo::exists(path) ? path : QString();
}

QByteArrayList fullFeedCapture()
{
    QFile capture(sharedFile(QStringLiteral("aprs-corpus/fullfeed-1602.txt")));
    QByteArrayList packets;
    if (!capture.open(QIODevice::ReadOnly))
        return packets;
    QByteArray packet;
    while (readCapturedPacket(capture, &packet))
        packets.append(packet);
    return packets;
}

int passcodeOf(QByteArray call)
{
    call = call.toUpper().split('-').first();
    int hash = 0x73e2;
    for (qsizetype i = 0; i < call.size(); i += 2) {
        hash ^= call[i] << 8;
        if (i + 1 < call.size())
            hash ^= call[i + 1];
    }
    return hash & 0x7fff;
}

QByteArray uniqueRun()
{
    static int serial = 0;
    return QByteArray::number(QDateTime::currentMSecsSinceEpoch()) + '.' + QByteArray::number(++serial);
}

RawLogin::RawLogin()
{
    QObject::connect(&m_socket, &QTcpSocket::readyRead, [this] { m_received += m_socket.readAll(); });
}

bool RawLogin::logIn(quint16 port, const QByteArray &call, const QByteArray &filter)
{
    m_socket.connectToHost(QHostAddress::LocalHost, port);
    if (!m_socket.waitForConnected(5000))
        return false;
    const QByteArray pass = filter.isEmpty() ? QByteArray::number(passcodeOf(call)) : "-1";
    m_socket.write("user " + call + " pass " + pass + " vers Varnock-test 1.0"
                   + (filter.isEmpty() ? QByteArray() : " filter " + filter) + "\r\n");
    QDeadlineTimer deadline(5000);
    while (!loggedIn() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return loggedIn();
}

bool RawLogin::send(const QByteArrayList &packets)
{
    for (const QByteArray &packet : packets)
        m_socket.write(packet + "\r\n");
    while (m_socket.bytesToWrite() > 0)
        if (!m_socket.waitForBytesWritten(5000))
            return false;
    return true;
}

QByteArrayList RawLogin::packets() const
{
    QByteArrayList lines;
    QByteArrayList received = m_received.split('\n');
    received.removeLast(); // a line not yet ended
    for (const QByteArray &line : std::as_const(received))
        if (!line.isEmpty() && !line.startsWith('#'))
            lines.append(line.chopped(line.endsWith('\r') ? 1 : 0));
    return lines;
}
