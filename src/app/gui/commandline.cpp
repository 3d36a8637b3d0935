#include "app/gui/commandline.h"

#include "app/core/filtercheck.h"
#include "base/gui/dialogs.h"
#include "app/gui/form1.h"
#include "app/gui/textviewer.h"
#include "uiview/core/uiviewlink.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

namespace {

const QStringList kForms{QStringLiteral("--check"), QStringLiteral("--explain"), QStringLiteral("--decode")};

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
    return arguments.size() > 1 && kForms.contains(arguments.at(1));
}

std::optional<int> runCommandLine(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    if (!isCommandLineUse(arguments))
        return std::nullopt;
    const QString form = arguments.at(1);
    if (arguments.size() != 3) {
        err << "usage: varnock " << form << " \"LINE\"   (or - to read the line from standard input)\n";
        return 2;
    }
    const QString line = lineFrom(arguments.at(2));

    if (form == u"--check") {
        const LineCheck check = checkFilterLine(line);
        for (const FragmentCheck &fragment : check.fragments)
            out << fragment.word << ": "
                << (fragment.verdict == FragmentCheck::Verdict::Ignored ? QStringLiteral("IGNORED, ") + fragment.reason
                        : fragment.reason.isEmpty()                     ? QStringLiteral("OK")
                                                                        : QStringLiteral("OK, ") + fragment.reason)
                << '\n';
        for (const QString &warning : check.warnings)
            out << warning << '\n';
        return check.anyIgnored() ? 1 : 0;
    }

    // Symbols are named from the symbol list beside the program.
    SilentDialogs dialogs;
    NoViewer viewer;
    NoUiView uiview;
    Form1 workbench({dialogs, viewer, uiview, QCoreApplication::applicationDirPath()});
    for (const QString &problem : workbench.loadSymbols())
        err << problem << '\n';
    if (form == u"--explain") {
        for (const QString &text : explainFilterLine(line, workbench.symbolTable()))
            out << text << '\n';
        return 0;
    }
    workbench.decodeFilter(line);
    out << workbench.filterLine() << '\n';
    return 0;
}
