#include "support/testhome.h"

#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"

#include <QFile>
#include <QSqlQuery>
#include <QUuid>

using namespace Qt::Literals::StringLiterals;

TestHome::TestHome()
{
    ProgramHome::set(m_dir.path());
    QString error;
    if (!Engine::create(ProgramHome::databasePath(), &error))
        ADD_FAILURE() << error.toStdString();
    m_dm = std::make_unique<TDM1>();
    if (!m_dm->connectTo(ProgramHome::databasePath(), &error))
        ADD_FAILURE() << error.toStdString();
}

TestHome::~TestHome() = default;

QString TestHome::path(const QString& relative) const
{
    return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
}

void TestHome::exec(const QString& statement, const QVariantList& values)
{
    try {
        Sql::run(db(), statement, values);
    } catch (const Failure& f) {
        ADD_FAILURE() << statement.toStdString() << ": " << f.text().toStdString();
    }
}

QVariant TestHome::scalar(const QString& statement, const QVariantList& values)
{
    try {
        return Sql::scalar(db(), statement, values);
    } catch (const Failure& f) {
        ADD_FAILURE() << statement.toStdString() << ": " << f.text().toStdString();
        return {};
    }
}

void TestHome::writeConfig(const QByteArray& bytes)
{
    QFile file(ProgramHome::configPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

void TestHome::disconnect()
{
    Engine::close(m_dm->connectionName());
}

void damagePage(const QString& path, const QString& tableOrIndex, int from, int to)
{
    int root = 0;
    int pageSize = 0;
    const QString name = u"damage-"_s + QUuid::createUuid().toString(QUuid::WithoutBraces);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(u"QSQLITE"_s, name);
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QSqlQuery q(db);
        ASSERT_TRUE(q.exec(u"select rootpage from sqlite_master where name = '%1'"_s.arg(tableOrIndex)) && q.next());
        root = q.value(0).toInt();
        ASSERT_TRUE(q.exec(u"PRAGMA page_size"_s) && q.next());
        pageSize = q.value(0).toInt();
    }
    QSqlDatabase::removeDatabase(name);
    ASSERT_GT(root, 0) << tableOrIndex.toStdString();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const qsizetype page = qsizetype(root - 1) * pageSize;
    ASSERT_LE(page + to, bytes.size());
    for (qsizetype i = page + from; i < page + to; ++i)
        bytes[i] = char(bytes.at(i) ^ 0xff);
    file.seek(0);
    file.write(bytes);
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}
