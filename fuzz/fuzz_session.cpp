// What a server or a capture sends: any bytes are taken without failing; the live session and the
// capture reader give the same packets for the same stream, none longer than the line cap or with a
// line end in it; and the session's state stays one it can be in.
#include "aprsis/core/livesession.h"
#include "base/core/linereader.h"
#include "fuzzsupport.h"
#include "packets/core/aprspacket.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    LiveSession::Settings settings;
    settings.host = QStringLiteral("h");
    settings.port = 1;
    settings.call = QStringLiteral("N0CALL");
    LiveSession session(settings);
    session.open(QStringLiteral("filter b/G*"), 0);
    session.connected(1);
    QByteArrayList fromSession;
    // Fed in three pieces, so that line ends may fall between them, a tick between each.
    const qsizetype third = bytes.size() / 3;
    qint64 now = 2;
    for (const QByteArray &piece : {bytes.first(third), bytes.sliced(third, third), bytes.sliced(2 * third)}) {
        fromSession += session.received(piece, now).packets;
        session.tick(now += 1000);
        session.setFilterLine(QString::fromLatin1(piece.left(40)), now);
    }
    FUZZ_REQUIRE(session.state() != LiveSession::State::Disconnected);
    FUZZ_REQUIRE(!session.status().isEmpty());

    QBuffer capture;
    capture.setData(bytes);
    capture.open(QIODevice::ReadOnly);
    CaptureReader reader(capture);
    QByteArrayList fromCapture;
    QByteArray packet;
    while (reader.next(&packet))
        fromCapture.append(packet);
    // The capture reader also takes a last line without its end, which the session still waits for.
    if (fromCapture.size() == fromSession.size() + 1)
        fromCapture.removeLast();
    FUZZ_REQUIRE(fromCapture == fromSession);
    for (const QByteArray &line : fromSession)
        FUZZ_REQUIRE(!line.isEmpty() && line.size() <= LineReader::kMaxLineLength && !line.contains('\n')
                     && !line.contains('\r') && !line.startsWith('#'));
    return 0;
}
