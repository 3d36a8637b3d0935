#pragma once

#include <QByteArray>
#include <QList>
#include <QProcess>
#include <QString>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <memory>

/// The real APRS-IS server aprsc, built from its source (VARNOCK_APRSC_SOURCE, else the shared
/// folder beside the project) into the build tree and run on the loopback address for the length of
/// a test. Tests that need it skip when its source is missing, or fail where the build requires it.
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
    /// Starts it again on the ports it had, as a server back after an outage.
    bool restart(QString *error);

    /// The port of the user filter connection; the full feed listens on the next one.
    quint16 port() const { return m_port; }

private:
    quint16 m_port = 0;
    bool m_running = false;
    std::unique_ptr<QProcess> m_process;
    std::unique_ptr<QTemporaryDir> m_runFolder;
};

/// Starts the server for a test function, or skips it saying why the server cannot be had. A macro,
/// since skipping and failing must happen in the test function itself.
// On Windows, where aprsc does not run, the tests are always skipped.
#if defined(VARNOCK_REQUIRE_SERVER) && !defined(Q_OS_WIN)
#define VARNOCK_MISSING(reason) QFAIL(reason)
#else
#define VARNOCK_MISSING(reason) QSKIP(reason)
#endif

#define VARNOCK_START_APRSC(server)                                                                                    \
    do {                                                                                                               \
        const QString missing = AprscServer::missingReason();                                                          \
        if (!missing.isEmpty())                                                                                        \
            VARNOCK_MISSING(qPrintable(missing));                                                                      \
        QString error;                                                                                                 \
        QVERIFY2((server).start(&error), qPrintable(error));                                                           \
    } while (false)

/// Logs in read-only once for each filter, several at a time, and returns for each the server's
/// lines up to and including its "# logresp" line (empty when the server did not answer).
QList<QList<QByteArray>> logInWithFilters(quint16 port, const QList<QByteArray> &filters);

/// A file of the shared folder beside the project, such as "aprs-corpus/fullfeed-1602.txt"; the
/// empty text when it is not there.
QString sharedFile(const QString &relativePath);

/// The packets of the full-feed capture of the shared folder, in order; empty when it is not there.
QByteArrayList fullFeedCapture();

/// Why a test that sends the capture is skipped where it is missing.
inline constexpr const char kCaptureMissing[]
    = "the captures of ../shared/aprs-corpus are missing (javAPRSlib's src/test/resources/aprs.txt)";

/// The published APRS-IS passcode of a callsign (its SSID left off).
int passcodeOf(QByteArray call);

/// Text unique to this moment, to put in injected packets: the server drops a packet it passed in
/// the last 30 s.
QByteArray uniqueRun();

/// A plain login of a test's own: with a filter it collects what the server passes, and logged in
/// verified (with its callsign's passcode, no filter) it injects packets.
class RawLogin
{
public:
    RawLogin();
    /// Logs in and waits for the server's "# logresp"; an empty filter logs in verified.
    bool logIn(quint16 port, const QByteArray &call, const QByteArray &filter = QByteArray());
    /// Sends packets, one a line, and waits until they are written.
    bool send(const QByteArrayList &packets);
    bool loggedIn() const { return m_received.contains("# logresp"); }
    /// The packets received, without their line ends.
    QByteArrayList packets() const;

private:
    QTcpSocket m_socket;
    QByteArray m_received;
};
