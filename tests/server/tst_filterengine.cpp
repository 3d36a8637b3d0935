#include "packets/core/filterengine.h"
#include "support/aprscserver.h"
#include "support/generatedfragments.h"

#include <QElapsedTimer>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

/// The engine measured against the real server: every packet of a capture sent through aprsc, one
/// receiver logged in per filter, and the engine must pass exactly what each receiver got.
class TestFilterEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void agreesWithTheServer();

private:
    AprscServer m_server;
};

namespace {

struct Receiver
{
    QByteArray call;
    QByteArray filter;
    RawLogin login;
};

/// Vectors of the published protocol for what the capture lacks.
QByteArrayList ownVectors(const QByteArray &run)
{
    return {
        "N0TP>APRS,TCPIP*:}G4TPY>APRS,TCPIP,N0TP*:!5130.00N/00010.00W-inner " + run,
        "N0TP>APRS,TCPIP*:}G4TPZ>APRS,TCPIP,N0TP*:}M0TPQ>APRS,TCPIP,G4TPZ*:>nested " + run,
        "G4NMA>GPSLJ,TCPIP*:$GPRMC,063909,A,5130.4302,N,00100.3721,W,43.022,89.3,291099,13.6,E*52",
        "G4NMB>GPSLJ,TCPIP*:$GPGGA,123519,5130.038,N,00110.000,E,1,08,0.9,545.4,M,46.9,M,,*47",
        "G4NMC>GPSLJ,TCPIP*:$GPGLL,5130.00,N,00030.00,W,225444,A,*1D",
        "G4MSG>APRS,TCPIP*::M0XYZ    :hello " + run + "{12",
        "G4MSG>APRS,TCPIP*::M0XYZ    :ack12",
        "G4BLN>APRS,TCPIP*::BLN1     :net tonight " + run,
        "G4BLN>APRS,TCPIP*::BLNQRZ   :group bulletin " + run,
        "G4GRP>APRS,TCPIP*::CQ       :group message " + run,
        "G4NWS>APRS,TCPIP*::NWS-WARN :tornado warning " + run,
        "G4QRY>APRS,TCPIP*:?APRS?",
        "G4USR>APRS,TCPIP*:{Q1qwerty " + run,
        "G4STA>APRS,TCPIP*:>status " + run,
        "G4TLM>APRS,TCPIP*:T#005,199,000,255,073,123,01101001",
        "G4WXP>APRS,TCPIP*:_10090556c220s004g005t077r000p000P000h50b09900wRSW",
        "G4OBJ>APRS,TCPIP*:;LEADER   *092345z5130.00N/00020.00W>object " + run,
        "G4OBJ>APRS,TCPIP*:;KILLED   _092345z5131.00N/00021.00W>killed " + run,
        "G4ITM>APRS,TCPIP*:)AID#2!5132.00N/00022.00WAitem " + run,
        "g4low>APRS,TCPIP*:!5130.00N/00010.00W-lower case " + run,
        "G4OVL>APRS,TCPIP*:!5130.00NS00010.00W#overlay " + run,
        "G4DIG>APRS,G4RPT*,WIDE2-1,TCPIP*:!5130.00N/00010.00W-digipeated " + run,
        "G4DIH>APRS,G4RPT,WIDE1*,WIDE2-1:!5130.00N/00010.00W-two used " + run,
        "CW1234>APRS,TCPIP*:>weather observer's status " + run,
        "DW567>APRS,TCPIP*:@092345z5130.00N/00010.00W_090/005g010t050 " + run,
        "CW1ABC>APRS,TCPIP*:>no observer " + run,
        "EW1>APRS,TCPIP*:!5130.00N/00010.00W-observer " + run,
        "G4CAP>APRS,TCPIP*:<IGATE,MSG_CNT=0 " + run,
        "N0TQ>APRS,TCPIP*:}DL1TQA>APRS,RF1,N0TQ*:!5130.00N/00010.00W-gated inner " + run,
        "N0TQ>APRS,TCPIP*:}G4TQB>APRS,RF1,N0TQ*:;LEADER   *092345z5130.00N/00020.00W>inner object " + run,
        "DL0TQ>APRS,TCPIP*:}G4TQC>APRS,RF1,DL0TQ*:>inner status " + run,
        "N0TQ>APRS,TCPIP*:}DL2TQD>APRS,RF1,N0TQ*:)DLITEM!5130.00N/00020.00W>inner item " + run,
        "N0TQ>APRS,TCPIP*:}DL3TQE>APRS,RF1,N0TQ*::M0XYZ    :inner message " + run + "{7",
    };
}

// Every kind, both signs and combinations; the call of the m/ receiver sends positions in the capture.
const QList<std::pair<QByteArray, QByteArray>> kFilters = {
    {"N0F01", "r/51/10/300"},
    {"N0F02", "r/35/-90/1500"},
    {"N0F03", "r/51.5/-0.2/50"},
    {"N0F04", "a/55/0/45/20"},
    {"N0F05", "a/50/-130/20/-60"},
    {"N0F06", "b/DL*"},
    {"N0F07", "b/OK1PMP-1/SP3VN/g4low"},
    {"N0F08", "b/dl*"},
    {"N0F09", "b/D*1*"},
    {"N0F10", "p/DL/OE"},
    {"N0F11", "p/K/g"},
    {"N0F12", "t/p"},
    {"N0F13", "t/o"},
    {"N0F14", "t/i"},
    {"N0F15", "t/m"},
    {"N0F16", "t/s"},
    {"N0F17", "t/t"},
    {"N0F18", "t/w"},
    {"N0F19", "t/n"},
    {"N0F20", "t/q"},
    {"N0F21", "t/u"},
    {"N0F22", "t/poimqstunw"},
    {"N0F23", "t/wp/DD1TW-2/300"},
    {"N0F24", "s/_"},
    {"N0F25", "s/->/#"},
    {"N0F26", "s//#"},
    {"N0F27", "s//#/S"},
    {"N0F28", "d/WIDE1*"},
    {"N0F29", "d/DB0*/G4RPT"},
    {"N0F30", "u/APLWS2"},
    {"N0F31", "u/AP*"},
    {"N0F32", "e/T2*"},
    {"N0F33", "e/DL2SWN-15"},
    {"N0F34", "q/AR"},
    {"N0F35", "q/CS"},
    {"N0F36", "o/S31*/LEADER"},
    {"N0F37", "o/KILLED/AID#2"},
    {"N0F38", "g/BLN*/CQ"},
    {"N0F39", "g/M0XYZ"},
    {"N0F40", "f/DD1TW-2/150"},
    {"OK1PMP-1", "m/300"},
    {"N0F42", "b/D* -t/o"},
    {"N0F43", "r/51/10/500 -p/DL"},
    {"N0F44", "t/p -r/51/10/300"},
    {"N0F45", "t/w -a/90/-180/0/180"},
    {"N0F46", "b/OK1PMP-1XYZ"},
    {"N0F47", "-b/DL*"},
    {"N0F48", "t/p b/DL* -s/_ -d/WIDE1*"},
    {"N0F49", "u/aplws2 e/t2a*"},
    {"N0F50", "d/wide1*"},
    {"N0F51", "o/s31*"},
    {"N0F52", "g/bln*"},
    {"N0F53", "q/R q/O/I"},
    {"N0F54", "q/AR"},
    {"N0F55", "t/*"},
    {"N0F56", "t/c"},
    {"N0F57", "T/PW"},
    {"N0F58", "B/DL*"},
    {"N0F59", "bx/DL*"},
    {"N0F60", "t/P -T/w"},
};

/// Filters made from the parser's generated fragments, so that every form the server reads is
/// evaluated too: a sample of them alone, and mixtures of 2 to 6 of them and of fragments that
/// the capture's packets meet, in any case. The same at every run.
QList<std::pair<QByteArray, QByteArray>> generatedFilters()
{
    const QStringList generated = generatedFragments();
    QStringList meeting;
    for (const auto &[call, filter] : kFilters)
        meeting += QString::fromLatin1(filter).split(u' ');
    for (const QString &fragment : QStringList(meeting))
        meeting << fragment.toUpper() << fragment.left(1) + u'x' + fragment.mid(1);
    meeting << u"t/*"_s << u"t/c"_s << u"b/*"_s << u"b/D?1*"_s << u"b/*1"_s << u"o/*"_s << u"u/AP*/*X"_s << u"d/*"_s
            << u"e/*"_s << u"s/>/#/*"_s << u"q/I"_s << u"q/C/I"_s;

    QList<std::pair<QByteArray, QByteArray>> filters;
    int serial = 0;
    const auto add = [&](const QStringList &fragments) {
        filters.append({"N0G" + QByteArray::number(++serial).rightJustified(3, '0'), fragments.join(u' ').toUtf8()});
    };
    for (qsizetype i = 0; i < generated.size(); i += generated.size() / 150)
        add({generated[i]});
    QRandomGenerator random(26);
    for (int i = 0; i < 250; ++i) {
        QStringList fragments;
        for (int n = 2 + random.bounded(5); n > 0; --n) {
            const QStringList &from = random.bounded(3) == 0 ? generated : meeting;
            QString fragment = from.at(random.bounded(from.size()));
            if (random.bounded(4) == 0 && !fragment.startsWith(u'-'))
                fragment.prepend(u'-');
            fragments << fragment;
        }
        add(fragments);
    }
    return filters;
}

} // namespace

