#include "aprsis/gui/livewindow.h"

#include "aprsis/gui/livetable.h"
#include "aprsis/net/aprsisclient.h"
#include "base/core/filterline.h"
#include "base/gui/dialogs.h"

#include <QAction>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QRegularExpressionValidator>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QThread>
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
    , m_progress(named(new QProgressBar(this), "live_progress"))
    , m_cancel(named(new QPushButton(QStringLiteral("Cancel"), this), "live_cancel"))
    , m_rate(named(new QLabel(this), "live_rate"))
    , m_table(named(new QTableView(this), "live_packets"))
    , m_flush(new QTimer(this))
    , m_recordingLimit(userSettings().value(QStringLiteral("live/recordingLimitMiB"), 1024).toLongLong() << 20)
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
    // Narrow enough that the text, the last column, has the rest of the width.
    const int widths[] = {8, 10, 9, 8, 12, 10, 16, 5};
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
    tools->addWidget(m_progress, 1);
    tools->addWidget(m_cancel);
    tools->addWidget(m_rate, 1, Qt::AlignRight);
    tableColumn->addLayout(tools);
    tableColumn->addWidget(m_table, 1);

    auto *splitter = new QSplitter(Qt::Horizontal, this);
    splitter->addWidget(fragmentSide);
    splitter->addWidget(tableSide);
    splitter->setStretchFactor(1, 1);
    splitter->setSizes({300, 900});

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(connection);
    layout->addWidget(m_status);
    layout->addWidget(splitter, 1);
    resize(1200, 600);

    m_progress->hide();
    m_cancel->hide();
    m_flush->setInterval(100); // the table follows at most ten times a second

    auto *copy = new QAction(QStringLiteral("Copy"), m_table);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetShortcut);
    m_table->addAction(copy);
    m_table->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(copy, &QAction::triggered, this, &LiveWindow::copyRows);

    connect(m_connect, &QPushButton::clicked, this, &LiveWindow::toggleConnection);
    for (QLineEdit *box : {m_server, m_call, m_passcode})
        connect(box, &QLineEdit::returnPressed, this, [this] {
            if (!isActive())
                toggleConnection();
        });
    connect(m_rememberPasscode, &QCheckBox::toggled, this, &LiveWindow::rememberSettings);
    connect(m_search, &QLineEdit::textChanged, m_model, &LivePacketModel::setSearch);
    connect(m_pause, &QPushButton::toggled, this, [this](bool paused) {
        m_pause->setText(paused ? QStringLiteral("Resume") : QStringLiteral("Pause"));
        if (!paused)
            flushPackets();
    });
    connect(m_save, &QPushButton::clicked, this, &LiveWindow::saveReceived);
    connect(m_analyse, &QPushButton::clicked, this, &LiveWindow::analyseCapture);
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        if (m_cancelAnalysis)
            *m_cancelAnalysis = true;
    });
    connect(m_flush, &QTimer::timeout, this, &LiveWindow::flushPackets);
    connect(m_client, &AprsIsClient::packetsReceived, this, &LiveWindow::takePackets);
    connect(m_client, &AprsIsClient::changed, this, &LiveWindow::showSession);

    showStatus();
    showRate();
    showFragments(m_filterLine, FragmentState::NotSent);
}

LiveWindow::~LiveWindow()
{
    if (m_analysis) {
        *m_cancelAnalysis = true;
        m_analysis->wait();
        delete m_analysis;
    }
}

bool LiveWindow::isActive() const
{
    return m_client->isActive();
}

qint64 LiveWindow::recordedBytes() const
{
    return m_recording ? m_recording->bytes() : 0;
}

void LiveWindow::setSilenceLimit(int msecs)
{
    m_silenceLimit = msecs;
    m_answerLimit = msecs;
}

void LiveWindow::setRecordingLimit(qint64 bytes)
{
    m_recordingLimit = bytes;
}

void LiveWindow::setFilterLine(const QString &line)
{
    if (line == m_filterLine)
        return;
    m_filterLine = line;
    m_client->setFilterLine(line);
    if (!isActive() && !m_showsAnalysis)
        showFragments(line, FragmentState::NotSent);
}

void LiveWindow::closeEvent(QCloseEvent *event)
{
    // A connection nobody looks at only costs the server and the user's line.
    if (isActive())
        m_client->close();
    if (m_cancelAnalysis)
        *m_cancelAnalysis = true;
    event->accept();
}

bool LiveWindow::mayReplaceTable()
{
    if (!m_showsAnalysis)
        return true;
    return m_dialogs.confirm(this,
                             QStringLiteral("The table shows the analysis of %1. Replace it?")
                                 .arg(QDir::toNativeSeparators(m_analysedPath)));
}

