#include "members/memberpanel.h"

#include "controls/enterchain.h"
#include "controls/fieldevents.h"
#include "controls/messageservice.h"
#include "controls/recordgrid.h"
#include "controls/screens.h"
#include "data/tdm1.h"
#include "data/values.h"
#include "members/cardlookup.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {

struct FieldSpec
{
    const char* name;
    const char* label;
    int row, col;  // grid cell of the label; the field stands right of it
    int span;      // columns the field spans
    bool editable; // the card field and the search inputs
};

// Three groups of label + field across, the card and the points at the top.
const FieldSpec g_fields[] = {
    {"Edit1", "会员卡号", 1, 0, 1, true},   {"Edit2", "卡类别", 1, 3, 1, false},
    {"Edit10", "现有积分", 1, 6, 1, false}, {"Edit3", "会员姓名", 2, 0, 1, true},
    {"Edit7", "会员性别", 2, 3, 1, false},  {"Edit8", "会员生日", 2, 6, 1, false},
    {"Edit4", "身份证号", 3, 0, 1, true},   {"Edit5", "固定电话", 3, 3, 1, true},
    {"Edit6", "手机号码", 3, 6, 1, true},   {"Edit9", "地址", 4, 0, 4, false},
    {"Edit11", "发卡日期", 4, 6, 1, false}, {"Edit12", "职业", 5, 0, 1, true},
    {"Edit13", "兴趣爱好", 5, 3, 1, true},  {"Edit16", "车型", 5, 6, 1, false},
    {"Edit14", "车牌号", 6, 0, 1, true},    {"Edit15", "VIN码", 6, 3, 1, true},
    {"Edit17", "车身颜色", 6, 6, 1, false}, {"Edit18", "购车日期", 7, 0, 1, false},
    {"Edit19", "投保日期", 7, 3, 1, false}, {"Edit20", "保险到期", 7, 6, 1, false},
};

} // namespace

MemberPanel::MemberPanel(TDM1& dm, QWidget* parent) : QWidget(parent), m_dm(dm)
{
    setObjectName(u"MemberPanel"_s);
    build();
}

MemberPanel::~MemberPanel() = default;

