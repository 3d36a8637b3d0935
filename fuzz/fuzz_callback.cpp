// Callback texts: what reads as positions writes back to the same positions (to the 7 significant
// digits a callback text carries), and a picked area always comes out north before south and west
// before east.
#include "fuzzsupport.h"
#include "geo/core/numbers.h"
#include "mappicker/core/callbacktext.h"

#include <cmath>

namespace {

bool same(float read, float written)
{
    // One unit in the last of 7 digits, and the step between neighbouring 32-bit values.
    return std::fabs(read - written) <= 6e-7f * std::fabs(written) + 1e-37f;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    if (const std::optional<QList<PickedPosition>> picked = parseCallbackText(text, 3)) {
        const std::optional<QList<PickedPosition>> again = parseCallbackText(callbackText(*picked), 3);
        FUZZ_REQUIRE(again && again->size() == picked->size());
        for (qsizetype i = 0; i < picked->size(); ++i) {
            FUZZ_REQUIRE(same(again->at(i).latitude, picked->at(i).latitude));
            FUZZ_REQUIRE(same(again->at(i).longitude, picked->at(i).longitude));
            FUZZ_REQUIRE(same(again->at(i).distance, picked->at(i).distance));
        }
    }
    rangeFromCallback(text);
    if (const std::optional<AreaInputs> area = areaFromCallback(text)) {
        FUZZ_REQUIRE(*numberFromText(area->latitude1) >= *numberFromText(area->latitude2));
        FUZZ_REQUIRE(*numberFromText(area->longitude1) <= *numberFromText(area->longitude2));
    }
    return 0;
}
