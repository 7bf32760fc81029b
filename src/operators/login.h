#pragma once

#include <QList>
#include <QSqlDatabase>
#include <QString>

// Who is at the counter: set once by a successful login and kept for the whole run. The ID is
// written as 经手人 into every record; the password as typed serves the away lock.
struct CurrentOperator
{
    QString id;
    QString password;
};
CurrentOperator& currentOperator();

namespace LoginTexts {
inline const QString Caption = QStringLiteral("提示");
inline const QString NoSuchUser = QStringLiteral("不存在的用户！");
inline const QString WrongPassword = QStringLiteral("密码错误，请重新输入！");
inline const QString TooManyWrong = QStringLiteral("密码错误超过五次，软件将被关闭！");
} // namespace LoginTexts

// Letters A to Z match in either case; every other character must be the same.
bool passwordsMatch(const QString& stored, const QString& typed);

// The checks of the login dialog, without the dialog.
class LoginSession
{
public:
    struct Entry
    {
        QString id;
        QString password; // a null password is held as empty text
    };
    enum class Outcome { NoSuchUser, WrongPassword, TooManyWrong, LoggedIn };

    explicit LoginSession(QSqlDatabase db);

    // Every operator in the order the table returns them.
    void loadOperators();
    const QList<Entry>& operators() const { return m_operators; }
    QStringList operatorIds() const;

    // The name of the operator with exactly this ID, empty when there is none.
    QString nameOf(const QString& id) const;
    // The item whose whole text equals the typed one, letter case not counting; -1 if none.
    int matchItem(const QString& text) const;

    // Checks the typed password for the selected item (-1: none). The wrong-password counter
    // runs across every attempt of the run, whichever operator was chosen; the fifth wrong
    // one gives TooManyWrong. A success records the Current operator.
    Outcome attempt(int index, const QString& typedPassword);
    int wrongCount() const { return m_wrong; }

private:
    QSqlDatabase m_db;
    QList<Entry> m_operators;
    int m_wrong = 0;
};
