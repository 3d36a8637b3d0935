#pragma once

#include "pages/core/symboltable.h"
#include "pages/gui/fragmentpage.h"

class Dialogs;
class QComboBox;
class QLineEdit;
class QListWidget;

/// The symbol page: stations by their map symbol, picked by name from the symbol list file.
class SymbolPage final : public FragmentPage
{
    Q_OBJECT

public:
    SymbolPage(Dialogs &dialogs, QWidget *parent = nullptr);

    /// Reads the symbol list file of the program folder and offers its names. Returns what could
    /// not be read, one line each; what could be read is loaded all the same.
    QStringList loadSymbols(const QString &programFolder);

    const SymbolTable &table() const;
    QListWidget *list() const;

    /// The Add Symbol command: appends the combo box's text, if any.
    void addSymbol();
    /// The Remove command: removes the selected entry, if any.
    void removeSymbol();

protected:
    QString fragmentFromControls() override;
    void clearInputs() override;
    void fill(const QString &word) override;

private:
    Dialogs &m_dialogs;
    SymbolTable m_table;
    QListWidget *m_list;
    QComboBox *m_combo;
    QLineEdit *m_overlay;
};

/// The name of the symbol list file in the program folder.
QString symbolFileName();
