#include "app/gui/form1.h"

#include "app/core/filtercheck.h"
#include "app/gui/elidedlabel.h"
#include "app/gui/filterlinebox.h"
#include "app/gui/textviewer.h"
#include "aprsis/gui/livewindow.h"
#include "base/core/filterline.h"
#include "base/core/kinds.h"
#include "base/gui/dialogs.h"
#include "pages/gui/controls.h"
#include "pages/gui/friendpage.h"
#include "pages/gui/geopages.h"
#include "pages/gui/listbox.h"
#include "pages/gui/listpage.h"
#include "pages/gui/myrangepage.h"
#include "pages/gui/qconstructpage.h"
#include "pages/gui/symbolpage.h"
#include "pages/gui/typepage.h"
#include "uiview/core/uiview32.h"
#include "uiview/core/uiviewlink.h"
#include "version.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QGridLayout>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>
#include <QStyle>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace {

const QColor kBandGrey(64, 64, 64);

QString versionNumber()
{
    return QStringLiteral("%1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision);
}

QWidget *darkBand(const QString &name, QWidget *parent)
{
    auto *band = new QWidget(parent);
    band->setObjectName(name);
    band->setAutoFillBackground(true);
    QPalette colours = band->palette();
    colours.setColor(QPalette::Window, kBandGrey);
    colours.setColor(QPalette::WindowText, Qt::white);
    band->setPalette(colours);
    return band;
}

} // namespace

QString versionLabel()
{
    return QStringLiteral("v") + versionNumber();
}

Form1::Form1(const Form1Services &services, QWidget *parent)
    : QMainWindow(parent)
    , m_services(services)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(applicationTitle());

    createMenus();

    auto *central = new QWidget(this);
    auto *column = new QVBoxLayout(central);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(createPageButtonBand());
    column->addWidget(createPageArea(), 1);
    column->addWidget(createFilterBand());
    column->addWidget(createStatusBand());
    setCentralWidget(central);

    m_applicationDir = new QLabel(central);
    m_applicationDir->setObjectName(QStringLiteral("applicationDir"));
    m_applicationDir->hide();

    m_sendTimer = new QTimer(this);
    m_sendTimer->setObjectName(QStringLiteral("TimerSendFilter"));
    // Ten seconds; only the end-to-end tests shorten it, so that they need not wait.
    bool overridden = false;
    const int interval = qEnvironmentVariableIntValue("VARNOCK_SEND_INTERVAL_MS", &overridden);
    m_sendTimer->setInterval(overridden && interval > 0 ? interval : 10000);
    connect(m_sendTimer, &QTimer::timeout, this, &Form1::sendFilterIfChanged);
    m_sendTimer->start();

    // The client area is 10905 x 8820 twips, 727 x 588 pixels at 96 dpi; the menu bar comes on top.
    resize(727, 588 + menuBar()->sizeHint().height());
}

Form1::~Form1()
{
    // The map window is a window of its own, not a child: it goes with the main window.
    delete m_mapWindow;
}

void Form1::createMenus()
{
    auto *bar = menuBar();
    auto *file = bar->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("menuFile"));
    auto *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("menuFileExit"));
    connect(exit, &QAction::triggered, this, &Form1::exitProgram);

    // About and Help act when clicked on the bar itself, without a menu below them.
    auto *about = bar->addAction(QStringLiteral("&About"));
    about->setObjectName(QStringLiteral("menuAbout"));
    connect(about, &QAction::triggered, this, &Form1::showAbout);
    auto *help = bar->addAction(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("menuHelp"));
    connect(help, &QAction::triggered, this, &Form1::showHelp);
}

QWidget *Form1::createPageButtonBand()
{
    QWidget *band = darkBand(QStringLiteral("Picture4"), this);
    auto *grid = new QGridLayout(band);
    // Two rows of seven buttons, narrower than UI-View32's six so the window keeps its size.
    grid->setContentsMargins(16, 8, 16, 8);
    grid->setHorizontalSpacing(7);
    grid->setVerticalSpacing(7);
    constexpr int kPerRow = (kKindCount + 1) / 2;
    for (const Kind &kind : kinds()) {
        QPushButton *button = namedButton(kind.pageButton.toString(), kind.buttonCaption.toString(), band);
        button->setMinimumWidth(88);
        const int tab = kind.tab;
        connect(button, &QPushButton::clicked, this, [this, tab] { m_tabs->setCurrentIndex(tab); });
        grid->addWidget(button, tab / kPerRow, tab % kPerRow);
    }
    return band;
}

