#pragma once

#include <QDialog>

// The about box: product title and version; a click anywhere closes it.
class Tguanyu : public QDialog
{
    Q_OBJECT
public:
    explicit Tguanyu(QWidget* parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent* event) override;
};
