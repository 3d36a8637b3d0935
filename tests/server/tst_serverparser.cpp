// The checker's verdicts against the real server's parser: a few thousand generated fragments, each
// sent in a read-only login to aprsc, which names every fragment its parser refuses.
#include "app/core/filtercheck.h"
#include "support/aprscserver.h"
#include "support/generatedfragments.h"

#include <QTest>

using namespace Qt::StringLiterals;

class TestServerParser : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void checkerAgreesWithServer();

private:
    AprscServer m_server;
};

void TestServerParser::initTestCase()
{
    VARNOCK_START_APRSC(m_server);
}

void TestServerParser::checkerAgreesWithServer()
{
    const QStringList fragments = generatedFragments();
    QList<QByteArray> filters;
    for (const QString &fragment : fragments)
        filters.append(fragment.toUtf8());
    const QList<QList<QByteArray>> answers = logInWithFilters(m_server.port(), filters);

    QStringList disagreements;
    for (qsizetype i = 0; i < fragments.size(); ++i) {
        const QList<QByteArray> &lines = answers[i];
        QVERIFY2(!lines.isEmpty() && lines.last().startsWith("# logresp"),
                 qPrintable(u"no login answer for "_s + fragments[i]));
        const bool refused = lines.size() > 1 && lines.first().startsWith("# Parse errors on filter spec:");
        const Fragment check = readFragment(fragments[i]);
        if (refused != (check.verdict == Fragment::Verdict::Ignored))
            disagreements.append(u"%1: server %2, checker %3"_s.arg(fragments[i], refused ? u"refuses"_s : u"accepts"_s,
                                                                    check.reason.isEmpty() ? u"OK"_s : check.reason));
    }
    qInfo("%lld fragments asked of the server", static_cast<long long>(fragments.size()));
    QVERIFY2(disagreements.isEmpty(), qPrintable(u"\n"_s + disagreements.join(u'\n')));
}

QTEST_GUILESS_MAIN(TestServerParser)
#include "tst_serverparser.moc"