void LiveWindow::toggleConnection()
{
    if (isActive()) {
        m_client->close();
        return;
    }
    LiveSession::Settings settings;
    if (!AprsIsClient::splitServer(m_server->text(), &settings.host, &settings.port)) {
        m_note = QStringLiteral("Write the server as HOST:PORT, for example %1.").arg(kDefaultServer);
        showStatus();
        return;
    }
    if (m_call->text().trimmed().isEmpty())
        m_call->setText(m_dialogs.askText(this, QStringLiteral("Enter your callsign"), windowTitle(), QString()));
    settings.call = m_call->text().trimmed().toUpper();
    if (settings.call.isEmpty()) {
        m_note = QStringLiteral("A callsign is needed to log in.");
        showStatus();
        return;
    }
    if (!isLoginCallsign(settings.call)) {
        m_note = QStringLiteral("\"%1\" is not a callsign: letters and digits, an SSID such as -9, "
                                "9 characters at most.")
                     .arg(settings.call);
        showStatus();
        return;
    }
    if (!mayReplaceTable())
        return;
    m_call->setText(settings.call);
    rememberSettings();
    settings.passcode = m_passcode->text();
    settings.silenceMs = m_silenceLimit;
    settings.answerMs = m_answerLimit;

    m_note.clear();
    m_showsAnalysis = false;
    m_count = 0;
    m_dropped = 0;
    m_perMinute = PacketRate();
    m_pending.clear();
    m_held.clear();
    m_model->clear();
    m_tally.reset(m_filterLine, settings.call.toLatin1());
    m_tallyLine = m_filterLine;
    m_model->setCentre(FilterEngine::firstRangeCentre(m_filterLine));
    m_recording = std::make_unique<Recording>(m_recordingLimit);
    m_flush->start();
    m_client->open(settings, m_filterLine);
}

void LiveWindow::showSession()
{
    const bool active = isActive();
    m_connect->setText(active ? QStringLiteral("Disconnect") : QStringLiteral("Connect"));
    m_analyse->setEnabled(!active && !m_analysis);
    const LiveSession::State state = m_client->session().state();
    if (!active) {
        m_flush->stop();
        while (!m_pending.isEmpty())
            readPending();
        flushPackets();
        if (!m_showsAnalysis)
            showFragments(m_filterLine, FragmentState::NotSent);
    } else if (state == LiveSession::State::Connecting || state == LiveSession::State::WaitingToReconnect) {
        // No server applies anything for this window now.
        showFragments(m_filterLine, FragmentState::NotSent);
    } else {
        showServerView();
    }
    showStatus();
}

void LiveWindow::showServerView()
{
    const LiveSession::FilterView &view = m_client->session().filter();
    if (view.sent.isNull())
        return;
    // The tally evaluates what the server applies: the line sent, then what it says it keeps.
    // Packets still in flight were sent for the old line; they count for the new one.
    const QString applied = view.keptKnown ? view.kept.join(u' ') : view.sent;
    if (applied != m_tallyLine) {
        while (!m_pending.isEmpty())
            readPending();
        flushPackets();
        m_tally.follow(applied);
        m_tallyLine = applied;
        m_model->setCentre(FilterEngine::firstRangeCentre(view.sent));
    }
    showFragments(view.sent, FragmentState::Sent);
    if (!view.parseErrors.isEmpty())
        markFragments(view.parseErrors, FragmentState::ParseError);
    QString text = QStringLiteral("Sent: %1").arg(view.sent);
    if (view.keptKnown) {
        QStringList unkept;
        for (const QString &fragment : serverFragments(view.sent))
            if (!view.kept.contains(fragment))
                unkept.append(fragment);
        markFragments(view.kept, FragmentState::Kept);
        if (!unkept.isEmpty())
            markFragments(unkept, FragmentState::NotKept);
        text += QStringLiteral("\nThe server keeps: %1")
                    .arg(view.kept.isEmpty() ? QStringLiteral("its default") : view.kept.join(u' '));
    }
    if (!view.unsent.isEmpty())
        text += QStringLiteral("\nNot sent: %1\n%2").arg(view.unsent, view.problem);
    m_sent->setText(text);
    showTally();
}

void LiveWindow::takePackets(const QList<QByteArray> &packets)
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    m_count += packets.size();
    m_perMinute.count(now, int(packets.size()));
    for (const QByteArray &packet : packets) {
        if (m_recording && !m_recording->add(packet) && m_note.isEmpty()) {
            m_note = m_recording->problem();
            showStatus();
        }
    }
    // Read a tenth of a second later, all at once: the engine and the tally see every packet the
    // window can keep up with; beyond that the oldest waiting are dropped and counted.
    m_pending += packets;
    if (m_pending.size() > kMaxPending) {
        const qsizetype over = m_pending.size() - kMaxPending;
        m_pending.remove(0, over);
        m_dropped += over;
    }
}

