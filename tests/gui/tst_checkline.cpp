// The check line under the filter line, the explanation, and the command-line forms.
#include "app/core/filtercheck.h"
#include "app/gui/commandline.h"
#include "filter/core/decoding.h"
#include "support/workbench.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTextStream>

using namespace Qt::StringLiterals;

class TestCheckLine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void followsTheLine();
    void threeLooks_data();
    void threeLooks();
    void pagesBuildWhatServersAccept();
    void commandLine_data();
    void commandLine();
    void helpListsTheForms();
    void commandLineReadsStandardInput();
    void matchReadsAnyStream();
};

void TestCheckLine::followsTheLine()
{
    Workbench bench;
    auto *check = bench.find<QLabel>(u"filter_check"_s);
    QCOMPARE(check->text(), QString()); // no line yet
    bench.form.decodeFilter(u"b/G* r/95/0/10"_s);
    QVERIFY2(check->text().contains(u"r/95/0/10 is ignored"_s), qPrintable(check->text()));
    const auto signShown = [&bench](const QString &box) {
        const auto *sign = bench.find<QLineEdit>(box)->findChild<QAction *>(u"ignored_sign"_s);
        return sign && sign->isVisible();
    };
    // What servers ignore is marked where it stands, by shape as well as colour.
    auto *yellow = bench.find<QPlainTextEdit>(u"main_filter"_s);
    QCOMPARE(yellow->extraSelections().size(), 1);
    QCOMPARE(yellow->extraSelections().first().cursor.selectedText(), u"r/95/0/10"_s);
    QVERIFY(yellow->extraSelections().first().format.fontStrikeOut());
    auto *range = bench.find<QLineEdit>(u"frag_range"_s);
    QVERIFY(range->font().strikeOut());
    QVERIFY2(range->toolTip().startsWith(u"Servers ignore r/95/0/10: "_s), qPrintable(range->toolTip()));
    QVERIFY(signShown(u"frag_range"_s));
    QVERIFY(!bench.find<QLineEdit>(u"frag_budlist"_s)->font().strikeOut());
    QVERIFY(!signShown(u"frag_budlist"_s));
    QVERIFY(
        bench.find<QPlainTextEdit>(u"main_filter"_s)->toolTip().contains(u"stations whose callsign starts with G"_s));
    // Beside a range servers take, the box keeps its text plain and shows the sign.
    bench.form.decodeFilter(u"r/95/0/10 r/51/0/10"_s);
    QVERIFY(!range->font().strikeOut());
    QVERIFY(signShown(u"frag_range"_s));
    bench.form.decodeFilter(u"b/G*"_s);
    QCOMPARE(check->text(), u"Decoded 1 fragment. The fragment is accepted by APRS-IS servers."_s);
    QCOMPARE(yellow->extraSelections().size(), 0);
    QVERIFY(!range->font().strikeOut());
    QVERIFY(!signShown(u"frag_range"_s));
    QCOMPARE(bench.form.filterLine(), u"filter b/G*"_s); // the check changes nothing
    QCOMPARE(bench.dialogs.messages, QStringList());
    // However little of it the window's width shows, the whole text is a click away.
    QCOMPARE(check->toolTip(), check->text());
    QTest::mouseClick(check, Qt::LeftButton);
    QCOMPARE(bench.dialogs.messages, QStringList{check->text()});
}

void TestCheckLine::threeLooks_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QColor>("look");
    const QColor accepted(190, 255, 190), noted(255, 220, 130), ignored(255, 160, 160);

    QTest::newRow("one fragment") << u"b/G*"_s << u"Decoded 1 fragment. The fragment is accepted"_s << accepted;
    QTest::newRow("two fragments") << u"b/G* m/10"_s << u"Decoded 2 fragments. All 2 fragments are accepted"_s
                                   << accepted;
    QTest::newRow("a warning") << u"b/G4ABCDEFGHI"_s << u"to its first 9 characters"_s << noted;
    QString longLine = u"b/G0"_s;
    for (int i = 1; longLine.size() < 520; ++i)
        longLine += u"/G%1"_s.arg(i);
    QTest::newRow("over a command's length") << longLine << u"characters long as a command"_s << noted;
    QTest::newRow("set aside by the decode") << u"-b/X b/A"_s << u"1 kept as typed: b/A"_s << noted;
    QTest::newRow("ignored beside a warning") << u"b/G4ABCDEFGHI r/95/0/10"_s << u"r/95/0/10 is ignored"_s << ignored;
}

