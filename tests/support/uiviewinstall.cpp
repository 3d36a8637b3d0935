#include "support/uiviewinstall.h"

#include "uiview/core/uiview32.h"

#include <QDir>
#include <QFile>
#include <QSettings>

namespace {

/// Where the registry holds UI-View32's record, a test changes the user's own: what was recorded
/// before is put back when the test program ends.
struct RecordKeeper
{
    RecordKeeper()
        : before(uiviewRecord()->value(programFolderKey()))
    { }
    ~RecordKeeper()
    {
        const std::unique_ptr<QSettings> record = uiviewRecord();
        if (before.isValid())
            record->setValue(programFolderKey(), before);
        else
            record->remove(programFolderKey());
    }
    QVariant before;
};

} // namespace

QString isolateUserSettings()
{
    static QTemporaryDir settingsFolder;
    static const bool isolated = [] {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsFolder.path());
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsFolder.path());
        // Where the native store is the registry, the program's own settings go to the folder too.
        QSettings::setDefaultFormat(QSettings::IniFormat);
        return true;
    }();
    Q_UNUSED(isolated);
    static RecordKeeper keeper;
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
    isolateUserSettings();
    uiviewRecord()->remove(programFolderKey());
}

QString UiViewInstall::folder() const
{
    return m_folder.path() + QDir::separator();
}

void UiViewInstall::record(const QString &folderText)
{
    isolateUserSettings();
    uiviewRecord()->setValue(programFolderKey(), folderText);
}