QWidget *Form1::createPageArea()
{
    auto *area = new QWidget(this);
    area->setObjectName(QStringLiteral("Picture3"));
    auto *layout = new QVBoxLayout(area);
    layout->setContentsMargins(16, 8, 16, 8);

    m_tabs = new QTabWidget(area);
    m_tabs->setObjectName(QStringLiteral("SSTab1"));
    m_tabs->setUsesScrollButtons(true);
    layout->addWidget(m_tabs);

    for (const Kind &kind : kinds()) {
        FragmentPage *page = createPage(kind);
        connect(page, &FragmentPage::rebuilt, this, &Form1::showRebuiltPage);
        m_pages[static_cast<std::size_t>(kind.tab)] = page;
        m_tabs->addTab(page, kind.idleCaption.toString());
    }
    return area;
}

FragmentPage *Form1::createPage(const Kind &kind)
{
    for (const ListPageSpec &spec : ListPage::specs())
        if (spec.kind == kind.letter)
            return new ListPage(spec, m_services.dialogs, m_tabs);
    switch (kind.letter) {
    case u't':
        return new TypePage(m_tabs);
    case u's':
        m_symbolPage = new SymbolPage(m_services.dialogs, m_tabs);
        return m_symbolPage;
    case u'q':
        return new QConstructPage(m_tabs);
    case u'm':
        return new MyRangePage(m_tabs);
    case u'f':
        return new FriendPage(m_services.dialogs, m_tabs);
    case u'r': {
        auto *range = new RangePage(m_services.dialogs, m_tabs);
        connect(range, &RangePage::pickOnMap, this, [this, range] { pickOnMap(range->callbackBox()); });
        connect(range, &RangePage::showOnMap, this,
                [this, range] { showOnMap(range->callbackBox(), rangeFigures(walkList(range->list()))); });
        return range;
    }
    default:
        m_areaPage = new AreaPage(m_services.dialogs, m_tabs);
        connect(m_areaPage, &AreaPage::pickOnMap, this, [this] { pickOnMap(m_areaPage->callbackBox()); });
        connect(m_areaPage, &AreaPage::showOnMap, this,
                [this] { showOnMap(m_areaPage->callbackBox(), areaFigures(walkList(m_areaPage->list()))); });
        return m_areaPage;
    }
}

