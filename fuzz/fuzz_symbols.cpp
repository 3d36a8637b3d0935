// symbols.wiz: at most 201 symbols, each with a two-character code and a name without blanks at its
// ends, and a lookup of each name finds a symbol of that name.
#include "fuzzsupport.h"
#include "pages/core/symboltable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const SymbolTable::Loaded loaded = SymbolTable::fromBytes(fuzzBytes(data, size), QStringLiteral("symbols.wiz"));
    FUZZ_REQUIRE(loaded.table.count() <= SymbolTable::kCapacity);
    for (const Symbol &symbol : loaded.table.symbols()) {
        FUZZ_REQUIRE(symbol.code.size() == 2);
        FUZZ_REQUIRE(!symbol.name.startsWith(u' ') && !symbol.name.endsWith(u' '));
        FUZZ_REQUIRE(loaded.table.nameForCode(loaded.table.codeForName(symbol.name)).size() >= 0);
    }
    return 0;
}
