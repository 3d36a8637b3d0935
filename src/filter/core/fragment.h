#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

/// One word of a filter line as an APRS-IS server reads it: whether the server keeps it, why not,
/// and what it keeps. A word is read once, here; what checks, explains and evaluates a line takes
/// the fragment from here, so that none of them can tell another story than the server's.
struct Fragment
{
    enum class Verdict { Accepted, AcceptedWithWarning, Ignored };

    QString word; ///< as written
    bool exclusion = false;
    QChar kind; ///< the kind letter in lower case; null when there is none
    Verdict verdict = Verdict::Accepted;
    QString reason; ///< one short sentence, empty when accepted without a warning

    /// The word without its "-", split at every "/" with empty pieces kept; piece 0 is the kind as
    /// written ("B", "bx", "os").
    QStringList pieces;

    // What the server keeps of an accepted fragment, its numbers read as C reads them.
    double latitude = 0, longitude = 0; ///< r/
    double kilometres = 0; ///< r/, m/, f/, t/.../call/dist
    double north = 0, west = 0, south = 0, east = 0; ///< a/
    QByteArray call; ///< f/, t/.../call/dist
    /// b/, d/, e/, g/, o/, p/, u/: the entries as servers match them, a beginning ending in "*";
    /// those that can match nothing are left out.
    QList<QByteArray> entries;
    bool strictObjects = false; ///< os/: object names with their blanks
    QString types; ///< t/: the type letters in lower case
    QByteArray primary, alternate, overlays; ///< s/
    QByteArray qConstructs; ///< q/: the third letters of the q constructs
    bool qAnalysis = false; ///< q/.../I

    /// Whether a server evaluates the fragment for every packet: it keeps it, and it has a kind.
    bool isEvaluated() const { return verdict != Verdict::Ignored && !kind.isNull(); }
};

/// Reads one word of a filter line.
Fragment readFragment(const QString &word);

/// Reads every fragment of a filter line, split as servers split it.
QList<Fragment> readFilterLine(const QString &line);

/// The command that sets a filter line on a server, without its line end: "#filter" and the
/// fragments as servers split them, or "#filter default" for a line without any.
QByteArray filterCommandText(const QString &filterLine);

/// Measured on aprsc: a command line longer than this many bytes (its line end aside) is dropped
/// whole, and the filter stays as it was.
inline constexpr qsizetype kMaxCommandLength = 510;