QWidget *Form1::createFilterBand()
{
    QWidget *band = darkBand(QStringLiteral("Picture2"), this);
    auto *grid = new QGridLayout(band);
    grid->setContentsMargins(16, 8, 16, 8);
    grid->setVerticalSpacing(4);

    m_filterLine = new FilterLineBox(band);
    m_filterLine->setObjectName(QStringLiteral("main_filter"));
    m_filterLine->setFixedHeight(51);
    connect(m_filterLine, &QPlainTextEdit::textChanged, this, &Form1::showFilterCheck);
    grid->addWidget(m_filterLine, 0, 0, 1, 6);

    // Only a decode fills it, so it shows only while it holds something.
    m_keptLabel = new QLabel(QStringLiteral("Kept as typed"), band);
    m_kept = new QLineEdit(band);
    m_kept->setObjectName(QStringLiteral("kept_as_typed"));
    m_kept->setToolTip(QStringLiteral("Fragments that the pages could not hold beside what they hold. They stand "
                                      "at the end of the filter line, as typed; edit or empty them here."));
    m_keptLabel->setBuddy(m_kept);
    connect(m_kept, &QLineEdit::textEdited, this, &Form1::keptEdited);
    auto *keptRow = new QHBoxLayout;
    keptRow->addWidget(m_keptLabel);
    keptRow->addWidget(m_kept, 1);
    grid->addLayout(keptRow, 1, 0, 1, 6);
    m_keptLabel->hide();
    m_kept->hide();

    QPushButton *clearAll = namedButton(QStringLiteral("Command3"), QStringLiteral("Clear All"), band);
    connect(clearAll, &QPushButton::clicked, this, &Form1::clearAll);

    m_autoMessage = namedCheckBox(QStringLiteral("checkAutoMessageSet"),
                                  QStringLiteral("Auto Send Filter Msg Via UI-View32"), band);
    m_autoArea = namedCheckBox(QStringLiteral("checkAutoSetArea"),
                               QStringLiteral("Auto Set 'Area' to Size of UI-View32 Map"), band);
    connect(m_autoMessage, &QCheckBox::toggled, this, [this](bool ticked) {
        if (!ticked || mUIV)
            return;
        showStatus(QStringLiteral("Automatic sending is on, but %1, so nothing can be sent.")
                       .arg(isUIView32Installed() ? QStringLiteral("UI-View32 is not running")
                                                  : QStringLiteral("UI-View32 is not installed")));
    });
    // Following the map only helps when the new area reaches the server.
    connect(m_autoArea, &QCheckBox::clicked, this, [this](bool ticked) {
        if (!ticked)
            return;
        m_autoMessage->setChecked(true);
        // The area follows the map from now on, so it starts from the map shown now.
        followMapChange();
    });
    auto *checks = new QVBoxLayout;
    checks->setSpacing(2);
    checks->addWidget(m_autoMessage);
    checks->addWidget(m_autoArea);

    QPushButton *copy = namedButton(QStringLiteral("Command2"), QStringLiteral("Clipboard Filter"), band);
    connect(copy, &QPushButton::clicked, this, &Form1::copyFilterToClipboard);
    QPushButton *decode = namedButton(QStringLiteral("decode_filter"), QStringLiteral("Decode Filter"), band);
    connect(decode, &QPushButton::clicked, this, &Form1::askAndDecodeFilter);
    QPushButton *live = namedButton(QStringLiteral("live_test"), QStringLiteral("Test Live..."), band);
    connect(live, &QPushButton::clicked, this, &Form1::openLiveWindow);
    for (QPushButton *button : {clearAll, copy, decode, live})
        button->setMinimumWidth(97);

    grid->addWidget(clearAll, 2, 0, Qt::AlignVCenter);
    grid->addLayout(checks, 2, 1);
    grid->setColumnStretch(2, 1);
    grid->addWidget(copy, 2, 3, Qt::AlignVCenter);
    grid->addWidget(decode, 2, 4, Qt::AlignVCenter);
    grid->addWidget(live, 2, 5, Qt::AlignVCenter);
    return band;
}

QWidget *Form1::createStatusBand()
{
    QWidget *band = darkBand(QStringLiteral("Picture1"), this);
    auto *row = new QHBoxLayout(band);
    row->setContentsMargins(8, 1, 8, 1);
    m_status = new QLabel(band);
    m_status->setObjectName(QStringLiteral("status"));
    row->addWidget(m_status);
    row->addSpacing(16);
    // What a server will make of the line: it only informs, and never holds the line up.
    // Long sentences end in "..." at the window's width; the whole text is in the tooltip, and a
    // click shows it.
    m_check = new ElidedLabel(band);
    m_check->setObjectName(QStringLiteral("filter_check"));
    m_check->setCursor(Qt::PointingHandCursor);
    connect(m_check, &ElidedLabel::clicked, this, [this] {
        if (!m_check->text().isEmpty())
            m_services.dialogs.tell(this, m_check->text());
    });
    row->addWidget(m_check, 1);
    return band;
}

void Form1::start()
{
    m_tabs->setCurrentIndex(0);
    m_applicationDir->setText(QDir::toNativeSeparators(m_services.programFolder));
    // No step stops start-up: each does what it can, and the user hears once of what did not work.
    QStringList problems = loadSymbols();
    if (isUIView32Installed()) {
        problems += startUIView32Link();
    } else {
        for (const char *name : {"Command6", "Command8", "Command13", "Command9"}) {
            auto *button = findChild<QPushButton *>(QLatin1StringView(name));
            button->setEnabled(false);
            button->setToolTip(QStringLiteral("UI-View32 is not installed"));
        }
    }
    m_status->setText(versionLabel());
    if (!problems.isEmpty())
        m_services.dialogs.tell(this, QStringLiteral("Varnock has started, but:\n\n") + problems.join(u'\n'));
}

