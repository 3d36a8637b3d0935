// The map window driven through the range and area pages, with a generated map whose corners are known.
#include "mappicker/gui/mapwindow.h"
#include "support/mapmouse.h"
#include "support/workbench.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>
#endif

using namespace Qt::StringLiterals;

namespace {

/// A map of 50.5 N to 51.5 N and 1.5 W to 0.5 E, `width` x `height` pixels, with its information
/// file, served by the recording UI-View32 of a started window.
struct MapBench
{
    explicit MapBench(int width = 840, int height = 666, bool withInf = true)
        : install("[APRServe]\r\nEXTRA_LOGON_TEXT=\r\n")
        , bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later)
    {
        QImage map(width, height, QImage::Format_RGB32);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                map.setPixel(x, y, qRgb(x % 256, y % 256, 128));
        bench.uiview.mapImage = map;
        bench.uiview.mapFile = maps.filePath(u"map1.gif"_s);
        if (withInf)
            writeInf("51.30.00N,001.30.00W\r\n50.30.00N,000.30.00E\r\nx\r\n");
        bench.form.start();
    }

    void writeInf(const QByteArray &contents)
    {
        QFile inf(maps.filePath(u"map1.inf"_s));
        if (inf.open(QIODevice::WriteOnly))
            inf.write(contents);
    }

    MapWindow *open(const QString &button)
    {
        bench.find<QPushButton>(button)->click();
        return bench.form.mapWindow();
    }

    QTemporaryDir maps;
    UiViewInstall install;
    Workbench bench;
};

bool isRed(QRgb pixel)
{
    return pixel == qRgb(255, 0, 0);
}

} // namespace

class TestMapPicker : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { isolateUserSettings(); }
    void opensOnTheMap();
    void pickRange();
    void pickAreaSouthEastFirst();
    void rubberBandLeavesOneBand();
    void showOnlyDraws();
    void newMapShowsItsMiddle();
    void missingInformationFile();
    void largeMapGetsItsCorners();
    void failedCallsKeepTheMap();
    void mapTooLargeForMemoryIsTold();
    void mapChangeDuringAGrabDoesNotNest();
    void withoutALink();
};

void TestMapPicker::opensOnTheMap()
{
    MapBench map;
    MapWindow *window = map.open(u"Command8"_s);
    QVERIFY(window);
    QCOMPARE(window->objectName(), u"virtual_uiv32"_s);
    QCOMPARE(window->windowTitle(), u"UI-View32"_s);
    QVERIFY(window->isVisible());
    QCOMPARE(window->mapImage().size(), QSize(840, 666));
    // The map went through the clipboard and left a 1 x 1 image there.
    QCOMPARE(QGuiApplication::clipboard()->image().size(), QSize(1, 1));
    for (const char *name : {"Picture7", "HScroll1", "VScroll1"})
        QVERIFY(window->findChild<QWidget *>(QLatin1StringView(name)));

    // A second opening replaces the first window.
    const QPointer<MapWindow> first(window);
    MapWindow *second = map.open(u"Command9"_s);
    QVERIFY(first.isNull());
    QVERIFY(second && second->isVisible());
}

void TestMapPicker::pickRange()
{
    MapBench map;
    map.bench.find<QAbstractButton>(u"range_exclude"_s)->click();
    MapWindow *window = map.open(u"Command8"_s);
    const QPointer<MapWindow> watch(window);
    movePointer(window, {210, 0});
    QCOMPARE(window->windowTitle(), u"UI-View32 - Decimal Lat 51.5 Decimal Long -1 - 2 positions to pick"_s);
    pressButton(window);
    QVERIFY(window->isVisible());
    movePointer(window, {630, 0});
    pressButton(window);
    QVERIFY(watch.isNull() || !watch->isVisible());
    QCOMPARE(map.bench.find<QLineEdit>(u"range_ipc"_s)->text(), u"51.5;-1;0$51.5;0;69.4691$"_s);
    QCOMPARE(map.bench.entries(u"List1"_s), QStringList{u"-r/51.5/-1/69"_s});

    // The same pick again reaches the page again.
    window = map.open(u"Command8"_s);
    movePointer(window, {210, 0});
    pressButton(window);
    movePointer(window, {630, 0});
    pressButton(window);
    QCOMPARE(map.bench.entries(u"List1"_s).size(), 2);
}