void MemberPanel::build()
{
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(8);

    auto* hint = new QLabel(u"刷卡或输入卡号后回车"_s, this);
    hint->setObjectName(u"hint"_s);
    hint->setStyleSheet(u"color: #d01010;"_s);
    grid->addWidget(hint, 0, 1, 1, 2);

    m_enter = new EnterChain(this);
    for (const FieldSpec& f : g_fields) {
        const QString name = QString::fromUtf8(f.name);
        const QString labelText = QString::fromUtf8(f.label);
        auto* edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setAccessibleName(labelText);
        edit->setReadOnly(!f.editable);
        edit->setMinimumWidth(130);
        auto* label = new QLabel(labelText, this);
        label->setBuddy(edit);
        m_labels.insert(name, label);
        grid->addWidget(label, f.row, f.col, Qt::AlignRight);
        grid->addWidget(edit, f.row, f.col + 1, 1, f.span);
        m_fields.insert(name, edit);
    }
    QLineEdit* points = m_fields.value(u"Edit10"_s);
    points->setStyleSheet(u"color: #d01010; font-size: 20px; font-weight: bold;"_s);
    points->setAlignment(Qt::AlignCenter);

    // The verbal-loss flag beside the card field, the insurance flag with the insurance dates.
    m_verbalLoss = new QCheckBox(u"口头挂失标志"_s, this);
    m_verbalLoss->setObjectName(u"CheckBox1"_s);
    m_verbalLoss->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_verbalLoss->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(m_verbalLoss, 1, 2);
    m_insured = new QCheckBox(u"投保标志"_s, this);
    m_insured->setObjectName(u"CheckBox2"_s);
    m_insured->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_insured->setFocusPolicy(Qt::NoFocus);
    grid->addWidget(m_insured, 7, 2);

    for (const CardLookup::SearchField& s : CardLookup::searchFields()) {
        const QString input = QString::fromUtf8(s.input);
        auto* button = new QPushButton(u"..."_s, this);
        button->setObjectName(QString::fromUtf8(s.button));
        button->setToolTip(u"模糊查找"_s);
        button->setAccessibleName(u"模糊查找"_s + m_fields.value(input)->accessibleName());
        button->setFixedSize(28, 24);
        button->setStyleSheet(u"padding: 0;"_s);
        button->setFocusPolicy(Qt::NoFocus);
        // The button stands in the cell right of its input.
        int row = 0, col = 0, rs = 0, cs = 0;
        grid->getItemPosition(grid->indexOf(m_fields.value(input)), &row, &col, &rs, &cs);
        grid->addWidget(button, row, col + 1, Qt::AlignLeft);
        connect(button, &QPushButton::clicked, this, [this, input] { search(input); });
        m_enter->linkToAction(m_fields.value(input), [this, input] { search(input); });
        m_buttons.insert(button->objectName(), button);
    }
    for (int c : {1, 4, 7})
        grid->setColumnStretch(c, 1);
    grid->setRowStretch(8, 1); // extra height goes below the fields, not between them

    m_enter->linkToAction(cardField(), [this] { lookUp(); });
    FieldEvents::whenLeft(cardField(), [this](QWidget*) {
        if (m_options.lookupOnLeave && !cardField()->text().isEmpty())
            lookUp();
    });

    // The search result lies over the lower right of the fields until a row is chosen.
    m_results = new QGroupBox(this);
    m_results->setObjectName(u"GroupBox2"_s);
    m_results->setStyleSheet(u"QGroupBox#GroupBox2 { background: #ffffff; border: 1px solid #2f7fc1; }"_s);
    auto* resultLayout = new QVBoxLayout(m_results);
    m_resultGrid = new RecordGrid(m_results);
    m_resultGrid->setObjectName(u"DBGridEh1"_s);
    m_resultGrid->setColumns({{u"会员卡号"_s}, {u"会员姓名"_s}, {u"身份证号"_s}});
    m_resultGrid->setSelection(RecordGrid::Selection::Row);
    m_resultGrid->setSource(m_dm.ADOQuery7);
    auto* hide = new QPushButton(u"隐藏"_s, m_results);
    hide->setObjectName(u"hideResults"_s);
    resultLayout->addWidget(m_resultGrid);
    resultLayout->addWidget(hide, 0, Qt::AlignRight);
    connect(hide, &QPushButton::clicked, this, &MemberPanel::hideResults);
    connect(m_resultGrid, &RecordGrid::rowDoubleClicked, this, &MemberPanel::loadResultRow);
    m_results->hide();
}

void MemberPanel::setOptions(LookupOptions options)
{
    m_options = std::move(options);
}

void MemberPanel::setBesideCard(QWidget* widget)
{
    auto* grid = static_cast<QGridLayout*>(layout());
    m_verbalLoss->hide();
    widget->setParent(this);
    grid->addWidget(widget, 1, 2);
}

void MemberPanel::setLabel(const QString& fieldName, const QString& text)
{
    if (QLabel* label = m_labels.value(fieldName)) {
        label->setText(text);
        m_fields.value(fieldName)->setAccessibleName(text);
    }
}

QLineEdit* MemberPanel::field(const QString& objectName) const
{
    return m_fields.value(objectName);
}

QLineEdit* MemberPanel::cardField() const
{
    return m_fields.value(u"Edit1"_s);
}

QPushButton* MemberPanel::searchButton(const QString& objectName) const
{
    return m_buttons.value(objectName);
}

void MemberPanel::lookUp()
{
    if (m_looking)
        return; // the question box takes the focus, which must not start a second lookup
    m_looking = true;
    const QString card = cardField()->text();
    const CardLookup::Result found = CardLookup::byCardNumber(m_dm.ADOConnection1(), card);
    bool loaded = false;
    switch (found.kind) {
    case CardLookup::Result::Kind::Retired:
        refuseRetired(card, m_options.retiredQuestion);
        break;
    case CardLookup::Result::Kind::NotFound:
        MessageService::error(this, u"提示！"_s, u"此卡号不存在！"_s);
        break;
    case CardLookup::Result::Kind::Found:
        if (admits(found.member)) {
            load(found.member, LoadedBy::Lookup);
            loaded = true;
        }
        break;
    }
    if (!loaded)
        failLookup();
    m_looking = false;
}

void MemberPanel::failLookup()
{
    if (m_options.forgetOnFailedLookup)
        clear(true);
    Q_EMIT lookupFailed();
}

