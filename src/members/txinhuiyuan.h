#pragma once

#include <QWidget>

class MemberForm;
class QComboBox;
class QLineEdit;
class QPushButton;
class RecordGrid;
class TDM1;

// The member file screen 新增/修改会员卡信息: issues new cards and lists every member, with a
// quick search, editing and deleting.
class Txinhuiyuan : public QWidget
{
    Q_OBJECT
public:
    explicit Txinhuiyuan(TDM1& dm, QWidget* parent = nullptr);

    MemberForm* form() const { return m_form; }
    RecordGrid* grid() const { return m_grid; }
    QComboBox* searchColumn() const { return m_searchColumn; }
    QLineEdit* searchText() const { return m_searchText; }
    QPushButton* saveButton() const { return m_save; }

    void save();
    void editCurrent();
    void deleteCurrent();
    void quickSearch();

private:
    void prepare();

    TDM1& m_dm;
    MemberForm* m_form;
    RecordGrid* m_grid;
    QComboBox* m_searchColumn;
    QLineEdit* m_searchText;
    QPushButton* m_save;
};
