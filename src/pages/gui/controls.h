#pragma once

#include <QString>

class QCheckBox;
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
