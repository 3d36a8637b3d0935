#include "pages/gui/fragmentpage.h"

#include "base/core/kinds.h"
#include "pages/gui/clearbutton.h"
#include "pages/gui/controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

/// Holds rebuilds back while a decoder sets controls whose own handlers would rebuild.
class FragmentPage::Filling
{
public:
    explicit Filling(FragmentPage &page)
        : m_page(page)
    {
        ++m_page.m_filling;
    }
    ~Filling() { --m_page.m_filling; }
    Q_DISABLE_COPY_MOVE(Filling)

private:
    FragmentPage &m_page;
};

FragmentPage::FragmentPage(const Kind &kind, ExcludePlacement placement, QWidget *parent)
    : QWidget(parent)
    , m_kind(kind)
    , m_fragment(namedLineEdit(QStringLiteral("frag_") + kind.prefix.toString(), this))
    , m_exclude(namedCheckBox(kind.prefix.toString() + QStringLiteral("_exclude"), QStringLiteral("Exclude"), this))
    , m_content(new QVBoxLayout)
{
    const QString prefix = kind.prefix.toString();
    setObjectName(prefix + QStringLiteral("_page"));

    QPalette colours = m_fragment->palette();
    colours.setColor(QPalette::Base, QColor(192, 255, 192));
    colours.setColor(QPalette::Text, Qt::black);
    m_fragment->setPalette(colours);

    // Where the box governs the whole fragment a click rebuilds at once; where it stands among the
    // inputs of a new entry it is only read when that entry is added.
    if (placement == ExcludePlacement::InFragmentFrame)
        connect(m_exclude, &QCheckBox::clicked, this, &FragmentPage::rebuildUnlessFilling);

    auto *clear = new ClearButton(this);
    clear->setObjectName(prefix + QStringLiteral("_clear"));
    connect(clear, &QToolButton::clicked, this, &FragmentPage::clearFilter);

    auto *frame = new QGroupBox(QStringLiteral(" Filter Fragment "), this);
    auto *frameRow = new QHBoxLayout(frame);
    frameRow->addWidget(m_fragment, 1);
    if (placement == ExcludePlacement::InFragmentFrame)
        frameRow->addWidget(m_exclude);

    auto *bottomRow = new QHBoxLayout;
    bottomRow->addWidget(frame, 1);
    bottomRow->addWidget(clear, 0, Qt::AlignBottom);

    auto *page = new QVBoxLayout(this);
    page->addLayout(m_content, 1);
    page->addLayout(bottomRow);
}

FragmentPage::~FragmentPage() = default;

const Kind &FragmentPage::kind() const
{
    return m_kind;
}

QLineEdit *FragmentPage::fragmentBox() const
{
    return m_fragment;
}

QCheckBox *FragmentPage::excludeBox() const
{
    return m_exclude;
}

QString FragmentPage::caption() const
{
    return tabCaption(m_kind, !m_fragment->text().isEmpty());
}

void FragmentPage::rebuild()
{
    m_fragment->setText(fragmentFromControls());
    Q_EMIT rebuilt(this);
}

void FragmentPage::rebuildUnlessFilling()
{
    if (m_filling == 0)
        rebuild();
}

void FragmentPage::clearFilter()
{
    {
        const Filling filling(*this);
        clearInputs();
    }
    rebuild();
}

void FragmentPage::decode(const QString &word)
{
    decodeWords({word});
}

void FragmentPage::decodeWords(const QStringList &words)
{
    {
        const Filling filling(*this);
        for (const QString &word : words)
            fill(word);
    }
    rebuild();
}

QBoxLayout *FragmentPage::contentLayout() const
{
    return m_content;
}
