#pragma once

#include "app/screens.h"
#include "app/tmain.h"
#include "data/clock.h"
#include "members/memberpanel.h"
#include "operators/login.h"
#include "operators/permissions.h"
#include "support/scriptedmessages.h"
#include "support/testhome.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// A running program as the counter operator sees it: a fresh database, operator 0001's main
// window with every screen registered, the clock standing on 31 December, and the scripted
// message service answering every box.
class ScreenTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        Clock::setInstance(&clock);
        currentOperator() = {QStringLiteral("0002"), QString()};
        ASSERT_TRUE(main.connectDatabase());
        main.applyLogin(QStringLiteral("0001"), Permissions::held(home.db(), QStringLiteral("0001")));
        AppScreens::registerAll(main, home.dm());
        main.resize(1300, 950);
        main.show();
        // The reminders would open by themselves 100 ms after the first show; a test opens
        // them when it means to.
        main.timer1()->stop();
        main.timer2()->stop();
    }
    void TearDown() override { Clock::setInstance(nullptr); }

    // Clicks the menu entry and returns the screen it brought up.
    template <class Screen>
    Screen* open(const QString& entry)
    {
        main.clickEntry(entry);
        QMdiSubWindow* child = main.mdiArea()->activeSubWindow();
        EXPECT_TRUE(child);
        auto* screen = child ? qobject_cast<Screen*>(child->widget()) : nullptr;
        EXPECT_TRUE(screen);
        QApplication::processEvents();
        return screen;
    }
    // Presses what opens a modal dialog and runs the steps inside it; the steps must leave
    // the dialog closed.
    template <class Dialog>
    void inDialog(const std::function<void()>& press, const std::function<void(Dialog&)>& steps)
    {
        bool ran = false;
        QTimer::singleShot(0, &main, [&] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            ASSERT_TRUE(dialog) << "no dialog came up";
            QApplication::setActiveWindow(dialog);
            steps(*dialog);
            ran = true;
            if (dialog->isVisible()) {
                ADD_FAILURE() << "the dialog is still open";
                dialog->done(QDialog::Rejected);
            }
        });
        press();
        EXPECT_TRUE(ran);
    }
    QString activeCaption() const { return main.mdiArea()->activeSubWindow()->windowTitle(); }
    // The card typed or swiped, then Enter.
    static void lookUp(MemberPanel* panel, const QString& card)
    {
        panel->cardField()->setText(card);
        QTest::keyClick(panel->cardField(), Qt::Key_Return);
    }

    FixedClock clock{QDateTime(QDate(2026, 12, 31), QTime(18, 30, 5))};
    TestHome home;
    ScriptedMessages messages;
    TMAIN main;
};
