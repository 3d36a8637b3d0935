#include "aprsis/net/aprsisclient.h"

#include <QElapsedTimer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// What the socket holds unread at most: beyond it the server waits, as TCP lets a reader make it.
constexpr qint64 kSocketBuffer = 1 << 20;
constexpr qint64 kReadPiece = 1 << 16;

} // namespace

AprsIsClient::AprsIsClient(QObject *parent, std::function<qint64()> clock)
    : QObject(parent)
    , m_clock(std::move(clock))
    , m_socket(new QTcpSocket(this))
    , m_timer(new QTimer(this))
{
    if (!m_clock) {
        auto started = std::make_shared<QElapsedTimer>();
        started->start();
        m_clock = [started] { return started->elapsed(); };
    }
    m_socket->setReadBufferSize(kSocketBuffer);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, [this] { apply(m_session.tick(now())); });
    connect(m_socket, &QTcpSocket::connected, this, [this] {
        m_socket->setSocketOption(QAbstractSocket::LowDelayOption, 1);
        apply(m_session.connected(now()));
    });
    connect(m_socket, &QTcpSocket::readyRead, this, &AprsIsClient::readAvailable);
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

void AprsIsClient::open(const LiveSession::Settings &settings, const QString &filterLine)
{
    m_socket->abort();
    m_session = LiveSession(settings);
    apply(m_session.open(filterLine, now()));
}

void AprsIsClient::close(const QString &status)
{
    apply(m_session.close(status));
}

void AprsIsClient::setFilterLine(const QString &filterLine)
{
    apply(m_session.setFilterLine(filterLine, now()));
}

void AprsIsClient::apply(LiveSession::Effects effects)
{

    if (effects.disconnect || effects.connect)
        m_socket->abort();
    if (effects.connect)
        m_socket->connectToHost(m_session.settings().host, m_session.settings().port);
    if (!effects.write.isEmpty() && m_socket->state() == QAbstractSocket::ConnectedState)
        m_socket->write(effects.write);
    const qint64 deadline = m_session.nextDeadline();
    if (deadline < 0)
        m_timer->stop();
    else
        m_timer->start(int(std::clamp<qint64>(deadline - now(), 0, 1 << 30)));
    for (const ServerLine &line : std::as_const(effects.serverLines))
        Q_EMIT serverLineReceived(line);
    if (!effects.packets.isEmpty())
        Q_EMIT packetsReceived(effects.packets);
    // Told only when something shows differently, so that a flood of packets redraws nothing else.
    if (m_told.state != m_session.state() || m_told.status != m_session.status()
        || !(m_told.filter == m_session.filter())) {
        m_told = {m_session.state(), m_session.status(), m_session.filter()};
        Q_EMIT changed();
    }
}

void AprsIsClient::readAvailable()
{
    // In pieces, so that a flood reaches the session, and the window, a bounded piece at a time.
    while (m_socket->bytesAvailable() > 0 && isActive()) {
        const QByteArray piece = m_socket->read(kReadPiece);
        if (piece.isEmpty())
            break;
        apply(m_session.received(piece, now()));
    }
}

void AprsIsClient::tellError(QAbstractSocket::SocketError error)
{
    const LiveSession::Settings &settings = m_session.settings();
    const QString where = QStringLiteral("%1:%2").arg(settings.host).arg(settings.port);
    QString sentence;
    switch (error) {
    case QAbstractSocket::HostNotFoundError:
        sentence = QStringLiteral("Cannot resolve %1").arg(settings.host);
        break;
    case QAbstractSocket::ConnectionRefusedError:
        sentence = QStringLiteral("Connection refused by %1").arg(where);
        break;
    case QAbstractSocket::RemoteHostClosedError:
        sentence = QStringLiteral("The server closed the connection");
        break;
    default:
        sentence = QStringLiteral("Connection to %1 failed: %2").arg(where, m_socket->errorString());
        break;
    }
    // What the server sent before it closed is still read.
    readAvailable();
    apply(m_session.lost(sentence, now()));
}
