// Map information files: five values or nothing, and corners from any of them.
#include "fuzzsupport.h"
#include "geo/core/coordinates.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<QStringList> values = readMapInfoValues(fuzzBytes(data, size));
    if (!values)
        return 0;
    FUZZ_REQUIRE(values->size() == 5);
    for (const QString &value : *values)
        FUZZ_REQUIRE(value.trimmed() == value && !value.contains(u'"'));
    CornerTexts texts;
    assignCornerTexts(*values, texts);
    cornersFromTexts(texts);
    return 0;
}
