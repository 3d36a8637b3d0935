#include "pages/core/listfragment.h"

#include "base/core/fragmentsyntax.h"

QString listFragment(QChar letter, bool exclude, const QStringList &entries)
{
    if (entries.isEmpty())
        return {};
    QString fragment = exclude ? QStringLiteral("-") + letter : QString(letter);
    for (const QString &entry : entries)
        fragment += u'/' + entry;
    return fragment;
}

ListContent parseListFragment(const QString &fragment)
{
    QStringList pieces = fragmentPieces(fragment);
    pieces.removeFirst();
    return {isExclusion(fragment), pieces};
}
