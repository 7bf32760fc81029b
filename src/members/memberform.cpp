#include "members/memberform.h"

#include "controls/enterchain.h"
#include "controls/fieldevents.h"
#include "controls/inputs.h"
#include "controls/messageservice.h"
#include "data/clock.h"
#include "members/categories.h"
#include "members/memberdates.h"

#include <QCheckBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::Literals::StringLiterals;

namespace {
QDateEdit* datePicker(QWidget* parent)
{
    auto* d = new QDateEdit(parent);
    makeDatePicker(d);
    d->setMinimumWidth(120);
    return d;
}

QComboBox* plainCombo(QWidget* parent)
{
    auto* c = new QComboBox(parent);
    makeTypable(c);
    return c;
}

// A drop-down of the values members already have in a column.
RefillingCombo* history(const QSqlDatabase& db, const QString& column, QWidget* parent)
{
    return new RefillingCombo([db, column] { return Members::distinctValues(db, column); }, parent);
}

QDate dateOf(const QString& text)
{
    return QDate::fromString(text.left(10), u"yyyy-MM-dd"_s);
}
} // namespace

MemberForm::MemberForm(QSqlDatabase db, Variant variant, QWidget* parent)
    : QWidget(parent), m_db(std::move(db)), m_variant(variant)
{
    build();
}

void MemberForm::build()
{
    const bool reg = m_variant == Variant::Registration;
    m_card = new QLineEdit(this);
    m_category = plainCombo(this);
    m_name = new QLineEdit(this);
    m_sex = plainCombo(this);
    m_id = new QLineEdit(this);
    QWidget* birthday = nullptr;
    QWidget* address = nullptr;
    if (reg) {
        m_birthdayDate = datePicker(this);
        m_addressBox = history(m_db, u"地址"_s, this);
        birthday = m_birthdayDate;
        address = m_addressBox;
    } else {
        m_birthdayText = new QLineEdit(this);
        m_addressText = new QLineEdit(this);
        birthday = m_birthdayText;
        address = m_addressText;
    }
    m_phone = new QLineEdit(this);
    m_mobile = new QLineEdit(this);
    m_start = datePicker(this);
    m_occupation = history(m_db, u"职业"_s, this);
    m_hobby = history(m_db, u"兴趣爱好"_s, this);
    m_plate = new QLineEdit(this);
    m_vin = new QLineEdit(this);
    m_model = history(m_db, u"车型"_s, this);
    m_colour = history(m_db, u"车身颜色"_s, this);
    m_purchase = datePicker(this);
    m_insured = new QCheckBox(u"投保标志"_s, this);
    m_insuranceDate = datePicker(this);
    m_insuranceExpiry = datePicker(this);

    struct Place
    {
        QWidget* w;
        const char* name;
        const char* label; // nullptr: the control carries its caption itself
        int row, col, span; // col: the label's column (0, 2 or 4); span: groups the field covers
    };
    const Place places[] = {
        {m_card, "Edit1", "会员卡号", 0, 0, 1},
        {m_category, "ComboBox1", "卡类别", 0, 2, 1},
        {m_name, "Edit2", "会员姓名", 0, 4, 1},
        {m_sex, "ComboBox2", "会员性别", 1, 0, 1},
        {m_id, "Edit3", "身份证号", 1, 2, 1},
        {birthday, reg ? "DateTimePicker1" : "Edit9", "会员生日", 1, 4, 1},
        {address, reg ? "ComboBox4" : "Edit4", "地址", 2, 0, 3},
        {m_phone, "Edit5", "固定电话", 2, 4, 1},
        {m_mobile, "Edit6", "手机号码", 3, 0, 1},
        {m_start, "DateTimePicker2", "起用日期", 3, 2, 1},
        {m_occupation, "ComboBox5", "职业", 3, 4, 1},
        {m_hobby, "ComboBox6", "兴趣爱好", 4, 0, 1},
        {m_plate, reg ? "Edit4" : "Edit7", "车牌号", 4, 2, 1},
        {m_vin, "Edit8", "VIN码", 4, 4, 1},
        {m_model, "ComboBox7", "车型", 5, 0, 1},
        {m_colour, "ComboBox8", "车身颜色", 5, 2, 1},
        {m_purchase, "DateTimePicker3", "购车日期", 5, 4, 1},
        {m_insured, "CheckBox1", nullptr, 6, 0, 1},
        {m_insuranceDate, "DateTimePicker4", "投保日期", 6, 2, 1},
        {m_insuranceExpiry, "DateTimePicker5", "保险到期", 6, 4, 1},
    };
    // Labels stand in even columns, each field in the odd column after its label.
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(8);
    QWidget* previous = nullptr;
    for (const Place& p : places) {
        p.w->setObjectName(QString::fromUtf8(p.name));
        const int labelCol = p.col;
        if (p.label) {
            const QString text = QString::fromUtf8(p.label);
            auto* label = new QLabel(text, this);
            label->setBuddy(p.w);
            p.w->setAccessibleName(text);
            grid->addWidget(label, p.row, labelCol, Qt::AlignRight);
        }
        grid->addWidget(p.w, p.row, labelCol + 1, 1, p.span * 2 - 1);
        m_byName.insert(p.w->objectName(), p.w);
        m_enterOrder << p.w;
        if (previous)
            setTabOrder(previous, p.w);
        previous = p.w;
    }
    for (int c : {1, 3, 5})
        grid->setColumnStretch(c, 1);
    if (!reg) {
        auto* hint = new QLabel(
            u"会员生日请用“m-d”的格式填写，比如7月10日就是7-10；10月5日就是10-5，12月20日就是12-20。"_s, this);
        hint->setObjectName(u"birthdayHint"_s);
        hint->setStyleSheet(u"color: #d01010;"_s);
        hint->setWordWrap(true);
        grid->addWidget(hint, 7, 0, 1, 6);
    }

    m_enter = new EnterChain(this);
    connect(m_insured, &QCheckBox::toggled, this, [this](bool on) {
        m_insuranceDate->setEnabled(on);
        m_insuranceExpiry->setEnabled(on);
    });
    connect(m_insuranceDate, &QDateEdit::dateChanged, this,
            [this](QDate d) { m_insuranceExpiry->setDate(MemberDates::insuranceExpiry(d)); });
    if (reg)
        FieldEvents::whenLeft(m_id, [this](QWidget*) { takeBirthdayFromId(); });
    reset(); // pickers start on today, not on the toolkit's year 2000
}

