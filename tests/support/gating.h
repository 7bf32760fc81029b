#pragma once

#include "app/tmain.h"

#include <QAction>
#include <QSet>
#include <QToolButton>

// The captions of the main window's menu entries and toolbar buttons that are enabled now.
inline QSet<QString> enabledEntries(const TMAIN& main)
{
    QSet<QString> on;
    for (QAction* a : main.menuEntries())
        if (a->isEnabled())
            on << a->text();
    return on;
}

inline QSet<QString> enabledButtons(const TMAIN& main)
{
    QSet<QString> on;
    for (QToolButton* b : main.toolbarButtons())
        if (b->isEnabled())
            on << b->text();
    return on;
}
