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
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#ifndef Q_OS_WIN
#include <unistd.h>
#endif

#include <functional>
#include <memory>

namespace {

/// aprsc's source: VARNOCK_APRSC_SOURCE, else the shared folder beside the project.
QString sourceFolder()
{
    const QString named = qEnvironmentVariable("VARNOCK_APRSC_SOURCE");
    return QDir::cleanPath(named.isEmpty() ? QStringLiteral(VARNOCK_SHARED_DIR "/aprsc/src") : named);
}

/// Runs a program to its end; its output goes to the error text when it fails.
bool run(const QString &program, const QStringList &arguments, const QString &folder, QString *error)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    // Building aprsc the first time takes a minute or two.
    if (!process.waitForFinished(10 * 60 * 1000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        if (error)
            *error = QStringLiteral("%1 %2 in %3 failed: %4")
                         .arg(program, arguments.join(u' '), folder,
                              QString::fromLocal8Bit(process.readAll().right(4000)));
        return false;
    }
    return true;
}

/// Builds aprsc from its source into the build tree, once: configure and make in a copy of the source.
bool buildAprsc(QString *error)
{
    const QString built = QStringLiteral(VARNOCK_APRSC_DIR "/src");
    const QFileInfo binary(built + QStringLiteral("/aprsc"));
    const QFileInfo filter(sourceFolder() + QStringLiteral("/filter.c"));
    if (binary.isExecutable() && binary.lastModified() >= filter.lastModified())
        return true;
    QDir(built).removeRecursively();
    QDir().mkpath(QStringLiteral(VARNOCK_APRSC_DIR));
    return run(QStringLiteral("cp"), {QStringLiteral("-r"), sourceFolder(), built}, QStringLiteral(VARNOCK_APRSC_DIR),
               error)
        && run(QStringLiteral("chmod"), {QStringLiteral("-R"), QStringLiteral("u+w"), built}, built, error)
        && run(QStringLiteral("sh"), {QStringLiteral("./configure")}, built, error)
        && run(QStringLiteral("make"),
               {QStringLiteral("-j%1").arg(QThread::idealThreadCount()), QStringLiteral("aprsc")}, built, error);
}

bool canConnect(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(200);
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
    if (!QFileInfo::exists(sourceFolder() + QStringLiteral("/filter.c"))
        || !QFileInfo::exists(sourceFolder() + QStringLiteral("/configure")))
        return QStringLiteral("aprsc's source is missing in %1: set VARNOCK_APRSC_SOURCE to the src folder of a "
                              "checkout of aprsc 2.1.21 (its repository hessu/aprsc at tag v2.1.21)")
            .arg(sourceFolder());
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
    if (!buildAprsc(error))
        return false;
        // aprsc will not run as root: there it runs as "nobody", from a folder "nobody" can reach
        // whatever the permissions of the build tree's parents.
#ifdef Q_OS_WIN
    const bool root = false;
#else
    const bool root = getuid() == 0;
#endif
    m_runFolder = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/varnock-aprsc-XXXXXX"));
    const QString folder = m_runFolder->path();
    QFile::setPermissions(folder,
                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup | QFile::ExeGroup
                              | QFile::ReadOther | QFile::ExeOther);
    const QString binary = folder + QStringLiteral("/aprsc");
    QFile::copy(QStringLiteral(VARNOCK_APRSC_DIR "/src/aprsc"), binary);
    QDir(folder).mkdir(QStringLiteral("run"));
    QFile::setPermissions(folder + QStringLiteral("/run"), QFileDevice::Permissions(0x7777));
    QFile config(folder + QStringLiteral("/aprsc.conf"));
    if (!config.open(QIODevice::WriteOnly)) {
        *error = QStringLiteral("cannot write %1").arg(config.fileName());
        return false;
    }
    config.write(QStringLiteral("ServerId TESTSRV\nPassCode 0\nMyEmail test@example.invalid\nMyAdmin \"Test server\"\n"
                                "RunDir %1/run\nClientTimeout 48h\n"
                                "Listen \"User filter port\" igate tcp 127.0.0.1 %2\n"
                                "Listen \"Full feed\" fullfeed tcp 127.0.0.1 %3\n"
                                "WorkerThreads 1\nFileLimit 1000\n")
                     .arg(folder)
                     .arg(m_port)
                     .arg(m_port + 1)
                     .toUtf8());
    config.close();
    QStringList arguments{QStringLiteral("-c"),   config.fileName(),    QStringLiteral("-o"),
                          QStringLiteral("file"), QStringLiteral("-r"), folder + QStringLiteral("/run")};
    if (root)
        arguments << QStringLiteral("-u") << QStringLiteral("nobody");
    m_process = std::make_unique<QProcess>();
    m_process->setProcessChannelMode(QProcess::MergedChannels);
    m_process->start(binary, arguments);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 10000 && m_process->state() != QProcess::NotRunning)
        if (canConnect(m_port) && canConnect(m_port + 1)) {
            m_running = true;
            return true;
        } else {
            m_process->waitForFinished(100);
        }
    QFile log(folder + QStringLiteral("/run/aprsc.log"));
    log.open(QIODevice::ReadOnly);
    *error = QStringLiteral("aprsc did not start: %1 %2")
                 .arg(QString::fromLocal8Bit(m_process->readAll()), QString::fromLocal8Bit(log.readAll().right(2000)));
    stop();
    return false;
}

void AprscServer::stop()
{
    if (m_process) {
        m_process->terminate();
        if (!m_process->waitForFinished(5000))
            m_process->kill();
        m_process->waitForFinished(5000);
        m_process.reset();
    }
    m_runFolder.reset();
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
    CaptureReader reader(capture);
    QByteArray packet;
    while (reader.next(&packet))
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