void MemberForm::chainEnterTo(QAbstractButton* button)
{
    // Enter on an unticked insurance box skips the two disabled pickers and goes to the button.
    for (qsizetype i = 0; i < m_enterOrder.size(); ++i) {
        QWidget* w = m_enterOrder.at(i);
        if (w == m_insured) {
            m_enter->linkToAction(w, [this, button] {
                if (m_insured->isChecked())
                    m_insuranceDate->setFocus(Qt::OtherFocusReason);
                else
                    button->setFocus(Qt::OtherFocusReason);
            });
        } else if (i + 1 < m_enterOrder.size()) {
            m_enter->link(w, m_enterOrder.at(i + 1));
        } else {
            m_enter->link(w, button);
        }
    }
}

void MemberForm::takeBirthdayFromId()
{
    const MemberDates::IdBirthday b = MemberDates::fromIdNumber(m_id->text());
    if (b.status == MemberDates::IdBirthday::Status::Valid)
        m_birthdayDate->setDate(b.date);
    else if (b.status == MemberDates::IdBirthday::Status::Invalid)
        MessageService::notify(this, Notice::plain(MemberDates::invalidDateText(b.text)));
}

MemberDraft MemberForm::draft() const
{
    MemberDraft d;
    d.cardNo = m_card->text();
    d.category = m_category->currentText();
    d.name = m_name->text();
    d.sex = m_sex->currentText();
    d.idNumber = m_id->text();
    d.birthday = m_birthdayDate ? MemberDates::birthdayText(m_birthdayDate->date()) : m_birthdayText->text();
    d.address = m_addressBox ? m_addressBox->currentText() : m_addressText->text();
    d.phone = m_phone->text();
    d.mobile = m_mobile->text();
    d.startDate = m_start->date();
    d.occupation = m_occupation->currentText();
    d.hobby = m_hobby->currentText();
    d.plate = m_plate->text();
    d.vin = m_vin->text();
    d.carModel = m_model->currentText();
    d.carColour = m_colour->currentText();
    d.purchaseDate = m_purchase->date();
    d.insured = m_insured->isChecked();
    d.insuranceDate = m_insuranceDate->date();
    d.insuranceExpiry = m_insuranceExpiry->date();
    return d;
}

