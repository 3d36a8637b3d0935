// The range and area pages, and the area that follows the map corners.
#include "base/core/kinds.h"
#include "geo/core/coordinates.h"
#include "pages/gui/fragmentpage.h"
#include "support/workbench.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

void setText(Workbench &bench, const QString &name, const QString &text)
{
    bench.find<QLineEdit>(name)->setText(text);
}

void click(Workbench &bench, const QString &name)
{
    bench.find<QAbstractButton>(name)->click();
}

QString fragment(Workbench &bench, char16_t kind)
{
    return bench.form.page(QChar(kind))->fragmentBox()->text();
}

} // namespace

class TestGeoPages : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rangeEntries();
    void areaEntries();
    void decodeKeepsWordsWhole();
    void pickedRange();
    void pickedArea();
    void malformedCallbackChangesNothing_data();
    void malformedCallbackChangesNothing();
    void areaFollowsMapCorners();
};

void TestGeoPages::rangeEntries()
{
    Workbench bench;
    QCOMPARE(bench.find<QLineEdit>(u"range_ipc"_s)->text(), u"range_ipc"_s);
    QVERIFY(bench.find<QLineEdit>(u"range_ipc"_s)->isHidden());

    setText(bench, u"range_latitude"_s, u"1"_s);
    setText(bench, u"range_longitude"_s, u"2"_s);
    setText(bench, u"range_range"_s, u"3"_s);
    QCOMPARE(fragment(bench, u'r'), QString()); // typing alone adds nothing
    click(bench, u"Command4"_s);
    click(bench, u"range_exclude"_s);
    QCOMPARE(fragment(bench, u'r'), u"r/1/2/3 "_s); // Exclude is read only when adding
    setText(bench, u"range_latitude"_s, u"4"_s);
    QTest::keyClick(bench.find<QLineEdit>(u"range_range"_s), Qt::Key_Return); // Enter adds, as the button does
    QCOMPARE(fragment(bench, u'r'), u"r/1/2/3 -r/4/2/3 "_s);
    QCOMPARE(bench.form.filterLine(), u"filter r/1/2/3 -r/4/2/3"_s);
    QCOMPARE(bench.find<QTabWidget>(u"SSTab1"_s)->tabText(0), u"Range - r   [Active]"_s);

    click(bench, u"Command5"_s); // the entry just added
    QCOMPARE(bench.entries(u"List1"_s), QStringList{u"r/1/2/3"_s});
    click(bench, u"Command5"_s);
    QCOMPARE(fragment(bench, u'r'), QString());
    QCOMPARE(bench.find<QTabWidget>(u"SSTab1"_s)->tabText(0), u"Range - r"_s);

    click(bench, u"Command4"_s);
    click(bench, u"range_clear"_s);
    QCOMPARE(bench.entries(u"List1"_s), QStringList());
    QVERIFY(!bench.find<QCheckBox>(u"range_exclude"_s)->isChecked());
    for (const QString &box : {u"range_latitude"_s, u"range_longitude"_s, u"range_range"_s})
        QCOMPARE(bench.find<QLineEdit>(box)->text(), QString());

    click(bench, u"Command4"_s); // nothing is tested
    QCOMPARE(fragment(bench, u'r'), u"r/// "_s);
}

void TestGeoPages::areaEntries()
{
    Workbench bench;
    setText(bench, u"area_latitude1"_s, u"50"_s);
    setText(bench, u"area_longitude1"_s, u"1"_s);
    setText(bench, u"area_latitude2"_s, u"51"_s);
    setText(bench, u"area_longitude2"_s, u"0"_s);
    click(bench, u"area_exclude"_s);
    click(bench, u"Command11"_s);
    click(bench, u"area_exclude"_s);
    QTest::keyClick(bench.find<QLineEdit>(u"area_longitude2"_s), Qt::Key_Enter);
    // Typed corners stay exactly as typed, even with the southern one first.
    QCOMPARE(bench.entries(u"List4"_s), (QStringList{u"-a/50/1/51/0"_s, u"a/50/1/51/0"_s}));
    QCOMPARE(bench.form.filterLine(), u"filter -a/50/1/51/0 a/50/1/51/0"_s);
    bench.find<QListWidget>(u"List4"_s)->setCurrentRow(0);
    click(bench, u"Command10"_s);
    QCOMPARE(fragment(bench, u'a'), u"a/50/1/51/0 "_s);
    click(bench, u"area_clear"_s);
    QCOMPARE(fragment(bench, u'a'), QString());
    QCOMPARE(bench.find<QLineEdit>(u"area_longitude2"_s)->text(), QString());

    // The coordinate fields say their format and the sign of south and west.
    for (const QString &name : {u"range_latitude"_s, u"area_latitude1"_s, u"area_latitude2"_s})
        QVERIFY2(bench.find<QLineEdit>(name)->toolTip().contains(u"south negative"_s), qPrintable(name));
    for (const QString &name : {u"range_longitude"_s, u"area_longitude1"_s, u"area_longitude2"_s})
        QVERIFY2(bench.find<QLineEdit>(name)->toolTip().contains(u"west negative"_s), qPrintable(name));
}

