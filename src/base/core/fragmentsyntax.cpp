#include "base/core/fragmentsyntax.h"

QStringList fragmentPieces(const QString &fragment)
{
    return fragment.split(u'/');
}

bool isExclusion(const QString &fragment)
{
    return fragment.startsWith(u'-');
}

QString lettersInOrder(QStringView order, const QString &text)
{
    QString letters;
    for (QChar letter : order)
        if (text.contains(letter))
            letters += letter;
    return letters;
}

QString entryListFragment(const QStringList &entries)
{
    QString fragment;
    for (const QString &entry : entries)
        fragment += entry + u' ';
    return fragment;
}
