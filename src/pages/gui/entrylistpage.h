#pragma once

#include "pages/gui/fragmentpage.h"

class Dialogs;
class QListWidget;

/// A page whose list entries are whole fragments, each with the exclusion it was added with: range,
/// area and friend range. The Exclude box stands among the inputs of a new entry.
class EntryListPage : public FragmentPage
{
    Q_OBJECT

public:
    EntryListPage(const Kind &kind, const QString &listName, Dialogs &dialogs, QWidget *parent = nullptr);

    QListWidget *list() const;

    /// The Add command: appends the entry the inputs make.
    void addEntry();
    /// The Remove command: removes the selected entry, if any.
    void removeEntry();

protected:
    /// The entry the inputs make now, its prefix taken from the Exclude box.
    virtual QString newEntry() const = 0;

    QString fragmentFromControls() override;
    /// A decoded word becomes one entry, unchanged, after those already listed.
    void fill(const QString &word) override;

    Dialogs &dialogs() const;

private:
    Dialogs &m_dialogs;
    QListWidget *m_list;
};
