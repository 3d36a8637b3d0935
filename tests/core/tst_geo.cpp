// Number conventions, degree-minute texts, map information files, distances and callback texts.
#include "geo/core/coordinates.h"
#include "geo/core/numbers.h"
#include "mappicker/core/callbacktext.h"
#include "pages/core/geofragments.h"

#include <QLocale>
#include <QTest>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(MapCorners)

class TestGeo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void numberTexts_data();
    void numberTexts();
    void writerAndReaderAgree_data();
    void writerAndReaderAgree();
    void leadingNumbers_data();
    void leadingNumbers();
    void cNumbers_data();
    void cNumbers();
    void rounding_data();
    void rounding();
    void degreeMinutes_data();
    void degreeMinutes();
    void infPaths_data();
    void infPaths();
    void infValues_data();
    void infValues();
    void cornerTextsKeepEarlierValues();
    void distances_data();
    void distances();
    void distanceNeverFails();
    void rangeToLongitude_data();
    void rangeToLongitude();
    void callbacks_data();
    void callbacks();
    void malformedCallbacks_data();
    void malformedCallbacks();
    void mapArea_data();
    void mapArea();
};

void TestGeo::init()
{
    QLocale::setDefault(QLocale::c());
}

void TestGeo::cleanup()
{
    QLocale::setDefault(QLocale::c());
}

void TestGeo::numberTexts_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<bool>("wide");
    QTest::addColumn<QString>("c");
    QTest::addColumn<QString>("german");

    QTest::newRow("whole") << 25.0 << false << u"25"_s << u"25"_s;
    QTest::newRow("seven digits") << 51.22291 << false << u"51.22291"_s << u"51,22291"_s;
    QTest::newRow("no trailing zeros") << 51.5 << false << u"51.5"_s << u"51,5"_s;
    QTest::newRow("negative") << -1.4722 << false << u"-1.4722"_s << u"-1,4722"_s;
    QTest::newRow("float widened") << 69.46913 << false << u"69.46913"_s << u"69,46913"_s;
    QTest::newRow("small, no exponent") << 0.00001 << false << u"0.00001"_s << u"0,00001"_s;
    QTest::newRow("large, no separator") << 1234567.0 << false << u"1234567"_s << u"1234567"_s;
    QTest::newRow("huge, no exponent") << 123456789.0 << false << u"123456800"_s << u"123456800"_s;
    QTest::newRow("fifteen digits") << 3.14159265358979 << true << u"3.14159265358979"_s << u"3,14159265358979"_s;
    QTest::newRow("negative zero") << -0.0 << false << u"0"_s << u"0"_s;
}

void TestGeo::numberTexts()
{
    QFETCH(double, value);
    QFETCH(bool, wide);
    QFETCH(QString, c);
    QFETCH(QString, german);
    const auto text = [&] { return wide ? doubleText(value) : singleText(static_cast<float>(value)); };
    QCOMPARE(text(), c);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(text(), german);
}

void TestGeo::writerAndReaderAgree_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::newRow("C") << QLocale::c();
    QTest::newRow("de_DE") << QLocale(QLocale::German, QLocale::Germany);
    QTest::newRow("en_US") << QLocale(QLocale::English, QLocale::UnitedStates);
}

void TestGeo::writerAndReaderAgree()
{
    QFETCH(QLocale, locale);
    QLocale::setDefault(locale);
    for (float value : {0.0f, 51.5f, -1.4722f, 69.46913f, 1234.567f, -0.000123f, 179.99999f, 1.0e9f}) {
        const std::optional<double> back = numberFromText(singleText(value));
        QVERIFY2(back, qPrintable(singleText(value)));
        QCOMPARE(static_cast<float>(*back), value);
    }
    QCOMPARE(numberFromText(u" 12 "_s), std::optional<double>(12));
    QVERIFY(!numberFromText(u"12 km"_s));
    QVERIFY(!numberFromText(QString()));
    QVERIFY(!numberFromText(u"1,000.5"_s) || locale.decimalPoint() == u",");
}

