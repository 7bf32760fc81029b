#pragma once

#include <QComboBox>

#include <functional>

// An editable drop-down whose list is filled again each time it opens, so it always offers
// what the rows hold now; the text in the box stays as typed.
class RefillingCombo : public QComboBox
{
    Q_OBJECT
public:
    explicit RefillingCombo(std::function<QStringList()> source, QWidget* parent = nullptr);
    void showPopup() override;
    void refill();

private:
    std::function<QStringList()> m_source;
};
