// Varnock beside the UI-View32 stand-in, across two processes: on Linux over a private session bus,
// on Windows through COM to the stand-in, registered as VARNOCK_E2E_REGISTRATION says ("32", the
// default, as a 32-bit program registers itself; or "both", in both views of the registry). The
// stand-in serving is the 32-bit one, as UI-View32 is, unless VARNOCK_E2E_STANDIN names the 64-bit
// build ("uiview32-standin64"), which the registration always uses: see tools/wine/wintest.sh.
#include "mappicker/gui/mapwindow.h"
#include "support/mapmouse.h"
#include "support/workbench.h"
#include "uiview/core/uiview32.h"
#include "uiview/core/uiviewlink.h"

#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#ifdef Q_OS_WIN
#include <windows.h>
constexpr bool kWindows = true;
#else
#include <QDBusConnection>

#include <csignal>
constexpr bool kWindows = false;
#endif

using namespace Qt::StringLiterals;

namespace {

QString programPath(const char *name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

/// The stand-in that serves.
QString standinProgram()
{
    return programPath(kWindows ? qgetenv("VARNOCK_E2E_STANDIN").isEmpty() ? "uiview32-standin"
                                                                           : qgetenv("VARNOCK_E2E_STANDIN").constData()
                                : "uiview32-standin");
}

QString sampleMap()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(u"maps/sample.png"_s);
}

/// A map as both stand-ins read it, a Windows bitmap, with its information file beside it (the
/// sample map's when none is given); its path.
QString bitmapMap(const QString &folder, const QString &name, const QImage &image, const QByteArray &inf = {})
{
    const QString path = QDir(folder).filePath(name + u".bmp"_s);
    image.save(path, "BMP");
    QFile information(QDir(folder).filePath(name + u".inf"_s));
    if (information.open(QIODevice::WriteOnly)) {
        QFile sample(QDir(QCoreApplication::applicationDirPath()).filePath(u"maps/sample.inf"_s));
        information.write(!inf.isEmpty() ? inf : sample.open(QIODevice::ReadOnly) ? sample.readAll() : QByteArray());
    }
    return QDir::toNativeSeparators(path);
}

/// The size of the bitmap on the clipboard: on Windows the bitmap itself, which is what the map
/// window replaces (other forms of the map that Windows or Wine made from it may linger).
QSize clipboardBitmapSize()
{
#ifdef Q_OS_WIN
    QSize size;
    if (OpenClipboard(nullptr)) {
        BITMAP facts{};
        if (const HANDLE bitmap = GetClipboardData(CF_BITMAP); bitmap && GetObjectW(bitmap, sizeof facts, &facts))
            size = QSize(facts.bmWidth, facts.bmHeight);
        CloseClipboard();
    }
    return size;
#else
    return QGuiApplication::clipboard()->image().size();
#endif
}

/// Waits for the process to end while this process goes on handling its events: a stand-in that ends
/// still calls back into the objects Varnock gave it, such as its event sinks.
bool finishes(QProcess &process, int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (process.state() != QProcess::NotRunning && clock.elapsed() < milliseconds) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        process.waitForFinished(20);
    }
    return process.state() == QProcess::NotRunning;
}

/// The stand-in, serving for a folder of its own.
class Standin
{
public:
    explicit Standin(const QByteArray &logon = "filter", const QImage &map = QImage(sampleMap()))
    {
        QDir().mkpath(folder());
        QFile ini(QDir(folder()).filePath(u"uiview32.ini"_s));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[APRServe]\r\nEXTRA_LOGON_TEXT=" + logon + "\r\n");
        ini.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s, isolateUserSettings());
        if (!kWindows)
            environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process.setProcessEnvironment(environment);
        // Its standard error with the rest: where it dies, Wine and an emulator say why there.
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(standinProgram(),
                      {u"--folder"_s, QDir::toNativeSeparators(folder()), u"--map"_s,
                       bitmapMap(folder(), u"map"_s, map)});
    }
    ~Standin()
    {
        process.closeWriteChannel();
        if (!finishes(process, 30000))
            process.kill();
    }

    bool serving()
    {
        QElapsedTimer clock;
        clock.start();
        while (!output().contains("serving") && clock.elapsed() < 30000)
            process.waitForReadyRead(100);
        return output().contains("serving");
    }
    QByteArray output()
    {
        m_output += process.readAllStandardOutput();
        m_output.replace("\r\n", "\n");
        return m_output;
    }
    void command(const QByteArray &line)
    {
        process.write(line + '\n');
        process.waitForBytesWritten(3000);
    }
    QString folder() const { return m_folder.filePath(u"uiview"_s); }

    QProcess process;

