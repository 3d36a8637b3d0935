#include "aprsis/gui/livewindow.h"

#include "aprsis/gui/livetable.h"
#include "aprsis/net/aprsisclient.h"
#include "base/core/filterline.h"
#include "base/gui/dialogs.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSaveFile>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QTemporaryFile>
#include <QTimer>
#include <QTreeWidget>

namespace {

const QString kDefaultServer = QStringLiteral("rotate.aprs2.net:14580");
// The longest the window reads packets before it answers the user again.
constexpr qint64 kReadSliceMs = 12;

QSettings userSettings()
{
    return QSettings(QStringLiteral("Varnock"), QStringLiteral("Varnock"));
}

template<typename Widget>
Widget *named(Widget *widget, const char *name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

/// A callsign as servers take it at login: letters and digits, an SSID after a dash, 9 at most.
bool isCallsign(const QString &call)
{
    static const QRegularExpression form(QStringLiteral("^[A-Z0-9]+(-[A-Z0-9]{1,2})?$"));
    return call.size() <= 9 && form.match(call).hasMatch();
}

QString durationText(int msecs)
{
    if (msecs % 60000 == 0)
        return msecs == 60000 ? QStringLiteral("a minute") : QStringLiteral("%1 minutes").arg(msecs / 60000);
    return QStringLiteral("%1 s").arg(msecs / 1000.0);
}

} // namespace

LiveWindow::LiveWindow(Dialogs &dialogs, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_dialogs(dialogs)
    , m_client(new AprsIsClient(this))
    , m_model(new LivePacketModel(this))
    , m_server(named(new QLineEdit(this), "live_server"))
    , m_call(named(new QLineEdit(this), "live_call"))
    , m_passcode(named(new QLineEdit(this), "live_passcode"))
    , m_rememberPasscode(named(new QCheckBox(QStringLiteral("Remember passcode"), this), "live_remember"))
    , m_connect(named(new QPushButton(QStringLiteral("Connect"), this), "live_connect"))
    , m_status(named(new QLabel(this), "live_status"))
    , m_sent(named(new QLabel(this), "live_sent"))
    , m_fragments(named(new QTreeWidget(this), "live_fragments"))
    , m_search(named(new QLineEdit(this), "live_search"))
    , m_pause(named(new QPushButton(QStringLiteral("Pause"), this), "live_pause"))
    , m_save(named(new QPushButton(QStringLiteral("Save..."), this), "live_save"))
    , m_analyse(named(new QPushButton(QStringLiteral("Analyse a capture..."), this), "live_analyse"))
    , m_rate(named(new QLabel(this), "live_rate"))
    , m_table(named(new QTableView(this), "live_packets"))
    , m_filterDelay(new QTimer(this))
    , m_reconnect(new QTimer(this))
    , m_silence(new QTimer(this))
    , m_flush(new QTimer(this))
{
    setObjectName(QStringLiteral("live_window"));
    setWindowTitle(QStringLiteral("Live Traffic"));

    const QSettings settings = userSettings();
    m_server->setText(settings.value(QStringLiteral("live/server"), kDefaultServer).toString());
    m_call->setText(settings.value(QStringLiteral("live/call")).toString());
    m_call->setPlaceholderText(QStringLiteral("your callsign"));
    m_call->setMaxLength(9);
    m_passcode->setText(settings.value(QStringLiteral("live/passcode")).toString());
    m_passcode->setPlaceholderText(QStringLiteral("-1 (read-only)"));
    m_passcode->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,5}")), this));
    m_rememberPasscode->setChecked(settings.contains(QStringLiteral("live/passcode")));

    m_status->setTextFormat(Qt::PlainText);
    m_status->setMinimumWidth(1);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_sent->setTextFormat(Qt::PlainText);
    m_sent->setWordWrap(true);
    m_sent->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_fragments->setColumnCount(5);
    m_fragments->setHeaderLabels({QStringLiteral("Fragment"), QStringLiteral("Server"), QStringLiteral("Packets"),
                                  QStringLiteral("Per minute"), QStringLiteral("Share")});
    m_fragments->setRootIsDecorated(false);
    m_fragments->header()->setStretchLastSection(false);
    m_fragments->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int column = 1; column < 5; ++column) {
        m_fragments->header()->setSectionResizeMode(column, QHeaderView::ResizeToContents);
        m_fragments->headerItem()->setTextAlignment(column, Qt::AlignRight);
    }

