#pragma once

#include "members/memberlist.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QLineEdit;
class QPushButton;
class RecordGrid;
class TDM1;

// The member list 全部会员信息: every member, narrowed by start dates, points and category.
class Tquanbuhuiyuan : public QWidget
{
    Q_OBJECT
public:
    explicit Tquanbuhuiyuan(TDM1& dm, QWidget* parent = nullptr);

    RecordGrid* grid() const { return m_grid; }
    MemberList::Filter filter() const;
    // "开始查询".
    void runQuery();

    QDateEdit* fromDate() const { return m_from; }
    QDateEdit* toDate() const { return m_to; }
    QCheckBox* allDates() const { return m_allDates; }
    QLineEdit* lowPoints() const { return m_low; }
    QLineEdit* highPoints() const { return m_high; }
    QCheckBox* allPoints() const { return m_allPoints; }
    QComboBox* category() const { return m_category; }
    QCheckBox* allCategories() const { return m_allCategories; }
    QPushButton* queryButton() const { return m_query; }
    QPushButton* exportButton() const { return m_export; }

private:
    // Run once, when the screen opens; showing it again keeps what it holds.
    void opening();

    TDM1& m_dm;
    QDateEdit* m_from;
    QDateEdit* m_to;
    QCheckBox* m_allDates;
    QLineEdit* m_low;
    QLineEdit* m_high;
    QCheckBox* m_allPoints;
    QComboBox* m_category;
    QCheckBox* m_allCategories;
    QPushButton* m_query;
    QPushButton* m_export;
    RecordGrid* m_grid;
};
