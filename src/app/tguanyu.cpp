#include "app/tguanyu.h"

#include "app/tmain.h"

#include <QLabel>
#include <QVBoxLayout>

using namespace Qt::Literals::StringLiterals;

Tguanyu::Tguanyu(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
{
    setObjectName(u"guanyu"_s);
    setWindowTitle(u"关于本系统"_s);
    setFixedSize(380, 200);

    auto* title = new QLabel(Product::Title, this);
    title->setObjectName(u"Label1"_s);
    title->setAlignment(Qt::AlignCenter);
    title->setStyleSheet(u"color: #008080; font-size: 36px; font-weight: bold;"_s);

    auto* version = new QLabel(Product::VersionLine, this);
    version->setObjectName(u"Label2"_s);
    version->setAlignment(Qt::AlignCenter);

    for (QLabel* l : {title, version})
        l->setAttribute(Qt::WA_TransparentForMouseEvents); // a click on a text closes the box too

    auto* layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(title);
    layout->addWidget(version);
    layout->addStretch();
}

void Tguanyu::mousePressEvent(QMouseEvent*)
{
    accept();
}