    m_search->setPlaceholderText(QStringLiteral("Search callsign"));
    m_search->setClearButtonEnabled(true);
    m_pause->setCheckable(true);

    m_table->setModel(m_model);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setWordWrap(false);
    m_table->verticalHeader()->hide();
    // A fixed row height keeps a full table cheap to lay out however fast packets come.
    m_table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    m_table->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    m_table->horizontalHeader()->setStretchLastSection(true);
    const int digit = fontMetrics().horizontalAdvance(u'0');
    const int widths[] = {8, 12, 10, 8, 14, 14, 17, 6};
    for (int column = 0; column < int(std::size(widths)); ++column)
        m_table->setColumnWidth(column, widths[column] * digit + 12);

    auto *connection = new QGridLayout;
    connection->addWidget(new QLabel(QStringLiteral("Server:"), this), 0, 0);
    connection->addWidget(m_server, 0, 1);
    connection->addWidget(new QLabel(QStringLiteral("Callsign:"), this), 0, 2);
    connection->addWidget(m_call, 0, 3);
    connection->addWidget(new QLabel(QStringLiteral("Passcode:"), this), 0, 4);
    connection->addWidget(m_passcode, 0, 5);
    connection->addWidget(m_rememberPasscode, 0, 6);
    connection->addWidget(m_connect, 0, 7);
    connection->setColumnStretch(1, 3);
    connection->setColumnStretch(3, 1);
    connection->setColumnStretch(5, 1);

    auto *fragmentSide = new QWidget(this);
    auto *fragmentColumn = new QVBoxLayout(fragmentSide);
    fragmentColumn->setContentsMargins(0, 0, 0, 0);
    fragmentColumn->addWidget(m_sent);
    fragmentColumn->addWidget(m_fragments, 1);

    auto *tableSide = new QWidget(this);
    auto *tableColumn = new QVBoxLayout(tableSide);
    tableColumn->setContentsMargins(0, 0, 0, 0);
    auto *tools = new QHBoxLayout;
    tools->addWidget(m_search, 1);
    tools->addWidget(m_pause);
    tools->addWidget(m_save);
    tools->addWidget(m_analyse);
    tools->addWidget(m_rate, 1, Qt::AlignRight);
    tableColumn->addLayout(tools);
    tableColumn->addWidget(m_table, 1);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(fragmentSide);
    splitter->addWidget(tableSide);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({330, 870});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(connection);
    layout->addWidget(m_status);
    layout->addWidget(splitter, 1);
    resize(1200, 600);

    m_filterDelay->setSingleShot(true);
    m_filterDelay->setInterval(1000);
    m_reconnect->setSingleShot(true);
    m_silence->setSingleShot(true);
    m_flush->setInterval(100); // the table follows at most ten times a second

    connect(m_connect, &QPushButton::clicked, this, &LiveWindow::toggleConnection);
    for (QLineEdit *box : {m_server, m_call, m_passcode})
        connect(box, &QLineEdit::returnPressed, this, [this] {
            if (!m_active)
                toggleConnection();
        });
    connect(m_rememberPasscode, &QCheckBox::toggled, this, &LiveWindow::rememberSettings);
    connect(m_search, &QLineEdit::textChanged, m_model, &LivePacketModel::setSearch);
    connect(m_pause, &QPushButton::toggled, this, [this](bool paused) {
        if (!paused)
            flushPackets();
    });
    connect(m_save, &QPushButton::clicked, this, &LiveWindow::saveReceived);
    connect(m_analyse, &QPushButton::clicked, this, &LiveWindow::analyseCapture);
    connect(m_filterDelay, &QTimer::timeout, this, &LiveWindow::sendFilter);
    connect(m_reconnect, &QTimer::timeout, this, [this] {
        m_state = QStringLiteral("Reconnecting to %1:%2...").arg(m_host).arg(m_port);
        startConnection();
    });
    connect(m_silence, &QTimer::timeout, this, [this] {
        reconnectLater(QStringLiteral("No traffic from the server for %1").arg(durationText(m_silenceLimit)));
    });
    connect(m_flush, &QTimer::timeout, this, &LiveWindow::flushPackets);
    connect(m_client, &AprsIsClient::packetReceived, this, &LiveWindow::takePacket);
    connect(m_client, &AprsIsClient::serverLineReceived, this, &LiveWindow::takeServerLine);
    connect(m_client, &AprsIsClient::failed, this, [this](const QString &sentence) {
        if (m_active)
            reconnectLater(sentence);
    });

