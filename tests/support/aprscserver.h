#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

/// The real APRS-IS server aprsc, built from the project's shared folder and run on the loopback
/// address for the length of a test. Tests that need it skip when its source is missing.
class AprscServer
{
public:
    AprscServer() = default;
    ~AprscServer();
    Q_DISABLE_COPY_MOVE(AprscServer)

    /// Why the server cannot be had here, or the empty text when it can.
    static QString missingReason();

    /// Builds aprsc when needed and starts it; false, with the reason, when it does not start.
    bool start(QString *error);
    void stop();

    /// The port of the user filter connection; the full feed listens on the next one.
    quint16 port() const { return m_port; }

private:
    quint16 m_port = 0;
    bool m_running = false;
};

/// Logs in read-only once for each filter, several at a time, and returns for each the server's
/// lines up to and including its "# logresp" line (empty when the server did not answer).
QList<QList<QByteArray>> logInWithFilters(quint16 port, const QList<QByteArray> &filters);
