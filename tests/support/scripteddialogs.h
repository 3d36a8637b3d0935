#pragma once

#include "base/gui/dialogs.h"

#include <QList>
#include <QQueue>
#include <QStringList>

/// Dialogs that answer from a script and remember what they were asked and told.
class ScriptedDialogs final : public Dialogs
{
public:
    struct Question
    {
        QString prompt;
        QString title;
        QString defaultText;
    };

    /// Queues the answer of the next input box; the empty text stands for Cancel.
    void answer(const QString &text);

    QString askText(QWidget *parent, const QString &prompt, const QString &title, const QString &defaultText) override;
    void tell(QWidget *parent, const QString &text) override;
    /// Answered from confirmations(), OK when nothing is queued there; the question is kept.
    bool confirm(QWidget *parent, const QString &question) override;
    /// The file boxes are answered from the same script as the input boxes, their titles kept as
    /// a question's prompt.
    QString askSaveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                            const QString &fileTypes) override;
    QString askOpenFileName(QWidget *parent, const QString &title, const QString &fileTypes) override;

    QList<Question> questions;
    QStringList messages;
    QList<bool> shownOverVisibleWindow; ///< for each message, whether its window was on screen
    QStringList confirmQuestions;
    QQueue<bool> confirmations; ///< the answers of the next questions

private:
    QQueue<QString> m_answers;
};
