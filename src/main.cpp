#include "app/gui/commandline.h"
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"
#include "base/gui/dialogs.h"
#include "uiview/core/uiviewlink.h"

#include <QApplication>
#include <QIcon>
#include <QTextStream>

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    // The command-line forms open no window and need no display.
    if (isCommandLineUse(arguments) && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    {
        QTextStream out(stdout);
        QTextStream err(stderr);
        if (const std::optional<int> status = runCommandLine(arguments, out, err))
            return *status;
    }
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationVersion(versionLabel().mid(1));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/%1x%1/varnock.png").arg(size));
    QApplication::setWindowIcon(icon);
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.varnock.varnock"));

    QtDialogs dialogs;
    DesktopTextViewer viewer;
    const std::unique_ptr<UiViewConnector> uiview = createPlatformConnector();
    Form1 window({dialogs, viewer, *uiview, QApplication::applicationDirPath()});
    window.open();
    return QApplication::exec();
}