private:
    QTemporaryDir m_folder;
    QByteArray m_output;
};

/// Varnock in this process with the real link, beside a stand-in that shows a map.
struct BesideAMap
{
    explicit BesideAMap(const QImage &map = QImage(sampleMap()))
        : standin("filter", map)
    { }
    /// The map window the range page opens; nullptr when the stand-in does not serve.
    MapWindow *openPicker()
    {
        if (!standin.serving())
            return nullptr;
        bench.form.start();
        bench.find<QPushButton>(u"Command8"_s)->click();
        if (!bench.form.mapWindow())
            qWarning("no map window: %s\nThe stand-in said: %s", qPrintable(bench.dialogs.messages.join(u" / "_s)),
                     standin.output().constData());
        return bench.form.mapWindow();
    }

    Standin standin;
    std::unique_ptr<UiViewConnector> link = createPlatformConnector();
    Workbench bench{QCoreApplication::applicationDirPath(), Workbench::Start::Later, link.get()};
};

/// Records the stand-in for COM as the registration asks ("32", "both", "without-typelib", or
/// "none" for no record at all); the empty text leaves it alone. True when it took.
bool registerStandin(const QString &registration)
{
    if (registration.isEmpty())
        return true;
    // Registered by the 64-bit build, which writes what the 32-bit one would: a 32-bit program under
    // emulation is the less reliable for it.
    QProcess standin;
    standin.start(programPath("uiview32-standin64"), {u"/unregserver"_s});
    if (!standin.waitForFinished(60000) || registration == u"none")
        return standin.exitCode() == 0;
    standin.start(programPath("uiview32-standin64"), {u"/regserver"_s, registration});
    return standin.waitForFinished(60000) && standin.exitCode() == 0;
}

} // namespace

class TestEndToEnd : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void besideTheStandin();
    void varnockEndsWithTheStandin();
    void standinVanishes();
    void standinPutsTheFolderBack_data();
    void standinPutsTheFolderBack();
    void pickRangeOnTheSampleMap();
    void largeMap();
    void withoutTheStandin();
    void withoutUiView32();
    void uiviewInTrouble_data();
    void uiviewInTrouble();
    void standinWithoutItsTypeLibrary();

private:
    /// Registers the stand-in as this run has it again, after a test changed it.
    void registerAsThisRun();

    QString m_registration;
};

void TestEndToEnd::initTestCase()
{
#ifndef Q_OS_WIN
    if (!QDBusConnection::sessionBus().isConnected())
        QSKIP("no session bus: run this test under dbus-run-session");
#endif
    if (!QFileInfo::exists(standinProgram() + (kWindows ? u".exe"_s : QString())))
        QFAIL("the stand-in was not built beside the test");
    isolateUserSettings();
    qputenv("VARNOCK_SEND_INTERVAL_MS", "100");
    // UI-View32, a 32-bit program, records itself where 32-bit programs look; Varnock is 64-bit.
    if (kWindows) {
        m_registration = qEnvironmentVariable("VARNOCK_E2E_REGISTRATION", u"32"_s);
        qInfo("%s, registered as %s", qPrintable(QFileInfo(standinProgram()).fileName()), qPrintable(m_registration));
        registerAsThisRun();
    }
}

void TestEndToEnd::registerAsThisRun()
{
    QVERIFY2(registerStandin(m_registration), "the stand-in could not be registered");
}

