#pragma once

#include <QObject>
#include <QString>

class RecordGrid;
class QWidget;

// The "EXCEL" button of a list screen: asks for a file in the save dialog (XLS first, then the
// kind last chosen on this screen; the folder last used on this kind of screen, else the
// documents folder), writes every row of the grid in on-screen column order and shows the
// screen's own success box.
class ListExport : public QObject
{
    Q_OBJECT
public:
    struct Texts
    {
        QString caption; // of the success box
        QString text;
        bool skipWhenEmpty = false; // the points history does nothing for an empty list
    };

    ListExport(RecordGrid* grid, Texts texts, QWidget* owner);

    void run();
    int lastKind() const { return m_kind; }

private:
    RecordGrid* m_grid;
    Texts m_texts;
    QWidget* m_owner;
    int m_kind;
};
