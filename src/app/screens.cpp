#include "app/screens.h"

#include "app/tmain.h"
#include "data/tdm1.h"
#include "gifts/tkucunchaxun.h"
#include "gifts/tlipinjilu.h"
#include "gifts/truku.h"
#include "loss/losslistscreen.h"
#include "loss/tguashi.h"
#include "loss/tkoutou.h"
#include "maintenance/maintenanceactions.h"
#include "maintenance/tzhengli.h"
#include "members/tdaoru.h"
#include "members/tjifenchaxun.h"
#include "members/tkaleibiexiugai.h"
#include "members/tleibie.h"
#include "members/tquanbuhuiyuan.h"
#include "members/txinhuiyuan.h"
#include "members/txiugaihuiyuan.h"
#include "operators/tguaqi.h"
#include "operators/txgcaozuo.h"
#include "operators/txiugaimima.h"
#include "operators/txtshezhi.h"
#include "points/purchasescreen.h"
#include "points/tduihuan.h"
#include "points/txiangxijilu.h"
#include "reminders/reminderscreen.h"
#include "settings/tdayinshezhi.h"

#include <QToolButton>

using namespace Qt::Literals::StringLiterals;

namespace AppScreens {

void registerAll(TMAIN& main, TDM1& dm)
{
    TDM1* data = &dm;
    TMAIN* frame = &main;
    main.registerScreen(u"操作人员及权限设置"_s, u"操作人员设置"_s, QPoint(220, 50), [data] { return new Txtshezhi(*data); });
    main.registerScreen(u"修改密码"_s, u"修改密码"_s, QPoint(330, 0), [data] { return new Txiugaimima(*data); });
    main.registerScreen(u"店铺名称、界面及小票打印设置"_s, u"小票打印设置"_s, QPoint(330, 0), [frame] {
        auto* settings = new Tdayinshezhi;
        QObject::connect(settings, &Tdayinshezhi::shopNameSaved, frame, &TMAIN::setShopName);
        QObject::connect(settings, &Tdayinshezhi::backgroundChosen, frame, &TMAIN::setBackgroundPicture);
        return settings;
    });
    QObject::connect(main.toolbarButton(u"暂时离开"_s), &QToolButton::clicked, frame, [frame] { Tguaqi::lockCounter(frame); });

    main.registerScreen(u"会员卡类别设置"_s, u"会员卡类别设置"_s, QPoint(100, 0), [data] { return new Tleibie(*data); });
    main.registerScreen(u"新增修改会员信息"_s, u"新增/修改会员信息"_s, QPoint(0, 0),
                        [data] { return new Txinhuiyuan(*data); });
    main.registerScreen(u"会员查询"_s, u"会员查询"_s, QPoint(200, 0), [data] { return new Tjifenchaxun(*data); });
    main.registerScreen(u"全部会员信息"_s, u"全部会员信息"_s, QPoint(0, 0), [data] { return new Tquanbuhuiyuan(*data); });

    main.registerScreen(u"会员卡口头挂失及取消"_s, u"会员卡口头挂失及取消"_s, QPoint(180, 0),
                        [data] { return new Tkoutou(*data); });
    main.registerScreen(u"会员卡正式挂失"_s, u"会员卡正式挂失/换卡"_s, QPoint(200, 0), [data] { return new Tguashi(*data); });
    main.registerScreen(u"口头挂失记录"_s, u"口头挂失记录"_s, QPoint(100, 0), [data] { return new Tkoutoujilu(*data); });
    main.registerScreen(u"全部挂失记录"_s, u"全部挂失历史记录"_s, QPoint(180, 0),
                        [data] { return new Tguashilishi(*data); });

    // The transaction and history windows can be minimised and closed, not maximised.
    const auto noMaximise = TMAIN::Frame::MinimiseAndClose;
    main.registerScreen(u"增加积分"_s, u"购物或换货增加积分"_s, QPoint(200, 0), [data] { return new Tzengjiajifen(*data); },
                        noMaximise);
    main.registerScreen(u"退货扣积分"_s, u"退货扣积分"_s, QPoint(200, 0), [data] { return new Ttuihuo(*data); }, noMaximise);
    main.registerScreen(u"积分兑换"_s, u"积分兑换"_s, QPoint(200, 0), [data] { return new Tduihuan(*data); }, noMaximise);
    main.registerScreen(u"会员积分增减历史记录"_s, u"会员积分增减历史记录"_s, QPoint(0, 0),
                        [data] { return new Txiangxijilu(*data); }, noMaximise);
    // The same history under the caption the "详细记录" buttons open it with, beside the menu's.
    main.registerScreen({}, u"会员积分增减详细记录"_s, QPoint(0, 0), [data] { return new Txiangxijilu(*data); }, noMaximise);

    main.registerScreen(u"历史数据清除"_s, u"数据整理"_s, QPoint(310, 100), [data] { return new Tzhengli(*data); });
    for (const MaintenanceActions::Entry& e : (new MaintenanceActions(dm, &main, main.backupProposedName()))->entries())
        main.setEntryHandler(e.caption, e.action);

    // The reminders start from the flags the main window read at start, however they open.
    main.registerScreen(u"会员生日提醒"_s, u"会员生日提醒"_s, QPoint(200, 0),
                        [data, frame] { return new Tshengri(*data, frame->remindBirthday()); });
    main.registerScreen(u"保险到期提醒"_s, u"保险到期提醒"_s, QPoint(170, 0),
                        [data, frame] { return new Tbaoxiantixing(*data, frame->remindInsurance()); });

    // The gift screens are modal dialogs, made for one use.
    main.setEntryHandler(u"礼品入库"_s, [data, frame] { Truku(*data, frame).exec(); });
    main.setEntryHandler(u"礼品库存查询"_s, [data, frame] { Tkucunchaxun(*data, frame).exec(); });
    main.setEntryHandler(u"礼品兑换记录"_s, [data, frame] { Tlipinjilu(*data, frame).exec(); });

    Txiugaihuiyuan::createInstance(dm, &main);
    Tkaleibiexiugai::createInstance(dm, &main);
    Txgcaozuo::createInstance(dm, &main);
    Tdaoru::createInstance(dm, &main);
}

} // namespace AppScreens