void Form1::open()
{
    show();
    start();
}

QStringList Form1::loadSymbols()
{
    QStringList problems = m_symbolPage->loadSymbols(m_services.programFolder);
    constexpr int shown = 10;
    if (problems.size() > shown) {
        const qsizetype more = problems.size() - shown;
        problems.resize(shown);
        problems.append(QStringLiteral("... and %1 more problems with the symbol list.").arg(more));
    }
    return problems;
}

void Form1::showFilterCheck()
{
    const QString line = filterLine();
    if (line.isEmpty()) {
        m_check->clear();
        m_check->setToolTip(QString());
        m_filterLine->setToolTip(QString());
        return;
    }
    const LineCheck check = checkFilterLine(line);
    QString summary = checkSummary(check);
    if (!m_decodeNote.isEmpty())
        summary = m_decodeNote + u' ' + summary;
    m_check->setText(summary);
    m_check->setToolTip(summary);
    QPalette colours = m_check->palette();
    // Three looks: something a server ignores, something to note, all well.
    colours.setColor(QPalette::WindowText,
                     check.anyIgnored()                           ? QColor(255, 160, 160)
                         : check.anyWarning() || m_decodeSetAside ? QColor(255, 220, 130)
                                                                  : QColor(190, 255, 190));
    m_check->setPalette(colours);
    m_filterLine->setToolTip(explainFilterLine(line, symbolTable()).join(u'\n'));
    markIgnoredFragments(check);
}

void Form1::markIgnoredFragments(const LineCheck &check)
{
    // In the line: each ignored fragment where it stands, found in the order servers read them.
    const QString line = filterLine();
    QList<std::pair<qsizetype, qsizetype>> stretches;
    qsizetype from = line.startsWith(u"filter") ? 6 : 0;
    for (const Fragment &fragment : check.fragments) {
        const qsizetype at = line.indexOf(fragment.word, from);
        if (at < 0)
            continue;
        from = at + fragment.word.size();
        if (fragment.verdict == Fragment::Verdict::Ignored)
            stretches.append({at, fragment.word.size()});
    }
    m_filterLine->markIgnored(stretches);

    // In each fragment box that holds one: a warning sign at its end and why, in its tooltip; italic,
    // and struck through when servers ignore all the box holds (a box cannot strike out a part).
    for (FragmentPage *page : m_pages) {
        QLineEdit *box = page->fragmentBox();
        const QList<Fragment> fragments = readFilterLine(box->text());
        QStringList reasons;
        for (const Fragment &fragment : fragments)
            if (fragment.verdict == Fragment::Verdict::Ignored)
                reasons.append(QStringLiteral("Servers ignore %1: %2").arg(fragment.word, fragment.reason));
        QFont font = box->font();
        font.setStrikeOut(!reasons.isEmpty() && reasons.size() == fragments.size());
        font.setItalic(!reasons.isEmpty());
        box->setFont(font);
        box->setToolTip(reasons.join(u'\n'));
        auto *sign = box->findChild<QAction *>(QStringLiteral("ignored_sign"), Qt::FindDirectChildrenOnly);
        if (!sign) {
            if (reasons.isEmpty())
                continue;
            sign = box->addAction(style()->standardIcon(QStyle::SP_MessageBoxWarning), QLineEdit::TrailingPosition);
            sign->setObjectName(QStringLiteral("ignored_sign"));
        }
        sign->setVisible(!reasons.isEmpty());
        sign->setToolTip(box->toolTip());
    }
}

const SymbolTable *Form1::symbolTable() const
{
    return &m_symbolPage->table();
}

