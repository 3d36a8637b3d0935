#include "base/core/kinds.h"
#include "pages/core/listfragment.h"
#include "pages/gui/listpage.h"
#include "support/workbench.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

/// The controls of one list page, found by their names.
struct ListControls
{
    ListControls(Workbench &bench, QChar letter)
        : kind(*kindForLetter(letter))
    {
        for (const ListPageSpec &candidate : ListPage::specs())
            if (candidate.kind == letter.unicode())
                spec = &candidate;
        const QString prefix = kind.prefix.toString();
        list = bench.find<QListWidget>(spec->listName.toString());
        add = bench.find<QPushButton>(spec->addName.toString());
        remove = bench.find<QPushButton>(spec->removeName.toString());
        fragment = bench.find<QLineEdit>(u"frag_"_s + prefix);
        exclude = bench.find<QCheckBox>(prefix + u"_exclude"_s);
        clear = bench.find<QWidget>(prefix + u"_clear"_s);
        tabs = bench.find<QTabWidget>(u"SSTab1"_s);
    }

    QString caption() const { return tabs->tabText(kind.tab); }
    QStringList entries() const
    {
        QStringList texts;
        for (int row = 0; row < list->count(); ++row)
            texts.append(list->item(row)->text());
        return texts;
    }

    const Kind &kind;
    const ListPageSpec *spec = nullptr;
    QListWidget *list;
    QPushButton *add;
    QPushButton *remove;
    QLineEdit *fragment;
    QCheckBox *exclude;
    QWidget *clear;
    QTabWidget *tabs;
};

void addEntry(Workbench &bench, ListControls &page, const QString &text)
{
    bench.dialogs.answer(text);
    page.add->click();
}

void clickClear(ListControls &page)
{
    QTest::mouseClick(page.clear, Qt::LeftButton);
}

} // namespace

class TestListPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void captions_data();
    void captions();
    void add_data();
    void add();
    void cancelChangesNothing_data();
    void cancelChangesNothing();
    void excludeAndRemove_data();
    void excludeAndRemove();
    void removeNeedsASelection();
    void clearOnEmptyPageComesToFront();
    void decode_data();
    void decode();
    void addAfterDecode();
    void fullListRefusesAnotherEntry();
    void longEntriesAreKeptWhole();
};

void TestListPages::captions_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<QString>("frame");
    QTest::addColumn<QString>("addCaption");
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("idleCaption");
    QTest::addColumn<QString>("pageButton"); ///< its name and caption
    QTest::newRow("b") << QChar(u'b') << u" Budlist "_s << u"Add Callsign"_s << u"Enter callsign"_s << 1
                       << u"Budlist - b"_s << u"Command15 Budlist"_s;
    QTest::newRow("d") << QChar(u'd') << u" Digipeater "_s << u"Add Digi"_s << u"Enter callsign"_s << 4
                       << u"Digipeater - d"_s << u"Command21 Digipeater"_s;
    QTest::newRow("o") << QChar(u'o') << u" Object "_s << u"Add Object"_s << u"Enter object"_s << 11 << u"Object - o"_s
                       << u"Command24 Object"_s;
    QTest::newRow("u") << QChar(u'u') << u" Unproto "_s << u"Add Unproto"_s << u"Enter unproto (or destination field)"_s
                       << 8 << u"Unproto - u"_s << u"Command18 Unproto"_s;
    QTest::newRow("e") << QChar(u'e') << u" Port of entry "_s << u"Add Port Entry"_s << u"Enter callsign"_s << 10
                       << u"Port of entry - e"_s << u"Command22 Port of entry"_s;
    QTest::newRow("p") << QChar(u'p') << u" Prefix "_s << u"Add Prefix"_s << u"Enter callsign prefix"_s << 12
                       << u"Prefix - p"_s << u"Command25 Prefix"_s;
    QTest::newRow("g") << QChar(u'g') << u" Group Message "_s << u"Add Group"_s << u"Enter message addressee"_s << 13
                       << u"Group Msg - g"_s << u"Command26 Group Msg"_s;
}