bool MemberPanel::refuseRetired(const QString& cardNo, const QString& question)
{
    if (!Members::isRetiredCard(m_dm.ADOConnection1(), cardNo))
        return false;
    if (MessageService::question(this, u"系统提示"_s, question)) {
        CardLookup::showLossRecords(m_dm, cardNo);
        Screens::open(u"全部挂失历史记录"_s);
    }
    return true;
}

bool MemberPanel::admits(const MemberRecord& member)
{
    if (m_options.refuseFrozen && member.verbalLoss) {
        if (MessageService::question(this, u"系统提示"_s, u"此卡已经口头挂失，不能使用,需要打开口头挂失记录吗？"_s)) {
            CardLookup::showVerbalLossRecords(m_dm, member.cardNo);
            Screens::open(u"口头挂失记录"_s);
        }
        return false;
    }
    return !m_options.admit || m_options.admit(member);
}

void MemberPanel::search(const QString& inputName)
{
    QString column;
    for (const CardLookup::SearchField& s : CardLookup::searchFields()) {
        if (inputName == QString::fromUtf8(s.input))
            column = QString::fromUtf8(s.column);
    }
    for (auto it = m_fields.cbegin(); it != m_fields.cend(); ++it) {
        if (it.key() != inputName)
            it.value()->clear();
    }
    if (m_options.clearFlagsOnSearch) {
        m_verbalLoss->setChecked(false);
        m_insured->setChecked(false);
    }
    Q_EMIT searched();
    const QString failed = CardLookup::search(m_dm, column, m_fields.value(inputName)->text());
    if (!failed.isEmpty()) {
        MessageService::notify(this, Notice::plain(failed));
        return;
    }
    placeResults();
    m_results->show();
    m_results->raise();
}

void MemberPanel::loadResultRow(int row)
{
    const QString card = m_resultGrid->value(row, u"会员卡号"_s).toString();
    if (m_options.retiredTestOnResult && refuseRetired(card, m_options.retiredQuestionOnResult)) {
        failLookup();
        return; // the result stays open for another choice
    }
    const auto member = Members::find(m_dm.ADOConnection1(), card);
    bool loaded = false;
    if (!member || member->cardNo.isEmpty()) {
        MessageService::error(this, u"提示！"_s, u"此卡号不存在！"_s);
    } else if (admits(*member)) {
        load(*member, LoadedBy::ResultRow);
        loaded = true;
    }
    hideResults();
    if (!loaded)
        failLookup();
}

void MemberPanel::hideResults()
{
    m_results->hide();
}

void MemberPanel::load(const MemberRecord& m, LoadedBy by)
{
    const std::pair<const char*, QString> values[] = {
        {"Edit1", m.cardNo},       {"Edit2", m.category},         {"Edit3", m.name},
        {"Edit7", m.sex},          {"Edit4", m.idNumber},         {"Edit8", m.birthday},
        {"Edit9", m.address},      {"Edit5", m.phone},            {"Edit6", m.mobile},
        {"Edit10", Values::pointsText(m.points)}, {"Edit11", m.startDate}, {"Edit12", m.occupation},
        {"Edit13", m.hobby},       {"Edit14", m.plate},           {"Edit15", m.vin},
        {"Edit16", m.carModel},    {"Edit17", m.carColour},       {"Edit18", m.purchaseDate},
        {"Edit19", m.insuranceDate}, {"Edit20", m.insuranceExpiry},
    };
    for (const auto& [name, value] : values)
        m_fields.value(QString::fromUtf8(name))->setText(value);
    m_verbalLoss->setChecked(m.verbalLoss);
    m_insured->setChecked(m.insured);
    m_currentCard = cardField()->text();
    m_member = m;
    Q_EMIT memberLoaded(m, by);
}

void MemberPanel::clear(bool keepCard)
{
    for (QLineEdit* edit : std::as_const(m_fields)) {
        if (!keepCard || edit != cardField())
            edit->clear();
    }
    m_verbalLoss->setChecked(false);
    m_insured->setChecked(false);
    m_member.reset();
}

void MemberPanel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    placeResults();
}

void MemberPanel::placeResults()
{
    const int w = width() / 2;
    const int h = height() * 3 / 5;
    m_results->setGeometry(width() - w, height() - h, w, h);
}
