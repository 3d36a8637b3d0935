// uiview32.ini: the logon filter reaches the decoder with no "|" and no double quote left.
#include "fuzzsupport.h"
#include "uiview/core/uiview32.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::optional<QString> filter = logonFilterFromIni(fuzzBytes(data, size));
    if (filter)
        FUZZ_REQUIRE(!filter->contains(u'|') && !filter->contains(u'"'));
    return 0;
}
