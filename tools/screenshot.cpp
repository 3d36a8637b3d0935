// Renders the main window, filled with an example filter, into a PNG file:
//   QT_QPA_PLATFORM=offscreen varnock_screenshot docs/varnock.png
#include "app/gui/dialogs.h"
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"

#include <QApplication>
#include <QTabWidget>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: varnock_screenshot FILE.png\n");
        return 2;
    }
    QtDialogs dialogs;
    DesktopTextViewer viewer;
    Form1 window({dialogs, viewer, QApplication::applicationDirPath()});
    window.start();
    window.decodeFilter(QStringLiteral("filter b/G*/M*/2E0* d/WIDE2 -u/APZ* e/T2UK"));
    window.findChild<QTabWidget *>(QStringLiteral("SSTab1"))->setCurrentIndex(1);
    window.show();
    QApplication::processEvents();
    if (!window.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
