// Packets as servers pass them: any bytes are summarised without failing, a position is always on
// the globe, and the header fields are the line's own bytes.
#include "packets/core/aprspacket.h"
#include "fuzzsupport.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray line(reinterpret_cast<const char *>(data), qsizetype(size));
    const AprsPacket summary = readPacket(line);
    FUZZ_REQUIRE(!summary.kind.isEmpty());
    FUZZ_REQUIRE(summary.line == line);
    if (summary.position) {
        FUZZ_REQUIRE(std::fabs(summary.position->latitude) <= 90);
        FUZZ_REQUIRE(std::fabs(summary.position->longitude) <= 180);
        FUZZ_REQUIRE(!positionText(*summary.position).isEmpty());
    }
    FUZZ_REQUIRE(summary.source.size() + summary.destination.size() + summary.body.size() <= line.size());
    for (const AprsPacket *inner = summary.inner.get(); inner; inner = inner->inner.get())
        if (inner->position)
            FUZZ_REQUIRE(std::fabs(inner->position->latitude) <= 90 && std::fabs(inner->position->longitude) <= 180);
    if (const std::optional<PacketPosition> centre = firstRangeCentre(QString::fromLatin1(line)))
        FUZZ_REQUIRE(std::fabs(centre->latitude) <= 90 && std::fabs(centre->longitude) <= 180);
    return 0;
}
