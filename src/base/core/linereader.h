#pragma once

#include <QByteArray>
#include <QByteArrayView>

/// Splits a byte stream into lines: the one way Varnock reads lines, from a server, a capture or
/// standard input. A line ends at LF or CR, so CR LF and lone CRs end lines alike; the empty lines
/// between them are skipped without a trace, so a flood of line ends costs nothing. Bytes are
/// kept as they come, NUL and 8-bit bytes included. A line longer than the cap is dropped whole
/// and counted, so that a peer that never ends a line cannot grow memory and a cut line is never
/// taken for a packet.
class LineReader
{
public:
    /// Servers send lines of at most 512 bytes; this leaves room for anything a server passes on.
    static constexpr qsizetype kMaxLineLength = 4096;

    explicit LineReader(qsizetype maxLength = kMaxLineLength)
        : m_maxLength(maxLength)
    { }

    /// Adds bytes; take(QByteArrayView line) is called for each line they complete, without its end.
    template<typename Take>
    void feed(QByteArrayView bytes, Take take)
    {
        qsizetype from = 0;
        while (from < bytes.size()) {
            qsizetype end = from;
            while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
                ++end;
            const QByteArrayView part = bytes.sliced(from, end - from);
            if (end == bytes.size()) {
                keep(part);
                return;
            }
            if (m_partial.isEmpty() && m_running == 0) {
                // The whole line is in these bytes: handed over without a copy.
                if (!part.isEmpty() && part.size() <= m_maxLength)
                    take(part);
                else if (part.size() > m_maxLength)
                    ++m_cut;
            } else {
                keep(part);
                if (m_running <= m_maxLength && !m_partial.isEmpty())
                    take(QByteArrayView(m_partial));
                else if (m_running > m_maxLength)
                    ++m_cut;
                m_partial.clear();
                m_running = 0;
            }
            from = end + 1;
        }
    }

    /// The stream has ended: a last line without its line end is taken too.
    template<typename Take>
    void finish(Take take)
    {
        if (m_running > m_maxLength)
            ++m_cut;
        else if (!m_partial.isEmpty())
            take(QByteArrayView(m_partial));
        m_partial.clear();
        m_running = 0;
    }

    /// Lines dropped for being longer than the cap.
    qint64 cutLines() const { return m_cut; }
    /// How long the line not yet ended is so far, the bytes dropped from it included.
    qint64 runningLength() const { return m_running; }

private:
    void keep(QByteArrayView part)
    {
        m_running += part.size();
        if (m_running <= m_maxLength)
            m_partial += part;
        else
            m_partial.clear();
    }

    qsizetype m_maxLength;
    QByteArray m_partial;
    qint64 m_running = 0;
    qint64 m_cut = 0;
};
