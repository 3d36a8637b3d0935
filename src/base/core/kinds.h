#pragma once

#include <QChar>
#include <QString>
#include <QStringView>

#include <array>

/// One filter kind: its letter, the page that edits it and its place in the filter line.
struct Kind
{
    char16_t letter;
    int tab; ///< index of the kind's page in the tab control
    int place; ///< position of its fragment in the filter line, from 1
    QStringView idleCaption; ///< tab caption while the fragment is empty
    QStringView prefix; ///< prefix of the page's control names, e.g. "budlist"
    QStringView pageButton; ///< object name of the button that shows the page
    QStringView buttonCaption;
};

inline constexpr int kKindCount = 14;

/// The fourteen kinds in page order.
const std::array<Kind, kKindCount> &kinds();

/// The fourteen kinds in the order of the filter line: b t d r a m f q s o u e p g.
const std::array<const Kind *, kKindCount> &kindsInLineOrder();

/// The kind of this letter, compared case-sensitively, or nullptr.
const Kind *kindForLetter(QChar letter);

/// The tab caption of a kind: the idle caption, with "   [Active]" while its fragment is not empty.
QString tabCaption(const Kind &kind, bool active);
