#include "pages/core/symboltable.h"

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

SymbolTable exampleTable()
{
    // Codes /a, /b and \c as in the examples, a duplicate name, and a table character that is
    // neither "/" nor "\".
    return SymbolTable::fromBytes("/a Alpha\r\n/b Bravo\r\n\\c Charlie\r\n/d Alpha\r\nXe Echo\r\n", u"t"_s).table;
}

} // namespace

class TestSymbolTable : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void reading_data();
    void reading();
    void lookups();
    void fragment_data();
    void fragment();
    void decode_data();
    void decode();
    void shippedListIsUsable();
};

void TestSymbolTable::reading_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("problems");

    QTest::newRow("CR LF") << QByteArray("/! Police\r\n\\! Emergency\r\n") << QStringList{u"Police"_s, u"Emergency"_s}
                           << 0;
    QTest::newRow("LF, no final end") << QByteArray("/! Police\n/# Digi") << QStringList{u"Police"_s, u"Digi"_s} << 0;
    QTest::newRow("CR only") << QByteArray("/! A\r/# B\r") << QStringList{u"A"_s, u"B"_s} << 0;
    QTest::newRow("blank name, blanks trimmed")
        << QByteArray("/!x\n/#:  Digi  \n") << QStringList{QString(), u"Digi"_s} << 0;
    QTest::newRow("short lines skipped") << QByteArray("/!\n\n/# Digi\nab\n") << QStringList{u"Digi"_s} << 3;
    QTest::newRow("empty file") << QByteArray() << QStringList{} << 0;
    QTest::newRow("NUL and Latin-1 bytes")
        << QByteArray("/!\0 x\n/# caf\xe9\n", 13) << QStringList{u"x"_s, u"caf"_s + QString::fromLocal8Bit("\xe9")} << 0;
}

void TestSymbolTable::reading()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(int, problems);
    const SymbolTable::Loaded loaded = SymbolTable::fromBytes(bytes, u"symbols.wiz"_s);
    QStringList read;
    for (const Symbol &symbol : loaded.table.symbols())
        read.append(symbol.name);
    QCOMPARE(read, names);
    QCOMPARE(loaded.problems.size(), problems);
    for (const QString &problem : loaded.problems)
        QVERIFY(problem.startsWith(u"symbols.wiz: line "_s));
}

void TestSymbolTable::lookups()
{
    QByteArray many;
    for (int i = 0; i < 500; ++i)
        many += "/x Name " + QByteArray::number(i) + "\n";
    const SymbolTable::Loaded loaded = SymbolTable::fromBytes(many, u"symbols.wiz"_s);
    QCOMPARE(loaded.table.count(), SymbolTable::kCapacity);
    QCOMPARE(loaded.problems,
             QStringList{u"symbols.wiz: only the first 201 symbols are used; line 202 and the lines "
                         "after it were skipped."_s});

    const SymbolTable table = exampleTable();
    QCOMPARE(table.codeForName(u"Alpha"_s), u"/a"_s); // the first of two equal names
    QCOMPARE(table.codeForName(u"alpha"_s), QString());
    QCOMPARE(table.nameForCode(u"\\c"_s), u"Charlie"_s);
    QCOMPARE(table.nameForCode(u"/c"_s), QString());

    const SymbolTable::Loaded missing = SymbolTable::fromFile(u"/nonexistent/symbols.wiz"_s);
    QCOMPARE(missing.table.count(), 0);
    QCOMPARE(missing.problems.size(), 1);
}

void TestSymbolTable::fragment_data()
{
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("overlay");
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("primary") << QStringList{u"Alpha"_s, u"Bravo"_s} << QString() << false << u"s/ab//"_s;
    QTest::newRow("overlay") << QStringList{u"Alpha"_s, u"Bravo"_s} << u"X"_s << false << u"s/ab//X"_s;
    QTest::newRow("alternate") << QStringList{u"Charlie"_s} << QString() << false << u"s//c/"_s;
    QTest::newRow("both, excluded") << QStringList{u"Alpha"_s, u"Charlie"_s} << QString() << true << u"-s/a/c/"_s;
    QTest::newRow("overlay alone") << QStringList{} << u"X"_s << true << QString();
    QTest::newRow("unknown names only") << QStringList{u"Typed"_s, QString()} << u"X"_s << false << QString();
    QTest::newRow("twice") << QStringList{u"Bravo"_s, u"Bravo"_s} << QString() << false << u"s/bb//"_s;
    QTest::newRow("other table char") << QStringList{u"Echo"_s} << QString() << false << u"s//e/"_s;
}

void TestSymbolTable::fragment()
{
    QFETCH(QStringList, names);
    QFETCH(QString, overlay);
    QFETCH(bool, exclude);
    QFETCH(QString, fragment);
    const SymbolTable table = exampleTable();
    SymbolChoice choice{exclude, {}, overlay};
    for (const QString &name : names)
        choice.codes.append(table.codeForName(name));
    QCOMPARE(symbolFragment(choice), fragment);
}

void TestSymbolTable::decode_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("overlay"); // null when the word has none

    QTest::newRow("both tables") << u"-s/ab/c/X"_s << true << QStringList{u"Alpha"_s, u"Bravo"_s, u"Charlie"_s}
                                 << u"X"_s;
    QTest::newRow("alternate read as backslash") << u"s//e/"_s << false << QStringList{QString()} << QString(u""_s);
    QTest::newRow("letter alone") << u"s"_s << false << QStringList{} << QString();
    QTest::newRow("slash alone") << u"-s/"_s << true << QStringList{} << QString();
    QTest::newRow("unknown code") << u"s/z"_s << false << QStringList{QString()} << QString();
    QTest::newRow("extra pieces") << u"s/a//O/P"_s << false << QStringList{u"Alpha"_s} << u"O"_s;
}

void TestSymbolTable::decode()
{
    QFETCH(QString, word);
    QFETCH(bool, exclude);
    QFETCH(QStringList, names);
    QFETCH(QString, overlay);
    const SymbolDecode decoded = parseSymbolFragment(exampleTable(), word);
    QCOMPARE(decoded.exclude, exclude);
    QCOMPARE(decoded.names, names);
    QCOMPARE(decoded.overlay.has_value(), !overlay.isNull());
    if (decoded.overlay)
        QCOMPARE(*decoded.overlay, overlay);
}

void TestSymbolTable::shippedListIsUsable()
{
    const SymbolTable::Loaded loaded = SymbolTable::fromFile(QStringLiteral(VARNOCK_DATA_DIR "/symbols.wiz"));
    QCOMPARE(loaded.problems, QStringList());
    QVERIFY(loaded.table.count() > 150);
    QSet<QString> names;
    for (const Symbol &symbol : loaded.table.symbols()) {
        QVERIFY2(!names.contains(symbol.name), qPrintable(symbol.name)); // a repeated name is unreachable
        names.insert(symbol.name);
        QVERIFY(symbol.code.at(0) == u'/' || symbol.code.at(0) == u'\\');
    }
    QCOMPARE(loaded.table.nameForCode(u"/_"_s), u"Weather Station"_s);
    QCOMPARE(loaded.table.codeForName(u"Car"_s), u"/>"_s);
}

QTEST_APPLESS_MAIN(TestSymbolTable)
#include "tst_symboltable.moc"
