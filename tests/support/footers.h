#pragma once

#include "controls/recordgrid.h"

#include <QTest>

// A grid's counts and sums are computed in the background once its rows show: waits until
// they are shown (generously, for a busy machine).
inline bool footersShown(const RecordGrid* grid)
{
    return QTest::qWaitFor([&] { return !grid->footersPending(); }, 60000);
}