void TestListPages::captions()
{
    QFETCH(QChar, letter);
    QFETCH(QString, frame);
    QFETCH(QString, addCaption);
    QFETCH(QString, prompt);
    QFETCH(int, tab);
    QFETCH(QString, idleCaption);
    QFETCH(QString, pageButton);
    Workbench bench;
    ListControls page(bench, letter);
    QCOMPARE(page.add->text(), addCaption);
    QCOMPARE(page.remove->text(), u"Remove"_s);
    auto *box = qobject_cast<QGroupBox *>(page.list->parentWidget());
    QVERIFY(box);
    QCOMPARE(box->title(), frame);
    QVERIFY(page.tabs->widget(tab)->isAncestorOf(page.list));
    QCOMPARE(page.caption(), idleCaption);
    const QStringList button = pageButton.split(u' ');
    QCOMPARE(bench.find<QPushButton>(button.first())->text(), button.mid(1).join(u' '));

    addEntry(bench, page, u"x"_s);
    QCOMPARE(bench.dialogs.questions.size(), 1);
    QCOMPARE(bench.dialogs.questions.first().prompt, prompt);
    QCOMPARE(bench.dialogs.questions.first().title, u"Varnock"_s);
    QCOMPARE(bench.dialogs.questions.first().defaultText, QString());
    QCOMPARE(page.caption(), idleCaption + u"   [Active]"_s);
}

void TestListPages::add_data()
{
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("budlist upper-cases") << QChar(u'b') << QStringList{u"abc*"_s} << QStringList{u"ABC*"_s}
                                         << u"b/ABC*"_s;
    QTest::newRow("object keeps case") << QChar(u'o') << QStringList{u"Name1"_s} << QStringList{u"Name1"_s}
                                       << u"o/Name1"_s;
    QTest::newRow("unproto") << QChar(u'u') << QStringList{u"wxyz"_s} << QStringList{u"WXYZ"_s} << u"u/WXYZ"_s;
    QTest::newRow("prefix") << QChar(u'p') << QStringList{u"dl"_s, u"db"_s} << QStringList{u"DL"_s, u"DB"_s}
                            << u"p/DL/DB"_s;
    QTest::newRow("group") << QChar(u'g') << QStringList{u"bln*"_s} << QStringList{u"BLN*"_s} << u"g/BLN*"_s;
    QTest::newRow("digi twice") << QChar(u'd') << QStringList{u"wide1"_s, u"wide1"_s}
                                << QStringList{u"WIDE1"_s, u"WIDE1"_s} << u"d/WIDE1/WIDE1"_s;
    QTest::newRow("one blank") << QChar(u'b') << QStringList{u" "_s} << QStringList{u" "_s} << u"b/ "_s;
    QTest::newRow("blank inside kept") << QChar(u'e') << QStringList{u" a b "_s} << QStringList{u" A B "_s}
                                       << u"e/ A B "_s;
    QTest::newRow("slash kept") << QChar(u'b') << QStringList{u"a/b"_s} << QStringList{u"A/B"_s} << u"b/A/B"_s;
    QTest::newRow("non-ASCII") << QChar(u'b') << QStringList{u"éд1"_s} << QStringList{u"ÉД1"_s} << u"b/ÉД1"_s;
    QTest::newRow("object non-ASCII") << QChar(u'o') << QStringList{u"Straße"_s} << QStringList{u"Straße"_s}
                                      << u"o/Straße"_s;
}

void TestListPages::add()
{
    QFETCH(QChar, letter);
    QFETCH(QStringList, typed);
    QFETCH(QStringList, entries);
    QFETCH(QString, fragment);
    Workbench bench;
    ListControls page(bench, letter);
    page.tabs->setCurrentIndex(0);
    for (const QString &text : typed)
        addEntry(bench, page, text);
    QCOMPARE(page.entries(), entries);
    QCOMPARE(page.fragment->text(), fragment);
    QCOMPARE(page.tabs->currentIndex(), page.kind.tab);
    QCOMPARE(page.caption(), page.kind.idleCaption + u"   [Active]"_s);
    QCOMPARE(bench.form.filterLine(), u"filter "_s + fragment.trimmed());
    QCOMPARE(page.list->currentRow(), entries.size() - 1); // the last entry stays selected
}

