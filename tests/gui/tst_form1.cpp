#include "base/core/kinds.h"
#include "base/gui/dialogs.h"
#include "pages/gui/fragmentpage.h"
#include "support/workbench.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

class TestForm1 : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controls_data();
    void controls();
    void startUp();
    void fitsItsDefaultSize();
    void pageButtons();
    void lineFollowsFixedOrder();
    void handEditedFragmentJoinsNextAssembly();
    void rebuildBringsItsPageToFront();
    void clearAll();
    void clipboard_data();
    void clipboard();
    void decodeButton_data();
    void decodeButton();
    void decodeDropsWhatItDoesNotKnow_data();
    void decodeDropsWhatItDoesNotKnow();
    void decodeHugeLine();
    void decodeBoxShowsAWholeLine();
    void about();
    void help_data();
    void help();
    void exitClosesTheWindow();
};

void TestForm1::controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("className");
    QTest::addColumn<QString>("caption");

    const auto row = [](const QString &name, const char *className, const QString &caption = {}) {
        QTest::newRow(qPrintable(name)) << name << QString::fromLatin1(className) << caption;
    };
    row(u"SSTab1"_s, "QTabWidget");
    row(u"main_filter"_s, "FilterLineBox");
    row(u"Command3"_s, "QPushButton", u"Clear All"_s);
    row(u"checkAutoMessageSet"_s, "QCheckBox", u"Auto Send Filter Msg Via UI-View32"_s);
    row(u"checkAutoSetArea"_s, "QCheckBox", u"Auto Set 'Area' to Size of UI-View32 Map"_s);
    row(u"Command2"_s, "QPushButton", u"Clipboard Filter"_s);
    row(u"decode_filter"_s, "QPushButton", u"Decode Filter"_s);
    row(u"status"_s, "QLabel");
    row(u"applicationDir"_s, "QLabel");
    for (const char *band : {"Picture1", "Picture2", "Picture3", "Picture4"})
        row(QString::fromLatin1(band), "QWidget");
    for (const Kind &kind : kinds()) {
        const QString prefix = kind.prefix.toString();
        row(kind.pageButton.toString(), "QPushButton", kind.buttonCaption.toString());
        row(u"frag_"_s + prefix, "QLineEdit");
        row(prefix + u"_exclude"_s, "QCheckBox", u"Exclude"_s);
        row(prefix + u"_clear"_s, "QToolButton");
    }
}

void TestForm1::controls()
{
    QFETCH(QString, name);
    QFETCH(QString, className);
    QFETCH(QString, caption);
    Workbench bench;
    QObject *widget = bench.form.findChild<QObject *>(name);
    QVERIFY2(widget, qPrintable(name));
    QVERIFY(widget->inherits(qPrintable(className)));
    if (!caption.isEmpty())
        QCOMPARE(widget->property("text").toString(), caption);
    if (name.endsWith(u"_clear"))
        QCOMPARE(qobject_cast<QWidget *>(widget)->toolTip(), u"Clear Filter"_s);
}

void TestForm1::startUp()
{
    Workbench bench(u"/opt/varnock"_s);
    QCOMPARE(bench.form.objectName(), u"Form1"_s);
    QCOMPARE(bench.form.windowTitle(), u"Varnock"_s);
    QCOMPARE(bench.find<QLabel>(u"status"_s)->text(), u"v1.1.0"_s);
    QCOMPARE(bench.find<QLabel>(u"applicationDir"_s)->text(), QDir::toNativeSeparators(u"/opt/varnock"_s));
    QVERIFY(bench.find<QLabel>(u"applicationDir"_s)->isHidden());
    // Empty, not "filter", until the first page rebuilds.
    QCOMPARE(bench.form.filterLine(), QString());
    QVERIFY(!bench.find<QCheckBox>(u"checkAutoMessageSet"_s)->isChecked());
    QVERIFY(!bench.find<QCheckBox>(u"checkAutoSetArea"_s)->isChecked());

    auto *tabs = bench.find<QTabWidget>(u"SSTab1"_s);
    QCOMPARE(tabs->currentIndex(), 0);
    QCOMPARE(tabs->count(), kKindCount);
    for (const Kind &kind : kinds())
        QCOMPARE(tabs->tabText(kind.tab), kind.idleCaption.toString());

    const QList<QAction *> bar = bench.form.menuBar()->actions();
    QStringList menus;
    for (QAction *action : bar)
        menus.append(action->text());
    QCOMPARE(menus, (QStringList{u"&File"_s, u"&About"_s, u"&Help"_s}));
    QCOMPARE(bar.first()->menu()->actions().first()->text(), u"E&xit"_s);
}

