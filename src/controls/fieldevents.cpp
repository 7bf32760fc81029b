#include "controls/fieldevents.h"

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

namespace FieldEvents {

namespace {

bool isPartOf(QWidget* w, QWidget* field)
{
    for (QWidget* p = w; p; p = p->parentWidget()) {
        if (p == field)
            return true;
        if (p->isWindow())
            break;
    }
    return false;
}

class DecimalKeys : public QObject
{
public:
    DecimalKeys(QObject* parent, bool minus) : QObject(parent), m_minus(minus) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress)
            return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.isEmpty() || !text.at(0).isPrint())
            return false; // Backspace, arrows, Enter and shortcuts pass
        for (QChar c : text) {
            if (!(c.isDigit() && c.unicode() < 128) && c != u'.' && !(m_minus && c == u'-'))
                return true;
        }
        return false;
    }

private:
    bool m_minus;
};

} // namespace

void whenLeft(QWidget* field, std::function<void(QWidget* now)> handler)
{
    QPointer<QWidget> guard(field);
    QObject::connect(qApp, &QApplication::focusChanged, field, [guard, handler](QWidget* old, QWidget* now) {
        if (!guard || !old || !now)
            return;
        if (!isPartOf(old, guard) || isPartOf(now, guard))
            return;
        if (now->window() != guard->window())
            return;
        handler(now);
    });
}

void acceptDecimalKeys(QLineEdit* field, bool minus)
{
    field->installEventFilter(new DecimalKeys(field, minus));
}

} // namespace FieldEvents
