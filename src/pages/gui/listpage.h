#pragma once

#include "pages/gui/fragmentpage.h"

#include <QStringView>

#include <array>

class Dialogs;
class QListWidget;
class QPushButton;

/// What sets one parameter-list page apart from the others.
struct ListPageSpec
{
    char16_t kind;
    QStringView frameCaption;
    QStringView listName;
    QStringView addName;
    QStringView addCaption;
    QStringView removeName;
    QStringView prompt;
    bool upperCase; ///< entries typed by the user are stored in upper case
};

/// A page whose fragment is a list of free texts typed one at a time: budlist, digipeater, object,
/// unproto, port of entry, prefix and group message.
class ListPage final : public FragmentPage
{
    Q_OBJECT

public:
    /// The seven list pages in page order.
    static const std::array<ListPageSpec, 7> &specs();

    ListPage(const ListPageSpec &spec, Dialogs &dialogs, QWidget *parent = nullptr);

    QListWidget *list() const;

    /// The Add command: asks for an entry and appends it.
    void addEntry();
    /// The Remove command: removes the selected entry, if any.
    void removeEntry();

protected:
    QString fragmentFromControls() override;
    void clearInputs() override;
    void fill(const QString &word) override;

private:
    const ListPageSpec &m_spec;
    Dialogs &m_dialogs;
    QListWidget *m_list;
};
