#include "app/gui/textviewer.h"

#include <QDesktopServices>
#include <QDir>
#include <QProcess>
#include <QUrl>

bool DesktopTextViewer::open(const QString &path)
{
#ifdef Q_OS_WIN
    // The path goes as one argument, never through a shell, so folders with blanks work.
    return QProcess::startDetached(QStringLiteral("notepad.exe"), {QDir::toNativeSeparators(path)});
#else
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
#endif
}
