// Prints the figures of Varnock whose growth and size matter, as a table:
//   ./varnock.sh bench        (QT_QPA_PLATFORM=offscreen build/bin/varnock_bench)
// Start-up and peak memory are measured in fresh processes, beside the same figures for the least a
// Qt Widgets program can do (a window with a QTabWidget of fourteen empty tabs), built in the same run.
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"
#include "base/gui/dialogs.h"
#include "geo/core/coordinates.h"
#include "livetraffic.h"
#include "mappicker/gui/mapwindow.h"
#include "support/fakeuiview.h"
#include "uiview/core/uiviewlink.h"
#include "uiview/dbus/dbuslink.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <sys/resource.h>
#include <tuple>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int kStartRuns = 7;

/// The best of a few runs, in milliseconds: the least disturbed by the rest of the machine.
double bestOf(int runs, const std::function<void()> &run)
{
    double best = 0;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer clock;
        clock.start();
        run();
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        if (i == 0 || ms < best)
            best = ms;
    }
    return best;
}

void row(const char *operation, const QString &figure, const QString &note = {})
{
    std::printf("%-46s %12s  %s\n", operation, qPrintable(figure), qPrintable(note));
}

QString ms(double value)
{
    return QString::number(value, 'f', 2) + QStringLiteral(" ms");
}

/// The child's part: builds one window, shows it, and prints the time since main() began and the
/// peak resident memory in KiB.
int startOnce(bool varnock, const QElapsedTimer &sinceMain, int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QtDialogs dialogs;
    DesktopTextViewer viewer;
    const std::unique_ptr<UiViewConnector> uiview = createPlatformConnector();
    std::unique_ptr<QWidget> window;
    if (varnock) {
        auto form
            = std::make_unique<Form1>(Form1Services{dialogs, viewer, *uiview, QApplication::applicationDirPath()});
        form->start();
        window = std::move(form);
    } else {
        auto tabs = std::make_unique<QTabWidget>();
        for (int i = 0; i < kKindCount; ++i)
            tabs->addTab(new QWidget, QStringLiteral("Tab %1").arg(i));
        window = std::move(tabs);
    }
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        return 1;
    const double elapsed = static_cast<double>(sinceMain.nsecsElapsed()) / 1e6;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%f %ld\n", elapsed, usage.ru_maxrss);
    return 0;
}

/// The child's part: decodes the line in a file in a started main window, and prints the time the
/// decode took and the peak resident memory in KiB.
int decodeOnce(const char *path, int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QtDialogs dialogs;
    DesktopTextViewer viewer;
    const std::unique_ptr<UiViewConnector> uiview = createPlatformConnector();
    Form1 form({dialogs, viewer, *uiview, QApplication::applicationDirPath()});
    form.start();
    QFile file(QString::fromLocal8Bit(path));
    if (!file.open(QIODevice::ReadOnly))
        return 1;
    const QString line = QString::fromUtf8(file.readAll());
    file.close();
    QElapsedTimer clock;
    clock.start();
    form.decodeFilter(line);
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("%f %ld\n", elapsed, usage.ru_maxrss);
    return 0;
}

struct StartFigures
{
    double ms = 0;
    long kib = 0;
};

/// Starts this program in a child part a few times; the best time and the least peak memory.
StartFigures measureChild(const QStringList &arguments, int runs = kStartRuns)
{
    StartFigures best{1e9, 1L << 40};
    for (int i = 0; i < runs; ++i) {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), arguments);
        if (!child.waitForFinished(30000) || child.exitCode() != 0)
            continue;
        const QList<QByteArray> parts = child.readAllStandardOutput().trimmed().split(' ');
        if (parts.size() != 2)
            continue;
        best.ms = std::min(best.ms, parts[0].toDouble());
        best.kib = std::min(best.kib, parts[1].toLong());
    }
    return best;
}

QString budlistLine(int entries)
{
    QString line = QStringLiteral("filter b");
    for (int i = 0; i < entries; ++i)
        line += QStringLiteral("/C%1*").arg(i);
    return line;
}

/// Whether the window shows the very image it was to take, after the figure.
QString arrived(const MapWindow &window, const QImage &image)
{
    const QImage &shown = window.mapImage();
    return shown.size() == image.size()
            && shown.pixel(image.width() - 1, image.height() - 1) == image.pixel(image.width() - 1, image.height() - 1)
        ? QStringLiteral("image checked")
        : QStringLiteral("IMAGE NOT TAKEN");
}

QString manyWordsLine(const QString &pattern, int words)
{
    QString line = QStringLiteral("filter");
    for (int i = 0; i < words; ++i)
        line += u' ' + pattern.arg(i);
    return line;
}

} // namespace