void TestForm1::fitsItsDefaultSize()
{
    Workbench bench;
    bench.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bench.form));
    QCOMPARE(bench.form.width(), 727);
    QCOMPARE(bench.form.centralWidget()->height(), 588);
    const QSize needed = bench.form.minimumSizeHint();
    QVERIFY2(needed.width() <= 727 && needed.height() <= bench.form.height(),
             qPrintable(u"needs %1 x %2"_s.arg(needed.width()).arg(needed.height())));
}

void TestForm1::pageButtons()
{
    Workbench bench;
    auto *tabs = bench.find<QTabWidget>(u"SSTab1"_s);
    for (const Kind &kind : kinds()) {
        bench.find<QPushButton>(kind.pageButton.toString())->click();
        QCOMPARE(tabs->currentIndex(), kind.tab);
        QCOMPARE(bench.form.filterLine(), QString()); // showing a page changes nothing else
    }
}

void TestForm1::lineFollowsFixedOrder()
{
    Workbench bench;
    // Added in reverse of their places in the line.
    const QList<std::pair<QString, QString>> adds{{u"port_add"_s, u"x1"_s},
                                                  {u"unproto_add"_s, u"apu25n"_s},
                                                  {u"object_add"_s, u"Obj"_s},
                                                  {u"digi_add"_s, u"wide2"_s},
                                                  {u"budlist_Command1"_s, u"g*"_s}};
    for (const auto &[button, text] : adds) {
        bench.dialogs.answer(text);
        bench.find<QPushButton>(button)->click();
    }
    QCOMPARE(bench.form.filterLine(), u"filter b/G* d/WIDE2 o/Obj u/APU25N e/X1"_s);
}

void TestForm1::handEditedFragmentJoinsNextAssembly()
{
    Workbench bench;
    bench.find<QLineEdit>(u"frag_port"_s)->setText(u"  e/TYPED  "_s);
    QCOMPARE(bench.form.filterLine(), QString()); // a fragment box has no change handler
    bench.dialogs.answer(u"a"_s);
    bench.find<QPushButton>(u"budlist_Command1"_s)->click();
    QCOMPARE(bench.form.filterLine(), u"filter b/A e/TYPED"_s);
    bench.find<QAbstractButton>(u"port_clear"_s)->click();
    QCOMPARE(bench.form.filterLine(), u"filter b/A"_s);
}

void TestForm1::rebuildBringsItsPageToFront()
{
    Workbench bench;
    auto *tabs = bench.find<QTabWidget>(u"SSTab1"_s);
    bench.form.decodeFilter(u"o/x d/Y"_s);
    QCOMPARE(tabs->currentIndex(), 4); // the page of the last word
    tabs->setCurrentIndex(0);
    bench.find<QCheckBox>(u"object_exclude"_s)->click();
    QCOMPARE(tabs->currentIndex(), 11);
    QCOMPARE(tabs->tabText(11), u"Object - o   [Active]"_s);
    QCOMPARE(bench.form.filterLine(), u"filter d/Y -o/x"_s);
}

void TestForm1::clearAll()
{
    Workbench bench;
    bench.form.decodeFilter(u"-b/A d/B o/c u/D e/E b/F"_s);
    // What was kept as typed is the user's to edit, and goes with everything else.
    auto *kept = bench.find<QLineEdit>(u"kept_as_typed"_s);
    QVERIFY(kept->isVisibleTo(&bench.form));
    QTest::keyClicks(kept, u" -p/X"_s);
    QCOMPARE(bench.form.filterLine(), u"filter -b/A d/B o/c u/D e/E b/F -p/X"_s);
    QVERIFY(!bench.find<QLabel>(u"filter_check"_s)->text().startsWith(u"Decoded"_s));
    auto *tabs = bench.find<QTabWidget>(u"SSTab1"_s);
    tabs->setCurrentIndex(4);
    bench.find<QPushButton>(u"Command3"_s)->click();
    QCOMPARE(tabs->currentIndex(), 0);
    QVERIFY(tabs->isVisibleTo(&bench.form));
    QCOMPARE(bench.form.filterLine(), u"filter"_s);
    for (const Kind &kind : kinds()) {
        QCOMPARE(tabs->tabText(kind.tab), kind.idleCaption.toString());
        QCOMPARE(bench.form.page(QChar(kind.letter))->fragmentBox()->text(), QString());
        QVERIFY(!bench.form.page(QChar(kind.letter))->excludeBox()->isChecked());
    }
    QCOMPARE(bench.find<QListWidget>(u"List2"_s)->count(), 0);
    QCOMPARE(kept->text(), QString());
    QVERIFY(!kept->isVisibleTo(&bench.form));
}