void TestListPages::cancelChangesNothing_data()
{
    QTest::addColumn<QChar>("letter");
    for (const ListPageSpec &spec : ListPage::specs())
        QTest::newRow(qPrintable(QString(QChar(spec.kind)))) << QChar(spec.kind);
}

void TestListPages::cancelChangesNothing()
{
    QFETCH(QChar, letter);
    Workbench bench;
    ListControls page(bench, letter);
    page.tabs->setCurrentIndex(0);
    addEntry(bench, page, QString()); // Cancel, or OK on an empty text
    QCOMPARE(page.list->count(), 0);
    QCOMPARE(page.fragment->text(), QString());
    QCOMPARE(page.caption(), page.kind.idleCaption.toString());
    QCOMPARE(page.tabs->currentIndex(), 0);
    QCOMPARE(bench.form.filterLine(), QString()); // no rebuild ran
}

void TestListPages::excludeAndRemove_data()
{
    cancelChangesNothing_data();
}

void TestListPages::excludeAndRemove()
{
    QFETCH(QChar, letter);
    Workbench bench;
    ListControls page(bench, letter);
    const QString prefix = QString(letter);

    page.exclude->click(); // with an empty list the fragment stays empty
    QCOMPARE(page.fragment->text(), QString());
    QCOMPARE(page.caption(), page.kind.idleCaption.toString());

    addEntry(bench, page, u"X1"_s);
    addEntry(bench, page, u"Y2"_s);
    QCOMPARE(page.fragment->text(), u"-"_s + prefix + u"/X1/Y2"_s);
    page.exclude->click();
    QCOMPARE(page.fragment->text(), prefix + u"/X1/Y2"_s);
    page.exclude->click();

    page.remove->click(); // right after the Add, the new entry goes
    QCOMPARE(page.entries(), QStringList{u"X1"_s});
    page.remove->click();
    QCOMPARE(page.fragment->text(), QString());
    QCOMPARE(page.caption(), page.kind.idleCaption.toString());
    QVERIFY(page.exclude->isChecked());

    addEntry(bench, page, u"Z"_s);
    clickClear(page);
    QCOMPARE(page.list->count(), 0);
    QVERIFY(!page.exclude->isChecked());
    QCOMPARE(page.fragment->text(), QString());
    QCOMPARE(bench.form.filterLine(), u"filter"_s);
}

void TestListPages::removeNeedsASelection()
{
    Workbench bench;
    ListControls page(bench, u'b');
    addEntry(bench, page, u"A"_s);
    addEntry(bench, page, u"B"_s);
    page.list->clearSelection();
    page.tabs->setCurrentIndex(0);
    page.remove->click();
    QCOMPARE(page.entries(), (QStringList{u"A"_s, u"B"_s}));
    QCOMPARE(page.tabs->currentIndex(), 0);

    page.list->setCurrentRow(0);
    page.remove->click();
    QCOMPARE(page.fragment->text(), u"b/B"_s);
}

void TestListPages::clearOnEmptyPageComesToFront()
{
    Workbench bench;
    ListControls page(bench, u'e');
    page.tabs->setCurrentIndex(2);
    clickClear(page);
    QCOMPARE(page.tabs->currentIndex(), 10);
    QCOMPARE(page.caption(), u"Port of entry - e"_s);
    QCOMPARE(bench.form.filterLine(), u"filter"_s);
}

