#include "support/scripteddialogs.h"

#include <QWidget>

void ScriptedDialogs::answer(const QString &text)
{
    m_answers.enqueue(text);
}

QString ScriptedDialogs::askText(QWidget *, const QString &prompt, const QString &title, const QString &defaultText)
{
    questions.append({prompt, title, defaultText});
    // An input box nobody scripted is answered with Cancel.
    return m_answers.isEmpty() ? QString() : m_answers.dequeue();
}

void ScriptedDialogs::tell(QWidget *parent, const QString &text)
{
    messages.append(text);
    shownOverVisibleWindow.append(parent && parent->window()->isVisible());
}

bool ScriptedDialogs::confirm(QWidget *, const QString &question)
{
    confirmQuestions.append(question);
    return confirmations.isEmpty() || confirmations.dequeue();
}

QString ScriptedDialogs::askSaveFileName(QWidget *parent, const QString &title, const QString &suggestedPath,
                                         const QString &)
{
    return askText(parent, title, title, suggestedPath);
}

QString ScriptedDialogs::askOpenFileName(QWidget *parent, const QString &title, const QString &)
{
    return askText(parent, title, title, QString());
}