QStringList Form1::startUIView32Link()
{
    QStringList problems;
    const QString folder = findUIView32();
    if (!folder.endsWith(u'\\') && !folder.endsWith(u'/')) {
        // File names would run on from the folder's last part, outside UI-View32's folder: an add-on
        // entry written there is one UI-View32 never reads, and stays behind as litter.
        problems.append(QStringLiteral("UI-View32's folder is recorded as \"%1\", without its final \"%2\", so its "
                                       "logon filter was not loaded and Varnock was not added to its add-ons.")
                            .arg(folder, QDir::separator()));
    } else {
        if (const QString problem = loadUIView32Filter(); !problem.isEmpty())
            problems.append(problem);
        QString error;
        if (writeAddOnFile(folder, m_applicationDir->text(), &error) == AddOnFile::NotWritten)
            problems.append(QStringLiteral("Varnock could not add itself to UI-View32's add-ons (%1): %2")
                                .arg(QDir::toNativeSeparators(folder + QStringLiteral("Varnock.xtr")), error));
    }

    mUIV = m_services.uiview.createApplication();
    if (!mUIV) {
        const QString why = m_services.uiview.lastProblem();
        problems.append(QStringLiteral("UI-View32 could not be reached%1, so the filter cannot be sent through it "
                                       "and the area cannot follow its map.")
                            .arg(why.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(why)));
        return problems;
    }
    connect(mUIV.get(), &UiViewApplication::UIView32IsClosing, this, &Form1::exitProgram);
    mUivMap = mUIV->currentMap();
    if (!mUivMap) {
        problems.append(QStringLiteral("UI-View32's map could not be reached, so the area cannot follow it."));
        return problems;
    }
    connect(mUivMap.get(), &UiViewMap::MapHasChanged, this, &Form1::followMapChange);
    return problems;
}

QString Form1::loadUIView32Filter()
{
    QFile ini(findUIView32() + uiviewIniName());
    if (!ini.open(QIODevice::ReadOnly))
        return QStringLiteral("UI-View32's settings %1 could not be read (%2), so its logon filter was not loaded.")
            .arg(QDir::toNativeSeparators(ini.fileName()), ini.errorString());
    const std::optional<QString> filter = logonFilterFromIni(ini.readAll());
    if (!filter)
        return {};
    DecodePlan plan;
    withPagesHidden([this, &filter, &plan] { plan = decodeFilter(*filter); });
    // Told before anything can be sent: with automatic sending on, the line goes to the server.
    if (plan.refused())
        return QStringLiteral("UI-View32's logon filter was not loaded. %1").arg(decodeSummary(plan));
    if (plan.anythingSetAside())
        return QStringLiteral("UI-View32's logon filter did not all fit the pages. %1 What was kept as typed stands "
                              "at the end of the filter line.")
            .arg(decodeSummary(plan));
    return {};
}

void Form1::sendFilterIfChanged()
{
    // While UI-View32 keeps a send waiting, the window's events go on, the next tick among them.
    if (m_sending || !m_autoMessage->isChecked() || !isUIView32Installed())
        return;
    const QScopedValueRollback sending(m_sending, true);
    const QString line = filterLine();
    if (line == m_lastSentFilter)
        return;
    // UI-View32 may have been installed after start-up, when no application object was made.
    if (!mUIV)
        return;
    const QString server = QStringLiteral("SERVER");
    const auto send
        = [&](const QString &text) { return mUIV->sendAprsMessage(server, QString(), 100, QStringLiteral("A"), text); };
    bool sent = send(QStringLiteral("filter default"));
    if (sent && trimBlanks(line) != u"filter")
        sent = send(line);
    if (!sent) {
        // The line stays unsent, so the next tick tries again.
        if (m_sendFailingSince.isNull())
            m_sendFailingSince = m_services.now();
        showStatus(QStringLiteral("The filter could not be sent through UI-View32 since %1.")
                       .arg(m_sendFailingSince.toString(QStringLiteral("HH:mm:ss"))));
        return;
    }
    m_lastSentFilter = line;
    m_sendFailingSince = QDateTime();
    // Each automatic send shows, so that the user sees what the server was told, and when.
    showStatus(trimBlanks(line) == u"filter"
                   ? QStringLiteral("%1: sent \"filter default\" through UI-View32.").arg(timeNow())
                   : QStringLiteral("%1: sent \"filter default\" and \"%2\" through UI-View32.").arg(timeNow(), line));
}

