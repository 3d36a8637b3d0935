#pragma once

#include <QString>

class QWidget;

/// The program's modal boxes, behind one seam so that tests can answer them.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    /// A modal input box with OK and Cancel. Returns the text typed, or the empty text on Cancel.
    virtual QString askText(QWidget *parent, const QString &prompt, const QString &title, const QString &defaultText)
        = 0;

    /// A modal input box for a text as long as a filter line: it wraps, so the whole text is in sight.
    /// Enter answers OK as in any input box, and line breaks pasted in become blanks. Returns the
    /// empty text on Cancel.
    virtual QString askLongText(QWidget *parent, const QString &prompt, const QString &title,
                                const QString &defaultText)
    {
        return askText(parent, prompt, title, defaultText);
    }

    /// A modal message box titled "Varnock", with the OK button only and no icon.
    virtual void tell(QWidget *parent, const QString &text) = 0;

    /// A modal question with OK and Cancel, for a step that throws work away. True on OK.
    virtual bool confirm(QWidget *parent, const QString &question) = 0;

    /// A modal box that asks where to save a file. Returns the path chosen, or the empty text on
    /// Cancel.
    virtual QString askSaveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                                    const QString &fileTypes)
        = 0;

    /// A modal box that asks for a file to read. Returns the path chosen, or the empty text on Cancel.
    virtual QString askOpenFileName(QWidget *parent, const QString &title, const QString &fileTypes) = 0;
};

/// The real boxes: QInputDialog and QMessageBox.
class QtDialogs final : public Dialogs
{
public:
    QString askText(QWidget *parent, const QString &prompt, const QString &title, const QString &defaultText) override;
    QString askLongText(QWidget *parent, const QString &prompt, const QString &title,
                        const QString &defaultText) override;
    void tell(QWidget *parent, const QString &text) override;
    bool confirm(QWidget *parent, const QString &question) override;
    QString askSaveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                            const QString &fileTypes) override;
    QString askOpenFileName(QWidget *parent, const QString &title, const QString &fileTypes) override;
};

/// The title of every message box and of the input boxes of the pages.
QString applicationTitle();