    m_state = QStringLiteral("Not connected.");
    showStatus();
    showRate();
    showFragments(m_filterLine, FragmentState::NotSent);
}

LiveWindow::~LiveWindow() = default;

void LiveWindow::setSilenceLimit(int msecs)
{
    m_silenceLimit = msecs;
}

void LiveWindow::setFilterLine(const QString &line)
{
    if (line == m_filterLine)
        return;
    m_filterLine = line;
    if (m_active && m_client->isOpen())
        m_filterDelay->start();
    else if (!m_active)
        showFragments(line, FragmentState::NotSent);
}

void LiveWindow::closeEvent(QCloseEvent *event)
{
    // A connection nobody looks at only costs the server and the user's line.
    if (m_active)
        stopConnection(QStringLiteral("Disconnected."));
    event->accept();
}

void LiveWindow::toggleConnection()
{
    if (m_active) {
        stopConnection(QStringLiteral("Disconnected."));
        return;
    }
    if (!AprsIsClient::splitServer(m_server->text(), &m_host, &m_port)) {
        m_state = QStringLiteral("Write the server as HOST:PORT, for example %1.").arg(kDefaultServer);
        showStatus();
        return;
    }
    if (m_call->text().trimmed().isEmpty())
        m_call->setText(m_dialogs.askText(this, QStringLiteral("Enter your callsign"), windowTitle(), QString()));
    const QString call = m_call->text().trimmed().toUpper();
    if (call.isEmpty()) {
        m_state = QStringLiteral("A callsign is needed to log in.");
        showStatus();
        return;
    }
    if (!isCallsign(call)) {
        m_state = QStringLiteral("\"%1\" is not a callsign: letters and digits, an SSID such as -9, "
                                 "9 characters at most.")
                      .arg(call);
        showStatus();
        return;
    }
    m_call->setText(call);
    rememberSettings();

    m_active = true;
    m_analysed = false;
    m_analyse->setEnabled(false);
    m_attempt = 0;
    m_count = 0;
    m_perMinute = PacketRate();
    m_pending.clear();
    m_held.clear();
    m_model->clear();
    m_engine = std::make_unique<FilterEngine>(m_filterLine, call.toLatin1());
    m_received = std::make_unique<QTemporaryFile>();
    if (!m_received->open())
        m_received.reset();
    m_connect->setText(QStringLiteral("Disconnect"));
    m_state = QStringLiteral("Connecting to %1:%2...").arg(m_host).arg(m_port);
    m_flush->start();
    startConnection();
}

void LiveWindow::startConnection()
{
    m_greeting.clear();
    m_comment.clear();
    m_sentLine = m_filterLine;
    m_client->open(m_host, m_port, m_call->text(), m_passcode->text(), m_sentLine);
    m_engine->setLine(m_sentLine);
    resetTally();
    showFragments(m_sentLine, FragmentState::Sent);
    m_model->setCentre(FilterEngine::firstRangeCentre(m_sentLine));
    m_silence->start(m_silenceLimit);
    showStatus();
}

void LiveWindow::stopConnection(const QString &status)
{
    m_active = false;
    m_client->close();
    m_filterDelay->stop();
    m_reconnect->stop();
    m_silence->stop();
    m_flush->stop();
    while (!m_pending.isEmpty())
        readPending();
    flushPackets();
    m_connect->setText(QStringLiteral("Connect"));
    m_analyse->setEnabled(true);
    m_state = status;
    m_comment.clear();
    showStatus();
}

