#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

/// A position in decimal degrees, north and east positive.
struct PacketPosition
{
    double latitude = 0;
    double longitude = 0;

    friend bool operator==(const PacketPosition &, const PacketPosition &) = default;
};

/// What the live table shows of one packet in the server's text form (SRC>DEST,PATH:information).
struct PacketSummary
{
    QString source;
    QString destination;
    QString path; ///< the digipeaters and the q construct, as they stand after the destination
    QString kind; ///< "Position", "Weather", "Mic-E", "Object", "Item", "Message", "Status" ...
    QString name; ///< an object's or item's name, a message's addressee
    std::optional<PacketPosition> position;
    QString text; ///< the information field
};

/// Reads the header and as much of the information field as tells the kind and the position.
/// Never fails: what cannot be read is left empty, and a line without a header is of kind "Other".
PacketSummary summarisePacket(const QByteArray &line);

/// The centre of the first range fragment ("r/lat/lon/km") of a filter line, if it has one.
std::optional<PacketPosition> firstRangeCentre(const QString &filterLine);

/// A position as the table shows it: "51.4772 N 0.0005 W".
QString positionText(const PacketPosition &position);
