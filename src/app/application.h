#pragma once

#include <QApplication>

// The application object of the run. An engine error that an operation does not catch itself
// (a single statement outside a transaction) ends up here and is shown in a plain box, the
// program's general error display, instead of ending the program.
class QuorvaneApplication : public QApplication
{
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override;
};
