#include "support/generatedfragments.h"

#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace {

const QStringList kNumbers{
    u"0"_s,      u"51"_s,     u"-1"_s,      u"51.5"_s,     u"-0"_s,     u"90"_s,     u"-90"_s,     u"90.005"_s,
    u"90.01"_s,  u"-90.01"_s, u"90.0099"_s, u"180"_s,      u"-180"_s,   u"180.01"_s, u"-180.01"_s, u"180.02"_s,
    u"1e1"_s,    u"1E1"_s,    u"0x10"_s,    u"0x5a"_s,     u"0x5b"_s,   u"0x1p3"_s,  u"nan"_s,     u"-nan"_s,
    u"NaN"_s,    u"inf"_s,    u"-inf"_s,    u"infinity"_s, u"1e400"_s,  u"-1e400"_s, u"1e-400"_s,  u"10x"_s,
    u"x"_s,      u""_s,       u"."_s,       u"+5"_s,       u"5."_s,     u".5"_s,     u"0x"_s,      u"1e"_s,
    u"1e+"_s,    u"--1"_s,    u"1.2.3"_s,   u"0,5"_s,      u"\u00e9"_s, u"1ex"_s,    u"1e-"_s,     u"0x1p"_s,
    u"0x1p+"_s,  u"1.e"_s,    u".e"_s,      u"infin"_s,    u"0xg"_s,    u"0x."_s,    u"0x.p"_s,    u"0x1.p"_s,
    u"nan(1)"_s, u"nan("_s,   u"infx"_s,    u"infi"_s,     u"1e5e"_s,   u"-.e"_s,
};

const QStringList kDistances{
    u"0"_s,    u"0.1"_s,   u"0.09"_s,  u"0.099999999"_s, u"0.09999999"_s, u"0.1000001"_s, u"10"_s,     u"-1"_s,
    u"1e1"_s,  u"0x10"_s,  u"nan"_s,   u"-nan"_s,        u"inf"_s,        u"-inf"_s,      u"1e-400"_s, u"10x"_s,
    u"0.1x"_s, u"0.09x"_s, u"infin"_s, u"infx"_s,        u"nan(1)"_s,     u"0x.8x"_s,     u"1ex"_s,    u"x"_s,
    u""_s,     u"."_s,     u"1e"_s,    u"+5"_s,          u"1e400"_s,
};

const QStringList
    kCalls{u"G4ABC"_s, u"A"_s,     u"G4"_s,  u"G4A"_s,  u"ABCDEFGHI"_s,    u"ABCDEFGHIJ"_s,
           u""_s,      u"g4abc"_s, u"G4*"_s, u"G4-1"_s, u"\u00c4\u00c4"_s, u"\u00c4\u00c4\u00c4\u00c4\u00c4"_s};

const QStringList kEntries{u""_s,   u"G"_s,  u"G*"_s,         u"*"_s,   u"G/H"_s,    u"/"_s, u"//"_s,
                           u"G/"_s, u"/G"_s, u"ABCDEFGHIJ"_s, u"A*B"_s, u"\u00e9"_s, u"-"_s, u"G?"_s};

} // namespace

