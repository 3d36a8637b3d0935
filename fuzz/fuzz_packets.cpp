// Packets as servers pass them: any bytes are read without failing, a position is always on the
// globe, the header fields are the line's own bytes, and the engine evaluates every kind for them.
#include "fuzzsupport.h"
#include "packets/core/filterengine.h"

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
    if (const std::optional<PacketPosition> centre = FilterEngine::firstRangeCentre(QString::fromLatin1(line)))
        FUZZ_REQUIRE(std::fabs(centre->latitude) <= 90 && std::fabs(centre->longitude) <= 180);
    // Fragments of every kind, some measuring from stations the stream itself positions.
    static FilterEngine engine(QStringLiteral("r/51/10/300 a/55/0/45/20 m/50 f/N0CALL/100 t/poimqstunw/N0CALL/10 "
                                              "b/N0* p/G o/OBJ* os/OBJ d/WIDE1* u/AP* e/T2* g/BLN* s/_/#/S q/ARC "
                                              "-t/t -b/X*"),
                               "N0CALL");
    const FilterEngine::Verdict verdict = engine.match(summary);
    FUZZ_REQUIRE(verdict.fragment < engine.fragments().size());
    FUZZ_REQUIRE(!verdict.passes || verdict.fragment >= 0);
    return 0;
}
