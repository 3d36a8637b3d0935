#include "mappicker/gui/mapwindow.h"

#include "base/gui/dialogs.h"
#include "geo/core/numbers.h"
#include "uiview/core/uiviewlink.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

/// The map at its natural size; it draws what it holds and hands the pointer to its window.
class MapCanvas final : public QWidget
{
public:
    MapCanvas(MapWindow &window, QWidget *parent)
        : QWidget(parent)
        , m_window(window)
    {
        setObjectName(QStringLiteral("Picture1"));
        setMouseTracking(true);
        setCursor(Qt::CrossCursor);
    }

    void setImage(const QImage &image)
    {
        // Inverting drawings need an image without alpha: an inverted alpha would hide the map.
        m_image = image.convertToFormat(QImage::Format_RGB32);
        setFixedSize(m_image.size());
        update();
    }
    QImage &image() { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override
    {
        QPainter painter(this);
        painter.drawImage(event->rect(), m_image, event->rect());
    }
    void mouseMoveEvent(QMouseEvent *event) override { m_window.pointerMoved(event->position()); }
    void mousePressEvent(QMouseEvent *) override { m_window.pressed(); }

private:
    MapWindow &m_window;
    QImage m_image;
};

MapWindow::MapWindow(MapPickerState &state, UiViewConnector &uiview, Dialogs &dialogs)
    : m_state(state)
    , mUIV(uiview.createApplication())
    , m_scroll(new QScrollArea(this))
    , m_canvas(new MapCanvas(*this, m_scroll))
{
    setObjectName(QStringLiteral("virtual_uiv32"));
    setWindowTitle(QStringLiteral("UI-View32"));
    setAttribute(Qt::WA_DeleteOnClose);
    m_scroll->viewport()->setObjectName(QStringLiteral("Picture7"));
    m_scroll->horizontalScrollBar()->setObjectName(QStringLiteral("HScroll1"));
    m_scroll->verticalScrollBar()->setObjectName(QStringLiteral("VScroll1"));
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_scroll->setWidget(m_canvas);
    // A map first shows its middle; the bars learn their range only when the layout has placed the
    // new image, so they centre themselves whenever their range changes.
    for (QScrollBar *bar : {m_scroll->horizontalScrollBar(), m_scroll->verticalScrollBar()})
        connect(bar, &QScrollBar::rangeChanged, bar, [bar](int, int maximum) {
            if (maximum > 1)
                bar->setValue(static_cast<int>(roundHalfEven(maximum / 2.0)));
        });
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_scroll);
    // 7305 x 4740 twips at 96 dpi.
    resize(487, 316);

    m_state.band = {-1, -1};
    if (mUIV) {
        mUivMap = mUIV->currentMap();
        if (mUivMap)
            connect(mUivMap.get(), &UiViewMap::MapHasChanged, this, &MapWindow::grabUIView32Image);
    }
    if (!mUivMap) {
        const QString problem = mUIV ? QString() : uiview.lastProblem();
        dialogs.tell(this,
                     QStringLiteral("UI-View32 could not be reached%1, so its map cannot be shown.")
                         .arg(problem.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(problem)));
    }
}

MapWindow::~MapWindow() = default;

bool MapWindow::isLinked() const
{
    return mUivMap != nullptr;
}

void MapWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!isMinimized())
        grabUIView32Image();
}

void MapWindow::closeEvent(QCloseEvent *event)
{
    m_state.positionCount = 0;
    QWidget::closeEvent(event);
}

bool MapWindow::letEventsRun()
{
    const QPointer<MapWindow> self(this);
    QCoreApplication::processEvents();
    return !self.isNull();
}

void MapWindow::grabUIView32Image()
{
    if (!mUivMap)
        return;
    // Events let run during a grab may ask for another: it follows this one instead of nesting in it.
    if (m_grabbing) {
        m_grabAgain = true;
        return;
    }
    m_grabbing = true;
    const QPointer<MapWindow> self(this);
    do {
        m_grabAgain = false;
        // A failed call ends the grab with the previous image, corners and scale all kept.
        const std::optional<qint16> height = mUivMap->mapHeight();
        const std::optional<qint16> width = mUivMap->mapWidth();
        if (!height || !width || *width <= 0 || *height <= 0)
            break;
        const QImage image
            = mUivMap->copyMapToClipboard(*width, *height) == true ? mUivMap->takeMapFromClipboard(winId()) : QImage();
        if (image.isNull()) {
            // Every map a 16-bit size allows is taken; only one that cannot be held here is left out.
            if (QImage(*width, *height, QImage::Format_RGB32).isNull())
                setWindowTitle(QStringLiteral("Map of %1 x %2 Pixels Too Large for Memory").arg(*width).arg(*height));
            break;
        }

        m_canvas->setImage(image);
        if (!letEventsRun())
            return;
        for (QScrollBar *bar : {m_scroll->horizontalScrollBar(), m_scroll->verticalScrollBar()})
            if (bar->maximum() > 1)
                bar->setValue(static_cast<int>(roundHalfEven(bar->maximum() / 2.0))); // same range as before
        readMapInformation();
        m_state.mapScaleWidth = *width;
        m_state.mapScaleHeight = *height;
        m_state.scale = computeMapScale(m_state.corners, m_state.mapScaleWidth, m_state.mapScaleHeight);
        if (!letEventsRun())
            return;
    } while (m_grabAgain);
    if (self)
        m_grabbing = false;
}

