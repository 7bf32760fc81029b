#include "points/tduihuan.h"

#include "controls/enterchain.h"
#include "controls/fieldevents.h"
#include "controls/heading.h"
#include "controls/messageservice.h"
#include "controls/recordgrid.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "members/memberpanel.h"
#include "operators/login.h"
#include "points/history.h"
#include "points/receipt.h"

#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyledItemDelegate>
#include <QTableView>
#include <QTableWidget>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

enum GiftColumn { NumberColumn = 0, NameColumn = 1, UnitColumn = 2, QuantityColumn = 3 };

// The quantity cells take digits, the point and the minus sign only.
class QuantityDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        if (auto* edit = qobject_cast<QLineEdit*>(editor)) {
            edit->setAlignment(Qt::AlignCenter);
            FieldEvents::acceptDecimalKeys(edit, true);
        }
        return editor;
    }
};

} // namespace

Tduihuan::Tduihuan(TDM1& dm, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_panel(new MemberPanel(dm, this)), m_modes(new QButtonGroup(this)),
      m_points(new QLineEdit(this)), m_cash(new QLineEdit(this)), m_giftGroup(new QGroupBox(u"本次兑换礼品"_s, this)),
      m_gifts(new QTableWidget(GiftRows, 4, m_giftGroup)), m_pick(new RecordGrid(m_giftGroup)),
      m_confirm(new QPushButton(u"确定"_s, this))
{
    setObjectName(u"duihuan"_s);
    setWindowTitle(u"积分兑换"_s);

    LookupOptions options;
    options.retiredQuestion = u"此卡已经挂失，不能查询,需要打开挂失记录吗？"_s;
    options.retiredTestOnResult = true;
    options.refuseFrozen = true;
    options.lookupOnLeave = true;
    options.forgetOnFailedLookup = true;
    m_panel->setOptions(options);
    m_panel->setLabel(u"Edit11"_s, u"起用日期"_s);
    m_panel->verbalLossBox()->hide();

    auto* heading = makeHeading(u"积分兑换"_s, this);

    auto* modeBox = new QGroupBox(u"请选择兑换方式"_s, this);
    modeBox->setObjectName(u"RzRadioGroup1"_s);
    auto* giftsMode = new QRadioButton(u"礼品           "_s, modeBox);
    auto* cashMode = new QRadioButton(u"现金"_s, modeBox);
    m_modes->addButton(giftsMode, int(PointsOps::RedeemMode::Gifts));
    m_modes->addButton(cashMode, int(PointsOps::RedeemMode::Cash));
    giftsMode->setChecked(true);
    auto* modeLayout = new QHBoxLayout(modeBox);
    modeLayout->addWidget(giftsMode);
    modeLayout->addWidget(cashMode);

    m_points->setObjectName(u"Edit21"_s);
    m_cash->setObjectName(u"Edit22"_s);
    m_points->setAccessibleName(u"本次兑换积分"_s);
    m_cash->setAccessibleName(u"本次兑换现金"_s);
    for (QLineEdit* e : {m_points, m_cash})
        FieldEvents::acceptDecimalKeys(e);
    auto* pointsLabel = new QLabel(u"本次兑换积分"_s, this);
    pointsLabel->setBuddy(m_points);
    auto* cashLabel = new QLabel(u"本次兑换现金"_s, this);
    cashLabel->setBuddy(m_cash);

    // The gift list: 20 numbered rows of gift, unit and quantity.
    m_gifts->setObjectName(u"StringGrid1"_s);
    m_gifts->setHorizontalHeaderLabels({u"序号"_s, u"礼品名"_s, u"包装"_s, u"数量"_s});
    m_gifts->verticalHeader()->hide();
    const int widths[] = {35, 150, 80, 80};
    for (int c = 0; c < 4; ++c)
        m_gifts->setColumnWidth(c, widths[c]);
    m_gifts->verticalHeader()->setDefaultSectionSize(20);
    m_gifts->setItemDelegateForColumn(QuantityColumn, new QuantityDelegate(m_gifts));
    for (int r = 0; r < GiftRows; ++r) {
        auto* number = new QTableWidgetItem(QString::number(r + 1));
        number->setFlags(Qt::ItemIsEnabled);
        number->setBackground(palette().button());
        m_gifts->setItem(r, NumberColumn, number);
        for (int c = NameColumn; c <= QuantityColumn; ++c)
            m_gifts->setItem(r, c, new QTableWidgetItem);
        for (int c = 0; c < 4; ++c)
            m_gifts->item(r, c)->setTextAlignment(Qt::AlignCenter);
    }
    m_pick->setObjectName(u"DBGridEh2"_s);
    m_pick->setColumns({{u"礼品名称"_s}, {u"单位"_s}});
    m_pick->setSelection(RecordGrid::Selection::Row);
    m_pick->setSource(m_dm.ADOQuery14);
    m_pick->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* hidePick = new QAction(u"隐藏"_s, m_pick);
    m_pick->addAction(hidePick);
    m_pick->view()->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_pick->view()->addAction(hidePick);
    auto* giftLayout = new QHBoxLayout(m_giftGroup);
    giftLayout->addWidget(m_gifts, 3);
    giftLayout->addWidget(m_pick, 2);
    m_giftGroup->setMinimumHeight(200);

    auto* quit = new QPushButton(u"退出"_s, this);
    auto* history = new QPushButton(u"详细记录"_s, this);
    m_confirm->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    history->setObjectName(u"BitBtn3"_s);

    auto* side = new QVBoxLayout;
    side->addWidget(modeBox);
    auto* amounts = new QGridLayout;
    amounts->addWidget(pointsLabel, 0, 0);
    amounts->addWidget(m_points, 0, 1);
    amounts->addWidget(cashLabel, 1, 0);
    amounts->addWidget(m_cash, 1, 1);
    side->addLayout(amounts);
    side->addStretch();
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(m_confirm);
    buttons->addWidget(history);
    buttons->addWidget(quit);
    side->addLayout(buttons);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_giftGroup, 1);
    bottom->addLayout(side);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(heading);
    layout->addWidget(m_panel);
    layout->addLayout(bottom, 1);
    resize(1000, 760);

    auto* enter = new EnterChain(this);
    // Enter in the points goes where the chosen mode continues: the cash, or the first gift.
    enter->linkToAction(m_points, [this] {
        if (m_cash->isEnabled())
            m_cash->setFocus(Qt::OtherFocusReason);
        else if (m_giftGroup->isEnabled()) {
            m_gifts->setFocus(Qt::OtherFocusReason);
            m_gifts->setCurrentCell(0, NameColumn);
        } else if (m_confirm->isEnabled())
            m_confirm->setFocus(Qt::OtherFocusReason);
    });
    enter->linkToAction(m_cash, [this] {
        if (m_confirm->isEnabled())
            m_confirm->setFocus(Qt::OtherFocusReason);
    });
    connect(m_panel, &MemberPanel::memberLoaded, this, [this](const MemberRecord&, MemberPanel::LoadedBy by) {
        if (checkRights() && by == MemberPanel::LoadedBy::Lookup)
            m_points->setFocus(Qt::OtherFocusReason);
    });
    // A lookup that loads no member leaves nothing to redeem from: the panel has emptied the
    // member fields (the number kept), the inputs follow. The focus stays where the lookup left
    // it, which may be a loss record screen it opened.
    connect(m_panel, &MemberPanel::lookupFailed, this, [this] {
        clearMember(true);
        disableInputs();
    });
    connect(m_panel, &MemberPanel::searched, this, [this] {
        m_points->clear();
        m_cash->clear();
    });
    connect(m_gifts, &QTableWidget::cellClicked, this, [this](int, int column) {
        if (column == NameColumn)
            showPickList();
    });
    connect(m_pick, &RecordGrid::rowDoubleClicked, this, &Tduihuan::takePicked);
    connect(hidePick, &QAction::triggered, m_pick, &QWidget::hide);
    connect(m_confirm, &QPushButton::clicked, this, &Tduihuan::save);
    connect(history, &QPushButton::clicked, this, &Tduihuan::showHistory);
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { startState(); });
}

