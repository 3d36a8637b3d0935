#pragma once

#include "aprsis/core/serverlines.h"
#include "base/core/linereader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/// One read-only connection to an APRS-IS server as a state machine, with no socket and no clock
/// of its own: it is told what the socket did and what time it is, and answers with what to do.
/// So every path, the hostile ones too, can be driven in milliseconds.
class LiveSession
{
public:
    enum class State { Disconnected, Connecting, LoggingIn, Connected, WaitingToReconnect };

    struct Settings
    {
        QString host;
        quint16 port = 0;
        QString call;
        QString passcode;
        /// Servers send a comment line about every 20 s; this much silence means the connection is dead.
        int silenceMs = 120000;
        /// Longer than a server takes to accept a connection or answer a login on any connection
        /// worth using.
        int answerMs = 10000;
        /// A filter line being edited goes to the server this long after its last change.
        int filterDelayMs = 1000;
        /// Whether a lost connection is made again, after a wait that grows with every failure.
        bool reconnects = true;
    };

    /// A connection must have lived this long, with traffic, before the wait between attempts
    /// starts again from its shortest: a server that answers the login and then closes, again and
    /// again, gets ever longer waits, not a connection a second.
    static constexpr qint64 kHealthyMs = 60000;

    /// What the socket is to do after an input.
    struct Effects
    {
        bool connect = false; ///< open a connection to the settings' host and port
        bool disconnect = false; ///< close the connection
        QByteArray write; ///< bytes to send
        QList<QByteArray> packets; ///< packets received, in order
        QList<ServerLine> serverLines; ///< the server's own lines, in order
    };

    /// What the server makes of the filter, as far as it has said.
    struct FilterView
    {
        QString sent; ///< the line the server was last given
        bool keptKnown = false; ///< the server has said what it keeps of it
        QStringList kept; ///< its answer
        QStringList parseErrors; ///< fragments it named as refused
        /// A line that was not sent, and why; the server goes on with the line sent before.
        QString unsent;
        QString problem;

        friend bool operator==(const FilterView &, const FilterView &) = default;
    };

    explicit LiveSession(const Settings &settings);

    /// Connects and logs in with the line.
    Effects open(const QString &filterLine, qint64 now);
    /// Ends the connection at the user's wish.
    Effects close(const QString &status = QStringLiteral("Disconnected."));

    Effects connected(qint64 now);
    Effects received(QByteArrayView bytes, qint64 now);
    /// The connection closed or could not be made, in a plain sentence.
    Effects lost(const QString &sentence, qint64 now);
    /// The clock: whatever is due by now happens.
    Effects tick(qint64 now);

    /// Follows the filter line: while logged in, it goes to the server once it has rested for the
    /// delay; otherwise it is the line of the next login.
    Effects setFilterLine(const QString &filterLine, qint64 now);

    State state() const { return m_state; }
    /// What the connection is doing, in one sentence, with the server's last comment when there is one.
    QString status() const;
    const FilterView &filter() const { return m_filter; }
    /// When tick() has something to do next; -1 when nothing is due.
    qint64 nextDeadline() const;
    /// Failed attempts since the connection was last healthy.
    int failures() const { return m_failures; }
    /// Lines dropped for being longer than any server sends.
    qint64 cutLines() const { return m_reader.cutLines(); }
    const Settings &settings() const { return m_settings; }

private:
    void startConnecting(Effects &effects, qint64 now);
    void sendFilter(Effects &effects);
    void takeLine(QByteArrayView line, Effects &effects, qint64 now);

    Settings m_settings;
    State m_state = State::Disconnected;
    QString m_sentence = QStringLiteral("Not connected.");
    QString m_comment; ///< the server's last comment line
    QString m_greeting;
    LineReader m_reader;
    FilterView m_filter;
    QString m_line = QStringLiteral("filter"); ///< the filter line as the user has it now
    qint64 m_lineChanged = -1; ///< when the line changed without being sent yet; -1 when it was sent
    qint64 m_deadline = -1; ///< connect, login or silence deadline, or the end of the wait
    qint64 m_loggedInAt = -1;
    bool m_trafficSinceLogin = false;
    int m_failures = 0;
};
