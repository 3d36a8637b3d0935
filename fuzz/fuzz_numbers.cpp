// Degree-minute texts and the number conventions: the reader never fails outright, and a number
// written by the conventions reads back to the same value to the 7 significant digits written, in the
// C locale and in de_DE. (Seven digits cannot tell every pair of 32-bit values apart: the value read
// back is the written one, not always the very same bits.)
#include "fuzzsupport.h"
#include "geo/core/coordinates.h"
#include "geo/core/numbers.h"

#include <QLocale>

#include <cmath>
#include <cstring>

namespace {

bool closeTo7Digits(double read, double written)
{
    return std::fabs(read - written) <= 5e-7 * std::fabs(written) + 1e-300;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = fuzzText(data, size);
    const float degrees = convertLatORLontoDecimal(text);
    FUZZ_REQUIRE(degrees == -1 || !std::isnan(degrees));
    leadingNumber(text);
    numberFromText(text);

    if (size >= sizeof(float)) {
        float value = 0;
        std::memcpy(&value, data, sizeof value);
        if (std::isfinite(value)) {
            for (const QLocale &locale : {QLocale::c(), QLocale(QLocale::German, QLocale::Germany)}) {
                QLocale::setDefault(locale);
                const std::optional<double> back = numberFromText(singleText(value));
                FUZZ_REQUIRE(back.has_value());
                FUZZ_REQUIRE(closeTo7Digits(*back, value));
            }
            QLocale::setDefault(QLocale::c());
        }
    }
    return 0;
}
