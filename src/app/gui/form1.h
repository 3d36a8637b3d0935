#pragma once

#include "base/core/kinds.h"
#include "filter/core/decoding.h"
#include "geo/core/coordinates.h"
#include "mappicker/core/figures.h"
#include "mappicker/gui/mapwindow.h"

#include <QDateTime>
#include <QMainWindow>
#include <QPointer>

#include <array>
#include <functional>
#include <memory>

class Dialogs;
class ElidedLabel;
class FilterLineBox;
struct LineCheck;
class FragmentPage;
class LiveWindow;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;
class AreaPage;
class MapWindow;
class SymbolPage;
class SymbolTable;
class TextViewer;
class QTimer;
class UiViewApplication;
class UiViewConnector;
class UiViewMap;
struct Kind;

/// What the main window needs from outside: the modal boxes, the help viewer and its own folder.
struct Form1Services
{
    Dialogs &dialogs;
    TextViewer &viewer;
    UiViewConnector &uiview;
    QString programFolder; ///< the folder of the executable, without a trailing separator
    std::function<QDateTime()> now = &QDateTime::currentDateTime;
};

/// The main window: the page buttons, the fourteen pages and the filter band.
class Form1 final : public QMainWindow
{
    Q_OBJECT

public:
    explicit Form1(const Form1Services &services, QWidget *parent = nullptr);
    ~Form1() override;

    /// The start-up steps of the window, run once before it is shown.
    void start();
    /// Shows the window and then runs its start-up, so that whatever start-up has to tell the
    /// user stands over the window instead of alone on the screen.
    void open();

    /// Reads the symbol list of the program folder into the symbol page; returns what could not be read.
    QStringList loadSymbols();
    /// The symbols the symbol page offers.
    const SymbolTable *symbolTable() const;

    /// Writes the filter line from the fourteen fragment boxes, in line order.
    void buildMainFilter();

    /// Runs every page's Clear Filter, in the order of the filter line.
    void clearAllPages();

    /// Clears every page and hands the words of the line to the decoders of their kinds; what no
    /// page can hold beside what it holds is kept as typed. A line too long to decode changes nothing.
    DecodePlan decodeFilter(const QString &line);

    /// Reads the corners of UI-View32's current map from its information file, keeping the previous
    /// corners when the file cannot be read.
    void loadMapCornersFromInf(const QString &mapPath);
    const MapCorners &mapCorners() const;

    /// Replaces the area page's entries by the box of the current map corners.
    void setAreaFromMap();

    /// Reads UI-View32's logon filter from its settings file and decodes it into the pages.
    /// Returns what went wrong, or the empty text.
    QString loadUIView32Filter();

    /// The send timer's tick: sends "filter default" and the filter line to the server through
    /// UI-View32 when automatic sending is on and the line differs from the one sent last.
    void sendFilterIfChanged();

    /// The filter line as it stood after the last tick that sent it.
    QString lastSentFilter() const;

    /// The open map window, if any.
    MapWindow *mapWindow() const;

    /// The window "Live Traffic", once it was opened.
    LiveWindow *liveWindow() const;

    /// The text of the filter line box.
    QString filterLine() const;

    /// The page that edits a kind, by its letter; nullptr for an unknown letter.
    FragmentPage *page(QChar kind) const;

private:
    void createMenus();
    QWidget *createPageButtonBand();
    QWidget *createPageArea();
    FragmentPage *createPage(const Kind &kind);
    QWidget *createFilterBand();
    QWidget *createStatusBand();

    QStringList startUIView32Link();
    void showFilterCheck();
    void markIgnoredFragments(const LineCheck &check);
    /// Shows news of the UI-View32 link after the version in the status label.
    void showStatus(const QString &news);
    /// The time of day as the status label gives it.
    QString timeNow() const;
    void followMapChange();
    MapWindow *openMapWindow();
    void pickOnMap(QLineEdit *callbackBox);
    void showOnMap(QLineEdit *callbackBox, const QList<MapFigure> &figures);
    void showRebuiltPage(FragmentPage *page);
    void keptEdited();
    /// Runs an operation that rebuilds many pages with the tab control hidden, then shows page 0.
    template<typename Operation>
    void withPagesHidden(Operation operation);

    void clearAll();
    void copyFilterToClipboard();
    void openLiveWindow();
    void askAndDecodeFilter();
    void showAbout();
    void showHelp();
    void exitProgram();

    Form1Services m_services;
    std::array<FragmentPage *, kKindCount> m_pages{};
    QTabWidget *m_tabs = nullptr;
    SymbolPage *m_symbolPage = nullptr;
    AreaPage *m_areaPage = nullptr;
    MapCorners m_mapCorners; ///< 0 until an information file was read
    MapPickerState m_mapState;
    QPointer<MapWindow> m_mapWindow;
    LiveWindow *m_liveWindow = nullptr;
    QPointer<QPlainTextEdit> m_helpWindow; ///< Varnock's own view of the help file, where no viewer starts
    FilterLineBox *m_filterLine = nullptr;
    QLabel *m_keptLabel = nullptr;
    QLineEdit *m_kept = nullptr; ///< fragments a decode could not put into the pages, as typed
    QString m_decodeNote; ///< what the last decode did, shown until the line next changes
    bool m_decodeSetAside = false; ///< the last decode kept or left out something
    bool m_decoding = false;
    QCheckBox *m_autoMessage = nullptr;
    QCheckBox *m_autoArea = nullptr;
    QLabel *m_applicationDir = nullptr;
    QLabel *m_status = nullptr;
    ElidedLabel *m_check = nullptr;
    QTimer *m_sendTimer = nullptr;
    std::unique_ptr<UiViewApplication> mUIV;
    std::unique_ptr<UiViewMap> mUivMap;
    QString m_lastSentFilter;
    QDateTime m_sendFailingSince; ///< when sending began to fail; null while it works
    bool m_sending = false;
};

/// The version as the status label shows it: "v1.1.0".
QString versionLabel();
