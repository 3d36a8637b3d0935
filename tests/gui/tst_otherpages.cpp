// The type, symbol, q construct, my range and friend range pages, driven by object name.
#include "base/core/kinds.h"
#include "pages/gui/fragmentpage.h"
#include "support/workbench.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QString fragment(Workbench &bench, char16_t kind)
{
    return bench.form.page(QChar(kind))->fragmentBox()->text();
}

QString caption(Workbench &bench, char16_t kind)
{
    return bench.find<QTabWidget>(u"SSTab1"_s)->tabText(kindForLetter(QChar(kind))->tab);
}

void click(Workbench &bench, const QString &name)
{
    bench.find<QAbstractButton>(name)->click();
}

void type(Workbench &bench, const QString &name, const QString &text)
{
    auto *edit = bench.find<QLineEdit>(name);
    edit->setFocus();
    QTest::keyClicks(edit, text);
}

/// A program folder holding the given symbol list, or none at all.
struct SymbolFolder
{
    explicit SymbolFolder(const std::optional<QByteArray> &contents)
    {
        if (contents) {
            QFile file(folder.filePath(u"symbols.wiz"_s));
            if (file.open(QIODevice::WriteOnly))
                file.write(*contents);
        }
    }
    QTemporaryDir folder;
};

} // namespace

class TestOtherPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void typePage();
    void typeStationFollowsKeystrokes();
    void typeDecodeAddsUp();
    void qConstructPage();
    void qConstructDecode_data();
    void qConstructDecode();
    void myRangePage();
    void friendPage();
    void symbolPage();
    void symbolDecode();
    void startsWithAnySymbolList_data();
    void startsWithAnySymbolList();
    void randomWordsNeverBreakTheDecoders();
};

void TestOtherPages::typePage()
{
    Workbench bench;
    click(bench, u"type_cPosition"_s);
    click(bench, u"type_cMessage"_s);
    QCOMPARE(fragment(bench, u't'), u"t/mp"_s);
    QCOMPARE(caption(bench, u't'), u"Type - t   [Active]"_s);
    click(bench, u"type_exclude"_s);
    QCOMPARE(fragment(bench, u't'), u"-t/mp"_s);

    click(bench, u"type_cPosition"_s);
    click(bench, u"type_cMessage"_s);
    QCOMPARE(fragment(bench, u't'), QString()); // Exclude alone makes no fragment
    QCOMPARE(caption(bench, u't'), u"Type - t"_s);

    type(bench, u"type_range"_s, u"50"_s);
    QCOMPARE(fragment(bench, u't'), QString()); // a range needs a station
    type(bench, u"type_callsign"_s, u"qq0abc"_s);
    QCOMPARE(fragment(bench, u't'), u"-t//QQ0ABC/50"_s);
    QCOMPARE(bench.find<QLineEdit>(u"type_callsign"_s)->text(), u"qq0abc"_s);

    click(bench, u"type_cObjects"_s);
    click(bench, u"type_clear"_s);
    QCOMPARE(fragment(bench, u't'), QString());
    QVERIFY(!bench.find<QCheckBox>(u"type_cObjects"_s)->isChecked());
    QVERIFY(!bench.find<QCheckBox>(u"type_exclude"_s)->isChecked());
    QCOMPARE(bench.find<QLineEdit>(u"type_range"_s)->text(), QString());
    QCOMPARE(bench.form.filterLine(), u"filter"_s);
}

void TestOtherPages::typeStationFollowsKeystrokes()
{
    Workbench bench;
    click(bench, u"type_cWeather"_s);
    QStringList seen;
    auto *box = bench.find<QLineEdit>(u"frag_type"_s);
    auto *edit = bench.find<QLineEdit>(u"type_callsign"_s);
    connect(edit, &QLineEdit::textChanged, this, [&] { seen.append(box->text()); });
    QTest::keyClicks(edit, u"ab"_s);
    QCOMPARE(seen, (QStringList{u"t/w/A"_s, u"t/w/AB"_s}));
    QCOMPARE(bench.form.filterLine(), u"filter t/w/AB"_s);
}

