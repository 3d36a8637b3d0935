#pragma once

#include "pages/gui/entrylistpage.h"

#include <array>

class QGroupBox;
class QLineEdit;
class QPushButton;
struct MapCorners;

/// The object names of a page whose entries can be picked on UI-View32's map and shown there.
struct MapPageNames
{
    QString list;
    QString callback; ///< the hidden box the map picker writes into
    QString select; ///< "UI-View32 Select"
    QString display; ///< "Display UI-View32"
    QString add;
    QString remove;
};

/// A page whose entries can be picked on UI-View32's map and shown there: range and area.
class MapEntryPage : public EntryListPage
{
    Q_OBJECT

public:
    /// The hidden box the map picker writes its callback text into.
    QLineEdit *callbackBox() const;

Q_SIGNALS:
    /// "UI-View32 Select": the user wants to pick an entry on the map.
    void pickOnMap();
    /// "Display UI-View32": the user wants to see the entries on the map.
    void showOnMap();

protected:
    MapEntryPage(const Kind &kind, const MapPageNames &names, const QString &addCaption, Dialogs &dialogs,
                 QWidget *parent);

    /// Lays the page out: the list with Remove beside it, the inputs (and Add) and the map commands
    /// to the right.
    void layOut(QGroupBox *inputs);
    /// The Add button, for the page to place among its inputs.
    QPushButton *addButton() const;

private:
    /// Fills the inputs from a callback text and adds the entry; a malformed text changes nothing.
    virtual void takePicked(const QString &callbackText) = 0;

    QLineEdit *m_callback;
    QPushButton *m_add;
    QPushButton *m_remove;
    QGroupBox *m_mapCommands;
};

/// The range page: circles around typed or picked positions, each entry a whole r fragment.
class RangePage final : public MapEntryPage
{
    Q_OBJECT

public:
    RangePage(Dialogs &dialogs, QWidget *parent = nullptr);

protected:
    QString newEntry() const override;
    void clearInputs() override;

private:
    void takePicked(const QString &callbackText) override;

    QLineEdit *m_latitude;
    QLineEdit *m_longitude;
    QLineEdit *m_range;
};

/// The area page: boxes given by two corners, each entry a whole a fragment.
class AreaPage final : public MapEntryPage
{
    Q_OBJECT

public:
    AreaPage(Dialogs &dialogs, QWidget *parent = nullptr);

    /// Replaces every entry by the one box that covers a map; the inputs and Exclude stay as they are.
    void setAreaFromMap(const MapCorners &corners);

protected:
    QString newEntry() const override;
    void clearInputs() override;

private:
    void takePicked(const QString &callbackText) override;

    std::array<QLineEdit *, 4> m_corners{}; ///< latitude 1, longitude 1, latitude 2, longitude 2
};
