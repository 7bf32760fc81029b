#include "operators/permissions.h"

#include "data/schema.h"
#include "data/sqlrun.h"

using namespace Qt::Literals::StringLiterals;

namespace Permissions {

namespace {
const std::array<PermissionGate, 24> g_gates = {{
    {1, "操作人员设置", "操作人员及权限设置", nullptr},
    {2, "店铺名称设置", "店铺名称、界面及小票打印设置", nullptr},
    {3, "数据库备份", "数据备份", nullptr},
    {4, "数据库恢复", "数据恢复", nullptr},
    {5, "积分手动清零", "积分手动清零", nullptr},
    {6, "历史数据清除", "历史数据清除", nullptr},
    {7, "数据初始化", "数据初始化", nullptr},
    {8, "会员卡类别设置", "会员卡类别设置", nullptr},
    {9, "新增/修改会员卡信息", "新增修改会员信息", "会员管理"},
    {10, "会员查询", "会员查询", "会员查询"},
    {11, "全部会员信息", "全部会员信息", nullptr},
    {12, "会员卡口头挂失及取消", "会员卡口头挂失及取消", "口头挂失及取消"},
    {13, "会员卡正式挂失", "会员卡正式挂失", "会员卡挂失/换卡"},
    {14, "增加积分", "增加积分", "增加积分"},
    {15, "积分兑换", "积分兑换", "积分兑换"},
    {16, "退货扣积分", "退货扣积分", "退/换货减积分"},
    {17, "会员积分增减历史记录", "会员积分增减历史记录", nullptr},
    {18, "口头挂失记录", "口头挂失记录", nullptr},
    {19, "全部挂失记录", "全部挂失记录", nullptr},
    {20, "会员生日提醒", "会员生日提醒", "生日提醒"},
    {21, "礼品入库", "礼品入库", nullptr},
    {22, "礼品库存查询", "礼品库存查询", nullptr},
    {23, "礼品兑换记录", "礼品兑换记录", nullptr},
    {24, "保险到期提醒", "保险到期提醒", nullptr},
}};
} // namespace

const std::array<PermissionGate, 24>& gates()
{
    return g_gates;
}

QSet<QString> held(const QSqlDatabase& db, const QString& operatorId)
{
    QSet<QString> names;
    if (operatorId == QString::fromUtf8(Schema::BuiltInOperatorId)) {
        for (const PermissionGate& gate : g_gates)
            names.insert(QString::fromUtf8(gate.name));
        return names;
    }
    // A grant counts when its row carries a sequence number, as every saved grant does.
    Sql::Rows query = Sql::run(db, u"select quanxianming from 权限清单 where bianhao=? and xuhao is not null"_s,
                               {operatorId});
    QSet<QString> rows;
    while (query.next())
        rows.insert(query.value(0).toString());
    for (const PermissionGate& gate : g_gates) {
        const QString name = QString::fromUtf8(gate.name);
        if (rows.contains(name))
            names.insert(name);
    }
    return names;
}

} // namespace Permissions