void TestOtherPages::typeDecodeAddsUp()
{
    Workbench bench;
    bench.form.decodeFilter(u"-t/pm/QQ0ABC/500"_s);
    QCOMPARE(fragment(bench, u't'), u"-t/mp/QQ0ABC/500"_s);
    QVERIFY(bench.find<QCheckBox>(u"type_cPosition"_s)->isChecked());

    bench.form.decodeFilter(u"-t/w -t/o t/p"_s); // letters of one sign add up
    QCOMPARE(fragment(bench, u't'), u"-t/ow"_s);
    QCOMPARE(bench.find<QLineEdit>(u"kept_as_typed"_s)->text(), u"t/p"_s);

    bench.form.decodeFilter(u"t/p/a/b/c"_s); // servers ignore it, and what the page makes of it
    QCOMPARE(fragment(bench, u't'), u"t/p/A/b"_s);
    bench.form.decodeFilter(u"t/PM"_s);
    QCOMPARE(fragment(bench, u't'), u"t/mp"_s);
}

void TestOtherPages::qConstructPage()
{
    Workbench bench;
    click(bench, u"qconstruct_crR"_s);
    click(bench, u"qconstruct_cr"_s);
    QCOMPARE(fragment(bench, u'q'), u"q/rR"_s);
    // The Exclude box rebuilds at once, so the line on screen is never stale.
    click(bench, u"qconstruct_exclude"_s);
    QCOMPARE(fragment(bench, u'q'), u"-q/rR"_s);
    QCOMPARE(bench.form.filterLine(), u"filter -q/rR"_s);

    click(bench, u"qconstruct_crR"_s);
    click(bench, u"qconstruct_cr"_s);
    QCOMPARE(fragment(bench, u'q'), QString());
    QCOMPARE(caption(bench, u'q'), u"q Construct - q"_s);

    click(bench, u"qconstruct_analysis"_s);
    QCOMPARE(fragment(bench, u'q'), u"-q//I"_s);
    QCOMPARE(caption(bench, u'q'), u"q Construct - q   [Active]"_s);

    click(bench, u"qconstruct_clear"_s);
    QCOMPARE(fragment(bench, u'q'), QString());
    QVERIFY(!bench.find<QCheckBox>(u"qconstruct_analysis"_s)->isChecked());
    QVERIFY(!bench.find<QCheckBox>(u"qconstruct_exclude"_s)->isChecked());
}

void TestOtherPages::qConstructDecode_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("fragment");
    QTest::newRow("round trip") << u"-q/OSrRU/I"_s << u"-q/OSrRU/I"_s;
    QTest::newRow("normalised") << u"q/ZCZ"_s << u"q/CZ"_s;
    QTest::newRow("analysis after constructs") << u"q/C/I"_s << u"q/C/I"_s;
    QTest::newRow("two words add letters") << u"-q/C -q/X"_s << u"-q/CX"_s;
    // Servers read these otherwise than the page would say them: kept as typed.
    QTest::newRow("constructs in the analysis place") << u"-q//OSrRU"_s << QString();
    QTest::newRow("letter no construct has") << u"q/ZCx"_s << QString();
    QTest::newRow("empty analysis") << u"q//"_s << QString();
}

void TestOtherPages::qConstructDecode()
{
    QFETCH(QString, line);
    QFETCH(QString, fragment);
    Workbench bench;
    bench.form.decodeFilter(line);
    QCOMPARE(::fragment(bench, u'q'), fragment);
}

void TestOtherPages::myRangePage()
{
    Workbench bench;
    click(bench, u"myrange_exclude"_s);
    QCOMPARE(fragment(bench, u'm'), QString());
    click(bench, u"myrange_exclude"_s);
    type(bench, u"myrange_range"_s, u"400"_s);
    QCOMPARE(fragment(bench, u'm'), u"m/400"_s);
    QCOMPARE(caption(bench, u'm'), u"My Range - m   [Active]"_s);
    click(bench, u"myrange_exclude"_s);
    QCOMPARE(fragment(bench, u'm'), u"-m/400"_s);
    bench.find<QLineEdit>(u"myrange_range"_s)->clear();
    QCOMPARE(fragment(bench, u'm'), QString());
    QCOMPARE(caption(bench, u'm'), u"My Range - m"_s);

    bench.form.decodeFilter(u"-m/100 m/200"_s);
    QCOMPARE(fragment(bench, u'm'), u"-m/100"_s);
    QVERIFY(bench.find<QCheckBox>(u"myrange_exclude"_s)->isChecked());
    QCOMPARE(bench.form.filterLine(), u"filter -m/100 m/200"_s);
    bench.form.decodeFilter(u"m"_s);
    QCOMPARE(bench.find<QLineEdit>(u"myrange_range"_s)->text(), QString());
    QCOMPARE(bench.find<QGroupBox>(u"range_frame"_s)->title(), u" My Range "_s);
}

