#include "app/gui/commandline.h"

#include "app/core/filtercheck.h"
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"
#include "base/gui/dialogs.h"
#include "uiview/core/uiviewlink.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {

/// Dialogs and viewers nobody sees: the command line opens no window.
class SilentDialogs final : public Dialogs
{
public:
    QString askText(QWidget *, const QString &, const QString &, const QString &) override { return {}; }
    void tell(QWidget *, const QString &) override { }
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

QString lineFrom(const QString &argument)
{
    if (argument != u"-")
        return argument;
    QFile input;
    if (!input.open(stdin, QIODevice::ReadOnly))
        return {};
    QString text = QString::fromLocal8Bit(input.readAll());
    while (text.endsWith(u'\n') || text.endsWith(u'\r'))
        text.chop(1);
    return text;
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
    parser.addOptions({help, version, check, explain, decode});

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
    if (!parser.positionalArguments().isEmpty())
        return usageError(QStringLiteral("Unexpected argument \"%1\".").arg(parser.positionalArguments().first()));
    QList<const QCommandLineOption *> forms;
    for (const QCommandLineOption *form : {&check, &explain, &decode})
        if (parser.isSet(*form))
            forms.append(form);
    if (forms.size() != 1 || parser.values(*forms.first()).size() != 1)
        return usageError(QStringLiteral("Give one form with one line."));
    const QString line = lineFrom(parser.value(*forms.first()));

    if (forms.first() == &check) {
        const LineCheck result = checkFilterLine(line);
        for (const FragmentCheck &fragment : result.fragments)
            out << fragment.word << ": "
                << (fragment.verdict == FragmentCheck::Verdict::Ignored ? QStringLiteral("IGNORED, ") + fragment.reason
                        : fragment.reason.isEmpty()                     ? QStringLiteral("OK")
                                                                        : QStringLiteral("OK, ") + fragment.reason)
                << '\n';
        for (const QString &warning : result.warnings)
            out << warning << '\n';
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
        return 0;
    }
    workbench.decodeFilter(line);
    out << workbench.filterLine() << '\n';
    return 0;
}
