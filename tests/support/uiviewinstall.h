#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include <optional>

/// A UI-View32 folder recorded in the user's settings for the length of a test, with the settings
/// kept in a folder of the test's own. Without a folder, the setting is removed.
class UiViewInstall
{
public:
    /// Records a fresh folder, holding uiview32.ini with these contents when given.
    explicit UiViewInstall(const std::optional<QByteArray> &ini = std::nullopt);
    /// Records no UI-View32 at all.
    static void uninstall();
    ~UiViewInstall();

    /// The recorded folder, with its trailing separator.
    QString folder() const;
    /// Records another folder text as it stands.
    void record(const QString &folderText);

private:
    QTemporaryDir m_folder;
};

/// Points the user settings of this test process at a folder of its own, empty at first, and
/// returns that folder (as XDG_CONFIG_HOME for programs the test starts).
QString isolateUserSettings();