void Tduihuan::startState()
{
    clearMember();
    m_panel->cardField()->setFocus(Qt::OtherFocusReason);
    disableInputs();
    m_panel->hideResults();
    m_pick->hide();
}

void Tduihuan::disableInputs()
{
    m_points->setEnabled(false);
    m_cash->setEnabled(false);
    m_confirm->setEnabled(false);
    m_giftGroup->setEnabled(false);
}

void Tduihuan::clearMember(bool keepCard)
{
    m_panel->clear(keepCard);
    m_points->clear();
    m_cash->clear();
}

bool Tduihuan::checkRights()
{
    const auto mode = PointsOps::RedeemMode(m_modes->checkedId());
    if (auto refusal = PointsOps::rightsRefusal(m_dm.ADOConnection1(), m_panel->field(u"Edit2"_s)->text(), mode)) {
        MessageService::notify(this, *refusal);
        // The card may not be used so: nothing of it stays on screen to redeem from.
        clearMember(true);
        disableInputs();
        return false;
    }
    const bool cash = mode == PointsOps::RedeemMode::Cash;
    m_cash->setEnabled(cash);
    m_giftGroup->setEnabled(!cash);
    m_points->setEnabled(true);
    m_confirm->setEnabled(true);
    return true;
}

QList<PointsOps::GiftRow> Tduihuan::giftRows() const
{
    QList<PointsOps::GiftRow> rows;
    for (int r = 0; r < GiftRows; ++r)
        rows.append({m_gifts->item(r, NameColumn)->text(), m_gifts->item(r, UnitColumn)->text(),
                     m_gifts->item(r, QuantityColumn)->text()});
    return rows;
}

