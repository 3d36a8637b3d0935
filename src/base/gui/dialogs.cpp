#include "base/gui/dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

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
    return dialog.exec() == QDialog::Accepted ? dialog.textValue() : QString();
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
