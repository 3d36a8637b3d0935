#pragma once

#include "aprsis/core/livesession.h"

#include <QAbstractSocket>
#include <QObject>

#include <functional>

class QTcpSocket;
class QTimer;

/// The socket and the timer around a LiveSession: it tells the session what the socket did and
/// when, and does what the session answers. It never sends a packet: the only lines it writes are
/// the login, "#filter" and "#filter?".
class AprsIsClient final : public QObject
{
    Q_OBJECT

public:
    /// The clock gives milliseconds that never go back; by default, since the client was made.
    explicit AprsIsClient(QObject *parent = nullptr, std::function<qint64()> clock = {});
    ~AprsIsClient() override;

    /// Connects and logs in with the line; reconnects after failures if the settings say so.
    void open(const LiveSession::Settings &settings, const QString &filterLine);
    /// Ends the connection; the status says why.
    void close(const QString &status = QStringLiteral("Disconnected."));
    /// Follows the filter line; see LiveSession::setFilterLine.
    void setFilterLine(const QString &filterLine);

    const LiveSession &session() const { return m_session; }
    /// Whether the user wants a connection: connected, connecting or waiting to reconnect.
    bool isActive() const { return m_session.state() != LiveSession::State::Disconnected; }

    /// "HOST:PORT" read into its parts; false when the port is missing or out of range.
    static bool splitServer(const QString &server, QString *host, quint16 *port);

Q_SIGNALS:
    /// Packets received, in order, as read from one piece of the stream.
    void packetsReceived(const QList<QByteArray> &packets);
    void serverLineReceived(const ServerLine &line);
    /// The state, the status sentence or the server's view of the filter may have changed.
    void changed();

private:
    void apply(LiveSession::Effects effects);
    void readAvailable();
    void tellError(QAbstractSocket::SocketError error);
    qint64 now() const { return m_clock(); }

    std::function<qint64()> m_clock;
    LiveSession m_session{LiveSession::Settings()};
    QTcpSocket *m_socket;
    QTimer *m_timer;
    /// What changed() last told.
    struct Told
    {
        LiveSession::State state = LiveSession::State::Disconnected;
        QString status;
        LiveSession::FilterView filter;
    } m_told;
};
