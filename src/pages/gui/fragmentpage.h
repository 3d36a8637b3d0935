#pragma once

#include <QStringList>
#include <QWidget>

class QBoxLayout;
class QCheckBox;
class QLineEdit;
struct Kind;

/// One page of the tab control: the editor of one filter kind's fragment. It owns what every page
/// shares (fragment box, Exclude box, Clear Filter button, caption, rebuild); the page's own
/// controls are the only store of its state.
class FragmentPage : public QWidget
{
    Q_OBJECT

public:
    /// Where the Exclude box stands: at the right of the fragment box, or among the inputs of a
    /// new entry on the pages whose entries each carry their own exclusion.
    enum class ExcludePlacement { InFragmentFrame, AmongInputs };

    FragmentPage(const Kind &kind, ExcludePlacement placement, QWidget *parent = nullptr);
    ~FragmentPage() override;

    const Kind &kind() const;
    QLineEdit *fragmentBox() const;
    QCheckBox *excludeBox() const;

    /// The tab caption the page's fragment box calls for.
    QString caption() const;

    /// Recomputes the fragment from the controls and announces it. Every change on the page ends here.
    void rebuild();

    /// The Clear Filter command: empties the page's inputs, then rebuilds.
    void clearFilter();

    /// The page's decoder: fills the page from one word of a filter line, then rebuilds.
    void decode(const QString &word);

    /// Decodes several words of one line in order, with one rebuild at the end. The page ends in the
    /// state that decoding them one by one gives.
    void decodeWords(const QStringList &words);

Q_SIGNALS:
    /// The fragment box has been written; the main window shows the page and assembles the line.
    void rebuilt(FragmentPage *page);

protected:
    /// The fragment the controls make, the empty text where only a prefix would remain. List pages
    /// leave their last entry selected, as a walk through the list does.
    virtual QString fragmentFromControls() = 0;

    /// Empties the page's inputs for Clear Filter, without rebuilding.
    virtual void clearInputs() = 0;

    /// Sets the page's controls from one word of a filter line, without rebuilding.
    virtual void fill(const QString &word) = 0;

    /// Where a page puts its own controls, above the fragment row.
    QBoxLayout *contentLayout() const;

    /// Handlers of the page's controls call this; it does nothing while a decode fills the page.
    void rebuildUnlessFilling();

private:
    class Filling;

    const Kind &m_kind;
    QLineEdit *m_fragment;
    QCheckBox *m_exclude;
    QBoxLayout *m_content;
    int m_filling = 0;
};
