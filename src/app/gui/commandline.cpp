#include "app/gui/commandline.h"

#include "app/core/filtercheck.h"
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"
#include "aprsis/net/aprsisclient.h"
#include "base/core/filterline.h"
#include "base/core/linereader.h"
#include "base/gui/dialogs.h"
#include "packets/core/filterengine.h"
#include "uiview/core/uiviewlink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QEventLoop>
#include <QFile>
#include <QTextStream>
#include <QTimer>

#include <csignal>

namespace {

/// Dialogs and viewers nobody sees: the command line opens no window.
class SilentDialogs final : public Dialogs
{
public:
    QString askText(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    void tell(QWidget *, const QString &) override { }
    bool confirm(QWidget *, const QString &) override { return false; }
    QString askSaveFileName(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    QString askOpenFileName(QWidget *, const QString &, const QString &) override { return {}; }
};

class NoViewer final : public TextViewer
{
public:
    bool open(const QString &) override { return false; }
};

class NoUiView final : public UiViewConnector
{
public:
    std::unique_ptr<UiViewApplication> createApplication() override { return nullptr; }
};

// No filter comes near this; a stream that goes on longer is not one.
constexpr qint64 kMaxLineFromInput = 1 << 20;

/// The LINE argument, or what standard input holds for "-"; nothing when the input is too long.
std::optional<QString> lineFrom(const QString &argument)
{
    if (argument != u"-")
        return argument;
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return QString();
    QByteArray bytes;
    char block[1 << 16];
    qint64 got = 0;
    while ((got = input.read(block, sizeof block)) > 0) {
        if (bytes.size() + got > kMaxLineFromInput)
            return std::nullopt;
        bytes.append(block, got);
    }
    QString text = QString::fromLocal8Bit(bytes);
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return text;
}

/// Writes a packet byte for byte where the stream writes to a device, as text where it does not.
/// False when the output is closed.
bool writeExactly(QTextStream &out, const QByteArray &line)
{
    if (QIODevice *device = out.device()) {
        out.flush();
        if (device->write(line + '\n') != line.size() + 1)
            return false;
        // Written through at once, so that a reader sees each packet as it comes, and a closed
        // output shows at the packet that found it closed.
        auto *file = qobject_cast<QFileDevice *>(device);
        return !file || file->flush();
    }
    out << packetText(line) << '\n';
    return true;
}

/// A closed output then ends a run (a write fails) instead of killing the program.
void ignoreClosedOutput()
{
#ifdef Q_OS_UNIX
    std::signal(SIGPIPE, SIG_IGN);
#endif
}

void reportCutLines(QTextStream &err, qint64 cut)
{
    if (cut > 0)
        err << cut << " lines longer than " << LineReader::kMaxLineLength
            << " bytes were skipped: no server sends such a line." << Qt::endl;
}

struct LiveRun
{
    QString line;
    LiveSession::Settings settings;
    int seconds = 0; ///< 0: until interrupted
};

/// Prints what the server sends for the filter: packets on out, the server's own lines on err.
/// 0 when it ran its time or its output was closed; 3, with the reason on err, when the connection
/// cannot be made, the login gets no answer or the connection is lost.
int runLive(LiveRun run, QTextStream &out, QTextStream &err)
{
    ignoreClosedOutput();
    run.settings.reconnects = false;
    AprsIsClient client;
    QEventLoop loop;
    int status = -1;
    const auto end = [&](int code, const QString &why = QString()) {
        if (status >= 0)
            return;
        if (!why.isEmpty())
            err << why << Qt::endl;
        status = code;
        client.close();
        loop.quit();
    };
    QObject::connect(&client, &AprsIsClient::packetsReceived, &loop, [&](const QList<QByteArray> &packets) {
        for (const QByteArray &packet : packets) {
            if (status >= 0 || !writeExactly(out, packet))
                return end(0);
        }
    });
    QObject::connect(&client, &AprsIsClient::serverLineReceived, &loop,
                     [&](const ServerLine &line) { err << line.text << Qt::endl; });
    QObject::connect(&client, &AprsIsClient::changed, &loop, [&] {
        if (!client.isActive())
            end(3, client.session().status());
    });
    if (run.seconds > 0) {
        QTimer::singleShot(run.seconds * 1000, &loop, [&] {
            if (client.session().state() == LiveSession::State::Connected)
                end(0);
            else
                end(3, QStringLiteral("Not logged in after %1 s: %2").arg(run.seconds).arg(client.session().status()));
        });
    }
    client.open(run.settings, run.line);
    if (status < 0)
        loop.exec();
    out.flush();
    reportCutLines(err, client.session().cutLines());
    return status;
}

/// Evaluates the line for every packet of a capture: a line per packet on out, what each fragment
/// did on err. 1 when the capture cannot be read.
int runMatch(const QString &line, const QString &call, const QString &path, QTextStream &out, QTextStream &err)
{
    ignoreClosedOutput();
    QFile capture;
    const bool opened = path.isEmpty() || path == u"-" ? capture.open(stdin, QIODevice::ReadOnly)
                                                       : (capture.setFileName(path), capture.open(QIODevice::ReadOnly));
    if (!opened) {
        err << QStringLiteral("Cannot read %1: %2").arg(path, capture.errorString()) << Qt::endl;
        return 1;
    }
    FilterEngine engine(line, call.toUpper().toLatin1());
    QList<qint64> decided(engine.fragments().size());
    qint64 packets = 0;
    qint64 passed = 0;
    out.flush();
    QIODevice *device = out.device();
    CaptureReader reader(capture);
    QByteArray packet;
    while (reader.next(&packet)) {
        const FilterEngine::Verdict verdict = engine.match(readPacket(packet));
        ++packets;
        passed += verdict.passes;
        if (verdict.fragment >= 0)
            ++decided[verdict.fragment];
        const QByteArray row = (verdict.passes ? "pass\t" : "drop\t")
            + (verdict.fragment >= 0 ? engine.fragments().at(verdict.fragment).toLatin1() : QByteArray()) + '\t'
            + packet + '\n';
        if (!device) {
            out << packetText(row);
        } else if (device->write(row) != row.size()) {
            break; // the output was closed
        }
    }
    for (qsizetype i = 0; i < engine.fragments().size(); ++i) {
        const QString &fragment = engine.fragments().at(i);
        if (engine.fragment(i).verdict == Fragment::Verdict::Ignored)
            err << fragment << ": ignored, as servers ignore it\n";
        else
            err << fragment << ": " << decided[i] << (fragment.startsWith(u'-') ? " removed" : " passed") << '\n';
    }
    err << packets << " packets, " << passed << " passed" << Qt::endl;
    // A fragment that measures from a station the capture never placed passes nothing: say why.
    for (qsizetype i = 0; i < engine.fragments().size(); ++i) {
        const Fragment &fragment = engine.fragment(i);
        if (!engine.evaluates(i) || decided[i] > 0)
            continue;
        if (fragment.kind == u'm' && call.isEmpty())
            err << QStringLiteral("%1 measures from your own position: give --call with a callsign that sends "
                                  "positions.")
                       .arg(fragment.word)
                << Qt::endl;
        else if (!fragment.call.isEmpty() && !engine.knowsPosition(fragment.call))
            err << QStringLiteral("%1 measures from %2, whose position the capture never gives.")
                       .arg(fragment.word, QString::fromLatin1(fragment.call))
                << Qt::endl;
    }
    reportCutLines(err, reader.cutLines());
    if (!reader.problem().isEmpty()) {
        err << QStringLiteral("Reading stopped: %1").arg(reader.problem()) << Qt::endl;
        return 1;
    }
    return 0;
}

} // namespace

bool isCommandLineUse(const QStringList &arguments)
{
    // Any argument at all asks for a form, help, the version, or a usage error: none opens a window.
    return arguments.size() > 1;
}

std::optional<int> runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (!isCommandLineUse(arguments))
        return std::nullopt;

    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Builds, checks and explains the server-side filter of an APRS-IS connection.\n"
                       "Without options it opens its window. Each LINE may be \"-\" to read it from standard "
                       "input."));
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Shows these forms."));
    const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                     QStringLiteral("Shows the version."));
    const QCommandLineOption check(QStringLiteral("check"),
                                   QStringLiteral("Says of each fragment whether APRS-IS servers accept it; exit "
                                                  "code 1 when any would be ignored."),
                                   QStringLiteral("LINE"));
    const QCommandLineOption explain(QStringLiteral("explain"), QStringLiteral("Says each fragment in plain words."),
                                     QStringLiteral("LINE"));
    const QCommandLineOption decode(QStringLiteral("decode"),
                                    QStringLiteral("Prints the line as the pages rebuild it, in the fixed order."),
                                    QStringLiteral("LINE"));
    const QCommandLineOption live(QStringLiteral("live"),
                                  QStringLiteral(
                                      "Logs in read-only with the filter and prints each packet the server "
                                      "sends, as received; the server's own lines go to standard error. Exit "
                                      "code 3 when the connection cannot be made."),
                                  QStringLiteral("LINE"));
    const QCommandLineOption server(QStringLiteral("server"), QStringLiteral("The server for --live."),
                                    QStringLiteral("HOST:PORT"));
    const QCommandLineOption call(QStringLiteral("call"),
                                  QStringLiteral(
                                      "Your callsign: the login of --live, what m/ measures from for --match."),
                                  QStringLiteral("CALL"));
    const QCommandLineOption passcode(QStringLiteral("passcode"),
                                      QStringLiteral("The passcode for --live (default -1, unverified)."),
                                      QStringLiteral("N"));
    const QCommandLineOption seconds(QStringLiteral("seconds"),
                                     QStringLiteral("Ends --live after N seconds (default: when interrupted)."),
                                     QStringLiteral("N"));
    const QCommandLineOption match(QStringLiteral("match"),
                                   QStringLiteral("Evaluates the filter for every packet of a capture (FILE, or "
                                                  "standard input): pass or drop, the fragment that decided, the "
                                                  "packet; what each fragment did goes to standard error."),
                                   QStringLiteral("LINE"));
    parser.addOptions({help, version, check, explain, decode, live, match, server, call, passcode, seconds});
    parser.addPositionalArgument(QStringLiteral("FILE"), QStringLiteral("The capture for --match."),
                                 QStringLiteral("[FILE|-]"));

    const auto usageError = [&](const QString &problem) {
        err << "varnock: " << problem << "\n\n" << parser.helpText();
        return 2;
    };
    if (!parser.parse(arguments))
        return usageError(parser.errorText());
    if (parser.isSet(help)) {
        out << parser.helpText();
        return 0;
    }
    if (parser.isSet(version)) {
        out << applicationTitle() << ' ' << versionLabel().mid(1) << '\n';
        return 0;
    }
    const QStringList files = parser.positionalArguments();
    if (files.size() > (parser.isSet(match) ? 1 : 0))
        return usageError(QStringLiteral("Unexpected argument \"%1\".").arg(files.last()));
    QList<const QCommandLineOption *> forms;
    for (const QCommandLineOption *form : {&check, &explain, &decode, &live, &match})
        if (parser.isSet(*form))
            forms.append(form);
    if (forms.size() != 1 || parser.values(*forms.first()).size() != 1)
        return usageError(QStringLiteral("Give one form with one line."));
    const bool liveOptions = parser.isSet(server) || parser.isSet(passcode) || parser.isSet(seconds);
    if (liveOptions && forms.first() != &live)
        return usageError(QStringLiteral("--server, --passcode and --seconds go with --live."));
    if (parser.isSet(call) && forms.first() != &live && forms.first() != &match)
        return usageError(QStringLiteral("--call goes with --live and --match."));
    const std::optional<QString> given = lineFrom(parser.value(*forms.first()));
    if (!given) {
        err << QStringLiteral("varnock: standard input holds more than %1 bytes; no filter line is that long.")
                   .arg(kMaxLineFromInput)
            << Qt::endl;
        return 2;
    }
    const QString &line = *given;

    const QString callsign = parser.value(call).trimmed().toUpper();
    if (!callsign.isEmpty() && !isLoginCallsign(callsign))
        return usageError(QStringLiteral("\"%1\" is not a callsign a server takes at login: letters and digits, an "
                                         "SSID such as -9, 9 characters at most.")
                              .arg(parser.value(call)));
    if (forms.first() == &match)
        return runMatch(line, callsign, files.value(0), out, err);

    if (forms.first() == &live) {
        LiveRun run;
        run.line = line;
        run.settings.call = callsign;
        run.settings.passcode = parser.value(passcode).trimmed();
        if (!AprsIsClient::splitServer(parser.value(server), &run.settings.host, &run.settings.port))
            return usageError(QStringLiteral("--live needs --server HOST:PORT."));
        if (run.settings.call.isEmpty())
            return usageError(QStringLiteral("--live needs --call with your callsign."));
        bool ok = true;
        if (parser.isSet(seconds) && ((run.seconds = parser.value(seconds).toInt(&ok)) <= 0 || !ok))
            return usageError(QStringLiteral("--seconds needs a whole number above 0."));
        if (!run.settings.passcode.isEmpty() && (run.settings.passcode.toInt(&ok), !ok))
            return usageError(QStringLiteral("--passcode needs a number."));
        return runLive(run, out, err);
    }

    if (forms.first() == &check) {
        const LineCheck result = checkFilterLine(line);
        for (const Fragment &fragment : result.fragments)
            out << fragment.word << ": "
                << (fragment.verdict == Fragment::Verdict::Ignored ? QStringLiteral("IGNORED, ") + fragment.reason
                        : fragment.reason.isEmpty()                ? QStringLiteral("OK")
                                                                   : QStringLiteral("OK, ") + fragment.reason)
                << '\n';
        for (const QString &warning : result.warnings)
            out << warning << '\n';
        if (result.fragments.isEmpty())
            out << "No fragments.\n";
        return result.anyIgnored() ? 1 : 0;
    }

    // Symbols are named from the symbol list beside the program.
    SilentDialogs dialogs;
    NoViewer viewer;
    NoUiView uiview;
    Form1 workbench({dialogs, viewer, uiview, QCoreApplication::applicationDirPath()});
    for (const QString &problem : workbench.loadSymbols())
        err << problem << '\n';
    if (forms.first() == &explain) {
        for (const QString &text : explainFilterLine(line, workbench.symbolTable()))
            out << text << '\n';
        if (serverFragments(line).isEmpty())
            out << "No fragments.\n";
        return 0;
    }
    const DecodePlan plan = workbench.decodeFilter(line);
    if (plan.refused()) {
        err << decodeSummary(plan) << '\n';
        return 1;
    }
    out << workbench.filterLine() << '\n';
    if (plan.anythingSetAside())
        err << decodeSummary(plan) << '\n';
    return 0;
}
