#include "pages/gui/symbolpage.h"

#include "base/core/kinds.h"
#include "pages/gui/controls.h"
#include "pages/gui/listbox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

QString symbolFileName()
{
    return QStringLiteral("symbols.wiz");
}

SymbolPage::SymbolPage(Dialogs &dialogs, QWidget *parent)
    : FragmentPage(*kindForLetter(u's'), ExcludePlacement::InFragmentFrame, parent)
    , m_dialogs(dialogs)
    , m_list(createEntryList(QStringLiteral("List6"), this))
    , m_combo(new QComboBox(this))
    , m_overlay(namedLineEdit(QStringLiteral("symbol_overlay"), this))
{
    m_combo->setObjectName(QStringLiteral("symbol_combo"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setMinimumWidth(305);
    m_combo->setMaxVisibleItems(20);
    m_overlay->setMaximumWidth(40);
    connect(m_overlay, &QLineEdit::textChanged, this, &SymbolPage::rebuildUnlessFilling);

    QPushButton *remove = namedButton(QStringLiteral("Command12"), QStringLiteral("Remove"), this);
    connect(remove, &QPushButton::clicked, this, &SymbolPage::removeSymbol);
    QPushButton *add = namedButton(QStringLiteral("Command7"), QStringLiteral("Add Symbol"), this);
    connect(add, &QPushButton::clicked, this, &SymbolPage::addSymbol);

    QGroupBox *chosen = namedGroup(QString(), QStringLiteral(" Symbol "), this);
    auto *chosenGrid = new QGridLayout(chosen);
    chosenGrid->addWidget(m_list, 0, 0, 2, 1);
    chosenGrid->addWidget(remove, 0, 1);
    chosenGrid->setRowStretch(1, 1);

    QGroupBox *fresh = namedGroup(QString(), QStringLiteral(" New Symbol "), this);
    auto *freshGrid = new QGridLayout(fresh);
    freshGrid->addWidget(m_combo, 0, 0, 1, 4);
    freshGrid->addWidget(new QLabel(QStringLiteral("Overlay Character"), fresh), 1, 0);
    freshGrid->addWidget(m_overlay, 1, 1);
    freshGrid->setColumnStretch(2, 1);
    freshGrid->addWidget(add, 1, 3);

    auto *row = new QHBoxLayout;
    row->addWidget(chosen, 1);
    row->addWidget(fresh, 0, Qt::AlignVCenter);
    contentLayout()->addLayout(row, 1);
}

QStringList SymbolPage::loadSymbols(const QString &programFolder)
{
    SymbolTable::Loaded loaded = SymbolTable::fromFile(QDir(programFolder).filePath(symbolFileName()));
    m_table = std::move(loaded.table);
    for (const Symbol &symbol : m_table.symbols())
        m_combo->addItem(symbol.name);
    m_combo->setCurrentIndex(-1);
    return loaded.problems;
}

const SymbolTable &SymbolPage::table() const
{
    return m_table;
}

QListWidget *SymbolPage::list() const
{
    return m_list;
}

void SymbolPage::addSymbol()
{
    const QString name = m_combo->currentText();
    if (name.isEmpty() || !listHasRoom(m_list, m_dialogs, this))
        return;
    m_list->addItem(name);
    rebuild();
}

void SymbolPage::removeSymbol()
{
    if (removeSelectedEntry(m_list))
        rebuild();
}

QString SymbolPage::fragmentFromControls()
{
    SymbolChoice choice{excludeBox()->isChecked(), {}, m_overlay->text()};
    for (const QString &name : walkList(m_list))
        choice.codes.append(m_table.codeForName(name));
    return symbolFragment(choice);
}

void SymbolPage::clearInputs()
{
    m_list->clear();
    m_combo->setCurrentIndex(-1);
    m_combo->setEditText(QString());
    m_overlay->clear();
    excludeBox()->setChecked(false);
}

void SymbolPage::fill(const QString &word)
{
    // The list is not emptied: a second s word of a line adds its names after the first's.
    const SymbolDecode decoded = parseSymbolFragment(m_table, word);
    excludeBox()->setChecked(decoded.exclude);
    m_list->addItems(decoded.names);
    if (decoded.overlay)
        m_overlay->setText(*decoded.overlay);
}
