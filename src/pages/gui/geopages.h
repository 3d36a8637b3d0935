#pragma once

#include "pages/gui/entrylistpage.h"

#include <array>

class QLineEdit;
class QPushButton;
struct MapCorners;

/// The range page: circles around typed or picked positions, each entry a whole r fragment.
class RangePage final : public EntryListPage
{
    Q_OBJECT

public:
    RangePage(Dialogs &dialogs, QWidget *parent = nullptr);

    /// The hidden box the map picker writes its callback text into.
    QLineEdit *callbackBox() const;

Q_SIGNALS:
    /// "UI-View32 Select": the user wants to pick a range on the map.
    void pickOnMap();
    /// "Display UI-View32": the user wants to see the ranges on the map.
    void showOnMap();

protected:
    QString newEntry() const override;
    void clearInputs() override;

private:
    void takePickedRange(const QString &callbackText);

    QLineEdit *m_latitude;
    QLineEdit *m_longitude;
    QLineEdit *m_range;
    QLineEdit *m_callback;
};

/// The area page: boxes given by two corners, each entry a whole a fragment.
class AreaPage final : public EntryListPage
{
    Q_OBJECT

public:
    AreaPage(Dialogs &dialogs, QWidget *parent = nullptr);

    /// The hidden box the map picker writes its callback text into.
    QLineEdit *callbackBox() const;

    /// Replaces every entry by the one box that covers a map; the inputs and Exclude stay as they are.
    void setAreaFromMap(const MapCorners &corners);

Q_SIGNALS:
    /// "UI-View32 Select": the user wants to pick an area on the map.
    void pickOnMap();
    /// "Display UI-View32": the user wants to see the areas on the map.
    void showOnMap();

protected:
    QString newEntry() const override;
    void clearInputs() override;

private:
    void takePickedArea(const QString &callbackText);

    std::array<QLineEdit *, 4> m_corners{}; ///< latitude 1, longitude 1, latitude 2, longitude 2
    QLineEdit *m_callback;
};
