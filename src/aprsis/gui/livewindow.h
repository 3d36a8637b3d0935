#pragma once

#include "aprsis/core/captureanalysis.h"
#include "aprsis/core/serverlines.h"
#include "aprsis/core/traffictally.h"
#include "aprsis/gui/livetable.h"

#include <QWidget>

#include <atomic>
#include <memory>

class AprsIsClient;
class Dialogs;
class LivePacketModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class QThread;
class QTimer;
class QTreeWidget;
class Recording;

/// The window "Live Traffic": a read-only connection of its own to an APRS-IS server with the
/// current filter line, showing what the server really passes for it and which fragments it kept.
/// The connection itself is the client's; the window lays out and shows.
class LiveWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit LiveWindow(Dialogs &dialogs, QWidget *parent = nullptr);
    ~LiveWindow() override;

    /// Follows the filter line: while connected, it goes to the server a second after the last change.
    void setFilterLine(const QString &line);

    /// Whether the user wants a connection: connected, connecting or waiting to reconnect.
    bool isActive() const;
    /// Packets received since Connect.
    qint64 packetCount() const { return m_count; }
    /// Packets received that the window could not read in time, and so never showed.
    qint64 droppedCount() const { return m_dropped; }
    /// What the recording for "Save..." holds, in bytes.
    qint64 recordedBytes() const;
    /// Whether a capture is being analysed.
    bool isAnalysing() const { return m_analysis != nullptr; }

    /// How long the server may stay silent, and take to accept and answer the login, before the
    /// connection is made again (for tests).
    void setSilenceLimit(int msecs);
    /// The most the recording for "Save..." may hold; 1 GiB unless the settings say otherwise.
    void setRecordingLimit(qint64 bytes);

    /// The most packets received and not yet read; a window that falls further behind drops the
    /// oldest and says how many.
    static constexpr qsizetype kMaxPending = 200000;

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    enum class FragmentState { Sent, Kept, NotKept, ParseError, NotSent };

    void toggleConnection();
    void showSession();
    void takePackets(const QList<QByteArray> &packets);
    void readPending();
    void flushPackets();
    void saveReceived();
    void analyseCapture();
    void showAnalysisProgress(const CaptureProgress &progress);
    void finishAnalysis(const CaptureAnalysis &result);
    bool mayReplaceTable();
    void copyRows();

    void showTally();
    void showFragments(const QString &line, FragmentState state);
    void markFragments(const QStringList &fragments, FragmentState state);
    void showServerView();
    void showStatus();
    void showRate();
    void rememberSettings();

    Dialogs &m_dialogs;
    AprsIsClient *m_client;
    LivePacketModel *m_model;

    QLineEdit *m_server;
    QLineEdit *m_call;
    QLineEdit *m_passcode;
    QCheckBox *m_rememberPasscode;
    QPushButton *m_connect;
    QLabel *m_status;
    QLabel *m_sent;
    QTreeWidget *m_fragments;
    QLineEdit *m_search;
    QPushButton *m_pause;
    QPushButton *m_save;
    QPushButton *m_analyse;
    QProgressBar *m_progress;
    QPushButton *m_cancel;
    QLabel *m_rate;
    QTableView *m_table;
    QTimer *m_flush;

    QString m_filterLine = QStringLiteral("filter");
    int m_silenceLimit = 120000;
    int m_answerLimit = 10000;
    QString m_note; ///< what the window adds to the session's status: a save, a recording problem

    qint64 m_count = 0;
    qint64 m_dropped = 0;
    PacketRate m_perMinute;
    QList<QByteArray> m_pending; ///< received, not yet read
    QList<LiveRow> m_held; ///< read while the table is paused, the newest it can keep
    TrafficTally m_tally;
    QString m_tallyLine; ///< the line the tally evaluates: what the server was sent, or said it keeps
    bool m_readScheduled = false;

    std::unique_ptr<Recording> m_recording;
    qint64 m_recordingLimit;

    /// The analysis running on its own thread, and what the table shows when it is done.
    QThread *m_analysis = nullptr;
    std::shared_ptr<std::atomic<bool>> m_cancelAnalysis;
    QString m_analysedPath;
    bool m_showsAnalysis = false;
};
