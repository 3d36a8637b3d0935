#include "pages/gui/typepage.h"

#include "base/core/kinds.h"
#include "pages/core/typefragment.h"
#include "pages/gui/controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QVBoxLayout>

namespace {

struct TypeBox
{
    QStringView name;
    QStringView caption;
    char16_t letter;
};

// In their order on the screen; the fragment lists the letters alphabetically.
constexpr std::array<TypeBox, 10> kTypeBoxes{{
    {u"type_cPosition", u"Position packets", u'p'},
    {u"type_cObjects", u"Objects", u'o'},
    {u"type_cItems", u"Items", u'i'},
    {u"type_cMessage", u"Message", u'm'},
    {u"type_cNWS", u"NWS Weather and NWS Area Objects", u'n'},
    {u"type_cWeather", u"Weather", u'w'},
    {u"type_cTelemetry", u"Telemetry", u't'},
    {u"type_cQuery", u"Query", u'q'},
    {u"type_cStatus", u"Status", u's'},
    {u"type_cUser", u"User-defined", u'u'},
}};

/// The small arrow that points from "Optional" at the station frame.
class ArrowMark final : public QWidget
{
public:
    explicit ArrowMark(QWidget *parent)
        : QWidget(parent)
    {
        setFixedSize(40, 16);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::WindowText), 1.5));
        const qreal y = height() / 2.0;
        const qreal tip = width() - 2;
        painter.drawLine(QPointF(2, y), QPointF(tip, y));
        painter.drawLine(QPointF(tip - 8, y - 6), QPointF(tip, y));
        painter.drawLine(QPointF(tip - 8, y + 6), QPointF(tip, y));
    }
};

} // namespace

TypePage::TypePage(QWidget *parent)
    : FragmentPage(*kindForLetter(u't'), ExcludePlacement::InFragmentFrame, parent)
    , m_callsign(namedLineEdit(QStringLiteral("type_callsign"), this))
    , m_range(namedLineEdit(QStringLiteral("type_range"), this))
{
    QGroupBox *types = namedGroup(QString(), QStringLiteral(" Types "), this);
    auto *typeColumn = new QVBoxLayout(types);
    typeColumn->setSpacing(0);
    for (std::size_t i = 0; i < kTypeBoxes.size(); ++i) {
        m_types[i] = namedCheckBox(kTypeBoxes[i].name.toString(), kTypeBoxes[i].caption.toString(), types);
        connect(m_types[i], &QCheckBox::clicked, this, &TypePage::rebuildUnlessFilling);
        typeColumn->addWidget(m_types[i]);
    }
    typeColumn->addStretch(1);

    // The fragment follows every keystroke in the two boxes.
    connect(m_callsign, &QLineEdit::textChanged, this, &TypePage::rebuildUnlessFilling);
    connect(m_range, &QLineEdit::textChanged, this, &TypePage::rebuildUnlessFilling);

    QGroupBox *station = namedGroup(QString(), QStringLiteral(" From Station "), this);
    layOutStation(station, m_callsign, m_range);

    auto *optional = new QVBoxLayout;
    optional->addStretch(1);
    optional->addWidget(new ArrowMark(this), 0, Qt::AlignHCenter);
    optional->addWidget(new QLabel(QStringLiteral("Optional"), this), 0, Qt::AlignHCenter);
    optional->addStretch(1);

    auto *row = new QHBoxLayout;
    row->addWidget(types);
    row->addSpacing(12);
    row->addLayout(optional);
    row->addWidget(station, 0, Qt::AlignVCenter);
    row->addStretch(1);
    contentLayout()->addLayout(row, 1);
}

QString TypePage::fragmentFromControls()
{
    TypeChoice choice{excludeBox()->isChecked(), QString(), m_callsign->text(), m_range->text()};
    for (std::size_t i = 0; i < kTypeBoxes.size(); ++i)
        if (m_types[i]->isChecked())
            choice.letters += QChar(kTypeBoxes[i].letter);
    return typeFragment(choice);
}

void TypePage::clearInputs()
{
    m_callsign->clear();
    m_range->clear();
    excludeBox()->setChecked(false);
    for (QCheckBox *box : m_types)
        box->setChecked(false);
}

void TypePage::fill(const QString &word)
{
    const TypeDecode decoded = parseTypeFragment(word);
    excludeBox()->setChecked(decoded.exclude);
    // Boxes of letters the word lacks keep their state: two t words add up.
    for (std::size_t i = 0; i < kTypeBoxes.size(); ++i)
        if (decoded.letters.contains(QChar(kTypeBoxes[i].letter)))
            m_types[i]->setChecked(true);
    if (decoded.callsign)
        m_callsign->setText(*decoded.callsign);
    if (decoded.range)
        m_range->setText(*decoded.range);
}