void MemberForm::fill(const MemberRecord& m)
{
    m_card->setText(m.cardNo);
    m_category->setEditText(m.category);
    m_name->setText(m.name);
    m_sex->setEditText(m.sex);
    if (m_birthdayText)
        m_birthdayText->setText(m.birthday);
    m_id->setText(m.idNumber);
    m_phone->setText(m.phone);
    if (m_addressText)
        m_addressText->setText(m.address);
    else
        m_addressBox->setEditText(m.address);
    m_mobile->setText(m.mobile);
    m_occupation->setEditText(m.occupation);
    m_hobby->setEditText(m.hobby);
    m_plate->setText(m.plate);
    m_vin->setText(m.vin);
    m_model->setEditText(m.carModel);
    m_colour->setEditText(m.carColour);
    const std::pair<QDateEdit*, QString> dates[] = {{m_start, m.startDate},
                                                    {m_purchase, m.purchaseDate},
                                                    {m_insuranceDate, m.insuranceDate},
                                                    {m_insuranceExpiry, m.insuranceExpiry}};
    for (const auto& [picker, text] : dates) {
        const QDate d = dateOf(text);
        if (d.isValid()) {
            // Setting the insurance date would move the expiry; the stored expiry wins.
            const QSignalBlocker block(picker);
            picker->setDate(d);
        }
    }
    m_insured->setChecked(m.insured);
    m_insuranceDate->setEnabled(m.insured);
    m_insuranceExpiry->setEnabled(m.insured);
}

void MemberForm::loadChoices(bool keepText)
{
    const QString category = m_category->currentText();
    const QString sex = m_sex->currentText();
    m_category->clear();
    m_category->addItems(Categories::names(m_db));
    m_sex->clear();
    m_sex->addItems({u"男"_s, u"女"_s});
    if (keepText) {
        m_category->setEditText(category);
        m_sex->setEditText(sex);
    } else {
        m_category->setCurrentIndex(m_category->count() > 0 ? 0 : -1);
        m_sex->setCurrentIndex(0);
    }
}

void MemberForm::reset()
{
    const QDate today = Clock::today();
    for (QLineEdit* e : {m_card, m_name, m_id, m_plate, m_phone, m_mobile, m_vin})
        e->clear();
    if (m_birthdayText)
        m_birthdayText->clear();
    if (m_addressText)
        m_addressText->clear();
    if (m_birthdayDate)
        m_birthdayDate->setDate(today);
    m_start->setDate(today);
    m_category->setCurrentIndex(m_category->count() > 0 ? 0 : -1);
    m_sex->setCurrentIndex(m_sex->findText(u"男"_s));
    for (QComboBox* c : std::initializer_list<QComboBox*>{m_addressBox, m_occupation, m_hobby, m_model, m_colour}) {
        if (c) {
            c->clear();
            c->setEditText(QString());
        }
    }
    m_insured->setChecked(true);
    m_insuranceDate->setEnabled(true);
    m_insuranceExpiry->setEnabled(true);
    m_purchase->setDate(today);
    m_insuranceDate->setDate(today);
    m_insuranceExpiry->setDate(MemberDates::insuranceExpiry(today));
}

QWidget* MemberForm::input(MemberField field) const
{
    switch (field) {
    case MemberField::CardNo:
        return m_card;
    case MemberField::Category:
        return m_category;
    case MemberField::Name:
        return m_name;
    case MemberField::IdNumber:
        return m_id;
    case MemberField::Birthday:
        return m_birthdayDate ? static_cast<QWidget*>(m_birthdayDate) : m_birthdayText;
    }
    return nullptr;
}

QWidget* MemberForm::byName(const QString& objectName) const
{
    return m_byName.value(objectName);
}

void MemberForm::focusFor(const Notice& notice)
{
    if (notice.field < 0)
        return;
    QWidget* w = input(MemberField(notice.field));
    if (!w)
        return;
    if (notice.clearField) {
        if (auto* e = qobject_cast<QLineEdit*>(w))
            e->clear();
    }
    w->setFocus(Qt::OtherFocusReason);
}
