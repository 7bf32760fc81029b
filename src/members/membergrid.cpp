#include "members/membergrid.h"

using namespace Qt::Literals::StringLiterals;

void setUpMemberGrid(RecordGrid* grid, SharedQuery* members, RecordGrid::Selection selection)
{
    using F = GridColumn::Format;
    grid->setColumns({{u"会员卡号"_s},
                      {u"卡类别"_s},
                      {u"会员姓名"_s},
                      {u"性别"_s},
                      {u"身份证号"_s},
                      {u"会员生日"_s},
                      {u"积分"_s, {}, F::Points},
                      {u"地址"_s},
                      {u"固定电话"_s},
                      {u"起用日期"_s},
                      {u"手机"_s},
                      {u"口头挂失标志"_s, u"口头挂失"_s, F::YesNo},
                      {u"职业"_s},
                      {u"兴趣爱好"_s},
                      {u"车牌号"_s},
                      {u"VIN码"_s},
                      {u"车型"_s},
                      {u"车身颜色"_s},
                      {u"购车日期"_s},
                      {u"投保标志"_s, {}, F::YesNo},
                      {u"投保日期"_s},
                      {u"保险到期日期"_s, u"保险到期"_s}});
    grid->setFooters({{u"会员卡号"_s, GridFooter::Kind::Text, u"合计数量"_s},
                      {u"卡类别"_s, GridFooter::Kind::Count}});
    grid->setSelection(selection);
    grid->setToolTip(u"单击列头可实现排序"_s);
    grid->setSource(members);
}