void TestCheckLine::threeLooks()
{
    QFETCH(QString, line);
    QFETCH(QString, says);
    QFETCH(QColor, look);
    Workbench bench;
    bench.form.decodeFilter(line);
    auto *check = bench.find<QLabel>(u"filter_check"_s);
    QVERIFY2(check->text().contains(says), qPrintable(check->text()));
    QCOMPARE(check->palette().color(QPalette::WindowText), look);
}

void TestCheckLine::pagesBuildWhatServersAccept()
{
    Workbench bench;
    const auto add = [&](const QString &button, const QString &text) {
        bench.dialogs.answer(text);
        bench.find<QPushButton>(button)->click();
    };
    const auto type = [&](const QString &box, const QString &text) { bench.find<QLineEdit>(box)->setText(text); };
    const auto click = [&](const QString &name) { bench.find<QAbstractButton>(name)->click(); };

    add(u"budlist_Command1"_s, u"g*"_s);
    add(u"digi_add"_s, u"wide2"_s);
    add(u"object_add"_s, u"Bob"_s);
    add(u"unproto_add"_s, u"apz*"_s);
    add(u"port_add"_s, u"t2uk"_s);
    click(u"type_cPosition"_s);
    type(u"type_callsign"_s, u"qq0abc"_s);
    type(u"type_range"_s, u"50"_s);
    bench.find<QComboBox>(u"symbol_combo"_s)->setCurrentText(u"Car"_s);
    click(u"Command7"_s);
    bench.find<QComboBox>(u"symbol_combo"_s)->setCurrentText(u"Emergency"_s);
    click(u"Command7"_s);
    type(u"symbol_overlay"_s, u"A"_s);
    click(u"qconstruct_cC"_s);
    click(u"qconstruct_analysis"_s);
    type(u"myrange_range"_s, u"100"_s);
    type(u"friend_callsign"_s, u"m0xyz"_s);
    type(u"friend_range"_s, u"25"_s);
    click(u"friend_add"_s);
    type(u"range_latitude"_s, u"51.5"_s);
    type(u"range_longitude"_s, u"-1"_s);
    type(u"range_range"_s, u"100"_s);
    click(u"range_exclude"_s);
    click(u"Command4"_s);
    bench.find<QLineEdit>(u"area_ipc"_s)->setText(u"50.5;0.5;0$51.5;-1.5;100$"_s);
    bench.form.setAreaFromMap();
    bench.form.loadMapCornersFromInf(u"/nowhere/map.gif"_s);

    const LineCheck check = checkFilterLine(bench.form.filterLine());
    QCOMPARE(check.fragments.size(), 12); // every kind once
    for (const Fragment &fragment : check.fragments)
        QVERIFY2(fragment.verdict == Fragment::Verdict::Accepted,
                 qPrintable(fragment.word + u": "_s + fragment.reason));
}