void TestGeo::leadingNumbers_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::newRow("minutes") << u"30.00"_s << 30.0;
    QTest::newRow("second point stops") << u"15.30.5"_s << 15.3;
    QTest::newRow("empty") << QString() << 0.0;
    QTest::newRow("letters") << u"N12"_s << 0.0;
    QTest::newRow("blanks ignored") << u" 1 5.5x"_s << 15.5;
    QTest::newRow("sign") << u"-7.25"_s << -7.25;
    QTest::newRow("exponent") << u"1e2"_s << 100.0;
    QTest::newRow("overflow") << u"1e999"_s << 0.0;
}

void TestGeo::leadingNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QCOMPARE(leadingNumber(text), value);
}

void TestGeo::cNumbers_data()
{
    // As glibc's strtod reads them, which is how the servers read numbers, on every platform.
    const double inf = std::numeric_limits<double>::infinity();
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("length");
    QTest::newRow("plain") << u"51.5/0"_s << 51.5 << 4;
    QTest::newRow("blanks before") << u" \t-.5x"_s << -0.5 << 5;
    QTest::newRow("hexadecimal") << u"0x10"_s << 16.0 << 4;
    QTest::newRow("hexadecimal with exponent") << u"0X1.8p1km"_s << 3.0 << 7;
    QTest::newRow("hexadecimal point first") << u"0x.8"_s << 0.5 << 4;
    QTest::newRow("0x without digits") << u"0xg"_s << 0.0 << 1;
    QTest::newRow("begun exponent") << u"1e+"_s << 1.0 << 1;
    QTest::newRow("exponent") << u"25E-1"_s << 2.5 << 5;
    QTest::newRow("infinity") << u"-Infinity!"_s << -inf << 9;
    QTest::newRow("inf") << u"infinit"_s << inf << 3;
    QTest::newRow("nan with its characters") << u"NaN(0x1_a)b"_s << qQNaN() << 10;
    QTest::newRow("nan with an unclosed bracket") << u"nan(1"_s << qQNaN() << 3;
    QTest::newRow("too large") << u"1e400"_s << inf << 5;
    QTest::newRow("too large without exponent") << u"9"_s.repeated(400) << inf << 400;
    QTest::newRow("too small") << u"-1e-400"_s << -0.0 << 7;
    QTest::newRow("no number") << u"-.e5"_s << 0.0 << 0;
    QTest::newRow("not Latin-1") << u"5\u0665"_s << 5.0 << 1;
}

void TestGeo::cNumbers()
{
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(int, length);
    const CNumber number = cNumber(text);
    QCOMPARE(number.value, value);
    QCOMPARE(number.length, qsizetype(length));
}

void TestGeo::rounding_data()
{
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<double>("rounded");
    QTest::newRow("half to even down") << 12.5 << 0 << 12.0;
    QTest::newRow("half to even up") << 13.5 << 0 << 14.0;
    QTest::newRow("negative half") << -2.5 << 0 << -2.0;
    QTest::newRow("179.9") << 179.9 << 0 << 180.0;
    QTest::newRow("four decimals") << 51.22291 << 4 << 51.2229;
    QTest::newRow("four decimals half") << 0.00125 << 4 << 0.0012;
}

void TestGeo::rounding()
{
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(double, rounded);
    QCOMPARE(roundHalfEven(value, decimals), rounded);
}

void TestGeo::degreeMinutes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<float>("degrees");
    QTest::newRow("51.30.00N") << u"51.30.00N"_s << 51.5f;
    QTest::newRow("commas") << u"51,30,00N"_s << 51.5f;
    QTest::newRow("no seconds") << u"51.30N"_s << 51.5f;
    QTest::newRow("west") << u"000.30.00W"_s << -0.5f;
    QTest::newRow("minutes with decimals") << u"001.15.30W"_s << -1.255f;
    QTest::newRow("south") << u"33.52.30S"_s << -33.871666f;
    QTest::newRow("east") << u"002.30.00E"_s << 2.5f;
    QTest::newRow("no letter") << u"51.5"_s << -1.0f;
    QTest::newRow("no point") << u"5130N"_s << -1.0f;
    QTest::newRow("letter in front") << u"N51.30.00"_s << -1.0f;
    QTest::newRow("empty") << QString() << -1.0f;
    QTest::newRow("lower case") << u"51.30.00n"_s << -1.0f;
    QTest::newRow("sign by the last letter only") << u"S51.30.00N"_s << -1.0f;
    QTest::newRow("degrees and minutes past a float") << u"-1%1.1%1N"_s.arg(QString(60, u'9')) << -1.0f;
}

