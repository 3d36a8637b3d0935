#include "aprsis/core/livesession.h"

namespace {

QString durationText(int msecs)
{
    if (msecs % 60000 == 0)
        return msecs == 60000 ? QStringLiteral("a minute") : QStringLiteral("%1 minutes").arg(msecs / 60000);
    return QStringLiteral("%1 s").arg(msecs / 1000.0);
}

} // namespace

LiveSession::LiveSession(const Settings &settings)
    : m_settings(settings)
{ }

LiveSession::Effects LiveSession::open(const QString &filterLine, qint64 now)
{
    Effects effects;
    m_line = filterLine;
    m_failures = 0;
    m_filter = FilterView();
    startConnecting(effects, now);
    return effects;
}

void LiveSession::startConnecting(Effects &effects, qint64 now)
{
    m_state = State::Connecting;
    m_reader = LineReader();
    m_comment.clear();
    m_greeting.clear();
    m_loggedInAt = -1;
    m_trafficSinceLogin = false;
    m_deadline = now + m_settings.answerMs;
    m_sentence
        = QStringLiteral("%1 to %2:%3...")
              .arg(m_failures == 0 ? QStringLiteral("Connecting") : QStringLiteral("Reconnecting"), m_settings.host)
              .arg(m_settings.port);
    effects.connect = true;
}

LiveSession::Effects LiveSession::close(const QString &status)
{
    Effects effects;
    effects.disconnect = m_state != State::Disconnected;
    m_state = State::Disconnected;
    m_sentence = status;
    m_comment.clear();
    m_deadline = -1;
    m_lineChanged = -1;
    return effects;
}

LiveSession::Effects LiveSession::connected(qint64 now)
{
    Effects effects;
    if (m_state != State::Connecting)
        return effects;
    // The line of this login is what the server is given now; a change waiting to be sent is in it.
    m_lineChanged = -1;
    m_filter.sent = m_line;
    m_filter.keptKnown = false;
    m_filter.kept.clear();
    m_filter.parseErrors.clear();
    m_filter.unsent.clear();
    m_filter.problem.clear();
    effects.write = loginLine(m_settings.call, m_settings.passcode, m_line);
    m_state = State::LoggingIn;
    m_deadline = now + m_settings.answerMs;
    m_sentence
        = QStringLiteral("Logging in to %1:%2 as %3...").arg(m_settings.host).arg(m_settings.port).arg(m_settings.call);
    return effects;
}

LiveSession::Effects LiveSession::received(QByteArrayView bytes, qint64 now)
{
    Effects effects;
    if (m_state != State::LoggingIn && m_state != State::Connected)
        return effects;
    m_reader.feed(bytes, [&](QByteArrayView line) { takeLine(line, effects, now); });
    return effects;
}

void LiveSession::takeLine(QByteArrayView line, Effects &effects, qint64 now)
{
    if (m_state == State::Connected) {
        m_deadline = now + m_settings.silenceMs;
        m_trafficSinceLogin = true;
    }
    if (!line.startsWith('#')) {
        // Before the login is answered a server sends nothing but comments; a packet then is the
        // server's too, and shown.
        effects.packets.append(line.toByteArray());
        return;
    }
    ServerLine read = readServerLine(line.toByteArray());
    switch (read.kind) {
    case ServerLine::Kind::LogResp:
        if (m_state == State::LoggingIn) {
            m_state = State::Connected;
            m_loggedInAt = now;
            m_deadline = now + m_settings.silenceMs;
            m_sentence = QStringLiteral("Logged in as %1 (%2) on server %3")
                             .arg(read.call, read.verified ? QStringLiteral("verified") : QStringLiteral("unverified"),
                                  read.server);
            m_comment = m_greeting;
            // What the server made of the login's filter shows only when asked.
            effects.write += "#filter?\r\n";
        }
        break;
    case ServerLine::Kind::ParseErrors:
        m_filter.parseErrors += read.fragments;
        break;
    case ServerLine::Kind::Filters:
        m_filter.keptKnown = true;
        m_filter.kept = read.fragments;
        break;
    case ServerLine::Kind::Comment:
    case ServerLine::Kind::Packet:
        m_comment = read.text.mid(read.text.startsWith(QLatin1String("# ")) ? 2 : 1);
        if (m_greeting.isEmpty())
            m_greeting = m_comment;
        break;
    }
    effects.serverLines.append(std::move(read));
}

LiveSession::Effects LiveSession::lost(const QString &sentence, qint64 now)
{
    Effects effects;
    if (m_state == State::Disconnected || m_state == State::WaitingToReconnect)
        return effects;
    effects.disconnect = true;
    const bool healthy = m_state == State::Connected && m_trafficSinceLogin && now - m_loggedInAt >= kHealthyMs;
    m_failures = healthy ? 0 : m_failures;
    m_comment.clear();
    if (!m_settings.reconnects) {
        m_state = State::Disconnected;
        m_deadline = -1;
        m_sentence = sentence;
        return effects;
    }
    const int seconds = reconnectDelaySeconds(m_failures++);
    m_state = State::WaitingToReconnect;
    m_deadline = now + seconds * 1000;
    m_sentence = QStringLiteral("%1. Reconnecting in %2 s...").arg(sentence).arg(seconds);
    return effects;
}

LiveSession::Effects LiveSession::tick(qint64 now)
{
    Effects effects;
    if (m_state == State::Connected && m_lineChanged >= 0 && now >= m_lineChanged + m_settings.filterDelayMs)
        sendFilter(effects);
    if (m_deadline < 0 || now < m_deadline)
        return effects;
    switch (m_state) {
    case State::Disconnected:
        break;
    case State::WaitingToReconnect:
        startConnecting(effects, now);
        break;
    case State::Connecting:
    case State::LoggingIn:
        effects = lost(QStringLiteral("%1:%2 did not %3 within %4")
                           .arg(m_settings.host)
                           .arg(m_settings.port)
                           .arg(m_state == State::Connecting ? QStringLiteral("accept the connection")
                                                             : QStringLiteral("answer the login"),
                                durationText(m_settings.answerMs)),
                       now);
        break;
    case State::Connected:
        effects
            = lost(QStringLiteral("No traffic from the server for %1").arg(durationText(m_settings.silenceMs)), now);
        break;
    }
    return effects;
}

LiveSession::Effects LiveSession::setFilterLine(const QString &filterLine, qint64 now)
{
    Effects effects;
    if (filterLine == m_line)
        return effects;
    m_line = filterLine;
    if (m_state == State::Connected)
        m_lineChanged = now;
    return effects;
}

void LiveSession::sendFilter(Effects &effects)
{
    m_lineChanged = -1;
    QString problem;
    const std::optional<QByteArray> command = filterCommand(m_line, &problem);
    if (!command) {
        // The server goes on with what it had: the view keeps showing it, with the reason.
        m_filter.unsent = m_line;
        m_filter.problem = problem;
        return;
    }
    effects.write += *command + "#filter?\r\n";
    m_filter = FilterView();
    m_filter.sent = m_line;
}

QString LiveSession::status() const
{
    return m_comment.isEmpty() ? m_sentence : QStringLiteral("%1  |  %2").arg(m_sentence, m_comment);
}

qint64 LiveSession::nextDeadline() const
{
    if (m_state == State::Connected && m_lineChanged >= 0) {
        const qint64 send = m_lineChanged + m_settings.filterDelayMs;
        return m_deadline < 0 ? send : std::min(send, m_deadline);
    }
    return m_deadline;
}
