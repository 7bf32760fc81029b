#include "points/purchasescreen.h"

#include "controls/enterchain.h"
#include "controls/fieldevents.h"
#include "controls/heading.h"
#include "controls/messageservice.h"
#include "controls/refillingcombo.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "members/memberpanel.h"
#include "operators/login.h"
#include "points/receipt.h"
#include "points/transactionlog.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

PurchaseScreen::PurchaseScreen(TDM1& dm, PointsOps::PurchaseKind kind, const Texts& texts, QWidget* parent)
    : QWidget(parent), m_dm(dm), m_kind(kind), m_panel(new MemberPanel(dm, this)),
      m_goods(new RefillingCombo([db = dm.ADOConnection1()] { return PointsOps::goodsList(db); }, this)),
      m_amount(new QLineEdit(this)), m_points(new QLineEdit(this)), m_confirm(new QPushButton(u"确定"_s, this))
{
    setWindowTitle(texts.title);
    LookupOptions options;
    options.retiredQuestion = u"此卡已经挂失，不能使用,需要打开挂失记录吗？"_s;
    options.refuseFrozen = true;
    options.lookupOnLeave = true;
    options.forgetOnFailedLookup = true;
    m_panel->setOptions(options);
    m_panel->setLabel(u"Edit11"_s, u"起用日期"_s);
    m_panel->verbalLossBox()->hide();

    auto* heading = makeHeading(texts.heading, this);

    auto* line = new QFrame(this);
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);

    m_goods->setObjectName(u"ComboBox1"_s);
    m_amount->setObjectName(u"Edit21"_s);
    m_points->setObjectName(u"Edit22"_s);
    m_goods->setAccessibleName(texts.goodsLabel);
    m_amount->setAccessibleName(texts.amountLabel);
    m_points->setAccessibleName(texts.pointsLabel);
    FieldEvents::acceptDecimalKeys(m_amount);
    for (QWidget* w : std::initializer_list<QWidget*>{m_goods, m_amount, m_points})
        w->setMinimumWidth(150);
    m_points->setStyleSheet(u"color: #d01010; font-weight: bold;"_s);

    auto* inputs = new QGridLayout;
    const std::pair<QString, QWidget*> rows[] = {
        {texts.goodsLabel, m_goods}, {texts.amountLabel, m_amount}, {texts.pointsLabel, m_points}};
    int col = 0;
    for (const auto& [text, w] : rows) {
        auto* label = new QLabel(text, this);
        label->setBuddy(w);
        if (w == m_amount && !texts.amountNote.isEmpty())
            label->setStyleSheet(u"color: #d01010;"_s);
        inputs->addWidget(label, 0, col, Qt::AlignRight);
        inputs->addWidget(w, 0, col + 1);
        col += 2;
    }
    if (!texts.amountNote.isEmpty()) {
        auto* note = new QLabel(texts.amountNote, this);
        note->setObjectName(u"amountNote"_s);
        note->setStyleSheet(u"color: #d01010;"_s);
        inputs->addWidget(note, 1, 3);
    }
    auto* quit = new QPushButton(u"退出"_s, this);
    m_confirm->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    inputs->addWidget(m_confirm, 0, 6);
    inputs->addWidget(quit, 0, 7);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addWidget(heading);
    layout->addWidget(m_panel);
    layout->addStretch(1);
    layout->addWidget(line);
    layout->addLayout(inputs);
    resize(960, 500);

    auto* enter = new EnterChain(this);
    const auto toAmount = [this] {
        if (m_amount->isEnabled())
            m_amount->setFocus(Qt::OtherFocusReason);
    };
    enter->linkToAction(m_goods, toAmount);
    connect(m_goods, &QComboBox::activated, this, toAmount);
    enter->linkToAction(m_amount, [this] {
        if (m_confirm->isEnabled())
            m_confirm->setFocus(Qt::OtherFocusReason);
    });
    m_amount->installEventFilter(this);
    connect(m_amount, &QLineEdit::textChanged, this, &PurchaseScreen::proposePoints);
    connect(m_panel, &MemberPanel::memberLoaded, this, [this] {
        enableInputs(true);
        m_goods->setFocus(Qt::OtherFocusReason);
    });
    // A lookup that loads no member leaves nothing to book: the panel has emptied the member
    // fields (the number kept), the inputs follow. The focus stays where the lookup left it,
    // which may be a loss record screen it opened.
    connect(m_panel, &MemberPanel::lookupFailed, this, &PurchaseScreen::clearInputs);
    connect(m_panel, &MemberPanel::searched, this, [this] {
        m_goods->clear();
        m_goods->setEditText(QString());
        m_amount->clear();
        m_points->clear();
    });
    connect(m_confirm, &QPushButton::clicked, this, &PurchaseScreen::save);
    Screens::closeOnClick(quit, this);
    Screens::whenOpened(this, [this] { startState(); });
}