void LiveWindow::readPending()
{
    m_readScheduled = false;
    if (m_pending.isEmpty())
        return;
    // Only the newest the table can keep are kept. A flood is read in slices, so that the window
    // answers in between.
    QElapsedTimer slice;
    slice.start();
    const QTime now = QTime::currentTime();
    const qint64 clock = QDateTime::currentMSecsSinceEpoch();
    const qsizetype firstKept = m_pending.size() - LivePacketModel::kKeptPackets;
    qsizetype done = 0;
    for (; done < m_pending.size(); ++done) {
        if ((done & 255) == 255 && slice.elapsed() >= kReadSliceMs)
            break;
        AprsPacket packet = readPacket(m_pending[done]);
        QString fragment = m_tally.count(packet, clock);
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

void LiveWindow::showTally()
{
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const qint64 total = m_tally.total();
    const auto fill = [&](QTreeWidgetItem *item, const TrafficTally::Count &count) {
        item->setText(2, QString::number(count.packets));
        item->setText(3, m_showsAnalysis ? QStringLiteral("-") : QString::number(count.perMinute.perMinute(now)));
        item->setText(4, total == 0 ? QString() : QStringLiteral("%1%").arg(100.0 * count.packets / total, 0, 'f', 1));
        for (int column = 2; column < 5; ++column)
            item->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    };
    QTreeWidgetItem *serverRow = nullptr;
    for (int i = 0; i < m_fragments->topLevelItemCount(); ++i) {
        QTreeWidgetItem *item = m_fragments->topLevelItem(i);
        if (item->data(0, Qt::UserRole + 1).toBool())
            serverRow = item;
        else
            fill(item, m_tally.countOf(item->text(0)));
    }
    if (!m_tally.hasCount(TrafficTally::kByTheServer))
        return;
    if (!serverRow) {
        serverRow = new QTreeWidgetItem(m_fragments, {QStringLiteral("(by the server)")});
        serverRow->setData(0, Qt::UserRole + 1, true);
        serverRow->setToolTip(0,
                              QStringLiteral("Packets the server sent that no fragment explains here: it knew a "
                                             "position Varnock has not seen, or passed them by its own rules."));
    }
    fill(serverRow, m_tally.countOf(TrafficTally::kByTheServer));
}

void LiveWindow::analyseCapture()
{
    if (isActive() || m_analysis)
        return;
    const QString path = m_dialogs.askOpenFileName(this, QStringLiteral("Analyse a Capture"),
                                                   QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    auto capture = std::make_shared<QFile>(path);
    if (!capture->open(QIODevice::ReadOnly)) {
        m_note = QStringLiteral("Cannot read %1: %2").arg(QDir::toNativeSeparators(path), capture->errorString());
        showStatus();
        return;
    }
    if ((m_count > 0 || m_showsAnalysis)
        && !m_dialogs.confirm(this,
                              QStringLiteral("Analysing %1 replaces what the "
                                             "table shows. Go on?")
                                  .arg(QDir::toNativeSeparators(path))))
        return;
    // The capture is evaluated as the current line would be: only what it passes comes to the table.
    m_analysedPath = path;
    m_showsAnalysis = true;
    m_count = 0;
    m_dropped = 0;
    m_perMinute = PacketRate();
    m_model->clear();
    m_held.clear();
    m_tally.reset(m_filterLine, QByteArray());
    m_tallyLine = m_filterLine;
    showFragments(m_filterLine, FragmentState::NotSent);
    m_sent->setText(QStringLiteral("Analysed with: %1").arg(m_filterLine));
    m_model->setCentre(FilterEngine::firstRangeCentre(m_filterLine));
    m_note = QStringLiteral("Analysing %1...").arg(QDir::toNativeSeparators(path));
    m_rate->clear();
    m_progress->setRange(0, 1000);
    m_progress->setValue(0);
    m_progress->setFormat(QString());
    m_progress->show();
    m_cancel->show();
    m_analyse->setEnabled(false);
    m_connect->setEnabled(false);
    showStatus();

    // Read on a thread of its own, streaming: the window stays responsive and memory stays flat.
    m_cancelAnalysis = std::make_shared<std::atomic<bool>>(false);
    const auto cancel = m_cancelAnalysis;
    const QString line = m_filterLine;
    const QByteArray call = m_call->text().trimmed().toUpper().toLatin1();
    QPointer<LiveWindow> self(this);
    m_analysis = QThread::create([=] {
        const CaptureAnalysis result = ::analyseCapture(
            *capture, line, call, LivePacketModel::kKeptPackets,
            [&](const CaptureProgress &progress) {
                QMetaObject::invokeMethod(self, [self, progress] {
                    if (self)
                        self->showAnalysisProgress(progress);
                });
            },
            *cancel);
        QMetaObject::invokeMethod(self, [self, result] {
            if (self)
                self->finishAnalysis(result);
        });
    });
    m_analysis->start();
}

void LiveWindow::showAnalysisProgress(const CaptureProgress &progress)
{
    if (progress.size > 0)
        m_progress->setValue(int(1000 * progress.bytes / progress.size));
    else
        m_progress->setRange(0, 0);
    QString text = QStringLiteral("%1 packets, %2 per second").arg(progress.packets).arg(qRound64(progress.perSecond));
    if (progress.msecsLeft >= 0)
        text += QStringLiteral(", %1 s left").arg((progress.msecsLeft + 999) / 1000);
    m_rate->setText(text);
}

void LiveWindow::finishAnalysis(const CaptureAnalysis &result)
{
    m_analysis->wait();
    delete m_analysis;
    m_analysis = nullptr;
    m_cancelAnalysis.reset();
    m_progress->hide();
    m_cancel->hide();
    m_connect->setEnabled(true);
    m_analyse->setEnabled(true);

    QList<LiveRow> rows;
    rows.reserve(result.newest.size());
    for (const auto &[line, fragment] : result.newest)
        rows.append({QTime(), readPacket(line), fragment});
    m_model->addRows(std::move(rows));
    m_tally.restore(result.byFragment);
    m_note = QStringLiteral("%1: %2 packets, %3 pass the line")
                 .arg(QDir::toNativeSeparators(m_analysedPath))
                 .arg(result.packets)
                 .arg(result.passed);
    if (result.cancelled)
        m_note += QStringLiteral(" (cancelled: only what was read before)");
    if (result.cutLines > 0)
        m_note += QStringLiteral("; %1 lines longer than any server sends were skipped").arg(result.cutLines);
    if (!result.problem.isEmpty())
        m_note += QStringLiteral("; reading stopped: %1").arg(result.problem);
    m_rate->setText(QStringLiteral("%1 packets read, %2 passed").arg(result.packets).arg(result.passed));
    showStatus();
    showTally();
}

void LiveWindow::saveReceived()
{
    if (!m_recording || m_recording->packets() == 0) {
        m_note = QStringLiteral("Nothing received yet.");
        showStatus();
        return;
    }
    const QString suggested = QDir::home().filePath(
        QStringLiteral("live-%1.txt").arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmm"))));
    const QString path = m_dialogs.askSaveFileName(this, QStringLiteral("Save Received Packets"), suggested,
                                                   QStringLiteral("Text files (*.txt);;All files (*)"));
    if (path.isEmpty())
        return;
    const QString error = m_recording->saveTo(path);
    m_note = error.isEmpty()
        ? QStringLiteral("Saved %1 packets to %2").arg(m_recording->packets()).arg(QDir::toNativeSeparators(path))
        : QStringLiteral("Cannot write %1: %2").arg(QDir::toNativeSeparators(path), error);
    if (error.isEmpty() && !m_recording->problem().isEmpty())
        m_note += QStringLiteral(" (%1 received: %2)").arg(m_count).arg(m_recording->problem());
    showStatus();
}

void LiveWindow::copyRows()
{
    QByteArrayList lines;
    const QModelIndexList rows = m_table->selectionModel()->selectedRows();
    for (const QModelIndex &row : rows)
        lines.append(row.data(LivePacketModel::RawLineRole).toByteArray());
    if (!lines.isEmpty())
        QGuiApplication::clipboard()->setText(packetText(lines.join('\n')));
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

void LiveWindow::showStatus()
{
    const QString session = m_client->session().status();
    if (m_note.isEmpty())
        m_status->setText(session);
    else
        m_status->setText(m_showsAnalysis && !isActive() ? m_note : QStringLiteral("%1  |  %2").arg(session, m_note));
}

void LiveWindow::showRate()
{
    // An analysis keeps its own figures there until the next connection.
    if (m_showsAnalysis)
        return;
    QString text = QStringLiteral("%1 packets, %2 per minute")
                       .arg(m_count)
                       .arg(m_perMinute.perMinute(QDateTime::currentMSecsSinceEpoch()));
    if (m_dropped > 0)
        text += QStringLiteral(", %1 not shown: the window fell behind").arg(m_dropped);
    if (const qint64 cut = m_client->session().cutLines())
        text += QStringLiteral(", %1 lines longer than any server sends skipped").arg(cut);
    m_rate->setText(text);
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
