#include "members/tdaoru.h"

#include "controls/filedialogs.h"
#include "controls/messageservice.h"
#include "controls/progresswindow.h"
#include "data/tdm1.h"
#include "members/memberimport.h"

#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

namespace {
const QString DefaultSheet = u"sheet1"_s;
}

Tdaoru::Tdaoru(TDM1& dm, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint), m_dm(dm),
      m_path(new QLineEdit(this)), m_sheet(new QLineEdit(this)), m_choose(new QToolButton(this)),
      m_start(new QPushButton(u"开始导入"_s, this))
{
    setObjectName(u"daoru"_s);
    setWindowTitle(u"导入会员档案"_s);

    auto* notes = new QGroupBox(u"说明"_s, this);
    auto* label16 = new QLabel(u"  1、可以从EXCEL文件中批量导入会员档案。\n"
                               u"  2、EXCEL文件的格式请严格按照软件安装目录下的“会员档案.xls”文件的格式编辑，\n"
                               u"否则格式不正确，无法导入。\n"
                               u"  3、生日请按“m-d”的格式编辑，比如7月12日就是“7-12”，10月5日就是“10-5”。\n"
                               u"  4、批量导入的信息不可能做到十分完善，请自己在会员档案管理里进行修改。"_s,
                               notes);
    label16->setObjectName(u"Label16"_s);
    label16->setStyleSheet(u"color: #1447a6;"_s);
    auto* notesLayout = new QVBoxLayout(notes);
    notesLayout->addWidget(label16);

    auto* file = new QGroupBox(u"选择EXCEL文件"_s, this);
    m_path->setObjectName(u"Edit2"_s);
    m_path->setAccessibleName(u"文件路径"_s);
    m_path->setMinimumWidth(420);
    m_choose->setObjectName(u"SpeedButton1"_s);
    m_choose->setText(u"..."_s);
    m_choose->setAccessibleName(u"选择文件"_s);
    m_sheet->setObjectName(u"Edit1"_s);
    m_sheet->setAccessibleName(u"工作表名称"_s);
    auto* pathLabel = new QLabel(u"文件路径"_s, file);
    pathLabel->setBuddy(m_path);
    auto* sheetLabel = new QLabel(u"工作表名称"_s, file);
    sheetLabel->setBuddy(m_sheet);
    auto* fileLayout = new QGridLayout(file);
    fileLayout->addWidget(pathLabel, 0, 0);
    fileLayout->addWidget(m_path, 0, 1);
    fileLayout->addWidget(m_choose, 0, 2);
    fileLayout->addWidget(sheetLabel, 1, 0);
    fileLayout->addWidget(m_sheet, 1, 1);

    auto* quit = new QPushButton(u"退出"_s, this);
    m_start->setObjectName(u"BitBtn1"_s);
    quit->setObjectName(u"BitBtn2"_s);
    for (QPushButton* b : {m_start, quit})
        b->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_start);
    buttons->addWidget(quit);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 14);
    layout->addWidget(notes);
    layout->addWidget(file);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(m_choose, &QToolButton::clicked, this, &Tdaoru::choose);
    connect(m_start, &QPushButton::clicked, this, &Tdaoru::start);
    connect(quit, &QPushButton::clicked, this, &QDialog::reject);
}

void Tdaoru::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_path->clear();
    m_sheet->setText(DefaultSheet);
    m_path->setFocus(Qt::OtherFocusReason);
}

void Tdaoru::choose()
{
    const FileDialogs::Choice choice = FileDialogs::instance().open(
        this, u"请选择相应的Excel文件"_s, {u"Excel(*.xls *.xlsx)"_s, u"所有文件 (*)"_s});
    if (choice.accepted && !choice.path.isEmpty())
        m_path->setText(QDir::toNativeSeparators(choice.path));
}

void Tdaoru::start()
{
    const QString path = m_path->text().trimmed();
    if (path.isEmpty()) {
        MessageService::instance().show(this, MessageService::Icon::Warning, u"警告"_s,
                                        u"请正确选择相关EXCEL文件的路径！"_s, MessageService::Buttons::Ok);
        m_path->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (m_sheet->text().isEmpty())
        m_sheet->setText(DefaultSheet);

    ProgressWindow progress(this, u"导入会员档案"_s, u"正在导入会员档案…"_s);
    const Outcome o = MemberImport::run(m_dm.ADOConnection1(), path, m_sheet->text(),
                                        [&](qint64 done, qint64 total) { return progress.step(done, total); });
    progress.close();
    MessageService::notify(this, o.notice);
    if (!o.ok)
        return;
    m_dm.ADOQuery5->open();
    accept();
}