QComboBox* PurchaseScreen::goods() const
{
    return m_goods;
}

bool PurchaseScreen::eventFilter(QObject* watched, QEvent* event)
{
    // Entering an amount of "0" starts it afresh.
    if (watched == m_amount && event->type() == QEvent::FocusIn && m_amount->text() == u"0"_s)
        m_amount->clear();
    return QWidget::eventFilter(watched, event);
}

void PurchaseScreen::startState()
{
    m_panel->clear();
    m_panel->hideResults();
    clearInputs();
    m_panel->cardField()->setFocus(Qt::OtherFocusReason);
}

void PurchaseScreen::clearInputs()
{
    m_goods->clear();
    m_goods->setEditText(QString());
    {
        const QSignalBlocker block(m_amount);
        m_amount->clear();
    }
    m_points->clear();
    enableInputs(false);
}

void PurchaseScreen::enableInputs(bool on)
{
    m_amount->setEnabled(on);
    m_points->setEnabled(on);
    m_confirm->setEnabled(on);
}

void PurchaseScreen::proposePoints()
{
    const ProposedPoints proposed =
        pointsForAmount(m_dm.ADOConnection1(), m_panel->field(u"Edit2"_s)->text(), m_amount->text());
    if (!proposed.error.isEmpty())
        MessageService::notify(this, Notice::plain(proposed.error));
    else if (proposed.changed)
        m_points->setText(proposed.points);
}

void PurchaseScreen::save()
{
    const ReceiptSettings receipt = readReceiptSettings();
    if (m_points->text().isEmpty())
        m_points->setText(u"0"_s);
    PointsOps::PurchaseDraft draft;
    draft.cardNo = m_panel->cardField()->text();
    draft.loadedCard = m_panel->loadedCard();
    draft.name = m_panel->field(u"Edit3"_s)->text();
    draft.goods = m_goods->currentText();
    draft.amount = m_amount->text();
    draft.points = m_points->text();
    const PointsOps::Saved saved = PointsOps::savePurchase(m_dm.ADOConnection1(), m_kind, draft, currentOperator().id);
    MessageService::notify(this, saved.outcome.notice);
    if (!saved.outcome.ok)
        return;
    const bool add = m_kind == PointsOps::PurchaseKind::Add;
    ReceiptLines lines;
    lines.cardNo = draft.loadedCard;
    lines.name = draft.name;
    lines.line6 = draft.goods;
    lines.line7 = draft.amount;
    lines.line8 = saved.points;
    PrintReceipt(receipt, add ? ReceiptKind::Add : ReceiptKind::Deduct, lines, m_dm.ADOConnection1(),
                 currentOperator().id);
    startState();
}

Tzengjiajifen::Tzengjiajifen(TDM1& dm, QWidget* parent)
    : PurchaseScreen(dm, PointsOps::PurchaseKind::Add,
                     {u"购物或换货增加积分"_s, u"购物或换货增加积分"_s, u"本次所购商品"_s, u"本次消费金额"_s, {},
                      u"本次增加积分"_s},
                     parent)
{
    setObjectName(u"zengjiajifen"_s);
}

Ttuihuo::Ttuihuo(TDM1& dm, QWidget* parent)
    : PurchaseScreen(dm, PointsOps::PurchaseKind::Deduct,
                     {u"退货扣积分"_s, u"退货或换货减积分"_s, u"本次退/换货商品"_s, u"本次退货金额"_s, u"换货请输入差价"_s,
                      u"本次减少积分"_s},
                     parent)
{
    setObjectName(u"tuihuo"_s);
}
