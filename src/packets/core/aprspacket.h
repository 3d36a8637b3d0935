#pragma once

#include "base/core/linereader.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QVarLengthArray>

#include <memory>
#include <optional>

/// A position in decimal degrees, north and east positive.
struct PacketPosition
{
    double latitude = 0;
    double longitude = 0;

    friend bool operator==(const PacketPosition &, const PacketPosition &) = default;
};

/// One packet in the server's text form, SRC>DEST,PATH:information, read as far as it is readable.
/// Nothing in it fails: what cannot be read is left empty, and a body of no known form is Unknown.
struct AprsPacket
{
    /// What the information field is; a packet may be several (a weather station's position is a
    /// position and weather).
    enum Type : quint32 {
        Position = 1 << 0,
        Object = 1 << 1,
        Item = 1 << 2,
        Message = 1 << 3, ///< also acks, rejects, bulletins, announcements and group messages
        Query = 1 << 4,
        Status = 1 << 5,
        Telemetry = 1 << 6, ///< "T#" reports and the parameter messages
        UserDefined = 1 << 7,
        Nws = 1 << 8, ///< weather service bulletins and their objects
        Weather = 1 << 9,
        ThirdParty = 1 << 10,
        Nmea = 1 << 11,
        MicE = 1 << 12,
        Capabilities = 1 << 13,
    };

    using Calls = QVarLengthArray<QByteArrayView, 8>;

    // The parts are views into line, which the packet holds and shares with its copies, so that
    // reading a packet copies none of its bytes.
    QByteArray line; ///< exactly as read
    bool hasHeader = false;
    QByteArrayView source;
    QByteArrayView destination;
    QByteArrayView path; ///< after the destination: digipeaters, the q construct, the entry call
    Calls digipeaters; ///< the path before the q construct, each without its "*"
    int usedDigipeaters = 0; ///< how many of them the packet went through (up to the last "*")
    QByteArrayView qConstruct; ///< "qAR" and the like; empty when there is none
    QByteArrayView entryCall; ///< the call after the q construct
    QByteArrayView body; ///< the information field

    quint32 types = 0;
    QString kind; ///< the type as the table names it: "Position", "Mic-E", "Object" ... or "Unknown"
    QByteArrayView name; ///< an object's name (9 characters, blanks kept), an item's name, a message's addressee
    bool killed = false; ///< a killed object or item
    QByteArrayView messageText; ///< a message's text, after the addressee
    std::optional<PacketPosition> position;
    char symbolTable = 0; ///< "/" primary, "\\" alternate, or the overlay character on the alternate table
    char symbolCode = 0;
    std::shared_ptr<const AprsPacket> inner; ///< a third-party packet's own packet

    bool is(Type type) const { return (types & type) != 0; }
    /// The header text after the destination, as the table shows it.
    QString pathText() const;
};

class QIODevice;

/// Reads a capture, one packet a line as servers send them (the live window's "Save..." writes them
/// so), from a file, a pipe or any stream alike, byte for byte: line ends taken off, empty lines and
/// server comment lines ("#") skipped, lines over the line cap dropped and counted.
class CaptureReader
{
public:
    /// A stream that goes this long without a line end is no capture (/dev/zero, say): reading stops.
    static constexpr qint64 kMaxUnendedLine = 1 << 20;

    explicit CaptureReader(QIODevice &capture)
        : m_capture(capture)
    { }

    /// The next packet; false at the end of the capture or when reading failed (see problem()).
    bool next(QByteArray *packet);

    /// Why reading stopped before the end; empty when it reached the end.
    QString problem() const { return m_problem; }
    /// Lines dropped for being longer than the line cap.
    qint64 cutLines() const { return m_reader.cutLines(); }
    /// Bytes read so far.
    qint64 bytesRead() const { return m_bytes; }

private:
    bool fill();

    QIODevice &m_capture;
    LineReader m_reader;
    QList<QByteArray> m_ready; ///< lines read and not yet taken
    qsizetype m_next = 0;
    qint64 m_bytes = 0;
    QString m_problem;
    bool m_ended = false;
};

/// Reads a packet. A third-party packet's inner packet is read too, to a depth of a few.
AprsPacket readPacket(const QByteArray &line);

/// A position as the table shows it: "51.4772 N 0.0005 W".
QString positionText(const PacketPosition &position);