void TestMapPicker::pickAreaSouthEastFirst()
{
    MapBench map;
    MapWindow *window = map.open(u"Command9"_s);
    movePointer(window, {630, 666});
    pressButton(window);
    movePointer(window, {210, 333});
    pressButton(window);
    QCOMPARE(map.bench.entries(u"List4"_s), QStringList{u"a/51/-1/50.5/0"_s});
}

void TestMapPicker::rubberBandLeavesOneBand()
{
    MapBench map;
    MapWindow *window = map.open(u"Command8"_s);
    const QImage clean = window->mapImage();
    movePointer(window, {100, 100});
    pressButton(window);
    QVERIFY(isRed(window->mapImage().pixel(100 + 6, 100))); // the position picked is marked
    QCOMPARE(window->windowTitle(), u"UI-View32 - Decimal Lat 51.3498 Decimal Long -1.2619 - 1 position to pick"_s);

    movePointer(window, {400, 300});
    const QImage direct = window->mapImage();
    QVERIFY(direct != clean);
    QVERIFY(direct.pixel(250, 200) != clean.pixel(250, 200)); // on the band

    movePointer(window, {700, 100});
    movePointer(window, {400, 300});
    QCOMPARE(window->mapImage(), direct); // the band to (700, 100) was inverted away again
}

void TestMapPicker::showOnlyDraws()
{
    MapBench map;
    map.bench.form.decodeFilter(u"r/51/-0.5/20 r/60/10/5 r/x/y/z a/51.5/-1.5/50.5/0.5"_s);
    MapWindow *window = map.open(u"Command6"_s);
    QVERIFY(isRed(window->mapImage().pixel(420, 333))); // the centre's dot
    QVERIFY(isRed(window->mapImage().pixel(420 + 6, 333)));
    QVERIFY(isRed(window->mapImage().pixel(500, 333))); // the line due east, 20 km long
    QVERIFY(!isRed(window->mapImage().pixel(420, 300)));
    // The circle: 20 km due north of the centre is some 120 pixels up on this map.
    const auto redAround = [&](int x, int y) {
        for (int dy = -5; dy <= 5; ++dy)
            if (isRed(window->mapImage().pixel(x, y + dy)))
                return true;
        return false;
    };
    QVERIFY(redAround(420, 211));
    const QString caption = window->windowTitle();
    movePointer(window, {10, 10});
    QCOMPARE(window->windowTitle(), caption); // no caption updates when only showing
    const QPointer<MapWindow> watch(window);
    pressButton(window);
    QVERIFY(watch.isNull() || !watch->isVisible());

    window = map.open(u"Command13"_s);
    // The area, the whole of this map, as the rectangle of its corners: the map's edges, empty inside.
    const QImage image = window->mapImage();
    QVERIFY(isRed(image.pixel(420, 1)) && isRed(image.pixel(1, 333)));
    QVERIFY(isRed(image.pixel(image.width() - 2, 333)) && isRed(image.pixel(420, image.height() - 2)));
    QVERIFY(!isRed(image.pixel(420, 333)));
    QCOMPARE(map.bench.dialogs.messages, QStringList()); // bad entries are skipped silently
}

void TestMapPicker::newMapShowsItsMiddle()
{
    MapBench map(2000, 1500);
    MapWindow *window = map.open(u"Command8"_s);
    for (const char *name : {"HScroll1", "VScroll1"}) {
        auto *bar = window->findChild<QScrollBar *>(QLatin1StringView(name));
        QVERIFY(bar->maximum() > 1);
        QVERIFY2(qAbs(bar->value() - bar->maximum() / 2) <= 1,
                 qPrintable(u"%1 of %2"_s.arg(bar->value()).arg(bar->maximum())));
    }
}

void TestMapPicker::missingInformationFile()
{
    MapBench map;
    MapWindow *window = map.open(u"Command8"_s);
    QVERIFY(window->findChild<QScrollBar *>(u"HScroll1"_s));
    window->close();

    map.writeInf("51.30.00N,001.30.00W\r\n50.30.00N\r\n"); // four values only
    window = map.open(u"Command8"_s);
    QCOMPARE(window->windowTitle(), u"Problem Loading Map Information"_s);
    // The corners of the last map that could be read stay in use.
    movePointer(window, {210, 0});
    QCOMPARE(window->windowTitle(), u"UI-View32 - Decimal Lat 51.5 Decimal Long -1 - 2 positions to pick"_s);
}