void TestOtherPages::friendPage()
{
    Workbench bench;
    auto *list = bench.find<QListWidget>(u"List5"_s);
    type(bench, u"friend_callsign"_s, u"abc1"_s);
    type(bench, u"friend_range"_s, u"50"_s);
    QCOMPARE(fragment(bench, u'f'), QString()); // typing alone adds nothing
    click(bench, u"friend_add"_s);
    click(bench, u"friend_exclude"_s); // read only when the next entry is added
    QCOMPARE(fragment(bench, u'f'), u"f/ABC1/50 "_s);
    click(bench, u"friend_add"_s);
    QCOMPARE(bench.entries(list->objectName()), (QStringList{u"f/ABC1/50"_s, u"-f/ABC1/50"_s}));
    QCOMPARE(bench.form.filterLine(), u"filter f/ABC1/50 -f/ABC1/50"_s);
    QCOMPARE(caption(bench, u'f'), u"Friend Range - f   [Active]"_s);

    click(bench, u"friend_remove"_s);
    QCOMPARE(bench.entries(list->objectName()), QStringList{u"f/ABC1/50"_s});

    click(bench, u"friend_clear"_s);
    QCOMPARE(list->count(), 0);
    QCOMPARE(bench.find<QLineEdit>(u"friend_callsign"_s)->text(), QString());
    QVERIFY(bench.find<QCheckBox>(u"friend_exclude"_s)->isChecked()); // survives Clear Filter

    bench.form.decodeFilter(u"f/abc1/50 -f/B/2"_s);
    QCOMPARE(bench.entries(list->objectName()), (QStringList{u"f/abc1/50"_s, u"-f/B/2"_s}));
    QCOMPARE(fragment(bench, u'f'), u"f/abc1/50 -f/B/2 "_s);
    QVERIFY(bench.find<QCheckBox>(u"friend_exclude"_s)->isChecked()); // and decoding
    click(bench, u"Command3"_s);
    QVERIFY(bench.find<QCheckBox>(u"friend_exclude"_s)->isChecked()); // and Clear All
    QCOMPARE(bench.find<QGroupBox>(u"friend_frame"_s)->title(), u" Friend Station "_s);
}

void TestOtherPages::symbolPage()
{
    Workbench bench;
    auto *combo = bench.find<QComboBox>(u"symbol_combo"_s);
    auto *list = bench.find<QListWidget>(u"List6"_s);
    QVERIFY(combo->count() > 150);
    QCOMPARE(combo->itemText(0), u"Police, Sheriff"_s); // table order, not sorted

    click(bench, u"Command7"_s); // nothing chosen: nothing added
    QCOMPARE(list->count(), 0);

    combo->setCurrentText(u"Car"_s);
    click(bench, u"Command7"_s);
    combo->setCurrentText(u"Emergency"_s);
    click(bench, u"Command7"_s);
    QCOMPARE(fragment(bench, u's'), u"s/>/!/"_s);
    type(bench, u"symbol_overlay"_s, u"A"_s);
    QCOMPARE(fragment(bench, u's'), u"s/>/!/A"_s);
    click(bench, u"symbol_exclude"_s);
    QCOMPARE(bench.form.filterLine(), u"filter -s/>/!/A"_s);
    QCOMPARE(combo->currentText(), u"Emergency"_s); // the combo box keeps its text

    click(bench, u"Command12"_s); // the last entry is selected after a rebuild
    QCOMPARE(bench.entries(list->objectName()), QStringList{u"Car"_s});

    combo->setCurrentText(u"Not a symbol"_s);
    click(bench, u"Command7"_s);
    QCOMPARE(fragment(bench, u's'), u"-s/>//A"_s);

    click(bench, u"symbol_clear"_s);
    QCOMPARE(list->count(), 0);
    QCOMPARE(combo->currentText(), QString());
    QCOMPARE(bench.find<QLineEdit>(u"symbol_overlay"_s)->text(), QString());
    QCOMPARE(caption(bench, u's'), u"Symbol - s"_s);

    combo->setCurrentText(u"Not a symbol"_s);
    click(bench, u"Command7"_s);
    QCOMPARE(fragment(bench, u's'), QString()); // only unknown names: no fragment
    QCOMPARE(caption(bench, u's'), u"Symbol - s"_s);
}

