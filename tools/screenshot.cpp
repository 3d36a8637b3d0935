// Renders the main window, filled with an example filter, into a PNG file, showing one page
// (the budlist page unless another index is given):
//   QT_QPA_PLATFORM=offscreen varnock_screenshot docs/varnock.png [PAGE]
// or the window "Live Traffic" after it was connected for some seconds to a server (a local aprsc
// with traffic injected, for the README):
//   varnock_screenshot docs/live.png live HOST:PORT SECONDS
// or, beside a UI-View32 (or its stand-in), the map window showing two ranges of the filter, or an
// area:
//   varnock_screenshot map.png map
//   varnock_screenshot area.png maparea
// or the main window whose line has a fragment with a warning, or one that servers ignore:
//   varnock_screenshot warning.png warning
//   varnock_screenshot ignored.png ignored
// or the box "Decode Filter" holding a line of 500 characters:
//   varnock_screenshot decode.png decode
// or the window "Live Traffic" some seconds into the analysis of a capture:
//   varnock_screenshot analysis.png analyse CAPTURE SECONDS
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"
#include "aprsis/gui/livewindow.h"
#include "base/gui/dialogs.h"
#include "mappicker/gui/mapwindow.h"
#include "uiview/core/uiviewlink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Settings of a UI-View32 on this machine must not reach into the figures or the picture.
    QStandardPaths::setTestModeEnabled(true);
    const bool live = argc == 5 && qstrcmp(argv[2], "live") == 0;
    const bool analyse = argc == 5 && qstrcmp(argv[2], "analyse") == 0;
    const bool rangeMap = argc == 3 && qstrcmp(argv[2], "map") == 0;
    const bool areaMap = argc == 3 && qstrcmp(argv[2], "maparea") == 0;
    const bool map = rangeMap || areaMap;
    const bool warning = argc == 3 && qstrcmp(argv[2], "warning") == 0;
    const bool ignored = argc == 3 && qstrcmp(argv[2], "ignored") == 0;
    const bool decode = argc == 3 && qstrcmp(argv[2], "decode") == 0;
    if (argc != 2 && argc != 3 && !live && !analyse) {
        std::fprintf(stderr,
                     "usage: varnock_screenshot FILE.png [PAGE]\n"
                     "       varnock_screenshot FILE.png live HOST:PORT SECONDS\n"
                     "       varnock_screenshot FILE.png map|maparea|warning|ignored|decode\n"
                     "       varnock_screenshot FILE.png analyse CAPTURE SECONDS\n");
        return 2;
    }
    // The file box of "Analyse a capture..." answers with the capture given.
    class CaptureDialogs final : public Dialogs
    {
    public:
        QString capture;
        QtDialogs real;
        QString askText(QWidget *p, const QString &a, const QString &b, const QString &c) override
        {
            return real.askText(p, a, b, c);
        }
        QString askLongText(QWidget *p, const QString &a, const QString &b, const QString &c) override
        {
            return real.askLongText(p, a, b, c);
        }
        void tell(QWidget *p, const QString &text) override { real.tell(p, text); }
        bool confirm(QWidget *, const QString &) override { return true; }
        QString askSaveFileName(QWidget *p, const QString &a, const QString &b, const QString &c) override
        {
            return real.askSaveFileName(p, a, b, c);
        }
        QString askOpenFileName(QWidget *, const QString &, const QString &) override { return capture; }
    } dialogs;
    if (analyse)
        dialogs.capture = QString::fromLocal8Bit(argv[3]);
    DesktopTextViewer viewer;
    // Pictures and figures of Varnock alone, without a UI-View32 to talk to.
    const std::unique_ptr<UiViewConnector> uiview = createPlatformConnector();
    Form1 window({dialogs, viewer, *uiview, QApplication::applicationDirPath()});
    window.start();
    // The excluded budlist fragment beside the other has no place on the page: it is kept as typed.
    window.decodeFilter(QStringLiteral("filter b/G*/M*/2E0* t/pw/G4ABC/50 d/WIDE2 m/100 f/M0XYZ/25 q/CI/I "
                                       "s/>_// -u/APZ* e/T2UK p/DL/DB g/BLN* -b/G4XYZ"));
    // Servers cut a callsign to 9 characters; they ignore a range whose longitude is past 180 degrees.
    if (warning)
        window.decodeFilter(QStringLiteral("filter b/G*/M*/2E0*/G4ABCDEFGHI t/pw d/WIDE2 r/51.5/-1/100 m/100"));
    if (ignored)
        window.decodeFilter(QStringLiteral("filter b/G*/M*/2E0* t/pw d/WIDE2 r/51.5/-1/100 r/52/200/50 m/100"));
    const int page = map || ignored ? (areaMap ? 5 : 0)
        : warning                   ? 1
        : argc == 3                 ? QString::fromLocal8Bit(argv[2]).toInt()
                                    : 1;
    window.findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(page);
    window.show();
    QApplication::processEvents();
    QWidget *shown = &window;
    if (map) {
        // Two ranges in the middle of the sample map, the part the window first shows, shown on
        // UI-View32's map by "Display UI-View32".
        window.decodeFilter(QStringLiteral("filter r/51.08/-0.8/12 r/50.92/-0.3/8 a/51.15/-0.95/50.85/-0.2"));
        window.findChild<QPushButton *>(QLatin1StringView(areaMap ? "Command13" : "Command6"))->click();
        shown = window.mapWindow();
        if (!shown) {
            std::fprintf(stderr, "no map window: UI-View32 could not be reached (%s)\n",
                         qPrintable(uiview->lastProblem()));
            return 1;
        }
        QElapsedTimer clock;
        clock.start();
        while (window.mapWindow()->mapImage().isNull() && clock.elapsed() < 20000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        QApplication::processEvents();
    }
    if (decode) {
        // The box is modal: it is taken from inside its own event loop, then answered with Cancel.
        QString line = QStringLiteral("filter");
        for (int i = 0; line.size() < 490; ++i)
            line += QStringLiteral(" b/G%1ABC*").arg(i % 10);
        window.decodeFilter(line + QStringLiteral(" r/51.5/-1/100"));
        QImage picture;
        QTimer::singleShot(500, &app, [&] {
            for (QWidget *top : QApplication::topLevelWidgets())
                if (top->objectName() == QLatin1StringView("long_text_box") && top->isVisible()) {
                    picture = top->grab().toImage();
                    top->close();
                }
        });
        window.findChild<QPushButton *>(QStringLiteral("decode_filter"))->click();
        if (picture.isNull() || !picture.save(QString::fromLocal8Bit(argv[1]))) {
            std::fprintf(stderr, "could not take or write %s\n", argv[1]);
            return 1;
        }
        return 0;
    }
    if (live || analyse) {
        window.decodeFilter(QStringLiteral("filter b/G* t/mw r/51/10/600"));
        window.findChild<QPushButton *>(QStringLiteral("live_test"))->click();
        shown = window.liveWindow();
        if (live) {
            shown->findChild<QLineEdit *>(QStringLiteral("live_server"))->setText(QString::fromLocal8Bit(argv[3]));
            shown->findChild<QLineEdit *>(QStringLiteral("live_call"))->setText(QStringLiteral("N0CALL"));
            shown->findChild<QPushButton *>(QStringLiteral("live_connect"))->click();
        } else {
            shown->findChild<QPushButton *>(QStringLiteral("live_analyse"))->click();
        }
        // Grabbed while still connected: quitting closes the window, and closing disconnects.
        QImage picture;
        QTimer::singleShot(QString::fromLocal8Bit(argv[4]).toInt() * 1000, &app, [&] {
            picture = shown->grab().toImage();
            app.quit();
        });
        app.exec();
        if (!picture.save(QString::fromLocal8Bit(argv[1]))) {
            std::fprintf(stderr, "could not write %s\n", argv[1]);
            return 1;
        }
        return 0;
    }
    if (!shown->grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
