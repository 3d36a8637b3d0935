#pragma once

#include "aprsis/core/serverlines.h"
#include "aprsis/gui/livetable.h"
#include "packets/core/filterengine.h"

#include <QDateTime>
#include <QHash>
#include <QWidget>

#include <memory>

class AprsIsClient;
class Dialogs;
class LivePacketModel;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTemporaryFile;
class QTimer;
class QTreeWidget;

/// The window "Live Traffic": a read-only connection of its own to an APRS-IS server with the
/// current filter line, showing what the server really passes for it and which fragments it kept.
class LiveWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit LiveWindow(Dialogs &dialogs, QWidget *parent = nullptr);
    ~LiveWindow() override;

    /// Follows the filter line: while connected, it goes to the server a second after the last change.
    void setFilterLine(const QString &line);

    /// Whether the user wants a connection: connected, connecting or waiting to reconnect.
    bool isActive() const { return m_active; }
    /// Packets received since Connect.
    qint64 packetCount() const { return m_count; }

    /// Servers send a comment line about every 20 s; this much silence means the connection is dead.
    void setSilenceLimit(int msecs);

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    enum class FragmentState { Sent, Kept, NotKept, ParseError, NotSent };

    void toggleConnection();
    void startConnection();
    void stopConnection(const QString &status);
    void reconnectLater(const QString &reason);
    void sendFilter();

    void takePacket(const QByteArray &line);
    void takeServerLine(const ServerLine &line);
    void readPending();
    void flushPackets();
    void saveReceived();
    void analyseCapture();

    /// The fragment that brought a packet the server sent, as the table names it.
    QString broughtBy(const AprsPacket &packet);
    void resetTally();
    void showTally();

    void showFragments(const QString &line, FragmentState state);
    void markFragments(const QStringList &fragments, FragmentState state);
    void markUnkept(const QStringList &kept);
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
    QLabel *m_rate;
    QTableView *m_table;

    QTimer *m_filterDelay;
    QTimer *m_reconnect;
    QTimer *m_silence;
    QTimer *m_flush;

    QString m_filterLine = QStringLiteral("filter");
    QString m_sentLine; ///< the line the server was last given
    int m_silenceLimit = 120000;
    QString m_host;
    quint16 m_port = 0;
    bool m_active = false;
    int m_attempt = 0;
    QString m_state; ///< what the connection is doing, as the status line says it
    QString m_comment; ///< the server's last comment line
    QString m_greeting;

    qint64 m_count = 0;
    PacketRate m_perMinute;
    QList<QByteArray> m_pending; ///< received, not yet read
    QList<LiveRow> m_held; ///< read while the table is paused, the newest it can keep

    /// Tells which fragment brought each packet; evaluates what the server kept of the line.
    std::unique_ptr<FilterEngine> m_engine;
    struct Tally
    {
        qint64 packets = 0;
        PacketRate perMinute;
    };
    QHash<QString, Tally> m_tally; ///< by fragment, and "server" for what the engine cannot tell
    qint64 m_tallied = 0;
    bool m_readScheduled = false;
    bool m_analysed = false; ///< the table shows a capture, not the connection
    /// Every packet since Connect, one a line, kept on disk so that a long session costs no memory.
    std::unique_ptr<QTemporaryFile> m_received;
};
