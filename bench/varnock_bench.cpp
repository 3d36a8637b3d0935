// Prints how long Varnock takes for the operations whose cost must not grow faster than their
// input: start-up to the first shown window, and decoding long filter lines.
//   QT_QPA_PLATFORM=offscreen varnock_bench
#include "app/gui/dialogs.h"
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"
#include "geo/core/coordinates.h"
#include "mappicker/gui/mapwindow.h"
#include "support/fakeuiview.h"
#include "uiview/core/uiviewlink.h"

#include <QApplication>
#include <QBuffer>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

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

QString budlistLine(int entries)
{
    QString line = QStringLiteral("filter b");
    for (int i = 0; i < entries; ++i)
        line += QStringLiteral("/C%1*").arg(i);
    return line;
}

QString manyWordsLine(const QString &pattern, int words)
{
    QString line = QStringLiteral("filter");
    for (int i = 0; i < words; ++i)
        line += u' ' + pattern.arg(i);
    return line;
}

/// Prints one measured line, with the growth against the line before it where there is one.
void report(const QString &operation, double ms, double previous, const char *unit)
{
    std::printf("%-44s %10.2f", qPrintable(operation), ms);
    if (previous > 0)
        std::printf("   (x%.1f for x10 %s)", ms / previous, unit);
    std::printf("\n");
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Settings of a UI-View32 on this machine must not reach into the figures or the picture.
    QStandardPaths::setTestModeEnabled(true);
    // Nothing measured here opens a dialog or the help viewer.
    QtDialogs dialogs;
    DesktopTextViewer viewer;
    // Pictures and figures of Varnock alone, without a UI-View32 to talk to.
    const std::unique_ptr<UiViewConnector> uiview = createPlatformConnector();

    const double startUp = bestOf(5, [&] {
        Form1 window({dialogs, viewer, *uiview, QApplication::applicationDirPath()});
        window.start();
        window.show();
        QApplication::processEvents();
    });

    Form1 window({dialogs, viewer, *uiview, QApplication::applicationDirPath()});
    window.start();
    window.show();
    QApplication::processEvents();

    std::printf("%-44s %10s\n", "operation", "ms");
    std::printf("%-44s %10.2f\n", "start-up to first shown window", startUp);
    double previous = 0;
    for (int entries : {1000, 10000}) {
        const QString line = budlistLine(entries);
        const double ms = bestOf(5, [&] { window.decodeFilter(line); });
        report(QStringLiteral("decode budlist of %1 entries").arg(entries), ms, previous, "entries");
        previous = ms;
    }
    const std::pair<const char *, QString> wordKinds[] = {
        {"object", QStringLiteral("o/N%1")},
        {"range", QStringLiteral("r/51.%1/-1.5/25")},
    };
    for (const auto &[name, pattern] : wordKinds) {
        previous = 0;
        for (int words : {1000, 10000}) {
            const QString line = manyWordsLine(pattern, words);
            const double ms = bestOf(3, [&] { window.decodeFilter(line); });
            report(QStringLiteral("decode %1 %2 words").arg(words).arg(QLatin1StringView(name)), ms, previous, "words");
            previous = ms;
        }
    }
    // No step matches a range beyond the circle of latitude, so all 60000 steps run.
    const double search = bestOf(5, [] { convertRangetoLongitude(QStringLiteral("89"), QStringLiteral("1"), 30000); });
    report(QStringLiteral("range to longitude, 60000 steps"), search, 0, "");

    // One fetch of UI-View32's map: through the clipboard, with its corners and scale. The image is
    // shared, not copied, on its way; over the session bus it travels as PNG, measured apart.
    QTemporaryDir maps;
    QFile inf(maps.filePath(QStringLiteral("map.inf")));
    if (inf.open(QIODevice::WriteOnly))
        inf.write("51.30.00N,001.30.00W\r\n50.30.00N,000.30.00E\r\nx\r\n");
    inf.close();
    FakeUiView map;
    map.mapFile = maps.filePath(QStringLiteral("map.gif"));
    MapPickerState state;
    for (int side : {2000, 8000}) {
        map.mapImage = QImage(side, side, QImage::Format_RGB32);
        map.mapImage.fill(Qt::darkGreen);
        MapWindow window(state, map, dialogs);
        window.show();
        QApplication::processEvents();
        const double ms = bestOf(3, [&] { window.grabUIView32Image(); });
        report(QStringLiteral("grab a map of %1 x %1 pixels").arg(side), ms, 0, "");
        const double png = bestOf(1, [&] {
            QByteArray bytes;
            QBuffer buffer(&bytes);
            buffer.open(QIODevice::WriteOnly);
            map.mapImage.save(&buffer, "PNG");
            QImage::fromData(bytes);
        });
        report(QStringLiteral("  the same map as PNG there and back (bus)"), png, 0, "");
    }
    return 0;
}