void Tduihuan::clearGiftCells()
{
    for (int r = 0; r < GiftRows; ++r)
        for (int c = NameColumn; c <= QuantityColumn; ++c)
            m_gifts->item(r, c)->setText(QString());
}

void Tduihuan::showPickList()
{
    PointsOps::showGiftPickList(m_dm);
    m_pick->show();
}

void Tduihuan::takePicked(int row)
{
    const int current = std::max(0, m_gifts->currentRow());
    m_gifts->item(current, NameColumn)->setText(m_pick->value(row, u"礼品名称"_s).toString());
    m_gifts->item(current, UnitColumn)->setText(m_pick->value(row, u"单位"_s).toString());
    m_pick->hide();
}

void Tduihuan::save()
{
    const ReceiptSettings receipt = readReceiptSettings();
    PointsOps::RedemptionDraft draft;
    draft.giftsEnabled = m_giftGroup->isEnabled();
    draft.gifts = giftRows();
    if (m_points->text().isEmpty())
        m_points->setText(u"0"_s);
    if (m_cash->text().isEmpty())
        m_cash->setText(u"0"_s);
    draft.cardNo = m_panel->cardField()->text();
    draft.loadedCard = m_panel->loadedCard();
    draft.name = m_panel->field(u"Edit3"_s)->text();
    draft.points = m_points->text();
    draft.cash = m_cash->text();
    draft.currentPoints = m_panel->field(u"Edit10"_s)->text();
    const PointsOps::Redeemed done = PointsOps::redeem(m_dm.ADOConnection1(), draft, currentOperator().id);
    MessageService::notify(this, done.outcome.notice);
    if (!done.outcome.ok) {
        if (done.badRow >= 0)
            m_gifts->setCurrentCell(done.badRow, NameColumn);
        return;
    }
    ReceiptLines lines;
    lines.cardNo = draft.loadedCard;
    lines.name = draft.name;
    lines.line6 = done.points;
    lines.line7 = done.giftText;
    lines.line8 = done.cash;
    PrintReceipt(receipt, ReceiptKind::Redeem, lines, m_dm.ADOConnection1(), currentOperator().id);

    clearMember();
    m_panel->cardField()->setFocus(Qt::OtherFocusReason);
    m_points->setEnabled(false);
    m_confirm->setEnabled(false);
    m_giftGroup->setEnabled(false);
    clearGiftCells();
}

void Tduihuan::showHistory()
{
    Screens::open(u"会员积分增减详细记录"_s);
    History::showCard(m_dm, m_panel->currentCard());
}