void TestEndToEnd::besideTheStandin()
{
    Standin standin("\"filter b/G*|M*\"");
    QVERIFY(standin.serving());
    const std::unique_ptr<UiViewConnector> link = createPlatformConnector();
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later, link.get());
    bench.form.start();
    QCOMPARE(bench.dialogs.messages, QStringList());
    QCOMPARE(bench.form.filterLine(), u"filter b/G*,M*"_s);
    QFile addOn(QDir(standin.folder()).filePath(u"Varnock.xtr"_s));
    QVERIFY(addOn.open(QIODevice::ReadOnly));
    const QString command
        = QDir::toNativeSeparators(QCoreApplication::applicationDirPath()) + QDir::separator() + executableName();
    QCOMPARE(addOn.readAll(), "Varnock\r\n\"" + command.toLocal8Bit() + "\"\r\nFalse\r\nFalse\r\n");

    bench.find<QCheckBox>(u"checkAutoMessageSet"_s)->click();
    QTRY_VERIFY_WITH_TIMEOUT(standin.output().contains("SERVER: filter default\nSERVER: filter b/G*,M*\n"), 10000);

    // A new map with the area following it: the area page takes the map's box, and it is sent.
    const QString second = bitmapMap(standin.folder(), u"second"_s, QImage(sampleMap()),
                                     "52.00.00N,002.00.00W\r\n51.00.00N,001.00.00E\r\nx\r\n");
    bench.find<QCheckBox>(u"checkAutoSetArea"_s)->click(); // the area is the shown map's at once
    auto *areas = bench.find<QListWidget>(u"List4"_s);
    QCOMPARE(areas->count(), 1);
    standin.command("map " + second.toLocal8Bit());
    QTRY_COMPARE_WITH_TIMEOUT(areas->item(0)->text(), u"a/52/-2/51/1"_s, 10000);
    QCOMPARE(areas->count(), 1);
    QTRY_VERIFY_WITH_TIMEOUT(standin.output().contains("SERVER: filter b/G*,M* a/52/-2/51/1\n"), 10000);

    bench.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bench.form));
    standin.command("close");
    QTRY_VERIFY_WITH_TIMEOUT(!bench.form.isVisible(), 10000);
}

void TestEndToEnd::varnockEndsWithTheStandin()
{
    Standin standin;
    QVERIFY(standin.serving());
    QProcess varnock;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, isolateUserSettings());
    if (!kWindows)
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    varnock.setProcessEnvironment(environment);
    varnock.start(programPath("varnock"), {});
    QVERIFY(varnock.waitForStarted());
    // Start-up has run once the add-on entry is there.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QDir(standin.folder()).filePath(u"Varnock.xtr"_s)), 30000);
    QTest::qWait(500);
    QCOMPARE(varnock.state(), QProcess::Running);
    standin.command("close");
    QVERIFY(varnock.waitForFinished(20000));
    QCOMPARE(varnock.exitStatus(), QProcess::NormalExit);
    QCOMPARE(varnock.exitCode(), 0);
}

void TestEndToEnd::standinPutsTheFolderBack_data()
{
    QTest::addColumn<QString>("before"); ///< the folder recorded before the stand-in started, if any
    QTest::addColumn<QString>("ending");
    const QStringList endings = kWindows ? QStringList{u"close"_s} : QStringList{u"close"_s, u"SIGTERM"_s, u"SIGINT"_s};
    for (const QString &ending : endings) {
        QTest::addRow("none, %s", qPrintable(ending)) << QString() << ending;
        QTest::addRow("another, %s", qPrintable(ending)) << u"C:\\UI-View32\\"_s << ending;
    }
}

void TestEndToEnd::standinPutsTheFolderBack()
{
    QFETCH(QString, before);
    QFETCH(QString, ending);
    if (before.isEmpty())
        uiviewRecord()->remove(programFolderKey());
    else
        uiviewRecord()->setValue(programFolderKey(), before);
    {
        Standin standin;
        QVERIFY(standin.serving());
        QCOMPARE(findUIView32(), QString(QDir::toNativeSeparators(standin.folder()) + QDir::separator()));
        if (ending == u"close")
            standin.command("close");
#ifndef Q_OS_WIN
        else
            ::kill(static_cast<pid_t>(standin.process.processId()), ending == u"SIGINT" ? SIGINT : SIGTERM);
#endif
        QVERIFY(finishes(standin.process, 30000));
        QCOMPARE(standin.process.exitStatus(), QProcess::NormalExit);
    }
    QCOMPARE(findUIView32(), before);
    QCOMPARE(uiviewRecord()->contains(programFolderKey()), !before.isEmpty());
}