int main(int argc, char *argv[])
{
    QElapsedTimer sinceMain;
    sinceMain.start();
    if (argc == 3 && qstrcmp(argv[1], "--start") == 0)
        return startOnce(qstrcmp(argv[2], "varnock") == 0, sinceMain, argc, argv);
    if (argc == 4 && qstrcmp(argv[1], "--analyse") == 0)
        return analyseInChild(argc, argv, QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
    if (argc == 4 && qstrcmp(argv[1], "--flood") == 0)
        return receiveFlood(argc, argv, quint16(QByteArray(argv[2]).toUInt()), QByteArray(argv[3]).toInt());
    if (argc == 3 && qstrcmp(argv[1], "--decode") == 0)
        return decodeOnce(argv[2], argc, argv);
    if (argc == 5 && qstrcmp(argv[1], "--receive") == 0)
        return receiveBurst(argc, argv, qstrcmp(argv[2], "window") == 0, quint16(QByteArray(argv[3]).toUInt()),
                            QByteArray(argv[4]).toLongLong());

    QApplication app(argc, argv);
    // Settings of a UI-View32 on this machine must not reach into the figures.
    QStandardPaths::setTestModeEnabled(true);
    // Nothing measured here opens a dialog or the help viewer.
    QtDialogs dialogs;
    DesktopTextViewer viewer;
    const std::unique_ptr<UiViewConnector> uiview = createPlatformConnector();

    std::printf("%-46s %12s  %s\n", "figure", "value", "against");
    const StartFigures floor = measureChild({QStringLiteral("--start"), QStringLiteral("floor")});
    const StartFigures varnock = measureChild({QStringLiteral("--start"), QStringLiteral("varnock")});
    row("start-up to first shown window, Varnock", ms(varnock.ms),
        QStringLiteral("x%1 of the floor").arg(varnock.ms / floor.ms, 0, 'f', 2));
    row("  floor: QTabWidget of fourteen empty tabs", ms(floor.ms));
    row("peak memory, Varnock", QStringLiteral("%1 MiB").arg(varnock.kib / 1024.0, 0, 'f', 1),
        QStringLiteral("x%1 of the floor").arg(static_cast<double>(varnock.kib) / floor.kib, 0, 'f', 2));
    row("  floor: QTabWidget of fourteen empty tabs", QStringLiteral("%1 MiB").arg(floor.kib / 1024.0, 0, 'f', 1));

    Form1 window({dialogs, viewer, *uiview, QApplication::applicationDirPath()});
    window.start();
    window.show();
    QApplication::processEvents();

    const std::pair<const char *, std::function<QString(int)>> lines[] = {
        {"budlist entries", budlistLine},
        {"range words", [](int n) { return manyWordsLine(QStringLiteral("r/51.%1/-1.5/25"), n); }},
        {"object words", [](int n) { return manyWordsLine(QStringLiteral("o/N%1"), n); }},
    };
    for (const auto &[name, make] : lines) {
        double previous = 0;
        for (int count : {30, 300, 3000}) {
            const QString line = make(count);
            const double taken = bestOf(5, [&] { window.decodeFilter(line); });
            row(qPrintable(QStringLiteral("decode %1 %2").arg(count).arg(QLatin1StringView(name))), ms(taken),
                previous > 0 ? QStringLiteral("x%1 for x10").arg(taken / previous, 0, 'f', 1) : QString());
            previous = taken;
        }
    }

    // The longest line the decoder takes, of every kind in both signs, repeated so that the pages
    // merge and keep words as typed; and a line far beyond it, which is refused. Each in a fresh
    // process, against one of a single fragment.
    {
        const QStringList words{u"b/G%1*"_s,        u"-b/M%1"_s,  u"t/p"_s,       u"-t/w"_s,
                                u"s/>"_s,           u"m/%1"_s,    u"r/51/0/%1"_s, u"x/%1"_s,
                                u"q/C"_s,           u"-d/W%1"_s,  u"o/OBJ%1"_s,   u"f/G4ABC/%1"_s,
                                u"a/52/-1/51/%1"_s, u"-e/T2%1"_s, u"p/G%1"_s,     u"g/BLN%1"_s};
        QString longest = u"filter"_s;
        for (int i = 0;; ++i) {
            const QString &pattern = words.at(i % words.size());
            const QString word = u' ' + (pattern.contains(u'%') ? pattern.arg(i) : pattern);
            if (longest.size() + word.size() > kMaxDecodedLine)
                break;
            longest += word;
        }
        QTemporaryDir folder;
        const auto measure = [&](const char *name, const QString &line) {
            QFile file(folder.filePath(QString::fromLatin1(name)));
            if (!file.open(QIODevice::WriteOnly) || file.write(line.toUtf8()) != line.toUtf8().size())
                return StartFigures{};
            file.close();
            return measureChild({u"--decode"_s, file.fileName()}, 3);
        };
        const StartFigures single = measure("single", u"filter b/A"_s);
        const StartFigures most = measure("longest", longest);
        const StartFigures refused = measure("refused", QString(10 * 1024 * 1024, u'b'));
        const auto above = [&](const StartFigures &figures) {
            return QStringLiteral("peak memory %1 MiB, %2 MiB with a line of one fragment")
                .arg(figures.kib / 1024.0, 0, 'f', 1)
                .arg(single.kib / 1024.0, 0, 'f', 1);
        };
        row(qPrintable(u"decode the longest line, %1 words"_s.arg(longest.count(u' '))), ms(most.ms), above(most));
        row("refuse a line of 10 MiB", ms(refused.ms), above(refused));
    }

    // No step matches a range beyond the circle of latitude, so all 60000 steps run.
    row("range to longitude, all 60000 steps",
        ms(bestOf(5, [] { convertRangetoLongitude(QStringLiteral("89"), QStringLiteral("1"), 30000); })));

    // One fetch of UI-View32's map: through the clipboard, with its corners and scale. In-process
    // the image is shared, not copied; over the session bus it comes from the stand-in's process.
    QTemporaryDir maps;
    QFile inf(maps.filePath(QStringLiteral("map.inf")));
    if (inf.open(QIODevice::WriteOnly))
        inf.write("51.30.00N,001.30.00W\r\n50.30.00N,000.30.00E\r\nx\r\n");
    inf.close();
    FakeUiView map;
    map.mapFile = maps.filePath(QStringLiteral("map.gif"));
    MapPickerState state;
    const bool bus = QDBusConnection::sessionBus().isConnected();
    for (int side : {2000, 8000}) {
        QImage image(side, side, QImage::Format_RGB32);
        image.fill(Qt::darkGreen);
        image.setPixel(side - 1, side - 1, qRgb(200, 0, 0));
        map.mapImage = image;
        MapWindow mapWindow(state, map, dialogs);
        mapWindow.show();
        QApplication::processEvents();
        const QString size = QStringLiteral("%1 x %1 pixels").arg(side);
        row(qPrintable(QStringLiteral("grab a map of ") + size), ms(bestOf(3, [&] { mapWindow.grabUIView32Image(); })),
            arrived(mapWindow, image));
        if (!bus) {
            row("  the same map over the session bus", QStringLiteral("-"), QStringLiteral("no session bus"));
            continue;
        }
        const QString path = maps.filePath(QStringLiteral("map.bmp"));
        image.save(path, "BMP");
        QProcess standin;
        standin.start(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("uiview32-standin")),
                      {QStringLiteral("--folder"), maps.filePath(QStringLiteral("uiview")), QStringLiteral("--map"),
                       path, QStringLiteral("--no-register")});
        while (standin.waitForReadyRead(10000) && !standin.readAllStandardOutput().contains("serving")) { }
        DBusConnector link;
        MapWindow busWindow(state, link, dialogs);
        busWindow.show();
        QApplication::processEvents();
        row("  the same map over the session bus", ms(bestOf(3, [&] { busWindow.grabUIView32Image(); })),
            arrived(busWindow, image));
        standin.closeWriteChannel();
        standin.waitForFinished(3000);
    }

    // The filter engine over the capture, repeated; cost should grow linearly in packets and fragments.
    const QString twentyFragments = QStringLiteral(
        "filter r/51/10/300 r/35/-90/1500 a/55/0/45/20 b/DL*/OE*/G* p/K/SP t/wn t/o s/_/# d/WIDE1*/DB0* u/AP* "
        "e/T2* q/R o/S31* g/BLN* f/DD1TW-2/150 m/300 -t/t -b/N0CALL -p/X -s/!");
    const QString fiveFragments = QStringLiteral("filter r/51/10/300 b/DL*/OE*/G* t/wn s/_/# -t/t");
    // The same twenty as servers take them in upper case, letters and calls alike.
    const QString twentyUpper = QStringLiteral("filter ") + twentyFragments.mid(7).toUpper();
    for (const auto &[packets, line, words] :
         {std::tuple{qint64(250000), twentyFragments, 20}, std::tuple{qint64(1000000), twentyFragments, 20},
          std::tuple{qint64(1000000), fiveFragments, 5}, std::tuple{qint64(1000000), twentyUpper, -20}}) {
        const EngineFigures engine = measureEngine(packets, line);
        if (!engine.failure.isEmpty()) {
            row("engine", QStringLiteral("-"), engine.failure);
            break;
        }
        const QString over = QStringLiteral("%1 packets").arg(packets);
        if (words == 20) {
            row(qPrintable(QStringLiteral("read a capture line by line, ") + over),
                QStringLiteral("%1/s").arg(engine.floorPerSecond, 0, 'f', 0), QStringLiteral("the floor"));
            row(qPrintable(QStringLiteral("  and read each packet, ") + over),
                QStringLiteral("%1/s").arg(engine.readPerSecond, 0, 'f', 0),
                QStringLiteral("x%1 of the floor's time").arg(engine.floorPerSecond / engine.readPerSecond, 0, 'f', 2));
        }
        row(qPrintable((words > 0 ? QStringLiteral("  and match %1 fragments, ").arg(words)
                                  : QStringLiteral("  and match %1 in upper case, ").arg(-words))
                       + over),
            QStringLiteral("%1/s").arg(engine.matchPerSecond, 0, 'f', 0),
            QStringLiteral("x%1 of the floor's time, goal 4 and 500000/s")
                .arg(engine.floorPerSecond / engine.matchPerSecond, 0, 'f', 2));
    }

    // "Analyse a capture..." on a day of the full feed, on its thread beside the window's.
    constexpr qint64 kDayOfPackets = 25000000;
    const AnalysisFigures analysis
        = measureAnalysis(kDayOfPackets, QStringLiteral("filter b/G* r/51/10/600 t/m -d/WIDE* s/>"));
    if (!analysis.failure.isEmpty()) {
        row("analyse a capture", QStringLiteral("-"), analysis.failure);
    } else {
        row(qPrintable(QStringLiteral("analyse a capture of %1 packets").arg(kDayOfPackets)),
            QStringLiteral("%1 s").arg(analysis.seconds, 0, 'f', 1));
        row("  packets per second", QString::number(analysis.perSecond, 'f', 0), QStringLiteral("goal 1000000"));
        row("  peak memory", QStringLiteral("+%1 MiB").arg(analysis.peakMiB - analysis.idleMiB, 0, 'f', 1),
            QStringLiteral("above the idle window (%1 MiB), goal under 100").arg(analysis.idleMiB, 0, 'f', 1));
        row("  longest event-loop stall of the window", ms(analysis.longestStallMs),
            QStringLiteral("goal under 50 ms"));
    }

    // A minute of packets as fast as a loopback server can write them.
    constexpr int kFloodSeconds = 60;
    const FloodFigures flood = measureFlood(kFloodSeconds);
    if (!flood.failure.isEmpty()) {
        row("live window flooded", QStringLiteral("-"), flood.failure);
    } else {
        row(qPrintable(QStringLiteral("live window flooded for %1 s, packets").arg(kFloodSeconds)),
            QString::number(flood.packets), QStringLiteral("%1 not read in time").arg(flood.dropped));
        row("  peak memory", QStringLiteral("+%1 MiB").arg(flood.peakMiB - flood.idleMiB, 0, 'f', 1),
            QStringLiteral("above the idle window (%1 MiB), goal under 150").arg(flood.idleMiB, 0, 'f', 1));
        row("  recording for Save... on disk", QStringLiteral("%1 MiB").arg(flood.recordingMiB, 0, 'f', 1),
            QStringLiteral("its limit: 1024 MiB"));
    }

    // The live window against a burst of the full feed of a local aprsc.
    constexpr qint64 kBurst = 100000;
    const BurstFigures floorBurst = measureBurst(false, kBurst);
    const BurstFigures liveBurst = floorBurst.failure.isEmpty() ? measureBurst(true, kBurst) : floorBurst;
    if (!liveBurst.failure.isEmpty()) {
        row("live window, packets per second", QStringLiteral("-"), liveBurst.failure);
        return 0;
    }
    row("live window, packets per second", QString::number(liveBurst.perSecond, 'f', 0),
        QStringLiteral("x%1 of the floor, goal 20000").arg(liveBurst.perSecond / floorBurst.perSecond, 0, 'f', 2));
    row("  floor: a bare socket counting lines", QString::number(floorBurst.perSecond, 'f', 0));
    row("live window, longest event-loop stall", ms(liveBurst.longestStallMs), QStringLiteral("goal under 50 ms"));
    row("  floor: a bare socket counting lines", ms(floorBurst.longestStallMs));
    row(qPrintable(QStringLiteral("live window, peak memory after %1 packets").arg(kBurst)),
        QStringLiteral("+%1 MiB").arg(liveBurst.peakMiB - liveBurst.idleMiB, 0, 'f', 1),
        QStringLiteral("above the idle window (%1 MiB), goal under 40").arg(liveBurst.idleMiB, 0, 'f', 1));
    return 0;
}
