#pragma once

#include "controls/recordgrid.h"

#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

class ListExport;
class QAbstractButton;
class QButtonGroup;
class QCheckBox;
class QPushButton;
class TDM1;

// A reminder list: buttons for its time windows (the first one shown on opening), a print
// preview under the list's heading, the export, and "软件启动后显示", which decides whether
// the list opens by itself at the next start.
class ReminderScreen : public QWidget
{
    Q_OBJECT
public:
    ~ReminderScreen() override;

    RecordGrid* grid() const { return m_grid; }
    QCheckBox* showAtStartBox() const { return m_showAtStart; }
    // The time window buttons in order; the first is the default.
    QList<QAbstractButton*> windowButtons() const;
    QPushButton* printButton() const { return m_print; }
    ListExport* exporter() const { return m_export; }
    const QString& printTitle() const { return m_setup.printTitle; }
    int printPointSize() const { return m_setup.printPointSize; }

    // "打印": the print preview of the list.
    void printPreview();

protected:
    struct Window
    {
        QString caption;
        std::function<QString()> show; // fills the list; the engine's error text
    };
    struct Setup
    {
        QString caption;
        SharedQuery* query = nullptr;
        QList<GridColumn> columns;
        QList<int> widths; // of the columns, so that a telephone number shows in full
        QList<Window> windows;
        QString printTitle;
        int printPointSize = 8;
        QString configKey;        // 提醒1 or 提醒2
        bool showAtStart = false; // the main window's start-up value of that key
    };
    ReminderScreen(Setup setup, QWidget* parent);
    void closeEvent(QCloseEvent* event) override;

private:
    void saveShowAtStart();

    Setup m_setup;
    RecordGrid* m_grid;
    QCheckBox* m_showAtStart;
    QButtonGroup* m_windows;
    QPushButton* m_print;
    ListExport* m_export;
    bool m_saved = false;
};

// 会员生日提醒: members whose birthday is today or in the next two (or four) days.
class Tshengri : public ReminderScreen
{
    Q_OBJECT
public:
    Tshengri(TDM1& dm, bool showAtStart, QWidget* parent = nullptr);
};

// 保险到期提醒: members whose car insurance expires today or in the next 30, 15 or 5 days.
class Tbaoxiantixing : public ReminderScreen
{
    Q_OBJECT
public:
    Tbaoxiantixing(TDM1& dm, bool showAtStart, QWidget* parent = nullptr);
};
