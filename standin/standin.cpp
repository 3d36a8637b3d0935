#include "standin.h"

#include "uiview/dbus/dbusnames.h"
#include "uiview/dbus/mappixels.h"

#include <QFileInfo>
#include <QImageReader>

#include <cstdio>
#include <cstdlib>

bool StandinMap::load(const QString &path, QString *error)
{
    QImageReader reader(path);
    reader.setAllocationLimit(0); // UI-View32 shows maps of any size a 16-bit width and height allow
    QImage image = reader.read();
    if (image.isNull()) {
        *error = QStringLiteral("cannot read the map %1: %2").arg(path, reader.errorString());
        return false;
    }
    QDBusUnixFileDescriptor pixels;
    pixels.giveFileDescriptor(MapPixels::fileOf(image));
    if (!pixels.isValid()) {
        *error = QStringLiteral("cannot share the map %1: not enough memory").arg(path);
        return false;
    }
    m_image = std::move(image);
    m_pixels = std::move(pixels);
    m_path = QFileInfo(path).absoluteFilePath();
    return true;
}

QDBusUnixFileDescriptor StandinMap::mapPixels() const
{
    return m_pixels;
}

QString StandinMap::mapFileName() const
{
    return m_path;
}

qint16 StandinMap::mapWidth() const
{
    return static_cast<qint16>(m_image.width());
}

qint16 StandinMap::mapHeight() const
{
    return static_cast<qint16>(m_image.height());
}

StandinApplication::StandinApplication(QFile &log)
    : m_log(log)
{ }

QDBusObjectPath StandinApplication::currentMap() const
{
    return QDBusObjectPath(UiViewBus::mapPath());
}

void StandinApplication::sendAprsMessage(const QString &addressee, const QString &, int, const QString &,
                                         const QString &text)
{
    const QByteArray line = (addressee + QStringLiteral(": ") + text + u'\n').toUtf8();
    std::fwrite(line.constData(), 1, static_cast<std::size_t>(line.size()), stdout);
    std::fflush(stdout);
    m_log.write(line);
    m_log.flush();
}

QString runCommand(const QString &line, StandinApplication &application, StandinMap &map, bool *closing)
{
    const QString command = line.trimmed();
    if (command == u"close") {
        *closing = true;
        Q_EMIT application.UIView32IsClosing();
        return {};
    }
    if (command.startsWith(u"map ")) {
        QString error;
        if (!map.load(command.mid(4).trimmed(), &error))
            return error;
        Q_EMIT map.MapHasChanged();
        return {};
    }
    if (command == u"exit") {
        // As a crashed UI-View32: gone at once, without a word to its clients.
        std::fflush(stdout);
        std::_Exit(3);
    }
    if (command.isEmpty())
        return {};
    return QStringLiteral("unknown command: %1 (commands: map IMAGE, close, exit)").arg(command);
}
