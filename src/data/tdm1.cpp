#include "data/tdm1.h"

#include "data/engine.h"

#include <QUuid>

using namespace Qt::Literals::StringLiterals;

TDM1* DM1 = nullptr;

TDM1::TDM1(QObject* parent)
    : QObject(parent), m_connectionName(u"DM1-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces)),
      ADOQuery3(new SharedQuery(m_connectionName, u"select * from 会员卡信息"_s, this)),
      ADOQuery4(new SharedQuery(m_connectionName, u"select * from 卡类别"_s, this)),
      ADOQuery5(new SharedQuery(m_connectionName, u"select * from 会员卡信息"_s, this)),
      ADOQuery7(new SharedQuery(m_connectionName, {}, this)),
      ADOQuery8(new SharedQuery(m_connectionName, u"select * from 流水记录"_s, this)),
      ADOQuery9(new SharedQuery(m_connectionName, {}, this)),
      ADOQuery10(new SharedQuery(m_connectionName, u"select * from 口头挂失记录"_s, this)),
      ADOQuery12(new SharedQuery(m_connectionName, u"select * from 操作员 "_s, this)),
      ADOQuery13(new SharedQuery(m_connectionName, {}, this)),
      ADOQuery14(new SharedQuery(m_connectionName, {}, this)),
      ADOQuery15(new SharedQuery(m_connectionName, {}, this)),
      ADOQuery16(new SharedQuery(m_connectionName, {}, this))
{
    DM1 = this;
}

TDM1::~TDM1()
{
    // Models hold statements on the connection; drop them before the connection goes.
    for (SharedQuery* q : lists())
        q->close();
    Engine::close(m_connectionName);
    if (DM1 == this)
        DM1 = nullptr;
}

bool TDM1::connectTo(const Engine::Location& location, QString* error, bool* damaged)
{
    Engine::close(m_connectionName);
    m_location = location;
    return Engine::open(m_connectionName, location, error, damaged);
}

QList<SharedQuery*> TDM1::lists() const
{
    return {ADOQuery3,  ADOQuery4,  ADOQuery5,  ADOQuery7,  ADOQuery8,  ADOQuery9,
            ADOQuery10, ADOQuery12, ADOQuery13, ADOQuery14, ADOQuery15, ADOQuery16};
}

QString TDM1::whileDisconnected(const std::function<QString()>& work)
{
    QList<SharedQuery*> wereOpen;
    for (SharedQuery* q : lists()) {
        if (q->isOpen())
            wereOpen << q;
        q->close();
    }
    Engine::suspend(m_connectionName);
    const QString failed = work();
    QString error;
    if (!Engine::resume(m_connectionName, &error))
        return failed.isEmpty() ? error : failed + u'\n' + error;
    for (SharedQuery* q : wereOpen)
        q->open();
    return failed;
}

void TDM1::reopenLists()
{
    for (SharedQuery* q : lists()) {
        if (q->isOpen())
            q->open();
    }
}

bool TDM1::isConnected() const
{
    return QSqlDatabase::database(m_connectionName, false).isOpen();
}

QSqlDatabase TDM1::ADOConnection1() const
{
    return QSqlDatabase::database(m_connectionName, false);
}

QSqlQuery TDM1::ADOall() const
{
    return QSqlQuery(ADOConnection1());
}
