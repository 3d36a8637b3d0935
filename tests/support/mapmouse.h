#pragma once

#include <QPoint>

class MapWindow;
class QWidget;

/// The map area of a map window.
QWidget *mapCanvas(MapWindow *window);
/// The pointer moves over the map to a pixel of the map.
void movePointer(MapWindow *window, QPoint at);
/// A button goes down over the map.
void pressButton(MapWindow *window);
