// Map coordinates, the picking caption, callback texts as written, and the figures of the pages.
#include "geo/core/numbers.h"
#include "mappicker/core/callbacktext.h"
#include "mappicker/core/figures.h"
#include "mappicker/core/mapgeometry.h"

#include <QLocale>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// The sample map: north-west corner first, 840 x 666 pixels.
const MapCorners kSample{51.5f, -1.5f, 50.5f, 0.5f};

} // namespace

class TestMapGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QLocale::setDefault(QLocale::c()); }
    void scale_data();
    void scale();
    void coordinates_data();
    void coordinates();
    void pointerAndCaption();
    void writtenCallback();
    void figures();
};

void TestMapGeometry::scale_data()
{
    QTest::addColumn<float>("lat1");
    QTest::addColumn<float>("lon1");
    QTest::addColumn<float>("lat2");
    QTest::addColumn<float>("lon2");
    QTest::addColumn<float>("lonUnit");
    QTest::addColumn<float>("latUnit");
    QTest::newRow("usual") << 51.5f << -1.5f << 50.5f << 0.5f << -2.0f / 840 << 1.0f / 666;
    QTest::newRow("same longitude") << 51.5f << -1.5f << 50.5f << -1.5f << -1.5f / 840 << 1.0f / 666;
    QTest::newRow("same longitude at 0") << 51.5f << 0.0f << 50.5f << 0.0f << 1.0f << 1.0f / 666;
    QTest::newRow("never read") << 0.0f << 0.0f << 0.0f << 0.0f << 1.0f << 1.0f;
}

void TestMapGeometry::scale()
{
    QFETCH(float, lat1);
    QFETCH(float, lon1);
    QFETCH(float, lat2);
    QFETCH(float, lon2);
    QFETCH(float, lonUnit);
    QFETCH(float, latUnit);
    const MapScale scale = computeMapScale({lat1, lon1, lat2, lon2}, 840, 666);
    QCOMPARE(scale.lonUnit, lonUnit);
    QCOMPARE(scale.latUnit, latUnit);
    QCOMPARE(computeMapScale({lat1, lon1, lat2, lon2}, 0, 0).lonUnit, 1.0f); // nothing divides by 0
}

void TestMapGeometry::coordinates_data()
{
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lon");
    QTest::addColumn<int>("y");
    QTest::addColumn<int>("x");
    QTest::newRow("north-west corner") << u"51.5"_s << u"-1.5"_s << 0 << 0;
    QTest::newRow("south-east corner") << u"50.5"_s << u"0.5"_s << 666 << 840;
    QTest::newRow("middle") << u"51"_s << u"-0.5"_s << 333 << 420;
    QTest::newRow("west of the map") << u"51"_s << u"-1.6"_s << 333 << -1;
    QTest::newRow("north of the map") << u"51.6"_s << u"0"_s << -1 << 630;
    QTest::newRow("not numbers") << u"north"_s << QString() << -1 << -1;
}

void TestMapGeometry::coordinates()
{
    QFETCH(QString, lat);
    QFETCH(QString, lon);
    QFETCH(int, y);
    QFETCH(int, x);
    const MapScale scale = computeMapScale(kSample, 840, 666);
    QCOMPARE(mapY(lat, kSample, scale), y);
    QCOMPARE(mapX(lon, kSample, scale), x);
}

void TestMapGeometry::pointerAndCaption()
{
    const MapScale scale = computeMapScale(kSample, 840, 666);
    const Position middle = positionAt(420, 333, kSample, scale);
    QCOMPARE(middle.latitude, 51.0);
    QCOMPARE(middle.longitude, -0.5);
    QCOMPARE(pickingCaption({51.22291, -1.4722}), u"UI-View32 - Decimal Lat 51.2229 Decimal Long -1.4722"_s);
    QCOMPARE(pickingCaption({51.5, -1}, 2), u"UI-View32 - Decimal Lat 51.5 Decimal Long -1 - 2 positions to pick"_s);
    QCOMPARE(pickingCaption({51.5, -1}, 1), u"UI-View32 - Decimal Lat 51.5 Decimal Long -1 - 1 position to pick"_s);
    QCOMPARE(pickingCaption({51.5, -1}, 22), u"UI-View32 - Decimal Lat 51.5 Decimal Long -1"_s);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(pickingCaption({51.22291, -1.4722}), u"UI-View32 - Decimal Lat 51,2229 Decimal Long -1,4722"_s);
}

void TestMapGeometry::writtenCallback()
{
    const QList<PickedPosition> picked{{51.5f, -1.0f, 0.0f}, {51.5f, 0.0f, 69.4691f}};
    QCOMPARE(callbackText(picked), u"51.5;-1;0$51.5;0;69.4691$"_s);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString german = callbackText(picked);
    QCOMPARE(german, u"51,5;-1;0$51,5;0;69,4691$"_s);
    const std::optional<QList<PickedPosition>> back = parseCallbackText(german, 3);
    QVERIFY(back);
    QCOMPARE(back->at(1).distance, 69.4691f);
}

void TestMapGeometry::figures()
{
    const QList<MapFigure> ranges = rangeFigures({u"r/50.9134/0.8966/179.9"_s, u"-r/51/-1/10"_s, u"r/51/x/10"_s,
                                                  u"r/51/1"_s, u"r/51/1/99999"_s, u"r/51/1/2/extra"_s});
    QCOMPARE(ranges.size(), 3 * 38); // three entries drawn, each as a point, a line and a circle of 36
    QCOMPARE(ranges.at(0), (MapFigure{MapFigure::Shape::Point, u"50.9134"_s, u"0.8966"_s, {}, {}}));
    QCOMPARE(ranges.at(1).shape, MapFigure::Shape::Line);
    QCOMPARE(ranges.at(1).toLat, u"50.9134"_s);
    QVERIFY(ranges.at(1).toLon.startsWith(u"3.4516"_s)); // 179.9 km rounds to 180
    // The circle starts due north, 180 km on, and closes where it began.
    QVERIFY(ranges.at(2).fromLat.startsWith(u"52.53"_s));
    QCOMPARE(ranges.at(2).fromLon, u"0.8966"_s);
    QCOMPARE(ranges.at(37).toLat, ranges.at(2).fromLat);
    QCOMPARE(ranges.at(38).fromLat, u"51"_s);

    const QList<MapFigure> areas = areaFigures({u"a/51.2/0.4/50.9/-1.4"_s, u"a/1/2/3"_s, u"-a/1/2/3/x"_s});
    QCOMPARE(areas,
             (QList<MapFigure>{{MapFigure::Shape::Line, u"51.2"_s, u"0.4"_s, u"51.2"_s, u"-1.4"_s},
                               {MapFigure::Shape::Line, u"51.2"_s, u"-1.4"_s, u"50.9"_s, u"-1.4"_s},
                               {MapFigure::Shape::Line, u"50.9"_s, u"-1.4"_s, u"50.9"_s, u"0.4"_s},
                               {MapFigure::Shape::Line, u"50.9"_s, u"0.4"_s, u"51.2"_s, u"0.4"_s}}));
}

QTEST_APPLESS_MAIN(TestMapGeometry)
#include "tst_mapgeometry.moc"