void TestGeo::degreeMinutes()
{
    QFETCH(QString, text);
    QFETCH(float, degrees);
    QCOMPARE(convertLatORLontoDecimal(text), degrees);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QCOMPARE(convertLatORLontoDecimal(text), degrees);
}

void TestGeo::infPaths_data()
{
    QTest::addColumn<QString>("map");
    QTest::addColumn<QString>("inf");
    QTest::newRow("gif") << u"C:\\maps\\map1.gif"_s << u"C:\\maps\\map1.inf"_s;
    QTest::newRow("first point") << u"C:\\my.maps\\map1.gif"_s << u"C:\\my.inf"_s;
    QTest::newRow("no point") << u"map"_s << u"inf"_s;
}

void TestGeo::infPaths()
{
    QFETCH(QString, map);
    QFETCH(QString, inf);
    QCOMPARE(mapInfoPath(map), inf);
}

void TestGeo::infValues_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("values"); // empty when fewer than five
    const QStringList usual{u"51.30.00N"_s, u"001.15.00W"_s, u"50.30.00N"_s, u"000.15.00E"_s, u"x"_s};
    QTest::newRow("two per line") << QByteArray("51.30.00N,001.15.00W\r\n50.30.00N,000.15.00E\r\nx\r\n") << usual;
    QTest::newRow("one per line, LF") << QByteArray("51.30.00N\n001.15.00W\n50.30.00N\n000.15.00E\nx\n") << usual;
    QTest::newRow("blanks and quotes") << QByteArray(" \"51.30.00N\" , 001.15.00W \r\n\r\n50.30.00N,\"000.15.00E\",x")
                                       << usual;
    QTest::newRow("comma inside quotes") << QByteArray("\"51,30,00N\",a,b,c,d")
                                         << QStringList{u"51,30,00N"_s, u"a"_s, u"b"_s, u"c"_s, u"d"_s};
    QTest::newRow("only four") << QByteArray("51.30.00N,001.15.00W\n50.30.00N,000.15.00E\n") << QStringList{};
    QTest::newRow("empty") << QByteArray() << QStringList{};
    QTest::newRow("more than five") << QByteArray("a,b,c,d,e,f,g")
                                    << QStringList{u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s};
}

void TestGeo::infValues()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, values);
    const std::optional<QStringList> read = readMapInfoValues(bytes);
    QCOMPARE(read.has_value(), !values.isEmpty());
    if (read)
        QCOMPARE(*read, values);
}

void TestGeo::cornerTextsKeepEarlierValues()
{
    CornerTexts texts;
    assignCornerTexts({u"001.00.00w"_s, u"51.00.00n"_s, u"50.00.00N"_s, u"002.00.00E"_s}, texts);
    QCOMPARE(cornersFromTexts(texts), (MapCorners{51.0f, -1.0f, 50.0f, 2.0f}));

    // Both values of the first pair are latitudes: the later wins, the longitude keeps its text.
    assignCornerTexts({u"10.00.00N"_s, u"20.00.00S"_s, u"000.30.00W"_s, u"30.00.00N"_s}, texts);
    QCOMPARE(texts.lat1, u"20.00.00S"_s);
    QCOMPARE(texts.lon1, u"001.00.00W"_s);
    QCOMPARE(texts.lat2, u"30.00.00N"_s);
    QCOMPARE(texts.lon2, u"000.30.00W"_s);

    CornerTexts fresh;
    assignCornerTexts({u"10.00.00N"_s, u"20.00.00S"_s, u"a"_s, u"b"_s}, fresh);
    QCOMPARE(cornersFromTexts(fresh).lon1, -1.0f); // an empty text converts to -1
}

void TestGeo::distances_data()
{
    QTest::addColumn<double>("lat1");
    QTest::addColumn<double>("lon1");
    QTest::addColumn<double>("lat2");
    QTest::addColumn<double>("lon2");
    QTest::addColumn<double>("km");
    QTest::addColumn<int>("decimals");
    QTest::newRow("50,0 to 51,1") << 50.0 << 0.0 << 51.0 << 1.0 << 131.975 << 3;
    QTest::newRow("and back") << 51.0 << 1.0 << 50.0 << 0.0 << 131.975 << 3;
    QTest::newRow("along the equator") << 0.0 << 0.0 << 0.0 << 1.0 << 111.125 << 3;
    QTest::newRow("along a meridian") << 0.0 << 0.0 << 1.0 << 0.0 << 110.360 << 3;
    QTest::newRow("picked positions") << 51.5 << -1.0 << 51.5 << 0.0 << 69.4691 << 4;
    QTest::newRow("same position") << 51.5 << -1.0 << 51.5 << -1.0 << 0.0 << 4;
}

