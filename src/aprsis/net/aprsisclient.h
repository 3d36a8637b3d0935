#pragma once

#include "aprsis/core/serverlines.h"

#include <QAbstractSocket>
#include <QObject>

class QTcpSocket;

/// A read-only connection to an APRS-IS server: it logs in, changes the filter and reads what the
/// server sends. It never sends a packet: the only lines it writes are the login, "#filter" and
/// "#filter?".
class AprsIsClient final : public QObject
{
    Q_OBJECT

public:
    explicit AprsIsClient(QObject *parent = nullptr);
    ~AprsIsClient() override;

    /// Connects and logs in; the answer comes as signals.
    void open(const QString &host, quint16 port, const QString &call, const QString &passcode,
              const QString &filterLine);
    void close();
    bool isOpen() const;

    /// Sends the filter line as "#filter ...", then asks what the server kept. False, with the
    /// reason, when the line cannot be sent.
    bool setFilter(const QString &filterLine, QString *problem);

    /// Asks which filter the server keeps; the answer comes as a Filters line.
    void askFilter();

    /// "HOST:PORT" read into its parts; false when the port is missing or out of range.
    static bool splitServer(const QString &server, QString *host, quint16 *port);

Q_SIGNALS:
    void packetReceived(const QByteArray &line);
    void serverLineReceived(const ServerLine &line);
    /// A plain sentence: the host cannot be resolved, the connection was refused or closed.
    void failed(const QString &sentence);

private:
    void readLines();
    void tellError(QAbstractSocket::SocketError error);

    QTcpSocket *m_socket;
    LineSplitter m_splitter;
    QString m_host;
    quint16 m_port = 0;
    QByteArray m_login;
};
