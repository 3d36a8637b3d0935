// Start-up beside UI-View32, the automatic filter message, closing and the area that follows the map.
#include "support/workbench.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

using namespace Qt::StringLiterals;

namespace {

const QStringList kMapButtons{u"Command6"_s, u"Command8"_s, u"Command13"_s, u"Command9"_s};

QStringList callNames(const FakeUiView &uiview)
{
    QStringList names;
    for (const FakeUiView::Call &call : uiview.calls)
        names.append(call.name);
    return names;
}

/// The window beside a UI-View32 whose settings file holds this logon filter.
struct BesideUiView
{
    explicit BesideUiView(const QByteArray &logon = "filter")
        : install("[APRServe]\r\nEXTRA_LOGON_TEXT=" + logon + "\r\n")
    { }
    UiViewInstall install;
    Workbench bench;
};

void tick(Workbench &bench)
{
    bench.form.sendFilterIfChanged();
}

void autoSend(Workbench &bench, bool on)
{
    auto *box = bench.find<QCheckBox>(u"checkAutoMessageSet"_s);
    if (box->isChecked() != on)
        box->click();
}

} // namespace

class TestUiViewLink : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void withoutUiView();
    void besideUiView();
    void logonFilterIsKeptWhole();
    void startUpFailuresAreToldOnce_data();
    void startUpFailuresAreToldOnce();
    void timerRunsFromTheStart();
    void sendRuleAcrossTicks();
    void clearAllSendsOnlyDefault();
    void sendingResumesAfterAnOffPeriod();
    void failedSendIsRetried();
    void uiviewInstalledLater();
    void checkBoxCoupling();
    void closingUiViewClosesVarnock();
    void areaFollowsTheMap();
};

void TestUiViewLink::initTestCase()
{
    isolateUserSettings();
}

void TestUiViewLink::withoutUiView()
{
    Workbench bench;
    for (const QString &name : kMapButtons) {
        QVERIFY2(!bench.find<QPushButton>(name)->isEnabled(), qPrintable(name));
        QCOMPARE(bench.find<QPushButton>(name)->toolTip(), u"UI-View32 is not installed"_s);
    }
    QVERIFY(bench.find<QCheckBox>(u"checkAutoMessageSet"_s)->isEnabled());
    QVERIFY(bench.find<QCheckBox>(u"checkAutoSetArea"_s)->isEnabled());
    QCOMPARE(callNames(bench.uiview), QStringList());
    QCOMPARE(bench.dialogs.messages, QStringList());
    autoSend(bench, true);
    QVERIFY(bench.find<QLabel>(u"status"_s)->text().endsWith(u"UI-View32 is not installed, so nothing can be sent."_s));
}

void TestUiViewLink::besideUiView()
{
    BesideUiView beside("\"filter r/51/-1/100 b/G*|M*\"");
    Workbench &bench = beside.bench;
    QCOMPARE(bench.form.filterLine(), u"filter b/G*,M* r/51/-1/100"_s);
    QCOMPARE(bench.find<QTabWidget>(u"SSTab1"_s)->currentIndex(), 0);
    for (const QString &name : kMapButtons)
        QVERIFY(bench.find<QPushButton>(name)->isEnabled());
    QCOMPARE(callNames(bench.uiview), (QStringList{u"createApplication"_s, u"currentMap"_s}));
    QCOMPARE(bench.dialogs.messages, QStringList());

    QFile addOn(beside.install.folder() + u"Varnock.xtr"_s);
    QVERIFY(addOn.open(QIODevice::ReadOnly));
    QVERIFY(addOn.readAll().startsWith("Varnock\r\n\""));
}