void LiveWindow::reconnectLater(const QString &reason)
{
    m_client->close();
    m_silence->stop();
    const int seconds = reconnectDelaySeconds(m_attempt++);
    m_state = QStringLiteral("%1. Reconnecting in %2 s...").arg(reason).arg(seconds);
    m_reconnect->start(seconds * 1000);
    showStatus();
}

void LiveWindow::sendFilter()
{
    QString problem;
    if (!m_client->setFilter(m_filterLine, &problem)) {
        m_comment = problem;
        showFragments(m_filterLine, FragmentState::NotSent);
        showStatus();
        return;
    }
    // Packets still in flight were sent for the old line; they count for the new one.
    while (!m_pending.isEmpty())
        readPending();
    flushPackets();
    m_sentLine = m_filterLine;
    m_engine->setLine(m_sentLine);
    resetTally();
    showFragments(m_sentLine, FragmentState::Sent);
    m_model->setCentre(FilterEngine::firstRangeCentre(m_sentLine));
}

void LiveWindow::takePacket(const QByteArray &line)
{
    m_silence->start(m_silenceLimit);
    ++m_count;
    m_perMinute.count(QDateTime::currentMSecsSinceEpoch());
    if (m_received)
        m_received->write(line + "\r\n");
    // Read a tenth of a second later, all at once: the engine and the tally see every packet.
    m_pending.append(line);
}

void LiveWindow::takeServerLine(const ServerLine &line)
{
    m_silence->start(m_silenceLimit);
    switch (line.kind) {
    case ServerLine::Kind::LogResp:
        m_attempt = 0;
        m_state = QStringLiteral("Logged in as %1 (%2) on server %3")
                      .arg(line.call, line.verified ? QStringLiteral("verified") : QStringLiteral("unverified"),
                           line.server);
        m_comment = m_greeting;
        // What the server made of the login's filter shows only when asked.
        m_client->askFilter();
        break;
    case ServerLine::Kind::ParseErrors:
        markFragments(line.fragments, FragmentState::ParseError);
        break;
    case ServerLine::Kind::Filters:
        markUnkept(line.fragments);
        break;
    case ServerLine::Kind::Comment:
    case ServerLine::Kind::Packet:
        m_comment = line.text.mid(line.text.startsWith(QLatin1String("# ")) ? 2 : 1);
        if (m_greeting.isEmpty())
            m_greeting = m_comment;
        break;
    }
    showStatus();
}

void LiveWindow::readPending()
{
    m_readScheduled = false;
    if (m_pending.isEmpty() || !m_engine)
        return;
    // Every packet is read and evaluated, so that the engine learns every position and the tally
    // counts everything; only the newest the table can keep are kept. A flood is read in slices,
    // so that the window answers in between.
    QElapsedTimer slice;
    slice.start();
    const QTime now = QTime::currentTime();
    const qsizetype firstKept = m_pending.size() - LivePacketModel::kKeptPackets;
    qsizetype done = 0;
    for (; done < m_pending.size(); ++done) {
        if ((done & 255) == 255 && slice.elapsed() >= kReadSliceMs)
            break;
        AprsPacket packet = readPacket(m_pending[done]);
        QString fragment = broughtBy(packet);
        if (done >= firstKept)
            m_held.append({now, std::move(packet), std::move(fragment)});
    }
    m_pending.remove(0, done);
    if (m_held.size() > LivePacketModel::kKeptPackets)
        m_held.remove(0, m_held.size() - LivePacketModel::kKeptPackets);
    if (!m_pending.isEmpty()) {
        m_readScheduled = true;
        QTimer::singleShot(0, this, &LiveWindow::readPending);
    }
}

void LiveWindow::flushPackets()
{
    if (!m_readScheduled)
        readPending();
    if (!m_pause->isChecked() && !m_held.isEmpty()) {
        m_model->addRows(std::move(m_held));
        m_held.clear();
    }
    showRate();
    showTally();
}