void TestGeoPages::decodeKeepsWordsWhole()
{
    Workbench bench;
    bench.form.decodeFilter(u"a/1/2/3/4 b/X -r/50/1/10 -a/5/6/7/8 r/rubbish"_s);
    QCOMPARE(bench.entries(u"List1"_s), (QStringList{u"-r/50/1/10"_s, u"r/rubbish"_s}));
    QCOMPARE(bench.entries(u"List4"_s), (QStringList{u"a/1/2/3/4"_s, u"-a/5/6/7/8"_s}));
    QCOMPARE(fragment(bench, u'a'), u"a/1/2/3/4 -a/5/6/7/8 "_s);
    QCOMPARE(bench.form.filterLine(), u"filter b/X -r/50/1/10 r/rubbish a/1/2/3/4 -a/5/6/7/8"_s);
    QVERIFY(!bench.find<QCheckBox>(u"range_exclude"_s)->isChecked());
}

void TestGeoPages::pickedRange()
{
    Workbench bench;
    click(bench, u"range_exclude"_s);
    setText(bench, u"range_ipc"_s, u"51.22291;-1.47224;0$50.9949;0.4536;12.5$"_s);
    QCOMPARE(bench.find<QLineEdit>(u"range_latitude"_s)->text(), u"51.2229"_s);
    QCOMPARE(bench.find<QLineEdit>(u"range_longitude"_s)->text(), u"-1.4722"_s);
    QCOMPARE(bench.find<QLineEdit>(u"range_range"_s)->text(), u"12"_s);
    QCOMPARE(bench.entries(u"List1"_s), QStringList{u"-r/51.2229/-1.4722/12"_s});
}

void TestGeoPages::pickedArea()
{
    Workbench bench;
    // The south-east corner picked first still gives the box servers take: N, W, S, E.
    setText(bench, u"area_ipc"_s, u"50.9949;0.4536;0$51.22291;-1.4722;30$"_s);
    QCOMPARE(bench.entries(u"List4"_s), QStringList{u"a/51.2229/-1.4722/50.9949/0.4536"_s});
    QCOMPARE(bench.find<QLineEdit>(u"area_latitude1"_s)->text(), u"51.2229"_s);
    QCOMPARE(bench.find<QLineEdit>(u"area_longitude2"_s)->text(), u"0.4536"_s);
}

void TestGeoPages::malformedCallbackChangesNothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("text");
    QTest::newRow("range, one position") << u"range_ipc"_s << u"51.5;-1;0$"_s;
    QTest::newRow("range, no distance") << u"range_ipc"_s << u"51.5;-1$51.5;0$"_s;
    QTest::newRow("range, words") << u"range_ipc"_s << u"a;b;c$d;e;f$"_s;
    QTest::newRow("area, empty") << u"area_ipc"_s << QString();
    QTest::newRow("area, one field") << u"area_ipc"_s << u"51$52$"_s;
}

void TestGeoPages::malformedCallbackChangesNothing()
{
    QFETCH(QString, box);
    QFETCH(QString, text);
    Workbench bench;
    setText(bench, u"range_latitude"_s, u"keep"_s);
    setText(bench, u"area_latitude1"_s, u"keep"_s);
    setText(bench, box, text);
    QCOMPARE(bench.find<QLineEdit>(u"range_latitude"_s)->text(), u"keep"_s);
    QCOMPARE(bench.find<QLineEdit>(u"area_latitude1"_s)->text(), u"keep"_s);
    QCOMPARE(bench.form.filterLine(), QString()); // no rebuild ran
}

void TestGeoPages::areaFollowsMapCorners()
{
    QTemporaryDir maps;
    const QString map = maps.filePath(u"map1.gif"_s);
    {
        QFile inf(maps.filePath(u"map1.inf"_s));
        QVERIFY(inf.open(QIODevice::WriteOnly));
        inf.write("50.30.00N,001.30.00W\r\n51.30.00N,000.30.00E\r\n0\r\n");
    }
    Workbench bench;
    bench.form.setAreaFromMap();
    QCOMPARE(bench.entries(u"List4"_s), QStringList{u"a/0/0/0/0"_s}); // no information file read yet

    bench.form.decodeFilter(u"a/1/2/3/4 -a/5/6/7/8"_s);
    click(bench, u"area_exclude"_s);
    setText(bench, u"area_latitude1"_s, u"kept"_s);
    bench.find<QTabWidget>(u"SSTab1"_s)->setCurrentIndex(1);
    bench.form.loadMapCornersFromInf(map);
    bench.form.setAreaFromMap();
    QCOMPARE(bench.entries(u"List4"_s), QStringList{u"a/51.5/-1.5/50.5/0.5"_s});
    QCOMPARE(bench.find<QTabWidget>(u"SSTab1"_s)->currentIndex(), 5);
    QVERIFY(bench.find<QCheckBox>(u"area_exclude"_s)->isChecked());
    QCOMPARE(bench.find<QLineEdit>(u"area_latitude1"_s)->text(), u"kept"_s);

    // A map without a readable information file keeps the corners of the last one.
    bench.form.loadMapCornersFromInf(maps.filePath(u"other.png"_s));
    QCOMPARE(bench.form.mapCorners(), (MapCorners{50.5f, -1.5f, 51.5f, 0.5f}));
}

QTEST_MAIN(TestGeoPages)
#include "tst_geopages.moc"