void Form1::showStatus(const QString &news)
{
    m_status->setText(versionLabel() + QStringLiteral("   ") + news);
}

QString Form1::timeNow() const
{
    return m_services.now().toString(QStringLiteral("HH:mm:ss"));
}

QString Form1::lastSentFilter() const
{
    return m_lastSentFilter;
}

void Form1::followMapChange()
{
    if (!m_autoArea->isChecked() || !mUivMap)
        return;
    if (const std::optional<QString> mapFile = mUivMap->mapFileName()) {
        loadMapCornersFromInf(*mapFile);
        setAreaFromMap();
        showStatus(QStringLiteral("%1: the area is now UI-View32's map, %2.")
                       .arg(timeNow(), trimBlanks(page(u'a')->fragmentBox()->text())));
    }
}

void Form1::loadMapCornersFromInf(const QString &mapPath)
{
    // An unreadable file leaves the corners of the last map that could be read.
    if (const std::optional<MapCorners> corners = ::loadMapCornersFromInf(mapPath))
        m_mapCorners = *corners;
}

const MapCorners &Form1::mapCorners() const
{
    return m_mapCorners;
}

void Form1::setAreaFromMap()
{
    m_areaPage->setAreaFromMap(m_mapCorners);
}

MapWindow *Form1::mapWindow() const
{
    return m_mapWindow;
}

MapWindow *Form1::openMapWindow()
{
    // Every opening is a fresh window with UI-View32 objects of its own.
    if (m_mapWindow) {
        m_mapWindow->close();
        delete m_mapWindow;
    }
    QCoreApplication::processEvents();
    auto *window = new MapWindow(m_mapState, m_services.uiview, m_services.dialogs);
    if (!window->isLinked()) {
        delete window;
        return nullptr;
    }
    m_mapWindow = window;
    window->show();
    return window;
}

void Form1::pickOnMap(QLineEdit *callbackBox)
{
    if (MapWindow *window = openMapWindow()) {
        window->setCallback(callbackBox);
        window->setNumberOfPositionsRequired(2);
    }
}

void Form1::showOnMap(QLineEdit *callbackBox, const QList<MapFigure> &figures)
{
    MapWindow *window = openMapWindow();
    if (!window)
        return;
    window->setCallback(callbackBox);
    window->setNumberOfPositionsRequired(-1);
    for (const MapFigure &figure : figures) {
        if (figure.shape == MapFigure::Shape::Point)
            window->printPoint(figure.fromLat, figure.fromLon);
        else
            window->printLine(figure.fromLat, figure.fromLon, figure.toLat, figure.toLon, false);
    }
}

void Form1::buildMainFilter()
{
    QStringList boxes;
    boxes.reserve(kKindCount);
    for (const Kind *kind : kindsInLineOrder())
        boxes.append(m_pages[static_cast<std::size_t>(kind->tab)]->fragmentBox()->text());
    boxes.append(m_kept->text());
    m_filterLine->setText(assembleFilterLine(boxes));
}

void Form1::keptEdited()
{
    m_decodeNote.clear();
    m_decodeSetAside = false;
    buildMainFilter();
    showFilterCheck();
}

void Form1::showRebuiltPage(FragmentPage *page)
{
    if (!m_decoding) {
        m_decodeNote.clear();
        m_decodeSetAside = false;
    }
    m_tabs->setCurrentIndex(page->kind().tab);
    m_tabs->setTabText(m_tabs->currentIndex(), page->caption());
    buildMainFilter();
}

void Form1::clearAllPages()
{
    m_kept->clear();
    m_keptLabel->hide();
    m_kept->hide();
    for (const Kind *kind : kindsInLineOrder())
        m_pages[static_cast<std::size_t>(kind->tab)]->clearFilter();
}