void TestForm1::clipboard_data()
{
    QTest::addColumn<QString>("decoded");
    QTest::addColumn<QString>("copied");
    QTest::newRow("never built") << QString() << QString();
    QTest::newRow("empty pages") << u"filter"_s << u"filter"_s;
    QTest::newRow("fragments") << u"b/G* e/X"_s << u"filter b/G* e/X"_s;
}

void TestForm1::clipboard()
{
    QFETCH(QString, decoded);
    QFETCH(QString, copied);
    Workbench bench;
    QGuiApplication::clipboard()->setText(u"stale"_s);
    if (!decoded.isNull())
        bench.form.decodeFilter(decoded);
    bench.find<QPushButton>(u"Command2"_s)->click();
    QCOMPARE(QGuiApplication::clipboard()->text(), copied);
    QCOMPARE(bench.dialogs.messages, QStringList{u"Filter copied to clipboard"_s});
}

void TestForm1::decodeButton_data()
{
    QTest::addColumn<QString>("answer");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("budlistEntries");

    QTest::newRow("cancel keeps everything") << QString() << u"filter b/KEEP d/WIDE"_s << 1;
    QTest::newRow("reordered") << u"filter e/X -b/M*/G*"_s << u"filter -b/M*/G* e/X"_s << 2;
    QTest::newRow("without filter word") << u"o/Name  d/x"_s << u"filter d/x o/Name"_s << 0;
    QTest::newRow("filter alone clears") << u"filter"_s << u"filter"_s << 0;
    QTest::newRow("words of one sign merge") << u"b/A/B b/C"_s << u"filter b/A/B/C"_s << 3;
    QTest::newRow("other sign kept as typed") << u"-b/X m/5 b/A/B e/E m/6"_s << u"filter -b/X m/5 e/E b/A/B m/6"_s << 1;
    QTest::newRow("blanks only") << u"   "_s << u"filter"_s << 0;
}

void TestForm1::decodeButton()
{
    QFETCH(QString, answer);
    QFETCH(QString, line);
    QFETCH(int, budlistEntries);
    Workbench bench;
    bench.form.decodeFilter(u"b/KEEP d/WIDE"_s);
    auto *tabs = bench.find<QTabWidget>(u"SSTab1"_s);
    tabs->setCurrentIndex(3);

    bench.dialogs.answer(answer);
    bench.find<QPushButton>(u"decode_filter"_s)->click();

    QCOMPARE(bench.dialogs.questions.size(), 1);
    QCOMPARE(bench.dialogs.questions.first().prompt, u"Enter an existing filter"_s);
    QCOMPARE(bench.dialogs.questions.first().title, u"Decode Filter"_s);
    QCOMPARE(bench.dialogs.questions.first().defaultText, u"filter b/KEEP d/WIDE"_s);
    QCOMPARE(bench.form.filterLine(), line);
    QCOMPARE(bench.find<QListWidget>(u"List2"_s)->count(), budlistEntries);
    QCOMPARE(tabs->currentIndex(), answer.isEmpty() ? 3 : 0);
}

void TestForm1::decodeDropsWhatItDoesNotKnow_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("lone dash") << u"filter - b/A"_s;
    QTest::newRow("unknown kind") << u"x/1 -z/2 b/A"_s;
    QTest::newRow("empty words") << u"  b/A  "_s;
    QTest::newRow("double dash") << u"--b/X b/A"_s;
}

void TestForm1::decodeDropsWhatItDoesNotKnow()
{
    QFETCH(QString, line);
    Workbench bench;
    bench.form.decodeFilter(line);
    QCOMPARE(bench.form.filterLine(), u"filter b/A"_s);
    QCOMPARE(bench.dialogs.messages, QStringList());
    QCOMPARE(bench.find<QLabel>(u"filter_check"_s)->text().contains(u"Not a fragment: "_s), line.trimmed() != u"b/A");
}

