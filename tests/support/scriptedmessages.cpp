#include "support/scriptedmessages.h"

MessageService::Answer ScriptedMessages::show(QWidget*, Icon icon, const QString& caption, const QString& text,
                                              Buttons buttons)
{
    m_shown.append({icon, caption, text, buttons});
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
    return buttons == Buttons::YesNo ? Answer::Yes : Answer::Ok;
}

QStringList ScriptedMessages::texts() const
{
    QStringList list;
    for (const Shown& s : m_shown)
        list << s.text;
    return list;
}
