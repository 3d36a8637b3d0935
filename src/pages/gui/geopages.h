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

protected:
    QString newEntry() const override;
    void clearInputs() override;

private:
    void takePickedArea(const QString &callbackText);

    std::array<QLineEdit *, 4> m_corners{}; ///< latitude 1, longitude 1, latitude 2, longitude 2
    QLineEdit *m_callback;
};
