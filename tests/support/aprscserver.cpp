#include "support/aprscserver.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
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
