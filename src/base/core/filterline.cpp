#include "base/core/filterline.h"


#include <QRegularExpression>

QString trimBlanks(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && text.at(first) == u' ')
        ++first;
    while (last > first && text.at(last - 1) == u' ')
        --last;
    return text.mid(first, last - first);
}

QString assembleFilterLine(const QStringList &fragmentBoxesInLineOrder)
{
    QString line = QStringLiteral("filter");
    for (const QString &box : fragmentBoxesInLineOrder) {
        // The emptiness test is made before trimming: a box of blanks adds a lone blank.
        if (!box.isEmpty())
            line += u' ' + trimBlanks(box);
    }
    return line;
}

namespace {

/// Servers split the filter at any of these, not only at blanks.
const QRegularExpression &serverBlanks()
{
    static const QRegularExpression blanks(QStringLiteral("[ \\t\\v\\f]"));
    return blanks;
}

} // namespace

bool containsServerBlank(const QString &text)
{
    return text.contains(serverBlanks());
}

QStringList serverFragments(const QString &line)
{
    QStringList words = line.split(serverBlanks(), Qt::SkipEmptyParts);
    if (!words.isEmpty() && words.first() == u"filter")
        words.removeFirst();
    return words;
}