QString LiveWindow::broughtBy(const AprsPacket &packet)
{
    const FilterEngine::Verdict verdict = m_engine->match(packet);
    // A packet the server sent that the engine would not have passed: the server knew something
    // the engine does not (a position from before the connection, its own default passes).
    const QString fragment = verdict.passes ? m_engine->fragments().at(verdict.fragment) : QStringLiteral("server");
    Tally &tally = m_tally[fragment];
    ++tally.packets;
    tally.perMinute.count(QDateTime::currentMSecsSinceEpoch());
    ++m_tallied;
    return fragment;
}

void LiveWindow::resetTally()
{
    m_tally.clear();
    m_tallied = 0;
}

void LiveWindow::showTally()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const auto fill = [&](QTreeWidgetItem *item, const Tally &tally) {
        item->setText(2, QString::number(tally.packets));
        item->setText(3, m_analysed ? QStringLiteral("-") : QString::number(tally.perMinute.perMinute(now)));
        item->setText(4,
                      m_tallied == 0 ? QString()
                                     : QStringLiteral("%1%").arg(100.0 * tally.packets / m_tallied, 0, 'f', 1));
        for (int column = 2; column < 5; ++column)
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    };
    QTreeWidgetItem *serverRow = nullptr;
    for (int i = 0; i < m_fragments->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_fragments->topLevelItem(i);
        if (item->data(0, Qt::UserRole + 1).toBool())
            serverRow = item;
        else
            fill(item, m_tally.value(item->text(0)));
    }
    const auto server = m_tally.constFind(QStringLiteral("server"));
    if (server == m_tally.cend())
        return;
    if (!serverRow) {
        serverRow = new QTreeWidgetItem(m_fragments, {QStringLiteral("(by the server)")});
        serverRow->setData(0, Qt::UserRole + 1, true);
        serverRow->setToolTip(0,
                              QStringLiteral("Packets the server sent that no fragment explains here: it knew a "
                                             "position Varnock has not seen, or passed them by its own rules."));
    }
    fill(serverRow, *server);
}

void LiveWindow::analyseCapture()
{
    if (m_active)
        return;
    const QString path = m_dialogs.askOpenFileName(this, QStringLiteral("Analyse a Capture"),
                                                   QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    QFile capture(path);
    if (!capture.open(QIODevice::ReadOnly)) {
        m_state = QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), capture.errorString());
        m_comment.clear();
        showStatus();
        return;
    }
    // The capture is evaluated as the current line would be: only what it passes comes to the table.
    m_analysed = true;
    m_model->clear();
    m_held.clear();
    m_engine = std::make_unique<FilterEngine>(m_filterLine, m_call->text().trimmed().toUpper().toLatin1());
    resetTally();
    showFragments(m_filterLine, FragmentState::NotSent);
    m_sent->setText(QStringLiteral("Analysed with: %1").arg(m_filterLine));
    m_model->setCentre(FilterEngine::firstRangeCentre(m_filterLine));
    qint64 read = 0;
    QList<LiveRow> rows;
    QByteArray line;
    while (readCapturedPacket(capture, &line)) {
        ++read;
        AprsPacket packet = readPacket(line);
        const FilterEngine::Verdict verdict = m_engine->match(packet);
        if (!verdict.passes)
            continue;
        const QString fragment = m_engine->fragments().at(verdict.fragment);
        ++m_tally[fragment].packets;
        ++m_tallied;
        rows.append({QTime(), std::move(packet), fragment});
        if (rows.size() > 2 * LivePacketModel::kKeptPackets)
            rows.remove(0, rows.size() - LivePacketModel::kKeptPackets);
    }
    m_model->addRows(std::move(rows));
    m_state = QStringLiteral("%1: %2 packets, %3 pass the line")
                  .arg(QDir::toNativeSeparators(path))
                  .arg(read)
                  .arg(m_tallied);
    m_comment.clear();
    showStatus();
    showTally();
}

