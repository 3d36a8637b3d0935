// uiview32-standin --folder DIR --map IMAGE [--no-register]
//
// Plays UI-View32's part for Varnock on the session bus: it records DIR as UI-View32's folder, serves
// UI-View32's application and map objects, prints every APRS message it is asked to send, and takes
// commands on standard input ("map IMAGE" changes the map, "close" or the end of input closes, "exit"
// ends it at once, as a crash would).
#include "application_adaptor.h"
#include "map_adaptor.h"
#include "standin.h"
#include "uiview/dbus/dbusnames.h"

#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDir>
#include <QGuiApplication>
#include <QSettings>
#include <QSocketNotifier>
#include <QTimer>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <optional>
#include <string>
#include <thread>
#include <unistd.h>

namespace {

void complain(const QString &text)
{
    std::fprintf(stderr, "uiview32-standin: %s\n", qPrintable(text));
}

/// Gives the folder a settings file with the section UI-View32 keeps its logon filter in.
bool prepareFolder(const QString &folder)
{
    if (!QDir().mkpath(folder))
        return false;
    QFile ini(QDir(folder).filePath(QStringLiteral("uiview32.ini")));
    if (ini.exists())
        return true;
    return ini.open(QIODevice::WriteOnly) && ini.write("[APRServe]\r\nEXTRA_LOGON_TEXT=\r\n") > 0;
}

/// UI-View32's folder in the user's settings, recorded for as long as the stand-in runs and put
/// back as it was when it ends, so that Varnock started later does not look for a UI-View32 that is
/// gone.
class FolderRecord
{
public:
    explicit FolderRecord(const QString &folder)
    {
        // As UI-View32 does: its folder, with a trailing separator, where its add-ons look for it.
        m_previous = m_settings.value(kKey);
        m_settings.setValue(kKey, QString(folder + QDir::separator()));
        m_settings.sync();
    }
    ~FolderRecord()
    {
        if (m_previous.isValid())
            m_settings.setValue(kKey, m_previous);
        else
            m_settings.remove(kKey);
        m_settings.sync();
    }
    Q_DISABLE_COPY_MOVE(FolderRecord)

private:
    static inline const QString kKey = QStringLiteral("UI-View32/Program Folder");
    QSettings m_settings{QSettings::IniFormat, QSettings::UserScope, QStringLiteral("Peak Systems")};
    QVariant m_previous;
};

// SIGINT and SIGTERM end the event loop through a pipe, so that the folder record is put back.
int signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
}

void quitOnSignals(QCoreApplication &app)
{
    if (::pipe(signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[0], QSocketNotifier::Read, &app);
    QObject::connect(notifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

} // namespace

int main(int argc, char *argv[])
{
    // It shows nothing, and must run where there is no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QGuiApplication::setApplicationName(QStringLiteral("uiview32-standin"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Plays UI-View32's part for Varnock on the session bus."));
    parser.addHelpOption();
    const QCommandLineOption folderOption(QStringLiteral("folder"), QStringLiteral("UI-View32's program folder."),
                                          QStringLiteral("DIR"));
    const QCommandLineOption mapOption(QStringLiteral("map"), QStringLiteral("The map image to show."),
                                       QStringLiteral("IMAGE"));
    const QCommandLineOption noRegister(QStringLiteral("no-register"),
                                        QStringLiteral("Do not record the folder in the user's settings."));
    parser.addOptions({folderOption, mapOption, noRegister});
    parser.process(app);
    if (!parser.isSet(folderOption) || !parser.isSet(mapOption)) {
        complain(QStringLiteral("--folder and --map are needed"));
        return 2;
    }

    const QString folder = QDir(parser.value(folderOption)).absolutePath();
    if (!prepareFolder(folder)) {
        complain(QStringLiteral("cannot prepare the folder %1").arg(folder));
        return 2;
    }
    StandinMap map;
    QString error;
    if (!map.load(parser.value(mapOption), &error)) {
        complain(error);
        return 2;
    }
    QFile log(QDir(folder).filePath(QStringLiteral("standin.log")));
    if (!log.open(QIODevice::Append)) {
        complain(QStringLiteral("cannot write %1").arg(log.fileName()));
        return 2;
    }
    StandinApplication application(log);
    new ApplicationAdaptor(&application);
    new MapAdaptor(&map);

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.registerObject(UiViewBus::applicationPath(), &application)
        || !bus.registerObject(UiViewBus::mapPath(), &map) || !bus.registerService(UiViewBus::service())) {
        complain(QStringLiteral("cannot serve on the session bus: %1").arg(bus.lastError().message()));
        return 1;
    }

    quitOnSignals(app);
    std::optional<FolderRecord> record;
    if (!parser.isSet(noRegister))
        record.emplace(folder);

    // Standard input is read on a thread of its own, so a waiting read never holds up the bus.
    const auto handle = [&](const QString &line) {
        bool closing = false;
        const QString problem = runCommand(line, application, map, &closing);
        if (!problem.isEmpty())
            complain(problem);
        if (closing)
            QTimer::singleShot(200, &app, &QCoreApplication::quit); // lets the signal leave first
    };
    std::thread([&app, handle] {
        std::string line;
        while (std::getline(std::cin, line)) {
            const QString text = QString::fromLocal8Bit(line);
            QMetaObject::invokeMethod(
                &app, [handle, text] { handle(text); }, Qt::QueuedConnection);
        }
        QMetaObject::invokeMethod(
            &app, [handle] { handle(QStringLiteral("close")); }, Qt::QueuedConnection);
    }).detach();

    std::printf("uiview32-standin: serving %s for %s\n", qPrintable(UiViewBus::service()), qPrintable(folder));
    std::fflush(stdout);
    const int status = QGuiApplication::exec();
    record.reset();
    // The reading thread may still wait on standard input; ending here leaves it no window to act in.
    std::fflush(stdout);
    std::_Exit(status);
}
