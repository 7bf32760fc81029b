#pragma once

#include <functional>

class QLineEdit;
class QWidget;

namespace FieldEvents {

// Runs `handler` when the focus moves from `field` to another control of the same window, the
// way a screen checks a field the operator leaves. Focus going to a message box or another
// window does not count. The handler learns where the focus went.
void whenLeft(QWidget* field, std::function<void(QWidget* now)> handler);

// Lets only digits and the point (and, when asked, the minus sign) be typed into the field;
// control keys pass.
void acceptDecimalKeys(QLineEdit* field, bool minus = false);

} // namespace FieldEvents
