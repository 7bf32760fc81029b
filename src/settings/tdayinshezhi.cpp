#include "settings/tdayinshezhi.h"

#include "controls/filedialogs.h"
#include "controls/inputs.h"
#include "controls/messageservice.h"
#include "controls/screens.h"
#include "settings/shopsettings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tdayinshezhi::Tdayinshezhi(QWidget* parent)
    : QWidget(parent), m_edit1(new QLineEdit(this)), m_edit2(new QLineEdit(this)), m_edit3(new QLineEdit(this)),
      m_edit4(new QLineEdit(this)), m_edit5(new QLineEdit(this)), m_memo1(new QPlainTextEdit(this)),
      m_port(new QComboBox(this)), m_print(new QCheckBox(u"打印小票"_s, this))
{
    setObjectName(u"dayinshezhi"_s);
    setWindowTitle(u"店铺名称设置"_s);

    m_edit1->setObjectName(u"Edit1"_s);
    m_edit2->setObjectName(u"Edit2"_s);
    m_edit3->setObjectName(u"Edit3"_s);
    m_edit4->setObjectName(u"Edit4"_s);
    m_edit5->setObjectName(u"Edit5"_s);
    m_memo1->setObjectName(u"Memo1"_s);
    m_port->setObjectName(u"ComboBox1"_s);
    m_print->setObjectName(u"CheckBox1"_s);
    // Carried from the file and back unchanged; nothing shows them.
    m_edit2->hide();
    m_edit3->hide();

    // The footer box is as wide as the one the receipt wraps the footer in.
    m_memo1->setFixedSize(225, 84);
    m_memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    m_memo1->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    m_memo1->setTabChangesFocus(true);
    makeTypable(m_port);
    m_port->setMinimumWidth(160);

    auto* choose = new QPushButton(u"..."_s, this);
    choose->setObjectName(u"Button1"_s);
    choose->setFixedWidth(40);
    choose->setStyleSheet(u"padding: 4px 2px;"_s);
    choose->setAutoDefault(false);
    auto* pictureRow = new QHBoxLayout;
    pictureRow->setSpacing(4);
    pictureRow->addWidget(m_edit4, 1);
    pictureRow->addWidget(choose);

    auto* form = new QGridLayout;
    form->setHorizontalSpacing(10);
    form->setVerticalSpacing(10);
    const std::pair<QString, QWidget*> rows[] = {
        {u"店铺名称"_s, m_edit1}, {u"滚动字幕"_s, m_edit5}, {u"背景图片"_s, m_edit4},
        {u"小票尾"_s, m_memo1},   {u"打印端口"_s, m_port},
    };
    int r = 0;
    for (const auto& [text, input] : rows) {
        auto* label = new QLabel(text, this);
        label->setBuddy(input);
        input->setAccessibleName(text);
        form->addWidget(label, r, 0, Qt::AlignRight | (input == m_memo1 ? Qt::AlignTop : Qt::AlignVCenter));
        if (input == m_edit4)
            form->addLayout(pictureRow, r, 1);
        else
            form->addWidget(input, r, 1, Qt::AlignLeft);
        ++r;
    }
    form->addWidget(m_print, r, 1);
    form->setColumnStretch(1, 1);
    m_edit1->setMinimumWidth(300);
    m_edit5->setMinimumWidth(300);

    const QString captions[3] = {u"保存"_s, u"打印测试"_s, u"退出"_s};
    QPushButton* buttons[3];
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addStretch();
    for (int i = 0; i < 3; ++i) {
        buttons[i] = new QPushButton(captions[i], this);
        buttons[i]->setObjectName(u"BitBtn%1"_s.arg(i + 1));
        buttons[i]->setMinimumWidth(88);
        buttonRow->addWidget(buttons[i]);
        buttonRow->addSpacing(10);
    }
    buttonRow->addStretch();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 18, 24, 14);
    layout->addLayout(form);
    layout->addSpacing(10);
    layout->addLayout(buttonRow);
    resize(470, 380);

    connect(choose, &QPushButton::clicked, this, &Tdayinshezhi::chooseBackground);
    connect(buttons[0], &QPushButton::clicked, this, &Tdayinshezhi::save);
    connect(buttons[1], &QPushButton::clicked, this, &Tdayinshezhi::printTest);
    connect(buttons[2], &QPushButton::clicked, this, [this] { Screens::close(this); });

    // Made for each opening, so this is the opening: the file as it is now.
    m_port->addItems({u"lpt1"_s, u"lpt2"_s, u"lpt3"_s, u"lpt4"_s});
    fill(Settings::read());
    setFocusProxy(m_edit1);
}

void Tdayinshezhi::fill(const ShopSettings& s)
{
    m_edit1->setText(s.shopName);
    m_edit2->setText(s.softwareName);
    m_edit3->setText(s.softwareVersion);
    m_edit4->setText(s.background);
    m_edit5->setText(s.slogan);
    m_port->setEditText(s.port);
    m_memo1->setPlainText(s.footer);
    m_print->setChecked(s.printReceipts);
}

ShopSettings Tdayinshezhi::fields() const
{
    ShopSettings s;
    s.shopName = m_edit1->text();
    s.softwareName = m_edit2->text();
    s.softwareVersion = m_edit3->text();
    s.background = m_edit4->text();
    s.slogan = m_edit5->text();
    s.footer = m_memo1->toPlainText();
    s.port = m_port->currentText();
    s.printReceipts = m_print->isChecked();
    return s;
}

void Tdayinshezhi::chooseBackground()
{
    const FileDialogs::Choice choice = FileDialogs::instance().open(this, u"选择背景图片"_s, {u"所有文件 (*)"_s});
    if (choice.accepted)
        m_edit4->setText(choice.path);
    // Stored and shown whether a file was picked or not: a cancelled choice over an empty
    // field takes the picture away until the next start.
    Settings::storeBackground(m_edit4->text());
    Q_EMIT backgroundChosen(m_edit4->text());
}

void Tdayinshezhi::save()
{
    const ShopSettings s = fields();
    const Outcome o = Settings::save(s);
    MessageService::notify(this, o.notice);
    if (o.ok)
        Q_EMIT shopNameSaved(s.shopName);
    else
        m_edit1->setFocus(Qt::OtherFocusReason);
}

void Tdayinshezhi::printTest()
{
    if (const auto failed = Settings::printTestReceipt())
        MessageService::notify(this, *failed);
}
