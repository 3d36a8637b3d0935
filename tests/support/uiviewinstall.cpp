#include "support/uiviewinstall.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

QSettings userSettings()
{
    return QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Peak Systems"));
}

} // namespace

QString isolateUserSettings()
{
    static QTemporaryDir settingsFolder;
    static const bool isolated = [] {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        return true;
    }();
    Q_UNUSED(isolated);
    return settingsFolder.path();
}

UiViewInstall::UiViewInstall(const std::optional<QByteArray> &ini)
{
    isolateUserSettings();
    if (ini) {
        QFile file(m_folder.filePath(QStringLiteral("uiview32.ini")));
        if (file.open(QIODevice::WriteOnly))
            file.write(*ini);
    }
    record(folder());
}

UiViewInstall::~UiViewInstall()
{
    uninstall();
}

void UiViewInstall::uninstall()
{
    QSettings settings = userSettings();
    settings.remove(QStringLiteral("UI-View32"));
    settings.sync();
}

QString UiViewInstall::folder() const
{
    return m_folder.path() + QDir::separator();
}

void UiViewInstall::record(const QString &folderText)
{
    QSettings settings = userSettings();
    settings.setValue(QStringLiteral("UI-View32/Program Folder"), folderText);
    settings.sync();
}
