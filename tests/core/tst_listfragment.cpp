#include "pages/core/listfragment.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestListFragment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void build_data();
    void build();
    void parse_data();
    void parse();
};

void TestListFragment::build_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("one entry") << QChar(u'b') << false << QStringList{u"ABC*"_s} << QStringLiteral("b/ABC*");
    QTest::newRow("excluded") << QChar(u'b') << true << QStringList{u"M*"_s, u"G*"_s, u"2*"_s}
                              << QStringLiteral("-b/M*/G*/2*");
    QTest::newRow("no entries, excluded") << QChar(u'e') << true << QStringList{} << QString();
    QTest::newRow("no entries") << QChar(u'o') << false << QStringList{} << QString();
    QTest::newRow("blank entry") << QChar(u'b') << false << QStringList{u" "_s} << QStringLiteral("b/ ");
    QTest::newRow("empty entry from a decode") << QChar(u'b') << false << QStringList{u""_s} << QStringLiteral("b/");
    QTest::newRow("repeated") << QChar(u'd') << false << QStringList{u"WIDE"_s, u"WIDE"_s}
                              << QStringLiteral("d/WIDE/WIDE");
    QTest::newRow("slash inside") << QChar(u'b') << false << QStringList{u"A/B"_s} << QStringLiteral("b/A/B");
}

void TestListFragment::build()
{
    QFETCH(QChar, letter);
    QFETCH(bool, exclude);
    QFETCH(QStringList, entries);
    QFETCH(QString, fragment);
    QCOMPARE(listFragment(letter, exclude, entries), fragment);
}

void TestListFragment::parse_data()
{
    QTest::addColumn<QString>("fragment");
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QStringList>("entries");

    QTest::newRow("excluded budlist") << QStringLiteral("-b/M*/G*/2*") << true
                                      << QStringList{u"M*"_s, u"G*"_s, u"2*"_s};
    QTest::newRow("case kept") << QStringLiteral("-o/name1/n2*/name3/n3*") << true
                               << QStringList{u"name1"_s, u"n2*"_s, u"name3"_s, u"n3*"_s};
    QTest::newRow("letter alone") << QStringLiteral("b") << false << QStringList{};
    QTest::newRow("excluded letter alone") << QStringLiteral("-b") << true << QStringList{};
    QTest::newRow("one empty entry") << QStringLiteral("b/") << false << QStringList{u""_s};
    QTest::newRow("empty entry kept") << QStringLiteral("b/x//y") << false << QStringList{u"x"_s, u""_s, u"y"_s};
    QTest::newRow("slash splits") << QStringLiteral("b/A/B") << false << QStringList{u"A"_s, u"B"_s};
}

void TestListFragment::parse()
{
    QFETCH(QString, fragment);
    QFETCH(bool, exclude);
    QFETCH(QStringList, entries);
    const ListContent content = parseListFragment(fragment);
    QCOMPARE(content.exclude, exclude);
    QCOMPARE(content.entries, entries);
}

QTEST_APPLESS_MAIN(TestListFragment)
#include "tst_listfragment.moc"
