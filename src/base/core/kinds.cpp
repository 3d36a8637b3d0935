#include "base/core/kinds.h"

#include <algorithm>

const std::array<Kind, kKindCount> &kinds()
{
    static const std::array<Kind, kKindCount> table{{
        {u'r', 0, 4, u"Range - r", u"range", u"Command1", u"Range"},
        {u'b', 1, 1, u"Budlist - b", u"budlist", u"Command15", u"Budlist"},
        {u't', 2, 2, u"Type - t", u"type", u"Command17", u"Type"},
        {u's', 3, 9, u"Symbol - s", u"symbol", u"Command19", u"Symbol"},
        {u'd', 4, 3, u"Digipeater - d", u"digi", u"Command21", u"Digipeater"},
        {u'a', 5, 5, u"Area - a", u"area", u"Command23", u"Area"},
        {u'q', 6, 8, u"q Construct - q", u"qconstruct", u"Command14", u"Q Construct"},
        {u'm', 7, 6, u"My Range - m", u"myrange", u"Command16", u"My Range"},
        {u'u', 8, 11, u"Unproto - u", u"unproto", u"Command18", u"Unproto"},
        {u'f', 9, 7, u"Friend Range - f", u"friend", u"Command20", u"Friend Range"},
        {u'e', 10, 12, u"Port of entry - e", u"port", u"Command22", u"Port of entry"},
        {u'o', 11, 10, u"Object - o", u"object", u"Command24", u"Object"},
        // Beyond UI-View32's twelve: servers know these two as well.
        {u'p', 12, 13, u"Prefix - p", u"prefix", u"Command25", u"Prefix"},
        {u'g', 13, 14, u"Group Msg - g", u"group", u"Command26", u"Group Msg"},
    }};
    return table;
}

const std::array<const Kind *, kKindCount> &kindsInLineOrder()
{
    static const std::array<const Kind *, kKindCount> order = [] {
        std::array<const Kind *, kKindCount> sorted{};
        for (const Kind &kind : kinds())
            sorted[static_cast<std::size_t>(kind.place - 1)] = &kind;
        return sorted;
    }();
    return order;
}

const Kind *kindForLetter(QChar letter)
{
    const auto &table = kinds();
    const auto found = std::find_if(table.begin(), table.end(),
                                    [letter](const Kind &kind) { return kind.letter == letter.unicode(); });
    return found == table.end() ? nullptr : &*found;
}

QString tabCaption(const Kind &kind, bool active)
{
    return active ? kind.idleCaption + QStringView(u"   [Active]") : kind.idleCaption.toString();
}
