#include "aprsis/net/aprsisclient.h"

#include <QTcpSocket>

AprsIsClient::AprsIsClient(QObject *parent)
    : QObject(parent)
    , m_socket(new QTcpSocket(this))
{
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        m_socket->write(m_login);
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &AprsIsClient::readLines);
    connect(m_socket, &QTcpSocket::errorOccurred, this, &AprsIsClient::tellError);
}

AprsIsClient::~AprsIsClient() = default;

bool AprsIsClient::splitServer(const QString &server, QString *host, quint16 *port)
{
    const qsizetype colon = server.lastIndexOf(u':');
    if (colon <= 0)
        return false;
    bool ok = false;
    const uint number = server.mid(colon + 1).toUInt(&ok);
    if (!ok || number == 0 || number > 65535)
        return false;
    *host = server.left(colon).trimmed();
    *port = quint16(number);
    return !host->isEmpty();
}

void AprsIsClient::open(const QString &host, quint16 port, const QString &call, const QString &passcode,
                        const QString &filterLine)
{
    close();
    m_host = host;
    m_port = port;
    m_login = loginLine(call, passcode, filterLine);
    m_splitter = LineSplitter();
    m_socket->connectToHost(host, port);
}

void AprsIsClient::close()
{
    m_socket->abort();
}

bool AprsIsClient::isOpen() const
{
    return m_socket->state() == QAbstractSocket::ConnectedState;
}

bool AprsIsClient::setFilter(const QString &filterLine, QString *problem)
{
    const std::optional<QByteArray> command = filterCommand(filterLine, problem);
    if (!command)
        return false;
    if (!isOpen()) {
        if (problem)
            *problem = QStringLiteral("Not connected.");
        return false;
    }
    m_socket->write(*command);
    askFilter();
    return true;
}

void AprsIsClient::askFilter()
{
    if (isOpen())
        m_socket->write("#filter?\r\n");
}

void AprsIsClient::readLines()
{
    for (const QByteArray &line : m_splitter.feed(m_socket->readAll())) {
        if (line.isEmpty())
            continue;
        if (line.startsWith('#'))
            Q_EMIT serverLineReceived(readServerLine(line));
        else
            Q_EMIT packetReceived(line);
    }
}

void AprsIsClient::tellError(QAbstractSocket::SocketError error)
{
    const QString where = QStringLiteral("%1:%2").arg(m_host).arg(m_port);
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        Q_EMIT failed(QStringLiteral("Cannot resolve %1").arg(m_host));
        break;
    case QAbstractSocket::ConnectionRefusedError:
        Q_EMIT failed(QStringLiteral("Connection refused by %1").arg(where));
        break;
    case QAbstractSocket::RemoteHostClosedError:
        Q_EMIT failed(QStringLiteral("The server closed the connection"));
        break;
    default:
        Q_EMIT failed(QStringLiteral("Connection to %1 failed: %2").arg(where, m_socket->errorString()));
        break;
    }
}
