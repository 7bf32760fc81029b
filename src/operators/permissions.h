#pragma once

#include <QSet>
#include <QSqlDatabase>
#include <QString>

#include <array>

// The 24 permissions in their fixed order: each enables one menu entry of the main window
// and, for eight of them, the toolbar button beside it. Names are also the stored values of
// 权限清单.quanxianming.
struct PermissionGate
{
    int k;
    const char* name;
    const char* menuEntry;     // caption of the menu entry it enables
    const char* toolbarButton; // caption of the toolbar button it enables, or nullptr
};

namespace Permissions {

const std::array<PermissionGate, 24>& gates();

// The names the operator holds. The built-in operator 0001 holds all of them without rows.
QSet<QString> held(const QSqlDatabase& db, const QString& operatorId);

} // namespace Permissions
