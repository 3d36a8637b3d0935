#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

/// What one line from an APRS-IS server is: a packet, or one of the comment lines (those that start
/// with "#") the live connection acts on.
struct ServerLine
{
    enum class Kind {
        Packet,
        Comment, ///< greeting, keep-alive and anything else after "#"
        LogResp, ///< "# logresp CALL verified|unverified, server NAME"
        ParseErrors, ///< "# Parse errors on filter spec: 'x/zz'"
        Filters, ///< "# filters: ..." (the answer to "#filter?": what the server kept)
    };
    Kind kind = Kind::Packet;
    QString text; ///< the line as shown: UTF-8 where it is, Latin-1 where it is not
    QStringList fragments; ///< ParseErrors: the fragments refused; Filters: the fragments kept
    bool verified = false; ///< LogResp
    QString call; ///< LogResp: the callsign the server took
    QString server; ///< LogResp: the server's name
};

/// Reads one line without its line end.
ServerLine readServerLine(const QByteArray &line);

/// Packets are bytes: shown as UTF-8 where they are valid UTF-8, byte for byte as Latin-1 otherwise.
QString packetText(const QByteArray &line);

/// A callsign as servers take it at login: letters and digits, an SSID after a dash, 9 at most.
bool isLoginCallsign(const QString &call);

/// The login line of a read-only connection; the filter goes last, as servers require. An empty
/// passcode logs in with -1. The filter line may be given with or without its word "filter".
QByteArray loginLine(const QString &call, const QString &passcode, const QString &filterLine);

/// The command that sets the filter of an open connection: "#filter ..." ("#filter default" for a
/// line with no fragment), or nothing, with the reason, when the server would drop the line.
std::optional<QByteArray> filterCommand(const QString &filterLine, QString *problem);

/// Seconds to wait before reconnect attempt number attempt (0 for the first): 1, 2, 4 ... 60.
int reconnectDelaySeconds(int attempt);

/// Packets per minute over the last minute, counted in whole seconds so that a flood of packets
/// costs no memory.
class PacketRate
{
public:
    /// Counts packets that arrived at the given time (milliseconds, never going back).
    void count(qint64 msecs, int packets = 1);
    /// The packets of the 60 seconds up to the given time.
    int perMinute(qint64 msecs) const;

private:
    void forget(qint64 second);

    std::array<int, 60> m_perSecond{};
    qint64 m_lastSecond = -1;
};