void TestUiViewLink::logonFilterIsKeptWhole()
{
    UiViewInstall install("[APRServe]\r\nEXTRA_LOGON_TEXT=filter b/G1 -b/G2 b/G3 x/foo -B/G4\r\n");
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later);
    bench.form.open();
    QCOMPARE(bench.form.filterLine(), u"filter b/G1/G3 -b/G2 -B/G4"_s);
    QCOMPARE(bench.find<QLineEdit>(u"kept_as_typed"_s)->text(), u"-b/G2 -B/G4"_s);
    QCOMPARE(bench.dialogs.messages.size(), 1);
    QVERIFY2(bench.dialogs.messages.first().contains(u"2 kept as typed: -b/G2, -B/G4. Not a fragment: x/foo."_s),
             qPrintable(bench.dialogs.messages.first()));
    QVERIFY(bench.dialogs.shownOverVisibleWindow.first());

    autoSend(bench, true);
    tick(bench);
    QCOMPARE(bench.uiview.messages(), (QStringList{u"filter default"_s, u"filter b/G1/G3 -b/G2 -B/G4"_s}));
}

void TestUiViewLink::startUpFailuresAreToldOnce_data()
{
    QTest::addColumn<QString>("ini"); // "file", "none" or "folder": what stands as uiview32.ini
    QTest::addColumn<QString>("recorded"); // "folder", "gone" or "no separator": the folder text recorded
    QTest::addColumn<QString>("failing");
    QTest::addColumn<QString>("told");
    QTest::addColumn<bool>("linked");

    QTest::newRow("no uiview32.ini") << u"none"_s << u"folder"_s << QString() << u"uiview32.ini"_s << true;
    QTest::newRow("uiview32.ini unreadable") << u"folder"_s << u"folder"_s << QString() << u"uiview32.ini"_s << true;
    QTest::newRow("folder gone") << u"none"_s << u"gone"_s << QString() << u"Varnock.xtr"_s << true;
    QTest::newRow("folder without its separator")
        << u"file"_s << u"no separator"_s << QString() << u"without its final"_s << true;
    QTest::newRow("no application object")
        << u"file"_s << u"folder"_s << u"createApplication"_s << u"could not be reached"_s << false;
    QTest::newRow("no map object") << u"file"_s << u"folder"_s << u"currentMap"_s << u"map could not be reached"_s
                                   << true;
}

void TestUiViewLink::startUpFailuresAreToldOnce()
{
    QFETCH(QString, ini);
    QFETCH(QString, recorded);
    QFETCH(QString, failing);
    QFETCH(QString, told);
    QFETCH(bool, linked);

    const bool iniThere = ini == u"file" && recorded == u"folder";
    UiViewInstall install(ini == u"file" ? std::optional<QByteArray>("[APRServe]\nEXTRA_LOGON_TEXT=b/A\n")
                                         : std::nullopt);
    if (ini == u"folder")
        QVERIFY(QDir(install.folder()).mkdir(u"uiview32.ini"_s));
    if (recorded == u"gone")
        install.record(install.folder() + u"gone"_s + QDir::separator());
    if (recorded == u"no separator")
        install.record(install.folder().chopped(1));
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later);
    if (!failing.isEmpty())
        bench.uiview.failing.insert(failing);
    bench.form.open();

    QCOMPARE(bench.dialogs.messages.size(), 1);
    QVERIFY2(bench.dialogs.messages.first().contains(told), qPrintable(bench.dialogs.messages.first()));
    QVERIFY(bench.dialogs.shownOverVisibleWindow.first()); // not alone on an empty screen
    QCOMPARE(bench.find<QLabel>(u"status"_s)->text(), u"v1.1.0"_s); // start-up ran to its end
    QCOMPARE(bench.form.filterLine(), iniThere ? u"filter b/A"_s : QString());
    // Nothing is written outside UI-View32's folder, where the add-on entry would be lost.
    const QFileInfo folder(install.folder().chopped(1));
    QVERIFY(!QFileInfo::exists(folder.filePath() + u"Varnock.xtr"_s));
    QCOMPARE(QFileInfo::exists(install.folder() + u"Varnock.xtr"_s), recorded == u"folder");

    // Whatever part of the link there is still works.
    autoSend(bench, true);
    bench.form.decodeFilter(u"d/X"_s);
    tick(bench);
    const QStringList sent = linked ? QStringList{u"filter default"_s, u"filter d/X"_s} : QStringList();
    QCOMPARE(bench.uiview.messages(), sent);
    // Each automatic send shows; without UI-View32's objects ticking the box says why nothing goes.
    const QString status = bench.find<QLabel>(u"status"_s)->text();
    QVERIFY2(status.contains(linked ? u"06:00:00: sent \"filter default\" and \"filter d/X\" through UI-View32."_s
                                    : u"UI-View32 is not running, so nothing can be sent."_s),
             qPrintable(status));
}

