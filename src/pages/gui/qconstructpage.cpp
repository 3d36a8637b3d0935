#include "pages/gui/qconstructpage.h"

#include "base/core/kinds.h"
#include "pages/core/qconstructfragment.h"
#include "pages/gui/controls.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

struct ConstructBox
{
    QStringView name;
    QStringView caption;
    char16_t letter;
    bool serverGenerated;
};

// In their order on the page, top to bottom, server-generated first.
constexpr std::array<ConstructBox, 10> kConstructBoxes{{
    {u"qconstruct_cC", u"qAC", u'C', true},
    {u"qconstruct_cX", u"qAX", u'X', true},
    {u"qconstruct_cU", u"qAU", u'U', true},
    {u"qconstruct_co", u"qAo", u'o', true},
    {u"qconstruct_coO", u"qAO", u'O', true},
    {u"qconstruct_coS", u"qAS", u'S', true},
    {u"qconstruct_cr", u"qAr", u'r', true},
    {u"qconstruct_crR", u"qAR", u'R', true},
    {u"qconstruct_cZ", u"qAZ", u'Z', false},
    {u"qconstruct_cI", u"qAI", u'I', false},
}};

} // namespace

QConstructPage::QConstructPage(QWidget *parent)
    : FragmentPage(*kindForLetter(u'q'), ExcludePlacement::InFragmentFrame, parent)
    , m_analysis(namedCheckBox(QStringLiteral("qconstruct_analysis"), QStringLiteral("Analysis"), this))
{
    QGroupBox *server = namedGroup(QString(), QStringLiteral(" Server Generated "), this);
    auto *serverColumn = new QVBoxLayout(server);
    QGroupBox *client = namedGroup(QString(), QStringLiteral(" Client Generated "), this);
    auto *clientColumn = new QVBoxLayout(client);
    for (std::size_t i = 0; i < kConstructBoxes.size(); ++i) {
        const ConstructBox &box = kConstructBoxes[i];
        QWidget *frame = box.serverGenerated ? server : client;
        m_constructs[i] = namedCheckBox(box.name.toString(), box.caption.toString(), frame);
        (box.serverGenerated ? serverColumn : clientColumn)->addWidget(m_constructs[i]);
        connect(m_constructs[i], &QCheckBox::clicked, this, &QConstructPage::rebuildUnlessFilling);
    }
    connect(m_analysis, &QCheckBox::clicked, this, &QConstructPage::rebuildUnlessFilling);

    QGroupBox *analysis = namedGroup(QString(), QString(), this);
    auto *analysisColumn = new QVBoxLayout(analysis);
    analysisColumn->addWidget(m_analysis);

    auto *right = new QVBoxLayout;
    right->addWidget(client);
    right->addStretch(1);
    right->addWidget(analysis);

    auto *row = new QHBoxLayout;
    row->addWidget(server, 0, Qt::AlignTop);
    row->addLayout(right);
    row->addStretch(1);
    contentLayout()->addLayout(row);
    contentLayout()->addStretch(1);
}

QString QConstructPage::fragmentFromControls()
{
    QConstructChoice choice{excludeBox()->isChecked(), m_analysis->isChecked(), QString()};
    for (std::size_t i = 0; i < kConstructBoxes.size(); ++i)
        if (m_constructs[i]->isChecked())
            choice.letters += QChar(kConstructBoxes[i].letter);
    return qConstructFragment(choice);
}

void QConstructPage::clearInputs()
{
    excludeBox()->setChecked(false);
    m_analysis->setChecked(false);
    for (QCheckBox *box : m_constructs)
        box->setChecked(false);
}

void QConstructPage::fill(const QString &word)
{
    const QConstructChoice decoded = parseQConstructFragment(word);
    excludeBox()->setChecked(decoded.exclude);
    m_analysis->setChecked(decoded.analysis);
    // Boxes of letters the word lacks keep their state.
    for (std::size_t i = 0; i < kConstructBoxes.size(); ++i)
        if (decoded.letters.contains(QChar(kConstructBoxes[i].letter)))
            m_constructs[i]->setChecked(true);
}
