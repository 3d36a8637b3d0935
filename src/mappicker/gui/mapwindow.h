#pragma once

#include "geo/core/coordinates.h"
#include "mappicker/core/callbacktext.h"
#include "mappicker/core/mapgeometry.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>

class Dialogs;
class QLineEdit;
class QScrollArea;
class UiViewApplication;
class UiViewConnector;
class UiViewMap;
class MapCanvas;

/// What the map window keeps from one opening to the next: each opening is a fresh window, but
/// corners, scale, mode, callback target, pointer and picked positions carry over.
struct MapPickerState
{
    CornerTexts cornerTexts;
    MapCorners corners;
    float mapScaleWidth = 0;
    float mapScaleHeight = 0;
    MapScale scale;
    qint16 positionsRequired = 0; ///< -1 shows only; 1 to 21 positions to pick
    qint16 positionCount = 0;
    std::array<PickedPosition, 21> pickedPositions{};
    QPointer<QLineEdit> callbackBox;
    Position pointer;
    Position band{-1, -1}; ///< far end of the rubber band as drawn; a longitude of -1 means none
};

/// The window that shows UI-View32's current map, on which the user picks positions for the range
/// and area pages and sees their entries drawn.
class MapWindow final : public QWidget
{
    Q_OBJECT

public:
    MapWindow(MapPickerState &state, UiViewConnector &uiview, Dialogs &dialogs);
    ~MapWindow() override;

    /// Whether the window reached UI-View32 when it opened.
    bool isLinked() const;

    /// Fetches the current map image, its corners and its scale again.
    void grabUIView32Image();

    /// The caller's text box that receives the callback text.
    void setCallback(QLineEdit *handle);
    /// Positions to pick (1 to 21), or -1 to show only.
    void setNumberOfPositionsRequired(qint16 total);

    /// Draws a straight segment between two positions, 4 pixels wide, red or inverting.
    void printLine(const QString &fromLat, const QString &fromLon, const QString &toLat, const QString &toLon,
                   bool doXOR);
    /// Draws a red dot 15 pixels across at a position.
    void printPoint(const QString &lat, const QString &lon);

    /// The map as shown, drawings included.
    const QImage &mapImage() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    friend class MapCanvas;
    void pointerMoved(QPointF at);
    void pressed();
    /// Lets pending window events run; false when this window went away meanwhile.
    bool letEventsRun();
    void readMapInformation();

    MapPickerState &m_state;
    std::unique_ptr<UiViewApplication> mUIV;
    std::unique_ptr<UiViewMap> mUivMap;
    QScrollArea *m_scroll;
    MapCanvas *m_canvas;
    bool m_grabbing = false;
    bool m_grabAgain = false;
};
