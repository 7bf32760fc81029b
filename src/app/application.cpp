#include "app/application.h"

#include "controls/messageservice.h"
#include "data/sqlrun.h"

bool QuorvaneApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (const Failure& failure) {
        MessageService::notify(activeWindow(), Notice::plain(failure.text()));
    }
    return false;
}
