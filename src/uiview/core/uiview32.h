#pragma once

#include <QByteArray>
#include <QString>

#include <memory>
#include <optional>

class QSettings;

/// The store in which UI-View32 records its program folder: the registry on Windows,
/// "Peak Systems.ini" in the user's settings elsewhere. The folder is under programFolderKey().
std::unique_ptr<QSettings> uiviewRecord();
QString programFolderKey();

/// UI-View32's program folder as UI-View32 records it in the user's settings, with its trailing
/// separator; the empty text when none is recorded. Read afresh on every call.
QString findUIView32();

/// Whether UI-View32 has recorded its program folder.
bool isUIView32Installed();

/// The name of UI-View32's settings file in its folder.
QString uiviewIniName();

/// The logon filter in the text of uiview32.ini: the last line of the "[APRServe]" section that holds
/// "EXTRA_LOGON_TEXT=", with every "|" turned into ",", its first 17 characters cut and double quotes
/// removed. Nothing when there is no such line.
std::optional<QString> logonFilterFromIni(const QByteArray &ini);

/// What writing the add-on entry file came to.
enum class AddOnFile { Written, AlreadyThere, NoFolder, NotWritten };

/// Writes "Varnock.xtr" into UI-View32's folder (the folder text and the file name joined as they
/// stand) unless it exists. It names Varnock and the command that starts it from `programFolder`.
/// The file appears whole or not at all.
AddOnFile writeAddOnFile(const QString &uiviewFolder, const QString &programFolder, QString *error = nullptr);

/// The file name of Varnock's executable that the add-on entry names.
QString executableName();