void TestGeo::distances()
{
    QFETCH(double, lat1);
    QFETCH(double, lon1);
    QFETCH(double, lat2);
    QFETCH(double, lon2);
    QFETCH(double, km);
    QFETCH(int, decimals);
    QCOMPARE(roundHalfEven(DoDistance(lat1, lon1, lat2, lon2), decimals), km);
    // Going that far from the first position, in any direction, lands that far from it (within the
    // flattening that DoDistance corrects for and the sphere does not).
    for (const double bearing : {0.0, 90.0, 225.0}) {
        const auto [lat, lon] = pointAtDistance(lat1, lon1, bearing, km);
        QVERIFY2(std::fabs(DoDistance(lat1, lon1, lat, lon) - km) <= 0.01 * km + 0.001,
                 qPrintable(QString::number(bearing)));
    }
}

void TestGeo::distanceNeverFails()
{
    // Nearly the same position (the cosine rounds past 1), a quarter circle (cosine 0), antipodes.
    const struct
    {
        double lat1, lon1, lat2, lon2;
        double expected;
    } cases[] = {
        {51.5, -1.0, 51.5, -1.0 + 1e-9, 0.0},
        {0.0, 0.0, 0.0, 90.0, 6367.0 * M_PI / 2.0},
        {0.0, 0.0, 0.0, 180.0, 6367.0 * M_PI},
        {90.0, 0.0, -90.0, 0.0, 6367.0 * M_PI},
    };
    for (const auto &c : cases) {
        const float km = DoDistance(c.lat1, c.lon1, c.lat2, c.lon2);
        QVERIFY(std::isfinite(km));
        QVERIFY2(std::fabs(km - c.expected) < 0.01, qPrintable(QString::number(km)));
    }
    for (int i = 0; i < 2000; ++i) {
        const double lat = -89.9 + i * 0.0899;
        const double lon = -180.0 + i * 0.18;
        QVERIFY(std::isfinite(DoDistance(lat, lon, lat, lon + 1e-12)));
        QVERIFY(std::isfinite(DoDistance(lat, lon, -lat, lon + 180.0)));
    }
}

void TestGeo::rangeToLongitude_data()
{
    QTest::addColumn<QString>("lat");
    QTest::addColumn<QString>("lon");
    QTest::addColumn<int>("range");
    QTest::addColumn<float>("longitude"); // NaN: no result
    QTest::newRow("worked value") << u"50.9134"_s << u"0.8966"_s << 180 << 3.4516f;
    QTest::newRow("zero at 70") << u"70"_s << u"1"_s << 0 << 1.005f;
    QTest::newRow("zero at equator") << u"0"_s << u"1"_s << 0 << 1.0f;
    QTest::newRow("negative range") << u"50"_s << u"1"_s << -5 << 1.0f;
    QTest::newRow("beyond the circle") << u"89"_s << u"1"_s << 30000 << 1.0f;
    QTest::newRow("latitude not a number") << u"north"_s << u"2.5"_s << 10 << 2.5f;
    QTest::newRow("longitude not a number") << u"50"_s << u"east"_s << 10 << std::numeric_limits<float>::quiet_NaN();
}

void TestGeo::rangeToLongitude()
{
    QFETCH(QString, lat);
    QFETCH(QString, lon);
    QFETCH(int, range);
    QFETCH(float, longitude);
    const std::optional<float> found = convertRangetoLongitude(lat, lon, static_cast<qint16>(range));
    QCOMPARE(found.has_value(), !std::isnan(longitude));
    if (found)
        QVERIFY2(std::fabs(*found - longitude) < 0.00005f, qPrintable(QString::number(*found, 'f', 6)));
}