void TestForm1::decodeHugeLine()
{
    Workbench bench;
    QString line = u"filter -"_s;
    while (line.size() < kMaxDecodedLine - 40)
        line += u" b/"_s + QString(7, u'x') + u" - x/y/z B/Q --o"_s;
    bench.form.decodeFilter(line);
    QCOMPARE(bench.form.filterLine().left(30), u"filter b/xxxxxxx/Q/xxxxxxx/Q/x"_s);

    // Longer than any filter: refused, and nothing changes.
    line += QString(kMaxDecodedLine, u' ');
    const QString before = bench.form.filterLine();
    bench.dialogs.answer(line);
    bench.find<QPushButton>(u"decode_filter"_s)->click();
    QCOMPARE(bench.form.filterLine(), before);
    QCOMPARE(bench.dialogs.messages.size(), 1);
    QVERIFY(bench.dialogs.messages.first().startsWith(u"This filter is "_s));
}

void TestForm1::decodeBoxShowsAWholeLine()
{
    QString line = u"filter"_s;
    for (int i = 0; line.size() < 500; ++i)
        line += u" b/G%1ABC*"_s.arg(i % 10);
    QtDialogs dialogs;
    QString seen;
    bool wholeInSight = false;
    QTimer::singleShot(0, [&] {
        for (QWidget *top : QApplication::topLevelWidgets())
            if (auto *edit = top->findChild<QPlainTextEdit *>(u"long_text"_s); edit && top->isVisible()) {
                seen = edit->toPlainText();
                wholeInSight = edit->verticalScrollBar()->maximum() == 0 && edit->horizontalScrollBar()->maximum() == 0;
                // A pasted line break joins the words it came between; Enter answers OK.
                edit->setPlainText(u"b/A\r\nd/X"_s);
                QTest::keyClick(edit, Qt::Key_Return);
            }
    });
    QCOMPARE(dialogs.askLongText(nullptr, u"Enter an existing filter"_s, u"Decode Filter"_s, line), u"b/A d/X"_s);
    QCOMPARE(seen, line);
    QVERIFY(wholeInSight);
}

void TestForm1::about()
{
    Workbench bench;
    bench.form.findChild<QAction *>(u"menuAbout"_s)->trigger();
    QCOMPARE(bench.dialogs.messages, QStringList{u"Varnock V1.1.0"_s});
}

void TestForm1::help_data()
{
    QTest::addColumn<bool>("fileThere");
    QTest::addColumn<bool>("viewerStarts");
    QTest::addColumn<bool>("told");
    QTest::newRow("opens") << true << true << false;
    QTest::newRow("no viewer: its own window") << true << false << false;
    QTest::newRow("no file") << false << true << true;
}

void TestForm1::help()
{
    QFETCH(bool, fileThere);
    QFETCH(bool, viewerStarts);
    QFETCH(bool, told);
    QTemporaryDir folder(QDir::tempPath() + u"/varnock with blanks XXXXXX"_s);
    QVERIFY(folder.isValid());
    const QString readme = folder.filePath(u"readme.1st"_s);
    if (fileThere) {
        QFile file(readme);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("Varnock\r\nfourteen kinds\r\n");
    }
    Workbench bench(folder.path());
    bench.viewer.starts = viewerStarts;
    bench.dialogs.messages.clear(); // the folder has no symbol list, which start-up reports
    bench.form.findChild<QAction *>(u"menuHelp"_s)->trigger();
    QCOMPARE(bench.viewer.opened, fileThere ? QStringList{readme} : QStringList());
    QCOMPARE(bench.dialogs.messages.size(), told ? 1 : 0);
    if (told)
        QVERIFY(bench.dialogs.messages.first().contains(u"readme.1st"_s));
    auto *own = bench.form.findChild<QPlainTextEdit *>(u"help_text"_s);
    QCOMPARE(own != nullptr, fileThere && !viewerStarts);
    if (own)
        QVERIFY(own->isVisible() && own->toPlainText().contains(u"fourteen kinds"_s));
}

void TestForm1::exitClosesTheWindow()
{
    Workbench bench;
    bench.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bench.form));
    bench.form.findChild<QAction *>(u"menuFileExit"_s)->trigger();
    QVERIFY(!bench.form.isVisible());
}

QTEST_MAIN(TestForm1)
#include "tst_form1.moc"