void TestCheckLine::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("output"); ///< the whole of standard output
    QTest::addColumn<QString>("errorSays"); ///< a part of standard error

    QTest::newRow("check, all accepted") << QStringList{u"--check"_s, u"filter b/G* m/10"_s} << 0
                                         << u"b/G*: OK\nm/10: OK\n"_s << QString();
    QTest::newRow("check, one ignored") << QStringList{u"--check"_s, u"b/G* r/95/0/1"_s} << 1
                                        << u"b/G*: OK\nr/95/0/1: IGNORED, The latitude is beyond 90 degrees.\n"_s
                                        << QString();
    QTest::newRow("check, warning only")
        << QStringList{u"--check"_s, u"b/ABCDEFGHIJ"_s} << 0
        << u"b/ABCDEFGHIJ: OK, Servers cut \"ABCDEFGHIJ\" to its first 9 characters.\n"_s << QString();
    QTest::newRow("check, nothing") << QStringList{u"--check"_s, u""_s} << 0 << u"No fragments.\n"_s << QString();
    QTest::newRow("explain, nothing") << QStringList{u"--explain"_s, u"filter"_s} << 0 << u"No fragments.\n"_s
                                      << QString();
    QTest::newRow("explain") << QStringList{u"--explain"_s, u"filter -r/51.5/-1/100 s/>//"_s} << 0
                             << u"-r/51.5/-1/100: except positions within 100 km of 51.5 N 1 W\n"
                                "s/>//: stations shown with the symbol Car\n"_s
                             << QString();
    QTest::newRow("decode, prefix and group last")
        << QStringList{u"--decode"_s, u"filter g/CQ* -b/N0CALL p/G/M e/T2UK"_s} << 0
        << u"filter -b/N0CALL e/T2UK p/G/M g/CQ*\n"_s << QString();
    QTest::newRow("decode") << QStringList{u"--decode"_s, u"e/x  r/1/2/3 b/a Z/1 -b/c"_s} << 0
                            << u"filter b/a r/1/2/3 e/x -b/c\n"_s
                            << u"Decoded 4 fragments; 1 kept as typed: -b/c. Not a fragment: Z/1.\n"_s;
    QTest::newRow("decode, too long") << QStringList{u"--decode"_s, QString(kMaxDecodedLine + 1, u'b')} << 1
                                      << QString() << u"This filter is 65537 characters long"_s;
    // A capture as "Save..." writes it, with a comment line, which is skipped.
    static QTemporaryDir folder;
    const QString capture = folder.filePath(u"capture.txt"_s);
    QFile file(capture);
    if (file.open(QIODevice::WriteOnly))
        file.write("# aprsc 2.1.21\r\nG4ABC>APRS,TCPIP*,qAC,T2UK:!5130.00N/00010.00W-\r\n"
                   "G4OBJ>APRS,TCPIP*:;LEADER   *092345z5130.00N/00015.00W>\r\nM0XYZ>APRS:>hi\r\n"
                   "M0NEAR>APRS:!5130.00N/00012.00W-\r\n");
    file.close();
    QTest::newRow("match") << QStringList{u"--match"_s, u"filter b/G* -t/o r/95/0/1"_s, capture} << 0
                           << u"pass\tb/G*\tG4ABC>APRS,TCPIP*,qAC,T2UK:!5130.00N/00010.00W-\n"
                              "drop\t-t/o\tG4OBJ>APRS,TCPIP*:;LEADER   *092345z5130.00N/00015.00W>\n"
                              "drop\t\tM0XYZ>APRS:>hi\n"
                              "drop\t\tM0NEAR>APRS:!5130.00N/00012.00W-\n"_s
                           << u"b/G*: 1 passed\n-t/o: 1 removed\nr/95/0/1: ignored, as servers ignore it\n"
                              "4 packets, 1 passed\n"_s;
    QTest::newRow("match, m/ without a call")
        << QStringList{u"--match"_s, u"m/10"_s, capture} << 0
        << u"drop\t\tG4ABC>APRS,TCPIP*,qAC,T2UK:!5130.00N/00010.00W-\n"
           "drop\t\tG4OBJ>APRS,TCPIP*:;LEADER   *092345z5130.00N/00015.00W>\n"
           "drop\t\tM0XYZ>APRS:>hi\n"
           "drop\t\tM0NEAR>APRS:!5130.00N/00012.00W-\n"_s
        << u"m/10 measures from your own position: give --call with a callsign that sends positions."_s;
    QTest::newRow("match, from the login call")
        << QStringList{u"--match"_s, u"m/10"_s, u"--call"_s, u"g4abc"_s, capture} << 0
        << u"pass\tm/10\tG4ABC>APRS,TCPIP*,qAC,T2UK:!5130.00N/00010.00W-\n"
           "pass\tm/10\tG4OBJ>APRS,TCPIP*:;LEADER   *092345z5130.00N/00015.00W>\n"
           "drop\t\tM0XYZ>APRS:>hi\n"
           "pass\tm/10\tM0NEAR>APRS:!5130.00N/00012.00W-\n"_s
        << u"4 packets, 3 passed"_s;
    QTest::newRow("match, no such file") << QStringList{u"--match"_s, u"b/G*"_s, folder.filePath(u"none"_s)} << 1
                                         << QString() << u"Cannot read"_s;
    QTest::newRow("match, two files") << QStringList{u"--match"_s, u"b/G*"_s, capture, capture} << 2 << QString()
                                      << u"Unexpected argument"_s;
    QTest::newRow("call without live or match") << QStringList{u"--check"_s, u"b/G*"_s, u"--call"_s, u"G4ABC"_s} << 2
                                                << QString() << u"--call goes with --live and --match."_s;
    QTest::newRow("missing line") << QStringList{u"--check"_s} << 2 << QString() << u"Missing value after '--check'"_s;
    QTest::newRow("two forms") << QStringList{u"--check"_s, u"b/G"_s, u"--decode"_s, u"b/G"_s} << 2 << QString()
                               << u"Give one form with one line."_s;
    QTest::newRow("unknown option") << QStringList{u"--chek"_s, u"b/G"_s} << 2 << QString()
                                    << u"Unknown option 'chek'"_s;
    QTest::newRow("stray argument") << QStringList{u"b/G"_s} << 2 << QString() << u"Unexpected argument"_s;
    QTest::newRow("call with a line end")
        << QStringList{u"--live"_s, u"b/G*"_s, u"--server"_s, u"127.0.0.1:1"_s, u"--call"_s, u"N0CALL\r\nfilter x"_s}
        << 2 << QString() << u"is not a callsign a server takes at login"_s;
    QTest::newRow("version") << QStringList{u"--version"_s} << 0 << u"Varnock 1.1.0\n"_s << QString();
    QTest::newRow("-v") << QStringList{u"-v"_s} << 0 << u"Varnock 1.1.0\n"_s << QString();
}

