#include "app/gui/filterlinebox.h"

FilterLineBox::FilterLineBox(QWidget *parent)
    : QPlainTextEdit(parent)
{
    // Only the program writes the line, so what is copied or sent is always what the pages make.
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    setTabChangesFocus(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Base, QColor(255, 255, 0));
    colours.setColor(QPalette::Text, Qt::black);
    setPalette(colours);
}

QString FilterLineBox::text() const
{
    return toPlainText();
}

void FilterLineBox::setText(const QString &text)
{
    setPlainText(text);
}
