#include "base/gui/dialogs.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QInputDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <limits>

QString applicationTitle()
{
    return QStringLiteral("Varnock");
}

QString QtDialogs::askText(QWidget *parent, const QString &prompt, const QString &title, const QString &defaultText)
{
    QInputDialog dialog(parent);
    dialog.setWindowTitle(title);
    dialog.setLabelText(prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    // A line edit stops at 32767 characters by default; pasted filter lines may be longer.
    if (auto *edit = dialog.findChild<QLineEdit *>())
        edit->setMaxLength(std::numeric_limits<int>::max());
    dialog.setTextValue(defaultText);
    // Room for a callsign pattern, a prefix list or a path at a glance, not the style's bare minimum.
    dialog.setMinimumWidth(dialog.fontMetrics().averageCharWidth() * 48);
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
}

namespace {

/// A text box in which Enter answers the dialog instead of starting a new line.
class EnterAccepts final : public QObject
{
public:
    explicit EnterAccepts(QDialog &dialog)
        : QObject(&dialog)
        , m_dialog(dialog)
    { }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                m_dialog.accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QDialog &m_dialog;
};

/// Line breaks in a text typed or pasted as one line, as blanks: a filter that a mail program or
/// a web page wrapped comes back whole.
QString joinedLines(const QString &text)
{
    static const QRegularExpression lineBreaks(QStringLiteral("[\\r\\n\\x{2028}\\x{2029}]"));
    return QString(text).replace(lineBreaks, QStringLiteral(" "));
}

} // namespace

QString QtDialogs::askLongText(QWidget *parent, const QString &prompt, const QString &title, const QString &defaultText)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("long_text_box"));
    dialog.setWindowTitle(title);
    auto *label = new QLabel(prompt, &dialog);
    auto *edit = new QPlainTextEdit(&dialog);
    edit->setObjectName(QStringLiteral("long_text"));
    edit->setTabChangesFocus(true);
    // Filter words are long and have no spaces inside: they break anywhere rather than overflow.
    edit->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    edit->setPlainText(defaultText);
    edit->selectAll();
    edit->installEventFilter(new EnterAccepts(dialog));
    label->setBuddy(edit);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    auto *layout = new QVBoxLayout(&dialog);
    layout->addWidget(label);
    layout->addWidget(edit);
    layout->addWidget(buttons);
    // A 500-character line in sight without scrolling: 72 characters to a row, nine rows.
    const QFontMetrics metrics = edit->fontMetrics();
    edit->setMinimumSize(metrics.averageCharWidth() * 72,
                         metrics.lineSpacing() * 9
                             + 2 * (edit->frameWidth() + int(edit->document()->documentMargin())));
    return dialog.exec() == QDialog::Accepted ? joinedLines(edit->toPlainText()) : QString();
}

void QtDialogs::tell(QWidget *parent, const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

bool QtDialogs::confirm(QWidget *parent, const QString &question)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), question, QMessageBox::Ok | QMessageBox::Cancel, parent);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

QString QtDialogs::askSaveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                                   const QString &fileTypes)
{
    return QFileDialog::getSaveFileName(parent, title, suggestedPath, fileTypes);
}

QString QtDialogs::askOpenFileName(QWidget *parent, const QString &title, const QString &fileTypes)
{
    return QFileDialog::getOpenFileName(parent, title, QString(), fileTypes);
}
