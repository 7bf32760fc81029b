#pragma once

#include "controls/recordgrid.h"

// The member list as the registration screen and the member list screen show it: 22 columns,
// the footer "合计数量" with the row count, bound to the shared ADOQuery5.
void setUpMemberGrid(RecordGrid* grid, SharedQuery* members, RecordGrid::Selection selection);