void TestEndToEnd::standinVanishes()
{
    auto standin = std::make_unique<Standin>();
    QVERIFY(standin->serving());
    const std::unique_ptr<UiViewConnector> link = createPlatformConnector();
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later, link.get());
    bench.form.start();
    bench.find<QCheckBox>(u"checkAutoMessageSet"_s)->click();
    standin->command("exit");
    QVERIFY(finishes(standin->process, 30000));
    standin.reset();

    bench.form.decodeFilter(u"b/A"_s);
    QElapsedTimer clock;
    clock.start();
    bench.form.sendFilterIfChanged();
    QVERIFY2(clock.elapsed() < 5000, "a send to a vanished stand-in held the window up");
    QVERIFY(bench.form.lastSentFilter() != u"filter b/A"_s);
    QVERIFY(bench.find<QLabel>(u"status"_s)->text().contains(u"could not be sent"_s));
    bench.form.decodeFilter(u"b/B"_s); // the window still works
    QCOMPARE(bench.form.filterLine(), u"filter b/B"_s);
}

void TestEndToEnd::pickRangeOnTheSampleMap()
{
    BesideAMap beside;
    MapWindow *window = beside.openPicker();
    QVERIFY(window);
    QTRY_COMPARE_WITH_TIMEOUT(window->mapImage().size(), QSize(840, 666), 10000); // the sample map
    QCOMPARE(window->mapImage().pixel(420, 333), QImage(sampleMap()).pixel(420, 333));
    // Once taken, the map does not stay on the clipboard: a bitmap of one pixel takes its place.
    QTRY_COMPARE_WITH_TIMEOUT(clipboardBitmapSize(), QSize(1, 1), 5000);
    // The sample map spans 1.5 W to 0.5 E over 840 pixels along 51.5 N.
    movePointer(window, {210, 0});
    QCOMPARE(window->windowTitle(), u"UI-View32 - Decimal Lat 51.5 Decimal Long -1 - 2 positions to pick"_s);
    pressButton(window);
    movePointer(window, {630, 0});
    pressButton(window);
    auto *ranges = beside.bench.find<QListWidget>(u"List1"_s);
    QCOMPARE(ranges->count(), 1);
    QCOMPARE(ranges->item(0)->text(), u"r/51.5/-1/69"_s);
}

void TestEndToEnd::largeMap()
{
    // Larger than any image Qt decodes by default (128 MB as 32-bit pixels), over the bus; through
    // the clipboard of a 32-bit UI-View32, which holds it twice, a map of 36 MB.
    const int side = kWindows ? 3000 : 6000;
    QImage large(side, side, QImage::Format_RGB32);
    large.fill(QColor(10, 120, 30));
    large.setPixel(side - 1, side - 1, qRgb(200, 0, 0));
    BesideAMap beside(large);
    large = QImage();
    MapWindow *window = beside.openPicker();
    QVERIFY(window);
    QTRY_COMPARE_WITH_TIMEOUT(window->mapImage().size(), QSize(side, side), 30000);
    QCOMPARE(window->mapImage().pixel(0, 0), qRgb(10, 120, 30));
    QCOMPARE(window->mapImage().pixel(side - 1, side - 1), qRgb(200, 0, 0));
}

void TestEndToEnd::withoutTheStandin()
{
    // Where COM would start a registered UI-View32 for the link, the stand-in is not registered.
    if (kWindows)
        QVERIFY(registerStandin(u"none"_s));
    const auto registerAgain = qScopeGuard([this] { registerAsThisRun(); });
    UiViewInstall install("[APRServe]\r\nEXTRA_LOGON_TEXT=b/A\r\n");
    const std::unique_ptr<UiViewConnector> link = createPlatformConnector();
    QElapsedTimer clock;
    clock.start();
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later, link.get());
    bench.form.start();
    bench.find<QCheckBox>(u"checkAutoMessageSet"_s)->click();
    bench.form.sendFilterIfChanged();
    QVERIFY2(clock.elapsed() < 5000, "start-up or a tick waited for a stand-in that is not there");

    QCOMPARE(bench.form.filterLine(), u"filter b/A"_s);
    QCOMPARE(bench.dialogs.messages.size(), 1);
    QVERIFY2(bench.dialogs.messages.first().contains(u"could not be reached ("_s),
             qPrintable(bench.dialogs.messages.first()));
    // UI-View32 is recorded, so its buttons stay as they are for an installed UI-View32.
    for (const QString &name : {u"Command6"_s, u"Command8"_s, u"Command13"_s, u"Command9"_s})
        QVERIFY(bench.find<QPushButton>(name)->isEnabled());
}

