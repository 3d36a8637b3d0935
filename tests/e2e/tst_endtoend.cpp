// Varnock beside the UI-View32 stand-in, across two processes on a private session bus.
#include "mappicker/gui/mapwindow.h"
#include "support/mapmouse.h"
#include "support/workbench.h"
#include "uiview/dbus/dbuslink.h"

#include <QCheckBox>
#include <QDBusConnection>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

QString programPath(const char *name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QString::fromLatin1(name));
}

QString sampleMap()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(u"maps/sample.png"_s);
}

/// The stand-in, serving for a folder of its own.
class Standin
{
public:
    explicit Standin(const QByteArray &logon = "filter", const QString &map = sampleMap())
    {
        QDir().mkpath(folder());
        QFile ini(QDir(folder()).filePath(u"uiview32.ini"_s));
        if (ini.open(QIODevice::WriteOnly))
            ini.write("[APRServe]\r\nEXTRA_LOGON_TEXT=" + logon + "\r\n");
        ini.close();
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"XDG_CONFIG_HOME"_s, isolateUserSettings());
        environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
        process.setProcessEnvironment(environment);
        process.start(programPath("uiview32-standin"), {u"--folder"_s, folder(), u"--map"_s, map});
    }
    ~Standin()
    {
        process.closeWriteChannel();
        if (!process.waitForFinished(3000))
            process.kill();
    }

    bool serving()
    {
        QElapsedTimer clock;
        clock.start();
        while (!output().contains("serving") && clock.elapsed() < 10000)
            process.waitForReadyRead(100);
        return output().contains("serving");
    }
    QByteArray output()
    {
        m_output += process.readAllStandardOutput();
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

/// Varnock in this process with the real link over the bus, beside a stand-in that shows a map.
struct BesideAMap
{
    explicit BesideAMap(const QString &map = sampleMap())
        : standin("filter", map)
    { }
    /// The map window the range page opens; nullptr when the stand-in does not serve.
    MapWindow *openPicker()
    {
        if (!standin.serving())
            return nullptr;
        bench.form.start();
        bench.find<QPushButton>(u"Command8"_s)->click();
        return bench.form.mapWindow();
    }

    Standin standin;
    DBusConnector link;
    Workbench bench{QCoreApplication::applicationDirPath(), Workbench::Start::Later, &link};
};

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
    void largeMapOverTheBus();
    void withoutTheStandin();
};

void TestEndToEnd::initTestCase()
{
    if (!QDBusConnection::sessionBus().isConnected())
        QSKIP("no session bus: run this test under dbus-run-session");
    isolateUserSettings();
    qputenv("VARNOCK_SEND_INTERVAL_MS", "100");
}

void TestEndToEnd::besideTheStandin()
{
    Standin standin("\"filter b/G*|M*\"");
    QVERIFY(standin.serving());
    DBusConnector link;
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later, &link);
    bench.form.start();
    QCOMPARE(bench.dialogs.messages, QStringList());
    QCOMPARE(bench.form.filterLine(), u"filter b/G*,M*"_s);
    QVERIFY(QFile::exists(QDir(standin.folder()).filePath(u"Varnock.xtr"_s)));

    bench.find<QCheckBox>(u"checkAutoMessageSet"_s)->click();
    QTRY_VERIFY_WITH_TIMEOUT(standin.output().contains("SERVER: filter default\nSERVER: filter b/G*,M*\n"), 5000);

    // A new map with the area following it: the area page takes the map's box, and it is sent.
    QTemporaryDir maps;
    const QString second = maps.filePath(u"second.png"_s);
    QVERIFY(QFile::copy(sampleMap(), second));
    QFile inf(maps.filePath(u"second.inf"_s));
    QVERIFY(inf.open(QIODevice::WriteOnly));
    inf.write("52.00.00N,002.00.00W\r\n51.00.00N,001.00.00E\r\nx\r\n");
    inf.close();
    bench.find<QCheckBox>(u"checkAutoSetArea"_s)->click();
    standin.command("map " + second.toLocal8Bit());
    auto *areas = bench.find<QListWidget>(u"List4"_s);
    QTRY_COMPARE_WITH_TIMEOUT(areas->count(), 1, 5000);
    QCOMPARE(areas->item(0)->text(), u"a/52/-2/51/1"_s);
    QTRY_VERIFY_WITH_TIMEOUT(standin.output().contains("SERVER: filter b/G*,M* a/52/-2/51/1\n"), 5000);

    bench.form.show();
    QVERIFY(QTest::qWaitForWindowExposed(&bench.form));
    standin.command("close");
    QTRY_VERIFY_WITH_TIMEOUT(!bench.form.isVisible(), 5000);
}

void TestEndToEnd::varnockEndsWithTheStandin()
{
    Standin standin;
    QVERIFY(standin.serving());
    QProcess varnock;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"XDG_CONFIG_HOME"_s, isolateUserSettings());
    environment.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    varnock.setProcessEnvironment(environment);
    varnock.start(programPath("varnock"), {});
    QVERIFY(varnock.waitForStarted());
    // Start-up has run once the add-on entry is there.
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QDir(standin.folder()).filePath(u"Varnock.xtr"_s)), 10000);
    QTest::qWait(300);
    QCOMPARE(varnock.state(), QProcess::Running);
    standin.command("close");
    QVERIFY(varnock.waitForFinished(10000));
    QCOMPARE(varnock.exitStatus(), QProcess::NormalExit);
    QCOMPARE(varnock.exitCode(), 0);
}

