// Lines from an APRS-IS server: any bytes are read without failing, the line reader never gives
// back a line over its cap or one with a line end in it, and every line end ends a line.
#include "aprsis/core/serverlines.h"
#include "base/core/linereader.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    LineReader reader(64);
    QList<QByteArray> lines;
    const auto take = [&](QByteArrayView line) { lines.append(line.toByteArray()); };
    // Fed in two pieces, so that a line end may fall between them.
    const qsizetype half = bytes.size() / 2;
    reader.feed(bytes.first(half), take);
    reader.feed(bytes.sliced(half), take);
    reader.finish(take);
    FUZZ_REQUIRE(reader.runningLength() == 0);
    FUZZ_REQUIRE(lines.size() + reader.cutLines() <= bytes.count('\n') + bytes.count('\r') + 1);
    for (const QByteArray &line : lines) {
        FUZZ_REQUIRE(!line.isEmpty() && line.size() <= 64 && !line.contains('\n') && !line.contains('\r'));
        FUZZ_REQUIRE(!readServerLine(line).text.isEmpty());
    }
    QString problem;
    const QString filter = packetText(bytes);
    if (!filterCommand(filter, &problem))
        FUZZ_REQUIRE(!problem.isEmpty());
    return 0;
}
