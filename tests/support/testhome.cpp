#include "support/testhome.h"

#include "config/programhome.h"
#include "data/engine.h"
#include "data/sqlrun.h"

#include <QFile>

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
