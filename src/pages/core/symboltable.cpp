#include "pages/core/symboltable.h"

#include "base/core/filterline.h"
#include "base/core/fragmentsyntax.h"
#include "base/core/textlines.h"

#include <QFile>

SymbolTable::Loaded SymbolTable::fromBytes(const QByteArray &bytes, const QString &fileName)
{
    Loaded loaded;
    const QStringList lines = textLines(QString::fromLocal8Bit(bytes));
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines.at(i);
        if (loaded.table.count() == kCapacity) {
            loaded.problems.append(QStringLiteral("%1: only the first %2 symbols are used; line %3 and the "
                                                  "lines after it were skipped.")
                                       .arg(fileName)
                                       .arg(kCapacity)
                                       .arg(i + 1));
            break;
        }
        if (line.size() < 3) {
            loaded.problems.append(
                QStringLiteral("%1: line %2 is shorter than 3 characters and was skipped.").arg(fileName).arg(i + 1));
            continue;
        }
        loaded.table.m_symbols.append({line.left(2), trimBlanks(line.mid(3))});
    }
    return loaded;
}

SymbolTable::Loaded SymbolTable::fromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Loaded loaded;
        loaded.problems.append(
            QStringLiteral("%1 could not be read: %2. The symbol list is empty.").arg(path, file.errorString()));
        return loaded;
    }
    return fromBytes(file.readAll(), path);
}

const QList<Symbol> &SymbolTable::symbols() const
{
    return m_symbols;
}

int SymbolTable::count() const
{
    return static_cast<int>(m_symbols.size());
}

QString SymbolTable::codeForName(const QString &name) const
{
    for (const Symbol &symbol : m_symbols)
        if (symbol.name == name)
            return symbol.code;
    return {};
}

QString SymbolTable::nameForCode(const QString &code) const
{
    for (const Symbol &symbol : m_symbols)
        if (symbol.code == code)
            return symbol.name;
    return {};
}

QString symbolFragment(const SymbolChoice &choice)
{
    QString primary;
    QString alternate;
    for (const QString &code : choice.codes) {
        if (code.size() < 2)
            continue;
        (code.at(0) == u'/' ? primary : alternate) += code.at(1);
    }
    if (primary.isEmpty() && alternate.isEmpty())
        return {};
    return (choice.exclude ? QStringLiteral("-s/") : QStringLiteral("s/")) + primary + u'/' + alternate + u'/'
        + choice.overlay;
}

SymbolDecode parseSymbolFragment(const SymbolTable &table, const QString &fragment)
{
    const QStringList pieces = fragmentPieces(fragment);
    SymbolDecode decoded;
    decoded.exclude = isExclusion(fragment);
    const auto appendNames = [&](qsizetype piece, QChar tableChar) {
        if (piece < pieces.size())
            for (QChar symbol : pieces.at(piece))
                decoded.names.append(table.nameForCode(tableChar + QString(symbol)));
    };
    appendNames(1, u'/');
    appendNames(2, u'\\');
    if (pieces.size() > 3)
        decoded.overlay = pieces.at(3);
    return decoded;
}
