#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

class TDM1;
class QWidget;

// The maintenance entries the main window handles itself: backup, restore, the points reset
// and the initialisation, each with its questions and dialogs before the operation runs.
class MaintenanceActions : public QObject
{
    Q_OBJECT
public:
    // `proposedName` is what the backup's save dialog offers (today's date).
    MaintenanceActions(TDM1& dm, QWidget* owner, QString proposedName);

    void backup();
    void restore();
    void resetPoints();
    void initialise();

    struct Entry
    {
        QString caption; // the menu entry
        std::function<void()> action;
    };
    QList<Entry> entries();

private:
    TDM1& m_dm;
    QWidget* m_owner;
    QString m_proposedName;
};
