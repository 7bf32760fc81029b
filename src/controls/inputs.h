#pragma once

#include "data/values.h"

#include <QComboBox>
#include <QDateEdit>

// The two kinds of input every screen sets up the same way.

// A drop-down that also takes typing; what is typed stays as typed, never added to the list.
inline void makeTypable(QComboBox* box)
{
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
}

// A date picker with its calendar, showing the date as it is written everywhere (yyyy-MM-dd).
inline void makeDatePicker(QDateEdit* picker)
{
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(QString::fromLatin1(Values::DateFormat));
}
