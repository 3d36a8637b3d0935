#pragma once

#include "pages/gui/entrylistpage.h"

class QLineEdit;

/// The friend range page: stations and distances, each entry a whole f fragment.
class FriendPage final : public EntryListPage
{
    Q_OBJECT

public:
    FriendPage(Dialogs &dialogs, QWidget *parent = nullptr);

protected:
    QString newEntry() const override;
    void clearInputs() override;

private:
    QLineEdit *m_callsign;
    QLineEdit *m_range;
};
