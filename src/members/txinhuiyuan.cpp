#include "members/txinhuiyuan.h"

#include "controls/fieldevents.h"
#include "controls/inputs.h"
#include "controls/messageservice.h"
#include "controls/recordgrid.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "members/memberform.h"
#include "members/membergrid.h"
#include "members/tdaoru.h"
#include "members/memberlist.h"
#include "members/txiugaihuiyuan.h"

#include <QComboBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlRecord>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Txinhuiyuan::Txinhuiyuan(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_form(new MemberForm(dm.ADOConnection1(), MemberForm::Variant::Registration, this)),
      m_grid(new RecordGrid(this)), m_searchColumn(new QComboBox(this)), m_searchText(new QLineEdit(this)),
      m_save(new QPushButton(u"保存"_s, this))
{
    setObjectName(u"xinhuiyuan"_s);
    setWindowTitle(u"新增/修改会员卡信息"_s);

    auto* quit = new QPushButton(u"退出"_s, this);
    auto* edit = new QPushButton(u"修改"_s, this);
    auto* remove = new QPushButton(u"删除"_s, this);
    auto* import = new QPushButton(u"批量导入会员档案"_s, this);
    m_save->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    edit->setObjectName(u"BitBtn3"_s);
    remove->setObjectName(u"BitBtn4"_s);
    import->setObjectName(u"BitBtn5"_s);

    auto* details = new QGroupBox(u"会员资料"_s, this);
    auto* detailsLayout = new QVBoxLayout(details);
    detailsLayout->addWidget(m_form);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    for (QPushButton* b : {m_save, edit, remove, import, quit})
        buttons->addWidget(b);
    detailsLayout->addLayout(buttons);

    auto* searchBox = new QGroupBox(u"快速检索"_s, this);
    auto* searchLayout = new QHBoxLayout(searchBox);
    m_searchColumn->setObjectName(u"ComboBox3"_s);
    makeTypable(m_searchColumn);
    m_searchColumn->setAccessibleName(u"检索列"_s);
    m_searchText->setObjectName(u"Edit7"_s);
    m_searchText->setAccessibleName(u"包含"_s);
    auto* contains = new QLabel(u"包含"_s, this);
    contains->setBuddy(m_searchText);
    searchLayout->addWidget(m_searchColumn);
    searchLayout->addWidget(contains);
    searchLayout->addWidget(m_searchText, 1);

    auto* list = new QGroupBox(u"会员列表"_s, this);
    auto* listLayout = new QVBoxLayout(list);
    m_grid->setObjectName(u"DBGridEh1"_s);
    setUpMemberGrid(m_grid, m_dm.ADOQuery5, RecordGrid::Selection::Row);
    listLayout->addWidget(m_grid);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(details);
    layout->addWidget(searchBox);
    layout->addWidget(list, 1);
    resize(1000, 720);

    setTabOrder(m_form->cardField(), m_form->categoryBox());
    m_form->chainEnterTo(m_save);
    FieldEvents::whenLeft(m_form->cardField(), [this](QWidget*) {
        if (auto n = Registration::cardRefusal(m_dm.ADOConnection1(), m_form->cardField()->text())) {
            MessageService::notify(this, *n);
            m_form->focusFor(*n);
        }
    });
    connect(m_searchText, &QLineEdit::textChanged, this, &Txinhuiyuan::quickSearch);
    connect(m_save, &QPushButton::clicked, this, &Txinhuiyuan::save);
    connect(edit, &QPushButton::clicked, this, &Txinhuiyuan::editCurrent);
    connect(m_grid, &RecordGrid::rowDoubleClicked, this, &Txinhuiyuan::editCurrent);
    connect(remove, &QPushButton::clicked, this, &Txinhuiyuan::deleteCurrent);
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { prepare(); });
    connect(import, &QPushButton::clicked, this, [] { Tdaoru::instance().exec(); });
}

void Txinhuiyuan::prepare()
{
    m_form->loadChoices(false);
    m_searchColumn->clear();
    m_searchColumn->addItems(MemberList::quickSearchColumns());
    m_searchColumn->setCurrentIndex(0);
    {
        const QSignalBlocker block(m_searchText);
        m_searchText->clear();
    }
    m_form->reset();
    m_dm.ADOQuery5->close();
    m_dm.ADOQuery5->setStatement(MemberList::AllMembers);
    m_dm.ADOQuery5->open();
    m_form->cardField()->setFocus(Qt::OtherFocusReason);
}

void Txinhuiyuan::save()
{
    const Outcome o = Registration::save(m_dm.ADOConnection1(), m_form->draft());
    MessageService::notify(this, o.notice);
    if (!o.ok) {
        m_form->focusFor(o.notice);
        return;
    }
    // Clearing a search text runs the search again with an empty pattern, as typing would.
    m_searchText->clear();
    m_form->loadChoices(false);
    m_form->reset();
    m_form->cardField()->setFocus(Qt::OtherFocusReason);
    m_dm.ADOQuery5->open();
}

void Txinhuiyuan::editCurrent()
{
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    const QSqlRecord record = m_dm.ADOQuery5->record(row);
    Txiugaihuiyuan& dialog = Txiugaihuiyuan::instance();
    dialog.fill(MemberRecord::fromRecord(record));
    dialog.exec();
}

void Txinhuiyuan::deleteCurrent()
{
    const int row = m_grid->currentRow();
    if (row < 0)
        return;
    if (!MessageService::question(this, u"提示"_s, u"确实删除该会员？该操作不可恢复！请谨慎操作！"_s))
        return;
    Members::remove(m_dm.ADOConnection1(), m_grid->value(row, u"会员卡号"_s).toString());
    m_dm.ADOQuery5->open();
}

void Txinhuiyuan::quickSearch()
{
    const QString failed = MemberList::quickSearch(m_dm, m_searchColumn->currentText(), m_searchText->text());
    if (!failed.isEmpty())
        MessageService::notify(this, Notice::plain(failed));
}