void TestListPages::decode_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QChar>("letter");
    QTest::addColumn<bool>("exclude");
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("fragment");

    QTest::newRow("excluded budlist") << u"-b/M*/G*/2*"_s << QChar(u'b') << true
                                      << QStringList{u"M*"_s, u"G*"_s, u"2*"_s} << u"-b/M*/G*/2*"_s;
    QTest::newRow("object keeps case") << u"-o/name1/n2*/name3/n3*"_s << QChar(u'o') << true
                                       << QStringList{u"name1"_s, u"n2*"_s, u"name3"_s, u"n3*"_s}
                                       << u"-o/name1/n2*/name3/n3*"_s;
    QTest::newRow("letter alone") << u"b"_s << QChar(u'b') << false << QStringList{} << QString();
    QTest::newRow("excluded letter alone") << u"-u"_s << QChar(u'u') << true << QStringList{} << QString();
    QTest::newRow("one empty entry") << u"b/"_s << QChar(u'b') << false << QStringList{QString()} << u"b/"_s;
    QTest::newRow("no upper-casing") << u"b/x//y"_s << QChar(u'b') << false << QStringList{u"x"_s, QString(), u"y"_s}
                                     << u"b/x//y"_s;
    QTest::newRow("first sign holds the page")
        << u"-d/A/B d/C -D/E"_s << QChar(u'd') << true << QStringList{u"A"_s, u"B"_s, u"E"_s} << u"-d/A/B/E"_s;
    QTest::newRow("ignored word beside others") << u"g/CQ* p -p/dl//DB b/X p"_s << QChar(u'p') << true
                                                << QStringList{u"dl"_s, QString(), u"DB"_s} << u"-p/dl//DB"_s;
    QTest::newRow("excluded prefix") << u"g/CQ* -p/dl//DB b/X"_s << QChar(u'p') << true
                                     << QStringList{u"dl"_s, QString(), u"DB"_s} << u"-p/dl//DB"_s;
    QTest::newRow("group, repeated") << u"-g/A p/G -g/BLN*/ e/X"_s << QChar(u'g') << true
                                     << QStringList{u"A"_s, u"BLN*"_s, QString()} << u"-g/A/BLN*/"_s;
}

void TestListPages::decode()
{
    QFETCH(QString, line);
    QFETCH(QChar, letter);
    QFETCH(bool, exclude);
    QFETCH(QStringList, entries);
    QFETCH(QString, fragment);
    Workbench bench;
    ListControls page(bench, letter);
    addEntry(bench, page, u"old"_s);
    bench.form.decodeFilter(line);
    QCOMPARE(page.exclude->isChecked(), exclude);
    QCOMPARE(page.entries(), entries);
    QCOMPARE(page.fragment->text(), fragment);
    QCOMPARE(page.caption(), tabCaption(page.kind, !fragment.isEmpty()));
    QCOMPARE(page.list->currentRow(), entries.size() - 1);
}

void TestListPages::addAfterDecode()
{
    Workbench bench;
    ListControls page(bench, u'e');
    bench.form.decodeFilter(u"e/callx/cally/callz*"_s);
    addEntry(bench, page, u"abc"_s);
    QCOMPARE(page.fragment->text(), u"e/callx/cally/callz*/ABC"_s);

    ListControls budlist(bench, u'b');
    addEntry(bench, budlist, u"a/b"_s);
    bench.form.decodeFilter(budlist.fragment->text());
    QCOMPARE(budlist.entries(), (QStringList{u"A"_s, u"B"_s}));
}

void TestListPages::fullListRefusesAnotherEntry()
{
    Workbench bench;
    ListControls page(bench, u'u');
    QString word = u"u"_s;
    for (int i = 0; i < kMaxListEntries; ++i)
        word += u"/U"_s + QString::number(i);
    bench.form.page(u'u')->decode(word); // longer than a line the decoder takes
    QCOMPARE(page.list->count(), kMaxListEntries);

    page.add->click();
    QCOMPARE(page.list->count(), kMaxListEntries);
    QCOMPARE(page.fragment->text(), word);
    QCOMPARE(bench.dialogs.questions.size(), 0); // refused before anything was asked
    QCOMPARE(bench.dialogs.messages.size(), 1);

    page.remove->click();
    addEntry(bench, page, u"last"_s);
    QCOMPARE(page.list->count(), kMaxListEntries);
    QCOMPARE(page.entries().last(), u"LAST"_s);
}

void TestListPages::longEntriesAreKeptWhole()
{
    Workbench bench;
    ListControls page(bench, u'o');
    const QString entry = QString(10000, u'n') + u"/ é"_s;
    addEntry(bench, page, entry);
    addEntry(bench, page, entry);
    QCOMPARE(page.entries(), (QStringList{entry, entry}));
    QCOMPARE(page.fragment->text(), u"o/"_s + entry + u"/"_s + entry);
    QCOMPARE(bench.form.filterLine(), u"filter o/"_s + entry + u"/"_s + entry);
}

QTEST_MAIN(TestListPages)
#include "tst_listpages.moc"
