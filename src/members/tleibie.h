#pragma once

#include <QWidget>

class CategoryFields;
class QPushButton;
class RecordGrid;
class TDM1;

// The card category screen 会员类别设置: new categories, and the list to change or delete from.
class Tleibie : public QWidget
{
    Q_OBJECT
public:
    explicit Tleibie(TDM1& dm, QWidget* parent = nullptr);

    CategoryFields* fields() const { return m_fields; }
    RecordGrid* grid() const { return m_grid; }
    QPushButton* saveButton() const { return m_save; }

    void save();
    void changeCurrent();
    void deleteCurrent();

private:
    void prepare();

    TDM1& m_dm;
    CategoryFields* m_fields;
    RecordGrid* m_grid;
    QPushButton* m_save;
};
