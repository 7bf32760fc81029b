#include "operators/login.h"

#include "data/sqlrun.h"

using namespace Qt::Literals::StringLiterals;

CurrentOperator& currentOperator()
{
    static CurrentOperator op;
    return op;
}

bool passwordsMatch(const QString& stored, const QString& typed)
{
    if (stored.size() != typed.size())
        return false;
    auto fold = [](QChar c) { return (c >= u'a' && c <= u'z') ? QChar(c.unicode() - 'a' + 'A') : c; };
    for (qsizetype i = 0; i < stored.size(); ++i) {
        if (fold(stored.at(i)) != fold(typed.at(i)))
            return false;
    }
    return true;
}

LoginSession::LoginSession(QSqlDatabase db) : m_db(std::move(db)) {}

void LoginSession::loadOperators()
{
    m_operators.clear();
    Sql::Rows query = Sql::run(m_db, u"Select 操作员, 密码 from 操作员"_s);
    while (query.next())
        m_operators.append({query.value(0).toString(), query.value(1).toString()});
}

QStringList LoginSession::operatorIds() const
{
    QStringList ids;
    for (const Entry& e : m_operators)
        ids << e.id;
    return ids;
}

QString LoginSession::nameOf(const QString& id) const
{
    return Sql::scalar(m_db, u"Select 姓名 from 操作员 where 操作员=?"_s, {id}).toString();
}

int LoginSession::matchItem(const QString& text) const
{
    for (qsizetype i = 0; i < m_operators.size(); ++i) {
        if (m_operators.at(i).id.compare(text, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return -1;
}

LoginSession::Outcome LoginSession::attempt(int index, const QString& typedPassword)
{
    if (index < 0 || index >= m_operators.size())
        return Outcome::NoSuchUser;
    const Entry& entry = m_operators.at(index);
    if (!passwordsMatch(entry.password, typedPassword)) {
        ++m_wrong;
        return m_wrong > 4 ? Outcome::TooManyWrong : Outcome::WrongPassword;
    }
    currentOperator() = {entry.id, typedPassword};
    return Outcome::LoggedIn;
}
