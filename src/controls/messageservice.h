#pragma once

#include "data/notice.h"

#include <QString>

class QWidget;

// Every box the operator sees goes through here: one caption, one text, one icon, and the
// buttons to answer with. Tests install a scripted service that records what was shown and
// answers questions, so no test ever blocks on a box.
class MessageService
{
public:
    enum class Icon { None, Error, Information, Question, Warning };
    enum class Buttons { Ok, OkCancel, YesNo };
    enum class Answer { Ok, Cancel, Yes, No };

    virtual ~MessageService() = default;
    virtual Answer show(QWidget* parent, Icon icon, const QString& caption, const QString& text, Buttons buttons) = 0;

    // The service in use; the real boxes unless a test installed another.
    static MessageService& instance();
    // The caller keeps ownership; nullptr restores the real boxes.
    static void setInstance(MessageService* service);

    // The three kinds of box the screens show.
    static void error(QWidget* parent, const QString& caption, const QString& text);
    static void information(QWidget* parent, const QString& caption, const QString& text);
    // True when the operator answered OK (or Yes).
    static bool question(QWidget* parent, const QString& caption, const QString& text,
                         Buttons buttons = Buttons::OkCancel);
    // An operation's notice, with the icon its kind calls for; plain boxes carry the
    // program's title as caption.
    static void notify(QWidget* parent, const Notice& notice);
};

// The real boxes.
class QtMessageService : public MessageService
{
public:
    Answer show(QWidget* parent, Icon icon, const QString& caption, const QString& text, Buttons buttons) override;
};
