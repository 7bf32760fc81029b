#pragma once

#include "data/tdm1.h"

#include <QPointer>
#include <QWidget>

// A dialog made once at start and reused for the whole run, keeping what it showed last.
// Screens reach it through instance(); start-up makes it with the main window as parent.
template <class Dialog>
class ReusedDialog
{
public:
    static Dialog& instance()
    {
        if (!slot())
            createInstance(*DM1, nullptr);
        return *slot();
    }
    static void createInstance(TDM1& dm, QWidget* parent)
    {
        delete slot().data();
        slot() = new Dialog(dm, parent);
    }

private:
    static QPointer<Dialog>& slot()
    {
        static QPointer<Dialog> dialog;
        return dialog;
    }
};
