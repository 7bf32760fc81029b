#include "app/screens.h"

#include "app/tmain.h"
#include "data/tdm1.h"
#include "members/tjifenchaxun.h"
#include "members/tkaleibiexiugai.h"
#include "members/tleibie.h"
#include "members/tquanbuhuiyuan.h"
#include "members/txinhuiyuan.h"
#include "members/txiugaihuiyuan.h"

using namespace Qt::Literals::StringLiterals;

namespace AppScreens {

void registerAll(TMAIN& main, TDM1& dm)
{
    TDM1* data = &dm;
    main.registerScreen(u"会员卡类别设置"_s, u"会员卡类别设置"_s, QPoint(100, 0), [data] { return new Tleibie(*data); });
    main.registerScreen(u"新增修改会员信息"_s, u"新增/修改会员信息"_s, QPoint(0, 0),
                        [data] { return new Txinhuiyuan(*data); });
    main.registerScreen(u"会员查询"_s, u"会员查询"_s, QPoint(200, 0), [data] { return new Tjifenchaxun(*data); });
    main.registerScreen(u"全部会员信息"_s, u"全部会员信息"_s, QPoint(0, 0), [data] { return new Tquanbuhuiyuan(*data); });

    Txiugaihuiyuan::createInstance(dm, &main);
    Tkaleibiexiugai::createInstance(dm, &main);
}

} // namespace AppScreens
