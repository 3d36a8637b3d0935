#include "base/core/filterline.h"

#include <algorithm>

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

/// Servers split the filter at any of these, not only at blanks. (Compared by hand: a regular
/// expression matches nothing in a text that is not valid UTF-16.)
bool isServerBlank(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\v' || c == u'\f';
}

} // namespace

bool containsServerBlank(const QString &text)
{
    return std::any_of(text.cbegin(), text.cend(), isServerBlank);
}

QStringList serverFragments(const QString &line)
{
    QStringList words;
    qsizetype start = 0;
    for (qsizetype at = 0; at <= line.size(); ++at) {
        if (at == line.size() || isServerBlank(line[at])) {
            if (at > start)
                words.append(line.mid(start, at - start));
            start = at + 1;
        }
    }
    if (!words.isEmpty() && words.first() == u"filter")
        words.removeFirst();
    return words;
}
