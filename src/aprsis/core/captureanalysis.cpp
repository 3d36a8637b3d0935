#include "aprsis/core/captureanalysis.h"

#include "aprsis/core/traffictally.h"
#include "packets/core/aprspacket.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryFile>

namespace {

constexpr qint64 kProgressEveryMs = 100;

} // namespace

CaptureAnalysis analyseCapture(QIODevice &capture, const QString &filterLine, const QByteArray &loginCall,
                               qsizetype keepNewest, const std::function<void(const CaptureProgress &)> &progress,
                               const std::atomic<bool> &cancel)
{
    CaptureAnalysis result;
    TrafficTally tally;
    tally.reset(filterLine, loginCall);
    CaptureReader reader(capture);
    const qint64 size = capture.isSequential() ? -1 : capture.size();
    QElapsedTimer clock;
    clock.start();
    qint64 told = 0;
    QByteArray line;
    while (reader.next(&line)) {
        ++result.packets;
        if (const std::optional<QString> fragment = tally.evaluate(readPacket(line))) {
            ++result.passed;
            ++result.byFragment[*fragment];
            result.newest.append({std::move(line), *fragment});
            // Trimmed now and then, not at every packet: the list stays within twice what it keeps.
            if (result.newest.size() >= 2 * keepNewest)
                result.newest.remove(0, result.newest.size() - keepNewest);
        }
        if ((result.packets & 1023) == 0 && clock.elapsed() - told >= kProgressEveryMs) {
            if (cancel) {
                result.cancelled = true;
                break;
            }
            told = clock.elapsed();
            CaptureProgress now{reader.bytesRead(), size, result.packets,
                                result.packets * 1000.0 / std::max<qint64>(1, told)};
            if (size > 0 && now.bytes > 0)
                now.msecsLeft = told * (size - now.bytes) / now.bytes;
            if (progress)
                progress(now);
        }
    }
    if (result.newest.size() > keepNewest)
        result.newest.remove(0, result.newest.size() - keepNewest);
    result.cutLines = reader.cutLines();
    result.problem = reader.problem();
    return result;
}

Recording::Recording(qint64 limitBytes)
    : m_file(std::make_unique<QTemporaryFile>())
    , m_limit(limitBytes)
{
    if (!m_file->open())
        stop(QStringLiteral("The recording for \"Save...\" could not be made in %1: %2")
                 .arg(QDir::toNativeSeparators(QDir::tempPath()), m_file->errorString()));
}

Recording::~Recording() = default;

void Recording::stop(const QString &problem)
{
    if (m_problem.isEmpty())
        m_problem = problem;
}

bool Recording::add(const QByteArray &packet)
{
    if (!m_problem.isEmpty())
        return false;
    const qint64 size = packet.size() + 2;
    if (m_bytes + size > m_limit) {
        stop(QStringLiteral("The recording for \"Save...\" stopped at its limit of %1 MiB, after %2 packets; "
                            "later packets are shown but not saved.")
                 .arg(m_limit / (1024.0 * 1024.0), 0, 'f', m_limit % (1 << 20) == 0 ? 0 : 1)
                 .arg(m_packets));
        return false;
    }
    if (m_file->write(packet) != packet.size() || m_file->write("\r\n", 2) != 2) {
        stop(QStringLiteral("The recording for \"Save...\" stopped after %1 packets: %2")
                 .arg(m_packets)
                 .arg(m_file->errorString()));
        return false;
    }
    ++m_packets;
    m_bytes += size;
    return true;
}

QString Recording::saveTo(const QString &path)
{
    if (!m_file->isOpen())
        return m_problem;
    if (!m_file->flush())
        return m_file->errorString();
    QFile source(m_file->fileName());
    QSaveFile target(path);
    if (!source.open(QIODevice::ReadOnly))
        return source.errorString();
    if (!target.open(QIODevice::WriteOnly))
        return target.errorString();
    qint64 left = m_bytes;
    while (left > 0) {
        const QByteArray block = source.read(std::min<qint64>(left, 1 << 20));
        if (block.isEmpty())
            return source.errorString().isEmpty() ? QStringLiteral("The recording ended early.") : source.errorString();
        if (target.write(block) != block.size())
            return target.errorString();
        left -= block.size();
    }
    if (!target.commit())
        return target.errorString();
    return {};
}