void TestCheckLine::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, status);
    QFETCH(QString, output);
    QFETCH(QString, errorSays);
    isolateUserSettings();
    arguments.prepend(u"varnock"_s);
    QString out;
    QString err;
    QTextStream outStream(&out);
    QTextStream errStream(&err);
    QCOMPARE(runCommandLine(arguments, outStream, errStream), std::optional<int>(status));
    outStream.flush();
    errStream.flush();
    QCOMPARE(out, output);
    QVERIFY2(err.contains(errorSays), qPrintable(err));
    if (status == 2)
        QVERIFY(err.contains(u"--explain <LINE>"_s)); // the usage follows the problem
    QCOMPARE(runCommandLine({u"varnock"_s}, outStream, errStream), std::nullopt);
}

void TestCheckLine::helpListsTheForms()
{
    for (const QString &option : {u"--help"_s, u"-h"_s}) {
        QString out;
        QString err;
        QTextStream outStream(&out);
        QTextStream errStream(&err);
        QCOMPARE(runCommandLine({u"varnock"_s, option}, outStream, errStream), std::optional<int>(0));
        outStream.flush();
        for (const QString &form : {u"--check <LINE>"_s, u"--explain <LINE>"_s, u"--decode <LINE>"_s,
                                    u"--live <LINE>"_s, u"--match <LINE>"_s, u"--version"_s})
            QVERIFY2(out.contains(form), qPrintable(out));
        QVERIFY(err.isEmpty());
    }
}