void TestMapPicker::largeMapGetsItsCorners()
{
    // 3000 pixels are 45,000 twips: past the 16-bit range of the old scroll bars.
    MapBench map(3000, 3000);
    MapWindow *window = map.open(u"Command8"_s);
    QCOMPARE(window->mapImage().size(), QSize(3000, 3000));
    movePointer(window, {1500, 1500});
    QCOMPARE(window->windowTitle(), u"UI-View32 - Decimal Lat 51 Decimal Long -0.5 - 2 positions to pick"_s);
}

void TestMapPicker::failedCallsKeepTheMap()
{
    MapBench map;
    MapWindow *window = map.open(u"Command8"_s);
    const QImage first = window->mapImage();
    for (const QString &call : {u"mapHeight"_s, u"copyMapToClipboard"_s, u"mapFileName"_s}) {
        map.bench.uiview.failing = {call};
        map.bench.uiview.mapImage = QImage(100, 100, QImage::Format_RGB32);
        window->grabUIView32Image();
        if (call != u"mapFileName")
            QCOMPARE(window->mapImage(), first);
        else
            QCOMPARE(window->windowTitle(), u"Problem Loading Map Information"_s);
    }
}

void TestMapPicker::mapTooLargeForMemoryIsTold()
{
#if defined(__SANITIZE_ADDRESS__)
    QSKIP("AddressSanitizer keeps more address space than the limit this test sets");
#elif defined(_WIN32)
    QSKIP("Windows has no limit on a process's address space that this test could set");
#else
    MapBench map;
    MapWindow *window = map.open(u"Command8"_s);
    const QImage first = window->mapImage();
    // Only so much memory is left to this process: a map of 32767 x 32767 pixels needs 4 GiB.
    rlimit before = {};
    QVERIFY(getrlimit(RLIMIT_AS, &before) == 0);
    QFile statm(u"/proc/self/statm"_s);
    QVERIFY(statm.open(QIODevice::ReadOnly));
    const rlim_t used = statm.readAll().split(' ').first().toULongLong() * static_cast<rlim_t>(sysconf(_SC_PAGESIZE));
    rlimit limited = before;
    limited.rlim_cur = std::min(before.rlim_max, used + (rlim_t(1) << 30));
    QVERIFY(setrlimit(RLIMIT_AS, &limited) == 0);
    map.bench.uiview.mapImage = QImage();
    map.bench.uiview.mapSize = QSize(32767, 32767);
    window->grabUIView32Image();
    setrlimit(RLIMIT_AS, &before);
    QCOMPARE(window->windowTitle(), u"Map of 32767 x 32767 Pixels Too Large for Memory"_s);
    QCOMPARE(window->mapImage(), first);
#endif
}

void TestMapPicker::mapChangeDuringAGrabDoesNotNest()
{
    MapBench map;
    MapWindow *window = map.open(u"Command8"_s);
    int copies = 0;
    int depth = 0;
    int deepest = 0;
    // UI-View32 announces a change while the window is in the middle of taking the map.
    connect(QGuiApplication::clipboard(), &QClipboard::dataChanged, window, [&] {
        ++depth;
        deepest = std::max(deepest, depth);
        if (QGuiApplication::clipboard()->image().width() > 1 && ++copies < 3)
            map.bench.uiview.raiseMapChanged();
        --depth;
    });
    window->grabUIView32Image();
    QCOMPARE(deepest, 1);
    QVERIFY(copies >= 2); // the change asked for during the grab followed it
}

void TestMapPicker::withoutALink()
{
    MapBench map;
    map.bench.uiview.failing = {u"createApplication"_s};
    QVERIFY(!map.open(u"Command8"_s));
    QCOMPARE(map.bench.dialogs.messages.size(), 1);
    QVERIFY(map.bench.dialogs.messages.first().contains(u"map cannot be shown"_s));
}

QTEST_MAIN(TestMapPicker)
#include "tst_mappicker.moc"
