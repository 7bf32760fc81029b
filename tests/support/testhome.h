#pragma once

#include "data/tdm1.h"

#include <QSqlDatabase>
#include <QTemporaryDir>
#include <QVariantList>

#include <gtest/gtest.h>

#include <memory>
#include <ostream>

// Readable QString values in test failures.
inline void PrintTo(const QString& text, std::ostream* os)
{
    *os << '"' << text.toStdString() << '"';
}

// Flips bytes [from, to) of the first page of a table or index in a closed database file:
// page header and cell pointers, what a failing disk or a bad copy may garble.
void damagePage(const QString& path, const QString& tableOrIndex, int from, int to);
// The file's bytes, to tell that it was left exactly as it was; "(missing)" when there is none.
QByteArray fileBytes(const QString& path);

// A program home in a temporary folder with a fresh database, DM1 connected to it.
class TestHome
{
public:
    TestHome();
    ~TestHome();

    QString path(const QString& relative = {}) const;
    QSqlDatabase db() const { return m_dm->ADOConnection1(); }
    TDM1& dm() { return *m_dm; }
    // Runs a statement with bound values; fails the test on an engine error.
    void exec(const QString& statement, const QVariantList& values = {});
    QVariant scalar(const QString& statement, const QVariantList& values = {});
    // Writes raw bytes as myini.ini.
    void writeConfig(const QByteArray& bytes);
    // Closes DM1's connection, so that the file can be handled as the shop's disk would.
    void disconnect();

private:
    QTemporaryDir m_dir;
    std::unique_ptr<TDM1> m_dm;
};