void TestEndToEnd::withoutUiView32()
{
    UiViewInstall::uninstall();
    const std::unique_ptr<UiViewConnector> link = createPlatformConnector();
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later, link.get());
    bench.form.start();
    QCOMPARE(bench.dialogs.messages, QStringList());
    for (const QString &name : {u"Command6"_s, u"Command8"_s, u"Command13"_s, u"Command9"_s})
        QVERIFY(!bench.find<QPushButton>(name)->isEnabled());
    bench.form.decodeFilter(u"b/A"_s); // everything else works
    QCOMPARE(bench.form.filterLine(), u"filter b/A"_s);
}

void TestEndToEnd::uiviewInTrouble_data()
{
    QTest::addColumn<QByteArray>("trouble");
    QTest::addColumn<bool>("sent");
    // Behind a modal box UI-View32 turns calls away for a while; the link tries again.
    QTest::newRow("busy") << QByteArray("busy 2000") << true;
    QTest::newRow("hung") << QByteArray("hang 3000") << true;
    // Past the ten seconds Varnock waits, the call is given up.
    QTest::newRow("hung for long") << QByteArray("hang 14000") << false;
    QTest::newRow("killed during a call") << QByteArray("die") << false;
}

void TestEndToEnd::uiviewInTrouble()
{
    if (!kWindows)
        QSKIP("a UI-View32 that turns calls away or hangs is COM's case; the session bus has a call limit of its own");
    QFETCH(QByteArray, trouble);
    QFETCH(bool, sent);
    Standin standin;
    QVERIFY(standin.serving());
    const std::unique_ptr<UiViewConnector> link = createPlatformConnector();
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later, link.get());
    bench.form.show();
    bench.form.start();
    standin.command(trouble);
    QTest::qWait(500);

    // The window goes on handling its events while the call waits. The send may come with the tick
    // of the box or with the next change: all of it is watched.
    int ticks = 0;
    QTimer ticker;
    connect(&ticker, &QTimer::timeout, this, [&ticks] { ++ticks; });
    ticker.start(100);
    bench.find<QCheckBox>(u"checkAutoMessageSet"_s)->click();
    bench.form.decodeFilter(u"b/T"_s);
    bench.form.sendFilterIfChanged();
    ticker.stop();
    QCOMPARE(bench.form.lastSentFilter(), sent ? u"filter b/T"_s : QString());
    const QString status = bench.find<QLabel>(u"status"_s)->text();
    QVERIFY2(status.contains(u"could not be sent"_s) != sent, qPrintable(status));
    if (trouble.startsWith("hang"))
        QVERIFY2(ticks > 5,
                 qPrintable(
                     u"the window handled %1 timer events while UI-View32 hung; the stand-in said:\n%2"_s.arg(ticks)
                         .arg(QString::fromLocal8Bit(standin.output()))));
    bench.form.decodeFilter(u"b/U"_s); // and still works afterwards
    QCOMPARE(bench.form.filterLine(), u"filter b/U"_s);
}

void TestEndToEnd::standinWithoutItsTypeLibrary()
{
    if (!kWindows)
        QSKIP("a type library is COM's; the session bus has none");
    QVERIFY(registerStandin(u"without-typelib"_s));
    const auto registerAgain = qScopeGuard([this] { registerAsThisRun(); });
    Standin standin;
    QVERIFY(standin.serving());
    const std::unique_ptr<UiViewConnector> link = createPlatformConnector();
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later, link.get());
    bench.form.start();
    QCOMPARE(bench.dialogs.messages.size(), 1);
    QVERIFY2(bench.dialogs.messages.first().contains(u"type library is not registered"_s),
             qPrintable(bench.dialogs.messages.first()));
    QCOMPARE(bench.form.filterLine(), u"filter"_s); // the rest of start-up ran
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