QStringList generatedFragments()
{
    QStringList f;
    for (const QString &n : kNumbers) {
        f << u"r/"_s + n + u"/0/10"_s << u"r/51/"_s + n + u"/10"_s;
        f << u"a/"_s + n + u"/0/0/1"_s << u"a/1/"_s + n + u"/0/1"_s << u"a/1/0/"_s + n + u"/1"_s << u"a/1/0/0/"_s + n;
    }
    for (const QString &d : kDistances)
        f << u"r/51/-1/"_s + d << u"m/"_s + d << u"f/G4ABC/"_s + d << u"t/p/G4ABC/"_s + d << u"m/"_s + d + u"/x"_s;
    for (const QString &call : kCalls)
        f << u"f/"_s + call + u"/10"_s << u"t/p/"_s + call + u"/10"_s;
    f << u"r/51/-1/10/9"_s << u"r/51/-1/10/"_s << u"r/51/-1/10/x/y"_s << u"r/51/-1"_s << u"r/51"_s << u"r/"_s << u"r"_s
      << u"R/51/-1/10"_s << u"rx/51/-1/10"_s << u"r51/-1/10"_s << u"a/51/-1/50/0"_s << u"a/50/-1/51/0"_s
      << u"a/51/0/50/-1"_s << u"a/51/-1/51/-1"_s << u"a/51/-1/50"_s << u"a/51/-1/50/0/"_s << u"a/51/-1/50/0/3/4"_s
      << u"A/51/-1/50/0"_s << u"ax/51/-1/50/0"_s << u"m"_s << u"M/10"_s << u"mx/10"_s << u"f/G4ABC"_s
      << u"f/G4ABC/10/3"_s << u"f"_s << u"f/"_s << u"F/G4ABC/10"_s << u"fx/G4ABC/10"_s;

    for (const QString &types : {u""_s, u"p"_s, u"P"_s, u"poimqstunwc*"_s, u"POIMQSTUNWC"_s, u"x"_s, u"pX"_s, u"p-"_s,
                                 u"**"_s, u"pp"_s, u"wn"_s})
        for (const QString &rest : {u""_s, u"/"_s, u"//"_s, u"/G4ABC"_s, u"/G4ABC/"_s, u"/G4ABC/10"_s, u"//10"_s,
                                    u"/G4ABC/10/x"_s, u"/G4ABC/10/"_s})
            f << u"t/"_s + types + rest;
    f << u"t"_s << u"T/p"_s << u"tx/p"_s << u"tp"_s;

    for (QChar kind : u"bdegopu"_s)
        for (const QString &prefix : {u"k/"_s, u"K/"_s, u"kx/"_s, u"kxx/"_s, u"k"_s, u"k-/"_s})
            for (const QString &entry : kEntries)
                f << QString(prefix).replace(u'k', kind).replace(u'K', kind.toUpper()) + entry;

    for (const QString &primary : {u""_s, u">"_s, u">>>>"_s, u"abc"_s})
        for (const QString &alternate : {u""_s, u">"_s, u"#"_s})
            for (const QString &overlay : {u""_s, u"/"_s, u"/1"_s, u"/A"_s, u"/1/2"_s, u"//"_s, u"///"_s})
                f << u"s/"_s + primary + (alternate.isEmpty() && overlay.isEmpty() ? QString() : u'/' + alternate)
                        + overlay;
    f << u"s"_s << u"s/"_s << u"S/>"_s << u"sx/>"_s << u"s//"_s << u"s///"_s;

    for (const QString &constructs : {u""_s, u"C"_s, u"CX"_s, u"CXUoOSrRZI"_s, u"A"_s, u"c"_s, u"x"_s, u"Cx"_s, u"*"_s,
                                      u"o"_s, u"i"_s, u"I"_s, u"Z"_s, u"z"_s})
        for (const QString &analysis :
             {u""_s, u"/"_s, u"/I"_s, u"/i"_s, u"/X"_s, u"/II"_s, u"/I/"_s, u"/I/x"_s, u"//"_s})
            f << u"q/"_s + constructs + analysis;
    f << u"q"_s << u"Q/C"_s << u"qx/C"_s;
    f << u"-"_s << u"--"_s << u"--b/G"_s << u"-x/1"_s << u"x"_s << u"x/1"_s << u"1/2"_s << u"#"_s << u"*"_s << u"/"_s;

    // Odd mixtures of pieces for every kind, the same ones at every run.
    QRandomGenerator random(1602);
    const QStringList pool = kNumbers + kDistances + kCalls + kEntries;
    for (int i = 0; i < 2500; ++i) {
        QString fragment = u"abdefgmopqrstu"_s.at(random.bounded(14));
        const int pieces = random.bounded(7);
        for (int j = 0; j < pieces; ++j) {
            QString piece = pool.at(random.bounded(pool.size()));
            if (random.bounded(2)) { // or characters that number readers and kinds treat apart
                static const QString letters = u"0123456789.+-eExXpPaAfFinINty()*?#>\\/"_s;
                piece.clear();
                for (int k = random.bounded(8); k > 0; --k)
                    piece += letters.at(random.bounded(letters.size()));
            }
            fragment += u'/' + piece;
        }
        f << fragment;
    }

    // Both signs: every third fragment excluded as well.
    for (qsizetype i = 0, count = f.size(); i < count; i += 3)
        if (!f[i].startsWith(u'-'))
            f << u'-' + f[i];
    f.removeDuplicates();
    return f;
}
