#include "controls/screens.h"

#include <QAbstractButton>
#include <QEvent>
#include <QMdiSubWindow>
#include <QPointer>

namespace Screens {

namespace {
Opener& opener()
{
    static Opener o;
    return o;
}

// Runs the steps at the first Show event of its screen, then leaves.
class OpeningSteps : public QObject
{
public:
    OpeningSteps(QWidget* screen, std::function<void()> steps) : QObject(screen), m_steps(std::move(steps))
    {
        screen->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == parent() && event->type() == QEvent::Show) {
            watched->removeEventFilter(this);
            const auto steps = std::move(m_steps);
            deleteLater();
            steps();
        }
        return false;
    }

private:
    std::function<void()> m_steps;
};
} // namespace

void setOpener(Opener o)
{
    opener() = std::move(o);
}

bool open(const QString& caption)
{
    return opener() ? opener()(caption) : false;
}

void whenOpened(QWidget* screen, std::function<void()> steps)
{
    new OpeningSteps(screen, std::move(steps));
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

void closeOnClick(QAbstractButton* quit, QWidget* screen)
{
    QPointer<QWidget> target(screen);
    QObject::connect(quit, &QAbstractButton::clicked, screen, [target] {
        if (target)
            close(target);
    });
}

} // namespace Screens
