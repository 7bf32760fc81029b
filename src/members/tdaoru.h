#pragma once

#include "controls/reuseddialog.h"

#include <QDialog>

class QLineEdit;
class QPushButton;
class QToolButton;
class TDM1;

// The import dialog 导入会员档案: takes every member of one worksheet of an Excel workbook into
// the member table at once. Made once at start and reused.
class Tdaoru : public QDialog, public ReusedDialog<Tdaoru>
{
    Q_OBJECT
public:
    explicit Tdaoru(TDM1& dm, QWidget* parent = nullptr);

    QLineEdit* pathField() const { return m_path; }
    QLineEdit* sheetField() const { return m_sheet; }
    QToolButton* chooseButton() const { return m_choose; }
    QPushButton* startButton() const { return m_start; }

    void choose();
    void start();

protected:
    void showEvent(QShowEvent* event) override;

private:
    TDM1& m_dm;
    QLineEdit* m_path;
    QLineEdit* m_sheet;
    QToolButton* m_choose;
    QPushButton* m_start;
};