DecodePlan Form1::decodeFilter(const QString &line)
{
    DecodePlan plan = planDecode(line);
    if (plan.refused())
        return plan;

    const QScopedValueRollback decoding(m_decoding, true);
    clearAllPages();
    // Each page takes all its words at once and rebuilds once, so a line of many words costs no
    // more than its length. Pages rebuild in the order of their last word, which leaves in front
    // the page that decoding word by word would leave there.
    for (qsizetype i = 0; i < plan.shares.size(); ++i) {
        FragmentPage *target = page(plan.shares[i].kind);
        target->decodeWords(plan.shares[i].words);
        // A page that cannot say it (a symbol missing from the list, say) gives its words back.
        if (!pageHolds(plan.shares[i], target->fragmentBox()->text())) {
            target->clearFilter();
            plan.withdraw(i);
        }
    }
    m_kept->setText(plan.keptText());
    m_keptLabel->setVisible(!plan.kept.isEmpty());
    m_kept->setVisible(!plan.kept.isEmpty());
    m_decodeNote = decodeSummary(plan);
    m_decodeSetAside = plan.anythingSetAside();
    buildMainFilter();
    showFilterCheck();
    return plan;
}

QString Form1::filterLine() const
{
    return m_filterLine->text();
}

FragmentPage *Form1::page(QChar kind) const
{
    const Kind *found = kindForLetter(kind);
    return found ? m_pages[static_cast<std::size_t>(found->tab)] : nullptr;
}

template<typename Operation>
void Form1::withPagesHidden(Operation operation)
{
    m_tabs->hide();
    operation();
    m_tabs->setCurrentIndex(0);
    m_tabs->show();
}

void Form1::clearAll()
{
    m_decodeNote.clear();
    m_decodeSetAside = false;
    withPagesHidden([this] { clearAllPages(); });
}

LiveWindow *Form1::liveWindow() const
{
    return m_liveWindow;
}

void Form1::openLiveWindow()
{
    if (!m_liveWindow) {
        m_liveWindow = new LiveWindow(m_services.dialogs, this);
        m_liveWindow->setFilterLine(filterLine());
        connect(m_filterLine, &QPlainTextEdit::textChanged, m_liveWindow,
                [this] { m_liveWindow->setFilterLine(filterLine()); });
    }
    m_liveWindow->show();
    m_liveWindow->raise();
    m_liveWindow->activateWindow();
}

void Form1::copyFilterToClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    const QString line = filterLine();
    if (!line.isEmpty())
        clipboard->setText(line);
    m_services.dialogs.tell(this, QStringLiteral("Filter copied to clipboard"));
}

void Form1::askAndDecodeFilter()
{
    const QString line = m_services.dialogs.askLongText(this, QStringLiteral("Enter an existing filter"),
                                                        QStringLiteral("Decode Filter"), filterLine());
    if (line.isEmpty())
        return;
    if (line.size() > kMaxDecodedLine) {
        m_services.dialogs.tell(this, decodeSummary(planDecode(line)));
        return;
    }
    withPagesHidden([this, &line] { decodeFilter(line); });
}

void Form1::showAbout()
{
    m_services.dialogs.tell(this, QStringLiteral("Varnock V") + versionNumber());
}

void Form1::showHelp()
{
    const QString path = QDir(m_applicationDir->text()).filePath(QStringLiteral("readme.1st"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        m_services.dialogs.tell(this,
                                QStringLiteral("The help file %1 could not be read: %2")
                                    .arg(QDir::toNativeSeparators(path), file.errorString()));
        return;
    }
    if (m_services.viewer.open(path))
        return;
    // Where no viewer can be started, Varnock shows the file itself: Help never shows nothing.
    if (!m_helpWindow) {
        auto *window = new QPlainTextEdit(this);
        window->setWindowFlag(Qt::Window);
        window->setObjectName(QStringLiteral("help_text"));
        window->setWindowTitle(QStringLiteral("Varnock Help"));
        window->setReadOnly(true);
        window->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
        window->resize(720, 560);
        m_helpWindow = window;
    }
    m_helpWindow->setPlainText(QString::fromLocal8Bit(file.read(1 << 20)));
    m_helpWindow->show();
    m_helpWindow->raise();
    m_helpWindow->activateWindow();
}

void Form1::exitProgram()
{
    QApplication::closeAllWindows();
    QCoreApplication::quit();
}