void TestFilterEngine::initTestCase()
{
    VARNOCK_START_APRSC(m_server);
}

void TestFilterEngine::agreesWithTheServer()
{
    QByteArrayList packets = fullFeedCapture();
    if (packets.isEmpty())
        VARNOCK_MISSING(kCaptureMissing);
    packets += ownVectors(uniqueRun());
    // A server filters a packet a moment after it took in those before it, so a position it needs
    // might come from a later packet. Sent in steps, with a pause between, every position a
    // fragment measures from is known before it is needed: first the stations the filters
    // measure from, then every packet with a position, then the rest.
    QByteArrayList centres, positioned, rest;
    for (const QByteArray &line : std::as_const(packets)) {
        const AprsPacket packet = readPacket(line);
        if ((packet.source == "OK1PMP-1" || packet.source == "DD1TW-2") && packet.position)
            centres.append(line);
        else
            (packet.position ? positioned : rest).append(line);
    }

    // The server takes some 200 logins on a port at a time, and drops a packet it passed on in the
    // last 30 s: the filters take turns, with the capture sent again after half a minute.
    const QList<std::pair<QByteArray, QByteArray>> filters = kFilters + generatedFilters();
    constexpr qsizetype kPerTurn = 180;
    QStringList disagreements;
    qint64 pairs = 0;
    QElapsedTimer sinceSent;
    for (qsizetype first = 0; first < filters.size(); first += kPerTurn) {
        if (sinceSent.isValid())
            QTest::qWait(std::max<qint64>(0, 31000 - sinceSent.elapsed()));
        std::vector<std::unique_ptr<Receiver>> receivers;
        for (const auto &[call, filter] : filters.mid(first, kPerTurn)) {
            receivers.push_back(std::make_unique<Receiver>());
            receivers.back()->call = call;
            receivers.back()->filter = filter;
            QVERIFY2(receivers.back()->login.logIn(m_server.port(), call, filter),
                     QByteArray(call + ": " + filter).constData());
        }
        RawLogin fullFeed;
        QVERIFY(fullFeed.logIn(m_server.port() + 1, "N0FULL"));
        RawLogin sender;
        QVERIFY(sender.logIn(m_server.port(), "G4INJ"));
        for (const QByteArrayList &step : {centres, positioned, rest}) {
            QVERIFY(sender.send(step));
            QTest::qWait(700);
        }
        sinceSent.start();

        // Done when the full feed has heard nothing new for a second.
        qsizetype heard = -1;
        QElapsedTimer quiet;
        QVERIFY(QTest::qWaitFor(
            [&] {
                const qsizetype now = fullFeed.packets().size();
                if (now != heard) {
                    heard = now;
                    quiet.start();
                }
                return quiet.elapsed() > 1000;
            },
            30000));
        const QByteArrayList passedOn = fullFeed.packets();
        QVERIFY2(passedOn.size() > packets.size() / 2,
                 "the server passed little: was the capture sent in the last 30 s?");

        for (const auto &receiver : receivers) {
            const QByteArrayList received = receiver->login.packets();
            const QSet<QByteArray> got(received.cbegin(), received.cend());
            FilterEngine engine(QString::fromUtf8(receiver->filter), receiver->call);
            int passes = 0;
            int differing = 0;
            for (const QByteArray &line : passedOn) {
                const FilterEngine::Verdict verdict = engine.match(readPacket(line));
                passes += verdict.passes;
                ++pairs;
                // The first three of a filter are shown, and how many there are.
                if (verdict.passes != got.contains(line) && ++differing <= 3)
                    disagreements.append(u"%1 %2: server %3, engine %4 (%5)"_s.arg(
                        QString::fromUtf8(receiver->filter), QString::fromLatin1(line),
                        got.contains(line) ? u"passes"_s : u"drops"_s, verdict.passes ? u"passes"_s : u"drops"_s,
                        verdict.fragment >= 0 ? engine.fragments().at(verdict.fragment) : u"no fragment"_s));
            }
            qInfo("%-28s server %4lld, engine %4d", receiver->filter.constData(), qint64(got.size()), passes);
            if (differing > 3)
                disagreements.append(
                    u"%1: %2 packets in all"_s.arg(QString::fromUtf8(receiver->filter)).arg(differing));
        }
    }
    qInfo("%lld filters, %lld packet-filter pairs compared", qint64(filters.size()), pairs);
    for (const QString &line : std::as_const(disagreements))
        qWarning("%s", qPrintable(line));
    QVERIFY2(disagreements.isEmpty(), qPrintable(u"%1 disagreements"_s.arg(disagreements.size())));
}

QTEST_GUILESS_MAIN(TestFilterEngine)
#include "tst_filterengine.moc"