void TestEndToEnd::standinPutsTheFolderBack_data()
{
    QTest::addColumn<QString>("before"); ///< the folder recorded before the stand-in started, if any
    QTest::addColumn<QString>("ending");
    for (const QString &ending : {u"close"_s, u"SIGTERM"_s, u"SIGINT"_s}) {
        QTest::addRow("none, %s", qPrintable(ending)) << QString() << ending;
        QTest::addRow("another, %s", qPrintable(ending)) << u"C:\\UI-View32\\"_s << ending;
    }
}

void TestEndToEnd::standinPutsTheFolderBack()
{
    QFETCH(QString, before);
    QFETCH(QString, ending);
    const QString key = u"UI-View32/Program Folder"_s;
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, u"Peak Systems"_s);
    if (before.isEmpty())
        settings.remove(key);
    else
        settings.setValue(key, before);
    settings.sync();
    {
        Standin standin;
        QVERIFY(standin.serving());
        settings.sync();
        QCOMPARE(settings.value(key).toString(), QString(standin.folder() + QDir::separator()));
        if (ending == u"close")
            standin.command("close");
        else
            ::kill(static_cast<pid_t>(standin.process.processId()), ending == u"SIGINT" ? SIGINT : SIGTERM);
        QVERIFY(standin.process.waitForFinished(5000));
        QCOMPARE(standin.process.exitStatus(), QProcess::NormalExit);
    }
    settings.sync();
    QCOMPARE(settings.value(key).toString(), before);
    QCOMPARE(settings.contains(key), !before.isEmpty());
}

void TestEndToEnd::standinVanishes()
{
    auto standin = std::make_unique<Standin>();
    QVERIFY(standin->serving());
    DBusConnector link;
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later, &link);
    bench.form.start();
    bench.find<QCheckBox>(u"checkAutoMessageSet"_s)->click();
    standin->process.kill();
    standin->process.waitForFinished();
    standin.reset();

    bench.form.decodeFilter(u"b/A"_s);
    QElapsedTimer clock;
    clock.start();
    bench.form.sendFilterIfChanged();
    QVERIFY2(clock.elapsed() < 1500, "a send to a vanished stand-in held the window up");
    QCOMPARE(bench.form.lastSentFilter(), QString());
    QVERIFY(bench.find<QLabel>(u"status"_s)->text().contains(u"could not be sent"_s));
    bench.form.decodeFilter(u"b/B"_s); // the window still works
    QCOMPARE(bench.form.filterLine(), u"filter b/B"_s);
}

void TestEndToEnd::pickRangeOnTheSampleMap()
{
    BesideAMap beside;
    MapWindow *window = beside.openPicker();
    QVERIFY(window);
    QCOMPARE(window->mapImage().size(), QSize(840, 666)); // the sample map, over the bus
    // The sample map spans 1.5 W to 0.5 E over 840 pixels along 51.5 N.
    movePointer(window, {210, 0});
    QCOMPARE(window->windowTitle(), u"UI-View32 - Decimal Lat 51.5 Decimal Long -1"_s);
    pressButton(window);
    movePointer(window, {630, 0});
    pressButton(window);
    auto *ranges = beside.bench.find<QListWidget>(u"List1"_s);
    QCOMPARE(ranges->count(), 1);
    QCOMPARE(ranges->item(0)->text(), u"r/51.5/-1/69"_s);
}

void TestEndToEnd::largeMapOverTheBus()
{
    // Larger than any image Qt decodes by default (128 MB as 32-bit pixels).
    QTemporaryDir maps;
    const QString path = maps.filePath(u"large.png"_s);
    QImage large(6000, 6000, QImage::Format_RGB32);
    large.fill(QColor(10, 120, 30));
    large.setPixel(5999, 5999, qRgb(200, 0, 0));
    QVERIFY(large.save(path, "PNG", 100));
    large = QImage();
    BesideAMap beside(path);
    MapWindow *window = beside.openPicker();
    QVERIFY(window);
    QCOMPARE(window->mapImage().size(), QSize(6000, 6000));
    QCOMPARE(window->mapImage().pixel(0, 0), qRgb(10, 120, 30));
    QCOMPARE(window->mapImage().pixel(5999, 5999), qRgb(200, 0, 0));
}

void TestEndToEnd::withoutTheStandin()
{
    UiViewInstall install("[APRServe]\r\nEXTRA_LOGON_TEXT=b/A\r\n");
    DBusConnector link;
    QElapsedTimer clock;
    clock.start();
    Workbench bench(QCoreApplication::applicationDirPath(), Workbench::Start::Later, &link);
    bench.form.start();
    bench.find<QCheckBox>(u"checkAutoMessageSet"_s)->click();
    bench.form.sendFilterIfChanged();
    QVERIFY2(clock.elapsed() < 5000, "start-up or a tick waited for a stand-in that is not there");

    QCOMPARE(bench.form.filterLine(), u"filter b/A"_s);
    QCOMPARE(bench.dialogs.messages.size(), 1);
    QVERIFY(bench.dialogs.messages.first().contains(u"could not be reached"_s));
    // UI-View32 is recorded, so its buttons stay as they are for an installed UI-View32.
    for (const QString &name : {u"Command6"_s, u"Command8"_s, u"Command13"_s, u"Command9"_s})
        QVERIFY(bench.find<QPushButton>(name)->isEnabled());
}

QTEST_MAIN(TestEndToEnd)
#include "tst_endtoend.moc"
