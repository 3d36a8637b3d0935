#pragma once

#include "filter/core/fragment.h"

#include <QList>
#include <QString>
#include <QStringList>

/// A word as it stood in a typed filter line.
struct TypedWord
{
    qsizetype at = 0; ///< its place among the line's words
    QString text;

    friend bool operator==(const TypedWord &, const TypedWord &) = default;
};

/// How a typed filter line goes into the pages without changing what a server does with it.
/// Words of one kind and one sign that one fragment can say together are merged; a fragment that
/// its page cannot hold beside what the page already holds is kept as typed, after the pages.
struct DecodePlan
{
    /// What one page is given.
    struct Share
    {
        QChar kind;
        QStringList words; ///< for the page's decoder, kind letters in lower case
        QList<TypedWord> typed; ///< the typed words the page stands for
        /// On the pages of one fragment: the fragment that says all the words together, which the
        /// page has to give back in meaning. Empty on the pages of many fragments (r, a, f), which
        /// keep each word whole.
        QString merged;
        bool withdrawn = false; ///< the page could not hold it; its words went to kept or leftOut
    };

    QList<Share> shares; ///< one per kind, in the order of each kind's last word
    QList<TypedWord> kept; ///< in the order typed
    QStringList notFragments; ///< words of no kind a server knows: left out
    QList<TypedWord> leftOut; ///< fragments servers ignore, left out beside others of their kind
    qsizetype fragments = 0; ///< words of a kind a server knows, those left out among them
    qsizetype refusedLength = 0; ///< the length of a line too long to decode; nothing was decoded

    bool refused() const { return refusedLength > 0; }

    /// The page could not hold its share: what servers act on is kept as typed, the rest left out.
    void withdraw(qsizetype share);

    /// The kept words, in the order typed, as one text.
    QString keptText() const;

    /// Whether anything typed is not where the pages show it: kept as typed, or left out.
    bool anythingSetAside() const;
};

/// A server takes a filter command of at most 510 bytes; a line over a hundred times as long is
/// no filter anyone uses, and is not decoded.
inline constexpr qsizetype kMaxDecodedLine = 65536;

/// Plans the decoding of a typed line: its words split as servers split them, the word "filter"
/// dropped wherever it stands.
DecodePlan planDecode(const QString &line);

/// Whether a server does the same with both fragments: neither selects anything (ignored, or
/// taken but empty), or both select the same.
bool sameMeaning(const Fragment &a, const Fragment &b);

/// Whether a page's rebuilt fragment box says what its share asked of it.
bool pageHolds(const DecodePlan::Share &share, const QString &fragmentBox);

/// What decoding did, in one or two sentences: "Decoded 7 fragments; 2 kept as typed: -b/G2, m/5."
QString decodeSummary(const DecodePlan &plan);
