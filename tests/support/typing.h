#pragma once

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QString>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

// Types text key by key into the focused part of a widget, Chinese included (QTest's key
// clicks know only ASCII): each character arrives as a key press carrying its text, as an
// input method delivers it.
inline void typeText(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &press);
        QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
        QApplication::sendEvent(widget, &release);
    }
}

// Types into a field and leaves it for the next one, as the operator's Tab would.
inline void typeAndLeave(QWidget* field, const QString& text, QWidget* next)
{
    // Focus moves, and with it the checks on leaving a field, only in the active window.
    QWidget* window = field->window();
    window->activateWindow();
    QApplication::setActiveWindow(window); // a modal dialog that has just opened may not have it yet
    EXPECT_TRUE(QTest::qWaitForWindowActive(window));
    field->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(field))
        e->clear();
    typeText(field, text);
    next->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
}
