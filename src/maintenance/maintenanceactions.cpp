#include "maintenance/maintenanceactions.h"

#include "controls/filedialogs.h"
#include "controls/messageservice.h"
#include "maintenance/maintenance.h"

#include <QWidget>

using namespace Qt::Literals::StringLiterals;

namespace {
const QStringList AllFiles = {u"所有文件 (*)"_s};
}

MaintenanceActions::MaintenanceActions(TDM1& dm, QWidget* owner, QString proposedName)
    : QObject(owner), m_dm(dm), m_owner(owner), m_proposedName(std::move(proposedName))
{
}

QList<MaintenanceActions::Entry> MaintenanceActions::entries()
{
    return {{u"数据备份"_s, [this] { backup(); }},
            {u"数据恢复"_s, [this] { restore(); }},
            {u"积分手动清零"_s, [this] { resetPoints(); }},
            {u"数据初始化"_s, [this] { initialise(); }}};
}

void MaintenanceActions::backup()
{
    const QString screen = u"数据备份"_s;
    const FileDialogs::Choice choice = FileDialogs::instance().save(m_owner, u"数据备份"_s,
                                                                    FileDialogs::startFolder(screen), m_proposedName,
                                                                    AllFiles, 1);
    if (!choice.accepted || choice.path.isEmpty())
        return;
    FileDialogs::remember(screen, choice.path);
    MessageService::notify(m_owner, Maintenance::backup(m_dm, choice.path).notice);
}

void MaintenanceActions::restore()
{
    if (!MessageService::question(m_owner, u"数据恢复"_s, u"数据库恢复将要覆盖原来数据库中所有的数据，继续吗？"_s))
        return;
    const FileDialogs::Choice choice = FileDialogs::instance().open(m_owner, u"数据恢复"_s, AllFiles);
    if (!choice.accepted || choice.path.isEmpty())
        return;
    MessageService::notify(m_owner, Maintenance::restore(m_dm, choice.path).notice);
}

void MaintenanceActions::resetPoints()
{
    if (!MessageService::question(m_owner, u"清零询问"_s, u"确实进行积分手动清零？"_s, MessageService::Buttons::YesNo))
        return;
    if (!MessageService::question(
            m_owner, u"清零提示"_s,
            u"确实进行积分手动清零？该操作将使全部会员的积分变为0，该操作不可恢复！请谨慎操作！"_s))
        return;
    MessageService::notify(m_owner, Maintenance::resetPoints(m_dm).notice);
}

void MaintenanceActions::initialise()
{
    if (!MessageService::question(
            m_owner, u"数据初始化"_s,
            u"确实进行数据初始化？该操作将清空数据库的全部内容，该操作不可恢复！请谨慎操作！"_s))
        return;
    MessageService::notify(m_owner, Maintenance::initialise(m_dm).notice);
}
