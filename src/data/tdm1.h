#pragma once

#include "data/engine.h"
#include "data/sharedquery.h"

#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <functional>

// The data module: the one connection of the run and the list queries that screens share and
// hand rows to each other through. Screens never open a connection of their own.
class TDM1 : public QObject
{
    Q_OBJECT
public:
    explicit TDM1(QObject* parent = nullptr);
    ~TDM1() override;

    // Opens the database (a SQLite file, or a server's database) as ADOConnection1; false and
    // the engine's reason on failure, with damaged set when the file failed the engine's
    // structure check (Engine::open).
    bool connectTo(const Engine::Location& location, QString* error, bool* damaged = nullptr);
    bool isConnected() const;
    // Where the connection was last opened, and for a file its path.
    const Engine::Location& location() const { return m_location; }
    const QString& databasePath() const { return m_location.path; }

    // Closes the connection (the shared lists first), runs `work` on the file, then opens the
    // same file again and reopens the lists that were open, with their statements. The
    // connection handle stays the same one, so every screen that holds it goes on working.
    // Returns work's error text, or the reconnect's; empty when both went well.
    QString whileDisconnected(const std::function<QString()>& work);
    // Runs again every shared list that is open, so the grids show what the tables hold now.
    void reopenLists();

    QSqlDatabase ADOConnection1() const;
    // A fresh ad-hoc query on the connection, for single statements and look-ups.
    QSqlQuery ADOall() const;

private:
    QList<SharedQuery*> lists() const;

    QString m_connectionName; // first: the queries below are made on it
    Engine::Location m_location;

public:
    SharedQuery* const ADOQuery3;  // birthday reminder list
    SharedQuery* const ADOQuery4;  // card categories
    SharedQuery* const ADOQuery5;  // member lists
    SharedQuery* const ADOQuery7;  // member search results of the card lookup
    SharedQuery* const ADOQuery8;  // points transaction history
    SharedQuery* const ADOQuery9;  // formal loss records
    SharedQuery* const ADOQuery10; // verbal loss records
    SharedQuery* const ADOQuery12; // operators
    SharedQuery* const ADOQuery13; // gift stock totals
    SharedQuery* const ADOQuery14; // gift pick list of the redemption screen
    SharedQuery* const ADOQuery15; // gift redemption records
    SharedQuery* const ADOQuery16; // insurance-expiry list

    const QString& connectionName() const { return m_connectionName; }
};

// The single instance of the run, set while a TDM1 exists.
extern TDM1* DM1;
