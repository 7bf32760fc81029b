#pragma once

#include "controls/messageservice.h"

#include <QList>
#include <QString>

// Records every box a screen shows and answers questions from a script (OK/Yes when the
// script has run out), so screens are driven without ever blocking.
class ScriptedMessages : public MessageService
{
public:
    struct Shown
    {
        Icon icon;
        QString caption;
        QString text;
        Buttons buttons;
    };

    ScriptedMessages() { MessageService::setInstance(this); }
    ~ScriptedMessages() override { MessageService::setInstance(nullptr); }

    Answer show(QWidget* parent, Icon icon, const QString& caption, const QString& text, Buttons buttons) override;

    void answerNext(Answer answer) { m_answers.append(answer); }
    const QList<Shown>& shown() const { return m_shown; }
    QStringList texts() const;
    const Shown& last() const { return m_shown.last(); }
    void clear() { m_shown.clear(); }

private:
    QList<Shown> m_shown;
    QList<Answer> m_answers;
};
