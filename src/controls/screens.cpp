#include "controls/screens.h"

#include <QMdiSubWindow>

namespace Screens {

namespace {
Opener& opener()
{
    static Opener o;
    return o;
}
} // namespace

void setOpener(Opener o)
{
    opener() = std::move(o);
}

bool open(const QString& caption)
{
    return opener() ? opener()(caption) : false;
}

void close(QWidget* screen)
{
    for (QWidget* w = screen; w; w = w->parentWidget()) {
        if (auto* child = qobject_cast<QMdiSubWindow*>(w)) {
            child->close();
            return;
        }
        if (w->isWindow())
            break;
    }
    screen->close();
}

} // namespace Screens