void TestGeo::callbacks_data()
{
    QTest::addColumn<QLocale>("locale");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("range");
    QTest::addColumn<QStringList>("area");

    QTest::newRow("picked") << QLocale::c() << u"51.5;-1;0$51.5;0;69.4691$"_s
                            << QStringList{u"51.5"_s, u"-1"_s, u"69"_s}
                            << QStringList{u"51.5"_s, u"-1"_s, u"51.5"_s, u"0"_s};
    QTest::newRow("half to even 12.5") << QLocale::c() << u"1;2;0$3;4;12.5$"_s << QStringList{u"1"_s, u"2"_s, u"12"_s}
                                       << QStringList{u"3"_s, u"2"_s, u"1"_s, u"4"_s};
    QTest::newRow("half to even 13.5") << QLocale::c() << u"51.22291;-1.47224;0$50.9949;0.4536;13.5$"_s
                                       << QStringList{u"51.2229"_s, u"-1.4722"_s, u"14"_s}
                                       << QStringList{u"51.2229"_s, u"-1.4722"_s, u"50.9949"_s, u"0.4536"_s};
    QTest::newRow("south-east corner first") << QLocale::c() << u"50.9949;0.4536;0$51.2229;-1.4722;120$"_s
                                             << QStringList{u"50.9949"_s, u"0.4536"_s, u"120"_s}
                                             << QStringList{u"51.2229"_s, u"-1.4722"_s, u"50.9949"_s, u"0.4536"_s};
    QTest::newRow("German separators") << QLocale(QLocale::German, QLocale::Germany) << u"51,5;-1;0$51,5;0;69,4691$"_s
                                       << QStringList{u"51,5"_s, u"-1"_s, u"69"_s}
                                       << QStringList{u"51,5"_s, u"-1"_s, u"51,5"_s, u"0"_s};
}

void TestGeo::callbacks()
{
    QFETCH(QLocale, locale);
    QFETCH(QString, text);
    QFETCH(QStringList, range);
    QFETCH(QStringList, area);
    QLocale::setDefault(locale);
    const std::optional<RangeInputs> r = rangeFromCallback(text);
    QVERIFY(r);
    QCOMPARE((QStringList{r->latitude, r->longitude, r->range}), range);
    const std::optional<AreaInputs> a = areaFromCallback(text);
    QVERIFY(a);
    QCOMPARE((QStringList{a->latitude1, a->longitude1, a->latitude2, a->longitude2}), area);
}

void TestGeo::malformedCallbacks_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("areaReadable");
    QTest::newRow("one position") << u"51.5;-1;0$"_s << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("missing distance") << u"51.5;-1;0$51.5;0$"_s << true;
    QTest::newRow("not numbers") << u"a;b;c$d;e;f$"_s << false;
    QTest::newRow("empty field") << u"51.5;;0$51.5;0;1$"_s << false;
    QTest::newRow("initial box text") << u"range_ipc"_s << false;
    QTest::newRow("empty position") << u"1;2;0$$3;4;5$"_s << false;
    QTest::newRow("past the 32-bit range") << (u"1;2;0$3;4"_s + QString(60, u'8') + u";5$"_s) << false;
}

void TestGeo::malformedCallbacks()
{
    QFETCH(QString, text);
    QFETCH(bool, areaReadable);
    QVERIFY(!rangeFromCallback(text));
    QCOMPARE(areaFromCallback(text).has_value(), areaReadable);
}

void TestGeo::mapArea_data()
{
    QTest::addColumn<MapCorners>("corners");
    QTest::addColumn<QString>("entry");
    QTest::newRow("south-west corner first") << MapCorners{50.5f, -1.5f, 51.5f, 0.5f} << u"a/51.5/-1.5/50.5/0.5"_s;
    QTest::newRow("north-west corner first") << MapCorners{51.5f, -1.5f, 50.5f, 0.5f} << u"a/51.5/-1.5/50.5/0.5"_s;
    QTest::newRow("rounded") << MapCorners{51.22291f, -1.47225f, 50.99495f, 0.45364f}
                             << u"a/51.2229/-1.4722/50.9949/0.4536"_s;
    QTest::newRow("never read") << MapCorners{} << u"a/0/0/0/0"_s;
}

void TestGeo::mapArea()
{
    QFETCH(MapCorners, corners);
    QFETCH(QString, entry);
    QCOMPARE(areaEntryForMap(corners), entry);
}

QTEST_APPLESS_MAIN(TestGeo)
#include "tst_geo.moc"
