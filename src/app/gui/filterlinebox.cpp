#include "app/gui/filterlinebox.h"

#include <QTextCursor>

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

void FilterLineBox::markIgnored(const QList<std::pair<qsizetype, qsizetype>> &stretches)
{
    QList<QTextEdit::ExtraSelection> marks;
    for (const auto &[start, length] : stretches) {
        QTextEdit::ExtraSelection mark;
        mark.cursor = QTextCursor(document());
        mark.cursor.setPosition(int(start));
        mark.cursor.setPosition(int(start + length), QTextCursor::KeepAnchor);
        mark.format.setFontStrikeOut(true);
        mark.format.setUnderlineStyle(QTextCharFormat::WaveUnderline);
        mark.format.setUnderlineColor(QColor(200, 0, 0));
        marks.append(mark);
    }
    setExtraSelections(marks);
}
