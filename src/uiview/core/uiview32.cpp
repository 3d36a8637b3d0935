#include "uiview/core/uiview32.h"

#include "base/core/filterline.h"
#include "base/core/textlines.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QSettings>

namespace {

const QString kLogonKey = QStringLiteral("EXTRA_LOGON_TEXT=");

} // namespace

std::unique_ptr<QSettings> uiviewRecord()
{
#ifdef Q_OS_WIN
    // Where UI-View32's family of programs keeps its per-user settings.
    return std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\Peak Systems\\UI-View32"),
        QSettings::NativeFormat);
#else
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Peak Systems"));
#endif
}

QString programFolderKey()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Program Folder");
#else
    return QStringLiteral("UI-View32/Program Folder");
#endif
}

QString findUIView32()
{
    return uiviewRecord()->value(programFolderKey()).toString();
}

bool isUIView32Installed()
{
    return !findUIView32().isEmpty();
}

QString uiviewIniName()
{
    return QStringLiteral("uiview32.ini");
}

std::optional<QString> logonFilterFromIni(const QByteArray &ini)
{
    std::optional<QString> filter;
    QString section;
    for (QString line : textLines(QString::fromLocal8Bit(ini))) {
        line.replace(u'|', u',');
        if (line.size() > 1 && line.startsWith(u'['))
            section = trimBlanks(line);
        if (section != u"[APRServe]" || !line.contains(kLogonKey))
            continue;
        // The cut is by the key's length from the start of the line, wherever the key stands.
        QString value = line.mid(kLogonKey.size());
        value.remove(u'"');
        filter = value;
    }
    return filter;
}

QString executableName()
{
#ifdef Q_OS_WIN
    return QStringLiteral("Varnock.exe");
#else
    return QStringLiteral("varnock");
#endif
}

AddOnFile writeAddOnFile(const QString &uiviewFolder, const QString &programFolder, QString *error)
{
    if (uiviewFolder.isEmpty())
        return AddOnFile::NoFolder;
    const QString path = uiviewFolder + QStringLiteral("Varnock.xtr");
    if (QFile::exists(path))
        return AddOnFile::AlreadyThere;

    const QString command
        = u'"' + QDir::toNativeSeparators(programFolder) + QDir::separator() + executableName() + u'"';
    const QString text = QStringLiteral("Varnock\r\n") + command + QStringLiteral("\r\nFalse\r\nFalse\r\n");
    // An existing entry is never rewritten, so a half-written one would stay for good: the file goes
    // through a temporary file and appears only when complete.
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(text.toLocal8Bit()) >= 0 && file.commit())
        return AddOnFile::Written;
    if (error)
        *error = file.errorString();
    return AddOnFile::NotWritten;
}