void MapWindow::readMapInformation()
{
    const std::optional<QString> mapFile = mUivMap->mapFileName();
    const std::optional<QStringList> values = mapFile ? readMapInfoFile(*mapFile) : std::nullopt;
    if (!values) {
        setWindowTitle(QStringLiteral("Problem Loading Map Information"));
        return;
    }
    // The window's corner texts keep what a pair leaves unset, as the earlier read gave it.
    assignCornerTexts(*values, m_state.cornerTexts);
    m_state.corners = cornersFromTexts(m_state.cornerTexts);
}

void MapWindow::setCallback(QLineEdit *handle)
{
    m_state.callbackBox = handle;
}

void MapWindow::setNumberOfPositionsRequired(qint16 total)
{
    m_state.positionsRequired = total;
}

const QImage &MapWindow::mapImage() const
{
    return m_canvas->image();
}

void MapWindow::printLine(const QString &fromLat, const QString &fromLon, const QString &toLat, const QString &toLon,
                          bool doXOR)
{
    const int y1 = mapY(fromLat, m_state.corners, m_state.scale);
    const int x1 = mapX(fromLon, m_state.corners, m_state.scale);
    const int y2 = mapY(toLat, m_state.corners, m_state.scale);
    const int x2 = mapX(toLon, m_state.corners, m_state.scale);
    if (x1 < 0 || y1 < 0 || x2 < 0 || y2 < 0 || m_canvas->image().isNull())
        return;
    QPainter painter(&m_canvas->image());
    if (doXOR) {
        // Inverting white over the map: drawing the same line twice gives the map back.
        painter.setCompositionMode(QPainter::RasterOp_SourceXorDestination);
        painter.setPen(QPen(Qt::white, 4, Qt::SolidLine, Qt::FlatCap));
    } else {
        painter.setPen(QPen(QColor(255, 0, 0), 4, Qt::SolidLine, Qt::FlatCap));
    }
    painter.drawLine(x1, y1, x2, y2);
    m_canvas->update();
}

void MapWindow::printPoint(const QString &lat, const QString &lon)
{
    const int y = mapY(lat, m_state.corners, m_state.scale);
    const int x = mapX(lon, m_state.corners, m_state.scale);
    if (x < 0 || y < 0 || m_canvas->image().isNull())
        return;
    QPainter painter(&m_canvas->image());
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(255, 0, 0));
    painter.drawEllipse(QPointF(x, y), 7.5, 7.5);
    m_canvas->update();
}

void MapWindow::pointerMoved(QPointF at)
{
    if (m_state.positionsRequired == -1)
        return;
    // Map units are the map's own pixels, whatever size its image came in.
    const QImage &image = m_canvas->image();
    const double x = image.width() > 0 ? at.x() * m_state.mapScaleWidth / image.width() : at.x();
    const double y = image.height() > 0 ? at.y() * m_state.mapScaleHeight / image.height() : at.y();
    MapPickerState &s = m_state;
    s.pointer = positionAt(x, y, s.corners, s.scale);

    const auto slotLat = [&s](int i) { return singleText(s.pickedPositions[static_cast<std::size_t>(i)].latitude); };
    const auto slotLon = [&s](int i) { return singleText(s.pickedPositions[static_cast<std::size_t>(i)].longitude); };
    const int count = std::min<int>(s.positionCount, static_cast<int>(s.pickedPositions.size()));
    if (s.band.longitude != -1 && count > 0)
        printLine(slotLat(count - 1), slotLon(count - 1), doubleText(s.band.latitude), doubleText(s.band.longitude),
                  true);
    for (int i = 0; i < count; ++i) {
        if (i > 0)
            printLine(slotLat(i - 1), slotLon(i - 1), slotLat(i), slotLon(i), false);
        if (i == count - 1) {
            printLine(slotLat(i), slotLon(i), doubleText(s.pointer.latitude), doubleText(s.pointer.longitude), true);
            s.band = s.pointer;
        }
    }
    setWindowTitle(pickingCaption(s.pointer, s.positionsRequired - s.positionCount));
}

void MapWindow::pressed()
{
    MapPickerState &s = m_state;
    if (s.positionsRequired == -1) {
        close();
        return;
    }
    if (s.positionCount > 20)
        return;
    PickedPosition &slot = s.pickedPositions[static_cast<std::size_t>(s.positionCount)];
    slot.latitude = static_cast<float>(roundHalfEven(s.pointer.latitude, 6));
    slot.longitude = static_cast<float>(roundHalfEven(s.pointer.longitude, 6));
    if (s.positionCount > 0) {
        const PickedPosition &previous = s.pickedPositions[static_cast<std::size_t>(s.positionCount - 1)];
        slot.distance = static_cast<float>(
            roundHalfEven(DoDistance(previous.latitude, previous.longitude, slot.latitude, slot.longitude), 8));
    } else {
        slot.distance = 0;
    }
    ++s.positionCount;
    if (s.positionCount != s.positionsRequired) {
        // The positions picked stay in sight while the rest are picked; the next fetch of the map
        // takes the mark away with every other drawing.
        printPoint(singleText(slot.latitude), singleText(slot.longitude));
        setWindowTitle(pickingCaption(s.pointer, s.positionsRequired - s.positionCount));
        return;
    }
    const QList<PickedPosition> picked(s.pickedPositions.begin(), s.pickedPositions.begin() + s.positionCount);
    // The caller's change handling runs to its end before the window closes.
    if (s.callbackBox) {
        // Emptied first, so that picking the same positions twice still reaches the caller twice.
        s.callbackBox->clear();
        s.callbackBox->setText(callbackText(picked));
    }
    close();
}
