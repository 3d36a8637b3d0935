#include "app/gui/dialogs.h"
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"
#include "uiview/core/uiviewlink.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(applicationTitle());
    QApplication::setApplicationVersion(versionLabel().mid(1));

    QtDialogs dialogs;
    DesktopTextViewer viewer;
    const std::unique_ptr<UiViewConnector> uiview = createPlatformConnector();
    Form1 window({dialogs, viewer, *uiview, QApplication::applicationDirPath()});
    window.start();
    window.show();
    return QApplication::exec();
}
