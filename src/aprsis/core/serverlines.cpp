#include "aprsis/core/serverlines.h"

#include "base/core/filterline.h"
#include "filter/core/fragment.h"
#include "version.h"

#include <QRegularExpression>
#include <QStringConverter>

#include <algorithm>

namespace {

// A longer filter command is dropped by the servers: their input lines end at 512 bytes with CR LF.

QString afterPrefix(const QString &text, QStringView prefix)
{
    return text.mid(prefix.size()).trimmed();
}

} // namespace

QString packetText(const QByteArray &line)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(line);
    return utf8.hasError() ? QString::fromLatin1(line) : text;
}

ServerLine readServerLine(const QByteArray &line)
{
    ServerLine result;
    result.text = packetText(line);
    if (!line.startsWith('#'))
        return result;
    result.kind = ServerLine::Kind::Comment;

    static const QRegularExpression logresp(
        QStringLiteral("^# logresp (\\S+) (verified|unverified)(?:, server (\\S+))?"));
    if (const QRegularExpressionMatch m = logresp.match(result.text); m.hasMatch()) {
        result.kind = ServerLine::Kind::LogResp;
        result.call = m.captured(1);
        result.verified = m.captured(2) == u"verified";
        result.server = m.captured(3);
        return result;
    }
    static constexpr QStringView parseErrors = u"# Parse errors on filter spec:";
    if (result.text.startsWith(parseErrors)) {
        result.kind = ServerLine::Kind::ParseErrors;
        // The refused fragments stand each in single quotes.
        static const QRegularExpression quoted(QStringLiteral("'([^']*)'"));
        for (const QRegularExpressionMatch &m : quoted.globalMatch(result.text, parseErrors.size()))
            result.fragments += m.captured(1).split(u' ', Qt::SkipEmptyParts);
        return result;
    }
    static constexpr QStringView filters = u"# filters:";
    if (result.text.startsWith(filters)) {
        result.kind = ServerLine::Kind::Filters;
        result.fragments = afterPrefix(result.text, filters).split(u' ', Qt::SkipEmptyParts);
    }
    return result;
}

bool isLoginCallsign(const QString &call)
{
    static const QRegularExpression form(QStringLiteral("^[A-Z0-9]+(-[A-Z0-9]{1,2})?$"));
    return call.size() <= 9 && form.match(call).hasMatch();
}

QByteArray loginLine(const QString &call, const QString &passcode, const QString &filterLine)
{
    const QStringList fragments = serverFragments(filterLine);
    QByteArray line = "user " + call.toUtf8() + " pass " + (passcode.isEmpty() ? QByteArray("-1") : passcode.toUtf8())
        + QStringLiteral(" vers Varnock %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision).toUtf8();
    if (!fragments.isEmpty())
        line += " filter " + fragments.join(u' ').toUtf8();
    return line + "\r\n";
}

std::optional<QByteArray> filterCommand(const QString &filterLine, QString *problem)
{
    const QByteArray command = filterCommandText(filterLine);
    if (command.size() > kMaxCommandLength) {
        if (problem)
            *problem = QStringLiteral("The filter is %1 characters long as a command; servers drop commands "
                                      "over %2, so it was not sent.")
                           .arg(command.size())
                           .arg(kMaxCommandLength);
        return std::nullopt;
    }
    return command + "\r\n";
}

int reconnectDelaySeconds(int attempt)
{
    return std::min(60, 1 << std::clamp(attempt, 0, 6));
}

void PacketRate::forget(qint64 second)
{
    if (m_lastSecond >= 0 && second > m_lastSecond) {
        // Seconds with no packet since the last count leave their old figures behind.
        for (qint64 gone = m_lastSecond + 1; gone <= std::min(second, m_lastSecond + 60); ++gone)
            m_perSecond[gone % 60] = 0;
    }
    if (m_lastSecond < 0)
        m_perSecond.fill(0);
    m_lastSecond = std::max(m_lastSecond, second);
}

void PacketRate::count(qint64 msecs, int packets)
{
    const qint64 second = msecs / 1000;
    forget(second);
    m_perSecond[second % 60] += packets;
}

int PacketRate::perMinute(qint64 msecs) const
{
    const qint64 second = msecs / 1000;
    if (m_lastSecond < 0 || second - m_lastSecond >= 60)
        return 0;
    int total = 0;
    // The seconds counted that still lie in the minute up to now.
    for (qint64 s = std::max(second - 59, m_lastSecond - 59); s <= m_lastSecond; ++s)
        total += m_perSecond[s % 60];
    return total;
}
