// Lines from an APRS-IS server: any bytes are read without failing, the line splitter never holds
// more than its limit, and the lines it gives back hold every byte of the stream up to that limit.
#include "aprsis/core/serverlines.h"
#include "fuzzsupport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    LineSplitter splitter(64);
    // Fed in two pieces, so that a line end may fall between them.
    const qsizetype half = bytes.size() / 2;
    QList<QByteArray> lines = splitter.feed(bytes.first(half));
    lines += splitter.feed(bytes.sliced(half));
    FUZZ_REQUIRE(splitter.pending() <= 64);
    FUZZ_REQUIRE(lines.size() == bytes.count('\n'));
    for (const QByteArray &line : lines) {
        FUZZ_REQUIRE(line.size() <= 64);
        const ServerLine read = readServerLine(line);
        FUZZ_REQUIRE(!read.text.isEmpty() || line.isEmpty() || line == "\r");
    }
    QString problem;
    const QString filter = packetText(bytes);
    if (!filterCommand(filter, &problem))
        FUZZ_REQUIRE(!problem.isEmpty());
    return 0;
}
