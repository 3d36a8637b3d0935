#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class QByteArray;

/// One APRS symbol: its two-character code (table character, then symbol character) and its name.
struct Symbol
{
    QString code;
    QString name;
};

/// The symbols the symbol page offers, read once from the symbol list file beside the program.
class SymbolTable
{
public:
    /// The most symbols the table holds.
    static constexpr int kCapacity = 201;

    /// What reading a symbol list gave: the table, and a line for each thing that could not be read.
    struct Loaded;

    /// Reads the lines of a symbol list in the system's 8-bit code page. Each line of at least three
    /// characters gives one symbol: characters 1-2 the code, 3 a separator, the rest the name without
    /// blanks at its ends. Shorter lines and lines past the 201st are skipped and reported.
    static Loaded fromBytes(const QByteArray &bytes, const QString &fileName);

    /// Reads the symbol list file; a file that cannot be read gives an empty table and one problem.
    static Loaded fromFile(const QString &path);

    const QList<Symbol> &symbols() const;
    int count() const;

    /// The code of the first symbol of exactly this name, or the empty text.
    QString codeForName(const QString &name) const;
    /// The name of the first symbol of exactly this code, or the empty text.
    QString nameForCode(const QString &code) const;

private:
    QList<Symbol> m_symbols;
};

struct SymbolTable::Loaded
{
    SymbolTable table;
    QStringList problems;
};

/// What the symbol page's controls hold, with the list's names already turned into codes.
struct SymbolChoice
{
    bool exclude = false;
    QStringList codes; ///< one per list entry, empty for a name not in the table
    QString overlay;
};

/// The symbol fragment: [-]s/primary/alternate/overlay, both slashes always written; empty when no
/// entry has a code, whatever the overlay holds.
QString symbolFragment(const SymbolChoice &choice);

/// What one s word of a filter line adds to the symbol page.
struct SymbolDecode
{
    bool exclude = false;
    QStringList names; ///< names to append, empty for a code not in the table
    std::optional<QString> overlay; ///< set only when the word has an overlay piece
};

/// Reads an s word: piece 1 holds primary-table symbols, piece 2 alternate-table ones (read back as
/// table "\"), piece 3 the overlay.
SymbolDecode parseSymbolFragment(const SymbolTable &table, const QString &fragment);
