#include "base/core/filterline.h"
#include "packets/core/filterengine.h"
#include "support/aprscserver.h"
#include "support/generatedfragments.h"
#include "support/workbench.h"

#include <QRandomGenerator>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

/// Decoding a line into the real pages and assembling it again must leave a filter that passes
/// exactly the packets the typed line passed, judged by the engine, which agrees with aprsc.
class TestDecodeRoundTrip : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void decodedLinePassesWhatTheTypedLinePassed();
};

namespace {

QString latin1(QByteArrayView bytes)
{
    return QString::fromLatin1(bytes.data(), bytes.size());
}

/// Fragments that the capture's packets meet, so that what a decode might change shows.
QStringList meetingFragments(const QList<AprsPacket> &packets)
{
    QStringList fragments{u"t/*"_s, u"m/300"_s, u"q/C"_s, u"q/R"_s, u"q/rR"_s, u"q/C/I"_s, u"q//I"_s};
    for (qsizetype i = 0; i < packets.size(); i += 9) {
        const AprsPacket &p = packets[i];
        fragments << u"b/"_s + latin1(p.source) << u"b/"_s + latin1(p.source).left(2) + u'*'
                  << u"p/"_s + latin1(p.source).left(1) << u"u/"_s + latin1(p.destination).left(3) + u'*'
                  << u"f/"_s + latin1(p.source) + u"/200"_s;
        if (!p.digipeaters.isEmpty())
            fragments << u"d/"_s + latin1(p.digipeaters.first());
        if (!p.entryCall.isEmpty())
            fragments << u"e/"_s + latin1(p.entryCall);
        if (!p.name.isEmpty())
            fragments << u"o/"_s + latin1(p.name).trimmed() << u"g/"_s + latin1(p.name).trimmed();
        if (p.symbolCode > ' ')
            fragments << (p.symbolTable == '/' ? u"s/"_s : u"s//"_s) + QLatin1Char(p.symbolCode);
        if (p.position) {
            fragments << u"r/%1/%2/150"_s.arg(p.position->latitude).arg(p.position->longitude)
                      << u"a/%1/%2/%3/%4"_s.arg(p.position->latitude + 2)
                             .arg(p.position->longitude - 3)
                             .arg(p.position->latitude - 2)
                             .arg(p.position->longitude + 3);
        }
        for (const char *letters : {"p", "o", "i", "m", "s", "t", "u", "w", "n", "q"})
            if (i % 90 == 0)
                fragments << u"t/"_s + QLatin1StringView(letters);
    }
    return fragments;
}

/// Lines of 2 to 8 words: fragments of a few kinds, so that kinds repeat, in both signs and any
/// case, and words that are no fragment. The same at every run.
QStringList generatedLines(const QStringList &meeting, int count)
{
    const QStringList generated = generatedFragments();
    const QStringList junk{u"x/foo"_s, u"-"_s, u"filter"_s, u"Z/1"_s, u"--b/X"_s, u"\u00e9/1"_s, u"t/xyz"_s, u"b/"_s};
    QRandomGenerator random(23);
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        QStringList words;
        const QString kinds = u"bdeopugtsqmraf"_s.sliced(random.bounded(12), 2);
        for (int n = 2 + random.bounded(7); n > 0; --n) {
            QString word;
            const int from = random.bounded(10);
            if (from == 0) {
                word = junk.at(random.bounded(junk.size()));
            } else {
                const QStringList &pool = from < 4 ? generated : meeting;
                // Most words are of the line's few kinds, so that they meet on their pages.
                do
                    word = pool.at(random.bounded(pool.size()));
                while (from % 3 != 0 && !kinds.contains(word.mid(word.startsWith(u'-') ? 1 : 0, 1)));
                if (random.bounded(3) == 0)
                    word = word.startsWith(u'-') ? word.mid(1) : u'-' + word;
                if (random.bounded(6) == 0)
                    word = word.toUpper();
            }
            words << word;
        }
        lines << u"filter "_s + words.join(u' ');
    }
    return lines;
}

/// The fragments servers split a line into, in a fixed order: lines equal in them filter alike.
QStringList sortedFragments(const QString &line)
{
    QStringList fragments = serverFragments(line);
    fragments.sort();
    return fragments;
}

} // namespace

void TestDecodeRoundTrip::decodedLinePassesWhatTheTypedLinePassed()
{
    const QByteArrayList capture = fullFeedCapture();
    if (capture.isEmpty())
        VARNOCK_MISSING(kCaptureMissing);
    QList<AprsPacket> packets;
    for (const QByteArray &line : capture)
        packets.append(readPacket(line));
    const QByteArray login = "OK1PMP-1"; // a station of the capture that sends positions

    Workbench bench;
    const QStringList lines = generatedLines(meetingFragments(packets), 3000);
    qsizetype compared = 0;
    for (const QString &typed : lines) {
        bench.form.decodeFilter(typed);
        const QString decoded = bench.form.filterLine();
        if (sortedFragments(decoded) == sortedFragments(typed))
            continue;
        ++compared;
        FilterEngine before(typed, login);
        FilterEngine after(decoded, login);
        for (const AprsPacket &packet : std::as_const(packets)) {
            const FilterEngine::Verdict was = before.match(packet);
            const FilterEngine::Verdict is = after.match(packet);
            // Where nothing passes it, a fragment that measures from an unknown station must still
            // leave the packet open.
            if (was.passes != is.passes || (!was.passes && was.unknown != is.unknown))
                QFAIL(qPrintable(u"%1\ndecoded to\n%2\n%3 the packet\n%4"_s.arg(typed, decoded,
                                                                                was.passes      ? u"no longer passes"_s
                                                                                    : is.passes ? u"now passes"_s
                                                                                                : u"changes"_s,
                                                                                latin1(packet.line))));
        }
    }
    qInfo("%lld of %lld lines changed in the decode and were compared on %lld packets", compared,
          qsizetype(lines.size()), qsizetype(packets.size()));
    QVERIFY(compared > lines.size() / 2);
}

QTEST_MAIN(TestDecodeRoundTrip)
#include "tst_decoderoundtrip.moc"