void LiveWindow::saveReceived()
{
    if (!m_received || m_count == 0) {
        m_comment = QStringLiteral("Nothing received yet.");
        showStatus();
        return;
    }
    const QString suggested = QDir::home().filePath(
        QStringLiteral("live-%1.txt").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"))));
    const QString path = m_dialogs.askSaveFileName(this, QStringLiteral("Save Received Packets"), suggested,
                                                   QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    m_received->flush();
    QFile source(m_received->fileName());
    QSaveFile target(path);
    bool written = source.open(QIODevice::ReadOnly) && target.open(QIODevice::WriteOnly);
    while (written && !source.atEnd())
        written = target.write(source.read(1 << 20)) >= 0;
    written = written && target.commit();
    m_comment = written ? QStringLiteral("Saved %1 packets to %2").arg(m_count).arg(QDir::toNativeSeparators(path))
                        : QStringLiteral("Cannot write %1: %2")
                              .arg(QDir::toNativeSeparators(path),
                                   target.errorString().isEmpty() ? source.errorString() : target.errorString());
    showStatus();
}

void LiveWindow::showFragments(const QString &line, FragmentState state)
{
    m_fragments->clear();
    const QStringList fragments = serverFragments(line);
    for (const QString &fragment : fragments)
        new QTreeWidgetItem(m_fragments, {fragment});
    if (fragments.isEmpty()) {
        // Stands for the empty list of fragments, which is what the server is told and answers.
        auto *noFragments = new QTreeWidgetItem(m_fragments, {QStringLiteral("(the server's default)")});
        noFragments->setData(0, Qt::UserRole, true);
    }
    m_sent->setText(state == FragmentState::NotSent ? QStringLiteral("Not sent: %1").arg(line)
                                                    : QStringLiteral("Sent: %1").arg(line));
    markFragments(fragments, state);
}

void LiveWindow::markFragments(const QStringList &fragments, FragmentState state)
{
    static const char *const words[] = {"sent", "kept", "not kept", "parse error", "not sent"};
    const bool fault = state == FragmentState::NotKept || state == FragmentState::ParseError;
    for (int i = 0; i < m_fragments->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_fragments->topLevelItem(i);
        const bool noFragments = item->data(0, Qt::UserRole).toBool();
        if (noFragments ? !fragments.isEmpty() : !fragments.contains(item->text(0)))
            continue;
        // A parse error the server named stays, whatever its later answer says.
        if (item->text(1) == QLatin1String("parse error") && state == FragmentState::NotKept)
            continue;
        item->setText(1, QString::fromLatin1(words[int(state)]));
        item->setForeground(0, fault ? QBrush(Qt::red) : QBrush());
        item->setForeground(1, fault ? QBrush(Qt::red) : QBrush());
    }
}

void LiveWindow::markUnkept(const QStringList &kept)
{
    QStringList unkept;
    for (const QString &fragment : serverFragments(m_sentLine))
        if (!kept.contains(fragment))
            unkept.append(fragment);
    markFragments(kept, FragmentState::Kept);
    // What the server kept is what it evaluates; the engine follows it.
    if (m_engine)
        m_engine->setLine(kept.join(u' '));
    if (!unkept.isEmpty())
        markFragments(unkept, FragmentState::NotKept);
    m_sent->setText(QStringLiteral("Sent: %1\nThe server keeps: %2")
                        .arg(m_sentLine, kept.isEmpty() ? QStringLiteral("its default") : kept.join(u' ')));
}

void LiveWindow::showStatus()
{
    m_status->setText(m_comment.isEmpty() ? m_state : QStringLiteral("%1  |  %2").arg(m_state, m_comment));
}

void LiveWindow::showRate()
{
    m_rate->setText(QStringLiteral("%1 packets, %2 per minute")
                        .arg(m_count)
                        .arg(m_perMinute.perMinute(QDateTime::currentMSecsSinceEpoch())));
}

void LiveWindow::rememberSettings()
{
    QSettings settings = userSettings();
    settings.setValue(QStringLiteral("live/server"), m_server->text().trimmed());
    if (!m_call->text().isEmpty())
        settings.setValue(QStringLiteral("live/call"), m_call->text());
    if (m_rememberPasscode->isChecked())
        settings.setValue(QStringLiteral("live/passcode"), m_passcode->text());
    else
        settings.remove(QStringLiteral("live/passcode"));
}
