#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QString>

#include <atomic>
#include <functional>
#include <memory>

class QIODevice;
class QTemporaryFile;

/// How far an analysis has come.
struct CaptureProgress
{
    qint64 bytes = 0; ///< read so far
    qint64 size = -1; ///< of the whole capture; -1 for a stream
    qint64 packets = 0;
    double perSecond = 0; ///< packets
    qint64 msecsLeft = -1; ///< -1 when it cannot be told
};

/// What the filter line makes of a capture.
struct CaptureAnalysis
{
    qint64 packets = 0;
    qint64 passed = 0;
    QHash<QString, qint64> byFragment; ///< packets passed, by the fragment that passed them
    /// The newest packets passed, oldest first, each with its fragment.
    QList<std::pair<QByteArray, QString>> newest;
    qint64 cutLines = 0;
    QString problem; ///< why reading stopped before the end
    bool cancelled = false;
};

/// Evaluates the line for every packet of a capture, read as a stream: memory stays the same
/// whatever the capture's size. Progress is told about ten times a second; the analysis stops
/// early when cancel becomes true.
CaptureAnalysis analyseCapture(QIODevice &capture, const QString &filterLine, const QByteArray &loginCall,
                               qsizetype keepNewest, const std::function<void(const CaptureProgress &)> &progress,
                               const std::atomic<bool> &cancel);

/// Every packet of a live session, kept on disk for "Save..." so that a long session costs no
/// memory, up to a size: past it recording stops, and says so.
class Recording
{
public:
    explicit Recording(qint64 limitBytes);
    ~Recording();

    /// Adds a packet; false once recording has stopped: the limit reached, or a write failed.
    bool add(const QByteArray &packet);
    /// Why recording stopped; empty while it goes on.
    QString problem() const { return m_problem; }
    qint64 packets() const { return m_packets; }
    qint64 bytes() const { return m_bytes; }
    /// Writes what was recorded to a file, whole or not at all; the error, or the empty text.
    QString saveTo(const QString &path);

private:
    void stop(const QString &problem);

    std::unique_ptr<QTemporaryFile> m_file;
    qint64 m_limit;
    qint64 m_packets = 0;
    qint64 m_bytes = 0;
    QString m_problem;
};
