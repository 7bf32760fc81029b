#include "reminders/reminderscreen.h"

#include "config/appconfig.h"
#include "controls/gridprint.h"
#include "controls/messageservice.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "reminders/reminders.h"
#include "sheets/listexport.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

ReminderScreen::ReminderScreen(Setup setup, QWidget* parent)
    : QWidget(parent), m_setup(std::move(setup)), m_grid(new RecordGrid(this)),
      m_showAtStart(new QCheckBox(u"软件启动后显示"_s, this)), m_windows(new QButtonGroup(this)),
      m_print(new QPushButton(u"打印"_s, this)), m_export(nullptr)
{
    setWindowTitle(m_setup.caption);

    auto* top = new QHBoxLayout;
    int number = 1;
    for (const Window& w : std::as_const(m_setup.windows)) {
        auto* button = new QPushButton(w.caption, this);
        button->setObjectName(u"BitBtn%1"_s.arg(number++));
        // The window on show stays pressed, so the operator sees which days the list covers.
        button->setCheckable(true);
        m_windows->addButton(button);
        top->addWidget(button);
        connect(button, &QPushButton::clicked, this, [this, show = w.show] {
            const QString failed = show();
            if (!failed.isEmpty())
                MessageService::notify(this, Notice::plain(failed));
        });
    }
    m_windows->setExclusive(true);
    auto* excel = new QPushButton(u"EXCEL"_s, this);
    auto* quit = new QPushButton(u"退出"_s, this);
    m_print->setObjectName(u"BitBtn%1"_s.arg(number++));
    excel->setObjectName(u"BitBtn%1"_s.arg(number++));
    quit->setObjectName(u"BitBtn%1"_s.arg(number++));
    m_showAtStart->setObjectName(u"CheckBox1"_s);
    top->addSpacing(12);
    top->addWidget(m_print);
    top->addWidget(excel);
    top->addWidget(quit);
    top->addStretch();
    top->addWidget(m_showAtStart);

    m_grid->setObjectName(u"DBGridEh1"_s);
    m_grid->setColumns(m_setup.columns);
    m_grid->setSelection(RecordGrid::Selection::Row);
    m_grid->setToolTip(u"单击列头可实现排序"_s);
    m_grid->setSource(m_setup.query);
    for (int i = 0; i < m_setup.widths.size(); ++i)
        m_grid->view()->horizontalHeader()->resizeSection(i, m_setup.widths.at(i));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(m_grid, 1);

    m_export = new ListExport(m_grid, {u"提示！"_s, u"倒出数据成功！"_s, false}, this);
    connect(m_print, &QPushButton::clicked, this, &ReminderScreen::printPreview);
    connect(excel, &QPushButton::clicked, m_export, &ListExport::run);
    Screens::closeOnClick(quit, this);

    // The opening state, once when the screen is made: a window restored later keeps what
    // the operator changed.
    m_showAtStart->setChecked(false);
    m_showAtStart->setChecked(m_setup.showAtStart);
    if (QAbstractButton* first = m_windows->buttons().value(0))
        first->click();
}

ReminderScreen::~ReminderScreen()
{
    // Closed with the program rather than on its own: the choice still counts.
    saveShowAtStart();
}

QList<QAbstractButton*> ReminderScreen::windowButtons() const
{
    return m_windows->buttons();
}

void ReminderScreen::printPreview()
{
    GridPrint::preview(this, m_grid, m_setup.printTitle, m_setup.printPointSize);
}

void ReminderScreen::closeEvent(QCloseEvent* event)
{
    saveShowAtStart();
    QWidget::closeEvent(event);
}

void ReminderScreen::saveShowAtStart()
{
    if (m_saved)
        return;
    m_saved = true;
    Reminders::saveShowAtStart(m_setup.configKey, m_showAtStart->isChecked());
}

Tshengri::Tshengri(TDM1& dm, bool showAtStart, QWidget* parent)
    : ReminderScreen({u"会员生日提醒"_s,
                      dm.ADOQuery3,
                      {{u"会员卡号"_s}, {u"会员姓名"_s}, {u"会员生日"_s}, {u"固定电话"_s}, {u"手机"_s}},
                      {110, 110, 90, 130, 130},
                      {{u"三日内（默认）"_s, [&dm] { return Reminders::showBirthdays(dm, 3); }},
                       {u"五日内"_s, [&dm] { return Reminders::showBirthdays(dm, 5); }}},
                      u"三日或五日内过生日的会员"_s,
                      13,
                      ConfigKeys::RemindBirthday,
                      showAtStart},
                     parent)
{
    setObjectName(u"shengri"_s);
    // Both reminders open at start, the insurance list over this one: wider and taller, this
    // one still shows beside and below it.
    resize(900, 540);
}

Tbaoxiantixing::Tbaoxiantixing(TDM1& dm, bool showAtStart, QWidget* parent)
    : ReminderScreen({u"保险到期提醒"_s,
                      dm.ADOQuery16,
                      // No table holds a purchase date of the insurance: the column shows the
                      // date the insurance was taken out under the list's own title.
                      {{u"会员卡号"_s},
                       {u"会员姓名"_s},
                       {u"固定电话"_s},
                       {u"手机"_s},
                       {u"投保日期"_s, u"买保险日期"_s},
                       {u"保险到期日期"_s}},
                      {100, 100, 120, 120, 100, 100},
                      {{u"一个月内（默认）"_s, [&dm] { return Reminders::showExpiries(dm, 30); }},
                       {u"十五日内"_s, [&dm] { return Reminders::showExpiries(dm, 15); }},
                       {u"五日内"_s, [&dm] { return Reminders::showExpiries(dm, 5); }}},
                      u"三日或五日内保险到期的会员"_s,
                      8,
                      ConfigKeys::RemindInsurance,
                      showAtStart},
                     parent)
{
    setObjectName(u"baoxiantixing"_s);
    resize(780, 420);
}
