#include "controls/messageservice.h"

#include <QMessageBox>
#include <QPushButton>

using namespace Qt::Literals::StringLiterals;

namespace {
MessageService* g_service = nullptr;
}

MessageService& MessageService::instance()
{
    static QtMessageService real;
    return g_service ? *g_service : real;
}

void MessageService::setInstance(MessageService* service)
{
    g_service = service;
}

void MessageService::error(QWidget* parent, const QString& caption, const QString& text)
{
    instance().show(parent, Icon::Error, caption, text, Buttons::Ok);
}

void MessageService::information(QWidget* parent, const QString& caption, const QString& text)
{
    instance().show(parent, Icon::Information, caption, text, Buttons::Ok);
}

bool MessageService::question(QWidget* parent, const QString& caption, const QString& text, Buttons buttons)
{
    const Answer answer = instance().show(parent, Icon::Question, caption, text, buttons);
    return answer == Answer::Ok || answer == Answer::Yes;
}

void MessageService::notify(QWidget* parent, const Notice& notice)
{
    switch (notice.kind) {
    case Notice::Kind::Error:
        instance().show(parent, Icon::Error, notice.caption, notice.text, Buttons::Ok);
        break;
    case Notice::Kind::Information:
        instance().show(parent, Icon::Information, notice.caption, notice.text, Buttons::Ok);
        break;
    case Notice::Kind::Notify:
        instance().show(parent, Icon::Question, notice.caption, notice.text, Buttons::Ok);
        break;
    case Notice::Kind::Plain:
        instance().show(parent, Icon::None, notice.caption.isEmpty() ? u"Quorvane"_s : notice.caption, notice.text,
                        Buttons::Ok);
        break;
    }
}

MessageService::Answer QtMessageService::show(QWidget* parent, Icon icon, const QString& caption,
                                              const QString& text, Buttons buttons)
{
    QMessageBox box(parent);
    box.setWindowTitle(caption);
    box.setText(text);
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Information:
        box.setIcon(QMessageBox::Information);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    }
    // Chinese captions on the buttons, whatever the desktop's language.
    QPushButton* first = nullptr;
    QPushButton* second = nullptr;
    switch (buttons) {
    case Buttons::Ok:
        first = box.addButton(u"确定"_s, QMessageBox::AcceptRole);
        break;
    case Buttons::OkCancel:
        first = box.addButton(u"确定"_s, QMessageBox::AcceptRole);
        second = box.addButton(u"取消"_s, QMessageBox::RejectRole);
        break;
    case Buttons::YesNo:
        first = box.addButton(u"是"_s, QMessageBox::YesRole);
        second = box.addButton(u"否"_s, QMessageBox::NoRole);
        break;
    }
    box.setDefaultButton(first);
    if (second)
        box.setEscapeButton(second);
    box.exec();
    const bool yes = box.clickedButton() == first;
    if (buttons == Buttons::YesNo)
        return yes ? Answer::Yes : Answer::No;
    if (buttons == Buttons::OkCancel)
        return yes ? Answer::Ok : Answer::Cancel;
    return Answer::Ok;
}