void TestOtherPages::symbolDecode()
{
    Workbench bench;
    auto *list = bench.find<QListWidget>(u"List6"_s);
    bench.form.decodeFilter(u"s/> -s//!/O s/_"_s); // words of one sign add up; an overlay stays apart
    QCOMPARE(bench.entries(list->objectName()), (QStringList{u"Car"_s, u"Weather Station"_s}));
    QCOMPARE(fragment(bench, u's'), u"s/>_//"_s);
    QCOMPARE(bench.find<QLineEdit>(u"kept_as_typed"_s)->text(), u"-s//!/O"_s);
    bench.form.decodeFilter(u"-s/"_s);
    QCOMPARE(list->count(), 0);
    QVERIFY(bench.find<QCheckBox>(u"symbol_exclude"_s)->isChecked());
    QCOMPARE(fragment(bench, u's'), QString());
}

void TestOtherPages::startsWithAnySymbolList_data()
{
    QTest::addColumn<std::optional<QByteArray>>("contents");
    QTest::addColumn<int>("symbols");
    QTest::addColumn<QString>("told"); // part of the message, empty when none is due

    QByteArray many;
    for (int i = 0; i < 500; ++i)
        many += "/x Name " + QByteArray::number(i) + "\r\n";
    QTest::newRow("missing") << std::optional<QByteArray>() << 0 << u"symbols.wiz could not be read"_s;
    QTest::newRow("empty") << std::optional<QByteArray>(QByteArray()) << 0 << QString();
    QTest::newRow("two-character line") << std::optional<QByteArray>("/! Police\r\nab\r\n/# Digi\r\n") << 2
                                        << u"line 2 is shorter"_s;
    QTest::newRow("500 lines") << std::optional<QByteArray>(many) << 201 << u"line 202"_s;
}

void TestOtherPages::startsWithAnySymbolList()
{
    QFETCH(std::optional<QByteArray>, contents);
    QFETCH(int, symbols);
    QFETCH(QString, told);
    SymbolFolder program(contents);
    Workbench bench(program.folder.path());

    QCOMPARE(bench.find<QComboBox>(u"symbol_combo"_s)->count(), symbols);
    QCOMPARE(bench.dialogs.messages.size(), told.isEmpty() ? 0 : 1);
    if (!told.isEmpty())
        QVERIFY2(bench.dialogs.messages.first().contains(told), qPrintable(bench.dialogs.messages.first()));
    // Every later start-up step ran and every other page works.
    QCOMPARE(bench.find<QLabel>(u"status"_s)->text(), u"v1.1.0"_s);
    bench.form.decodeFilter(u"b/A t/p q/C m/5 f/X/1"_s);
    QCOMPARE(bench.form.filterLine(), u"filter b/A t/p m/5 f/X/1 q/C"_s);
}

void TestOtherPages::randomWordsNeverBreakTheDecoders()
{
    Workbench bench;
    QRandomGenerator random(20261207);
    const QString alphabet = u"tsqmfbdoue-/ /imnopqstuwCIoOSrRUXZ!>_\\*0123456789.,é\u0000\U0001F600"_s;
    for (int round = 0; round < 3000; ++round) {
        QString word(QChar(u"tsqmf"[random.bounded(5)]));
        if (random.bounded(2))
            word.prepend(u'-');
        const int length = random.bounded(24);
        for (int i = 0; i < length; ++i)
            word += alphabet.at(random.bounded(alphabet.size()));
        bench.form.decodeFilter(word);
        // Decoding what the pages made gives the same line again.
        const QString line = bench.form.filterLine();
        bench.form.decodeFilter(line);
        QCOMPARE(bench.form.filterLine(), line);
    }
}

QTEST_MAIN(TestOtherPages)
#include "tst_otherpages.moc"
