#pragma once

#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QFile>
#include <QImage>
#include <QObject>
#include <QString>

/// The map UI-View32 shows: an image and the path it was loaded from.
class StandinMap final : public QObject
{
    Q_OBJECT

public:
    /// Loads the map; false, keeping the previous one, when the image cannot be read.
    bool load(const QString &path, QString *error);

public Q_SLOTS:
    QDBusUnixFileDescriptor mapPixels() const;
    QString mapFileName() const;
    qint16 mapWidth() const;
    qint16 mapHeight() const;

Q_SIGNALS:
    void MapHasChanged();

private:
    QImage m_image;
    QDBusUnixFileDescriptor m_pixels; ///< made once for each map, handed to every caller
    QString m_path;
};

/// UI-View32's application object: prints each APRS message it is asked to send.
class StandinApplication final : public QObject
{
    Q_OBJECT

public:
    /// Messages go to standard output and to the log file, one line each.
    explicit StandinApplication(QFile &log);

public Q_SLOTS:
    QDBusObjectPath currentMap() const;
    void sendAprsMessage(const QString &addressee, const QString &path, int count, const QString &kind,
                         const QString &text);

Q_SIGNALS:
    void UIView32IsClosing();

private:
    QFile &m_log;
};

/// One command of standard input: "map IMAGE" or "close". Returns an error line, or the empty text.
QString runCommand(const QString &line, StandinApplication &application, StandinMap &map, bool *closing);