void TestCheckLine::commandLineReadsStandardInput()
{
    QProcess varnock;
    // Text mode: the platform's own line ends read as "\n".
    varnock.start(QCoreApplication::applicationDirPath() + u"/varnock"_s, {u"--check"_s, u"-"_s},
                  QIODevice::ReadWrite | QIODevice::Text);
    QVERIFY(varnock.waitForStarted());
    varnock.write("filter b/G* p/G*\n");
    varnock.closeWriteChannel();
    QVERIFY(varnock.waitForFinished(10000));
    QCOMPARE(varnock.exitCode(), 1);
    QCOMPARE(varnock.readAllStandardOutput(),
             QByteArray("b/G*: OK\np/G*: IGNORED, Prefix entries may not contain \"*\".\n"));

    // No form opens a window, so none needs a display.
    QProcessEnvironment bare = QProcessEnvironment::systemEnvironment();
    for (const QString &name : {u"QT_QPA_PLATFORM"_s, u"DISPLAY"_s, u"WAYLAND_DISPLAY"_s})
        bare.remove(name);
    for (const auto &[option, status] : {std::pair{u"--help"_s, 0}, std::pair{u"--nonsense"_s, 2}}) {
        QProcess bareVarnock;
        bareVarnock.setProcessEnvironment(bare);
        bareVarnock.start(QCoreApplication::applicationDirPath() + u"/varnock"_s, {option});
        QVERIFY(bareVarnock.waitForFinished(10000));
        QCOMPARE(bareVarnock.exitCode(), status);
    }
}

void TestCheckLine::matchReadsAnyStream()
{
#ifndef Q_OS_UNIX
    QSKIP("Pipes, FIFOs and process substitution are the shell's of a Unix system.");
#endif
    // NUL and 8-bit bytes, a line of line ends, a line longer than any server sends, no last line end.
    QTemporaryDir folder;
    const QString capture = folder.filePath(u"capture.txt"_s);
    QFile file(capture);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("G4ABC>APRS,TCPIP*:>a\0b\xe9\r\n\r\r\nM0X>APRS:>c\n", 40) + "G4LONG>APRS:>"
               + QByteArray(5000, 'x') + "\nG4LAST>APRS:>end");
    file.close();
    const QByteArray expected = QByteArray("pass\tb/G*\tG4ABC>APRS,TCPIP*:>a\0b\xe9\ndrop\t\tM0X>APRS:>c\n", 52)
        + "pass\tb/G*\tG4LAST>APRS:>end\n";
    const QString varnock = QCoreApplication::applicationDirPath() + u"/varnock"_s;
    const auto viaShell = [&](const QString &command, int *status = nullptr, QByteArray *said = nullptr) {
        QProcess shell;
        shell.setWorkingDirectory(folder.path());
        shell.start(u"bash"_s, {u"-c"_s, command, varnock, capture});
        shell.waitForFinished(20000);
        if (status)
            *status = shell.exitCode();
        if (said)
            *said = shell.readAllStandardError();
        return shell.readAllStandardOutput();
    };
    int status = -1;
    QByteArray said;
    QCOMPARE(viaShell(u"\"$0\" --match b/G* \"$1\""_s, &status, &said), expected);
    QCOMPARE(status, 0);
    QVERIFY2(said.contains("1 lines longer than 4096 bytes were skipped"), said.constData());
    QCOMPARE(viaShell(u"cat \"$1\" | \"$0\" --match b/G* -"_s), expected);
    QCOMPARE(viaShell(u"\"$0\" --match b/G* <(cat \"$1\")"_s), expected);
    QCOMPARE(viaShell(u"mkfifo fifo && (cat \"$1\" > fifo &) && \"$0\" --match b/G* fifo"_s), expected);

    // Input that never ends a line is no capture: it stops, and says so.
    QCOMPARE(viaShell(u"\"$0\" --match b/G* /dev/zero"_s, &status, &said), QByteArray());
    QCOMPARE(status, 1);
    QVERIFY2(said.contains("No line end in 1048576 bytes"), said.constData());
    // Nor is a LINE from standard input that never ends.
    QCOMPARE(viaShell(u"\"$0\" --check - < /dev/zero"_s, &status, &said), QByteArray());
    QCOMPARE(status, 2);
    QVERIFY2(said.contains("standard input holds more than 1048576 bytes"), said.constData());
}

QTEST_MAIN(TestCheckLine)
#include "tst_checkline.moc"
