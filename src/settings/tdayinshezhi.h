#pragma once

#include <QWidget>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
struct ShopSettings;

// The shop, interface and receipt settings 店铺名称设置: shop name, slogan, background
// picture, receipt footer, receipt port and the print flag, and the test receipt. Everything
// lives in myini.ini; the main window follows the shop name and the picture at once.
class Tdayinshezhi : public QWidget
{
    Q_OBJECT
public:
    explicit Tdayinshezhi(QWidget* parent = nullptr);

    QLineEdit* shopName() const { return m_edit1; }
    QLineEdit* slogan() const { return m_edit5; }
    QLineEdit* background() const { return m_edit4; }
    QPlainTextEdit* footer() const { return m_memo1; }
    QComboBox* port() const { return m_port; }
    QCheckBox* printReceipts() const { return m_print; }

    // "...", "保存" and "打印测试".
    void chooseBackground();
    void save();
    void printTest();

Q_SIGNALS:
    void shopNameSaved(const QString& shopName);
    void backgroundChosen(const QString& path);

private:
    void fill(const ShopSettings& settings);
    ShopSettings fields() const;

    QLineEdit* m_edit1;
    QLineEdit* m_edit2;
    QLineEdit* m_edit3;
    QLineEdit* m_edit4;
    QLineEdit* m_edit5;
    QPlainTextEdit* m_memo1;
    QComboBox* m_port;
    QCheckBox* m_print;
};
