// Prints how long Varnock takes for the operations whose cost must not grow faster than their
// input: start-up to the first shown window, and decoding long filter lines.
//   QT_QPA_PLATFORM=offscreen varnock_bench
#include "app/gui/dialogs.h"
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"

#include <QApplication>
#include <QElapsedTimer>

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

QString manyWordsLine(int words)
{
    QString line = QStringLiteral("filter");
    for (int i = 0; i < words; ++i)
        line += QStringLiteral(" o/N%1").arg(i);
    return line;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Nothing measured here opens a dialog or the help viewer.
    QtDialogs dialogs;
    DesktopTextViewer viewer;

    const double startUp = bestOf(5, [&] {
        Form1 window({dialogs, viewer, QApplication::applicationDirPath()});
        window.start();
        window.show();
        QApplication::processEvents();
    });

    Form1 window({dialogs, viewer, QApplication::applicationDirPath()});
    window.start();
    window.show();
    QApplication::processEvents();

    std::printf("%-44s %10s\n", "operation", "ms");
    std::printf("%-44s %10.2f\n", "start-up to first shown window", startUp);
    double previous = 0;
    for (int entries : {1000, 10000}) {
        const QString line = budlistLine(entries);
        const double ms = bestOf(5, [&] { window.decodeFilter(line); });
        std::printf("%-44s %10.2f", qPrintable(QStringLiteral("decode budlist of %1 entries").arg(entries)), ms);
        if (previous > 0)
            std::printf("   (x%.1f for x10 entries)", ms / previous);
        std::printf("\n");
        previous = ms;
    }
    previous = 0;
    for (int words : {1000, 10000}) {
        const QString line = manyWordsLine(words);
        const double ms = bestOf(3, [&] { window.decodeFilter(line); });
        std::printf("%-44s %10.2f", qPrintable(QStringLiteral("decode %1 object words").arg(words)), ms);
        if (previous > 0)
            std::printf("   (x%.1f for x10 words)", ms / previous);
        std::printf("\n");
        previous = ms;
    }
    return 0;
}
