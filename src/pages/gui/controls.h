#pragma once

#include <QString>

class QCheckBox;
class QGridLayout;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

/// Controls created with their object name, as the pages and the tests know them.
QPushButton *namedButton(const QString &name, const QString &caption, QWidget *parent);
QCheckBox *namedCheckBox(const QString &name, const QString &caption, QWidget *parent);
/// A single-line text box that takes texts of any length.
QLineEdit *namedLineEdit(const QString &name, QWidget *parent);
/// A framed group; captions carry a blank at both ends, as every frame of the pages does.
QGroupBox *namedGroup(const QString &name, const QString &caption, QWidget *parent);

/// The "Callsign" and "Range ... Km" rows of a station, laid out in a group; returns the grid so a
/// page can add its own rows below.
QGridLayout *layOutStation(QGroupBox *group, QLineEdit *callsign, QLineEdit *range);