void TestUiViewLink::timerRunsFromTheStart()
{
    Workbench bench;
    auto *timer = bench.form.findChild<QTimer *>(u"TimerSendFilter"_s);
    QVERIFY(timer);
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 10000);
}

void TestUiViewLink::sendRuleAcrossTicks()
{
    BesideUiView beside;
    Workbench &bench = beside.bench;
    // The decoded logon line "filter" stands; nothing is sent while sending is off.
    bench.form.decodeFilter(u"b/A"_s);
    tick(bench);
    QCOMPARE(bench.uiview.messages(), QStringList());
    QCOMPARE(bench.form.lastSentFilter(), QString());

    autoSend(bench, true);
    tick(bench);
    QCOMPARE(bench.uiview.messages(), (QStringList{u"filter default"_s, u"filter b/A"_s}));
    const FakeUiView::Call &call = bench.uiview.calls.last();
    QCOMPARE(call.arguments, (QVariantList{u"SERVER"_s, QString(), 100, u"A"_s, u"filter b/A"_s}));
    QCOMPARE(bench.form.lastSentFilter(), u"filter b/A"_s);

    tick(bench); // unchanged: nothing
    QCOMPARE(bench.uiview.messages().size(), 2);

    // A change that comes and goes between two ticks is never sent.
    bench.form.decodeFilter(u"b/B"_s);
    bench.form.decodeFilter(u"b/A"_s);
    tick(bench);
    QCOMPARE(bench.uiview.messages().size(), 2);
}

void TestUiViewLink::clearAllSendsOnlyDefault()
{
    BesideUiView beside("b/A");
    Workbench &bench = beside.bench;
    autoSend(bench, true);
    tick(bench);
    bench.find<QPushButton>(u"Command3"_s)->click();
    tick(bench);
    QCOMPARE(bench.uiview.messages(), (QStringList{u"filter default"_s, u"filter b/A"_s, u"filter default"_s}));
}

void TestUiViewLink::sendingResumesAfterAnOffPeriod()
{
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later);
    UiViewInstall install; // no settings file: the line stays empty, as the initial last line
    bench.form.start();
    bench.dialogs.messages.clear();
    autoSend(bench, true);
    tick(bench);
    QCOMPARE(bench.uiview.messages(), QStringList()); // the empty line equals the last one sent

    autoSend(bench, false);
    bench.form.decodeFilter(u"e/X"_s);
    tick(bench);
    QCOMPARE(bench.uiview.messages(), QStringList());
    autoSend(bench, true);
    tick(bench);
    QCOMPARE(bench.uiview.messages(), (QStringList{u"filter default"_s, u"filter e/X"_s}));
}

void TestUiViewLink::failedSendIsRetried()
{
    BesideUiView beside("b/A");
    Workbench &bench = beside.bench;
    autoSend(bench, true);
    bench.uiview.failing.insert(u"sendAprsMessage"_s);
    tick(bench);
    QCOMPARE(bench.form.lastSentFilter(), QString());
    auto *status = bench.find<QLabel>(u"status"_s);
    QVERIFY2(status->text().contains(u"could not be sent"_s) && status->text().contains(u"06:00:00"_s),
             qPrintable(status->text()));

    bench.now = bench.now.addSecs(10);
    tick(bench); // still failing: still since the first failure
    QVERIFY(status->text().contains(u"06:00:00"_s));

    bench.uiview.failing.clear();
    bench.uiview.calls.clear();
    tick(bench);
    QCOMPARE(bench.uiview.messages(), (QStringList{u"filter default"_s, u"filter b/A"_s}));
    QCOMPARE(status->text(), u"v1.1.0   06:00:10: sent \"filter default\" and \"filter b/A\" through UI-View32."_s);
}

void TestUiViewLink::uiviewInstalledLater()
{
    Workbench bench;
    UiViewInstall install;
    autoSend(bench, true);
    bench.form.decodeFilter(u"b/A"_s);
    tick(bench);
    QCOMPARE(callNames(bench.uiview), QStringList()); // no application object, no call
}

void TestUiViewLink::checkBoxCoupling()
{
    Workbench bench;
    auto *message = bench.find<QCheckBox>(u"checkAutoMessageSet"_s);
    auto *area = bench.find<QCheckBox>(u"checkAutoSetArea"_s);
    message->click();
    QVERIFY(!area->isChecked());
    message->click();
    area->click();
    QVERIFY(message->isChecked());
    area->click();
    QVERIFY(message->isChecked());
    message->click();
    QVERIFY(!area->isChecked() && !message->isChecked());
}

void TestUiViewLink::closingUiViewClosesVarnock()
{
    BesideUiView beside;
    Workbench &bench = beside.bench;
    QWidget other;
    bench.form.show();
    other.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bench.form));
    bench.uiview.raiseClosing();
    QVERIFY(!bench.form.isVisible());
    QVERIFY(!other.isVisible());
}

void TestUiViewLink::areaFollowsTheMap()
{
    BesideUiView beside("a/1/2/3/4 -a/5/6/7/8 b/X");
    Workbench &bench = beside.bench;
    QDir maps(beside.install.folder());
    QFile inf(maps.filePath(u"map1.inf"_s));
    QVERIFY(inf.open(QIODevice::WriteOnly));
    inf.write("50.30.00N,001.30.00W\r\n51.30.00N,000.30.00E\r\nx\r\n");
    inf.close();
    bench.uiview.mapFile = maps.filePath(u"map1.gif"_s);
    auto *list = bench.find<QListWidget>(u"List4"_s);

    bench.uiview.raiseMapChanged(); // not following: untouched
    QCOMPARE(list->count(), 2);

    // Ticked, the area is the map's at once, and the status line says so.
    bench.find<QCheckBox>(u"checkAutoSetArea"_s)->click();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), u"a/51.5/-1.5/50.5/0.5"_s);
    QVERIFY(
        bench.find<QLabel>(u"status"_s)->text().endsWith(u"the area is now UI-View32's map, a/51.5/-1.5/50.5/0.5."_s));
    bench.form.decodeFilter(u"a/1/2/3/4 b/X"_s);
    bench.find<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(1);
    bench.uiview.raiseMapChanged();
    QCOMPARE(list->count(), 1);
    QCOMPARE(list->item(0)->text(), u"a/51.5/-1.5/50.5/0.5"_s);
    QCOMPARE(bench.find<QTabWidget>(u"SSTab1"_s)->currentIndex(), 5);

    // The next tick sends the new area, automatic sending having come on with the area.
    tick(bench);
    QCOMPARE(bench.uiview.messages().last(), u"filter b/X a/51.5/-1.5/50.5/0.5"_s);

    bench.uiview.failing.insert(u"mapFileName"_s);
    bench.form.decodeFilter(u"a/9/9/9/9"_s);
    bench.uiview.raiseMapChanged();
    QCOMPARE(list->item(0)->text(), u"a/9/9/9/9"_s);
}

QTEST_MAIN(TestUiViewLink)
#include "tst_uiviewlink.moc"
