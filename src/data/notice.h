#pragma once

#include <QString>

// What an operation tells the operator: a refusal, a success or an engine error. Operations
// return it; the screen shows it through the message service and moves the focus.
struct Notice
{
    enum class Kind {
        Error,       // a refused input or a failure
        Information, // a success
        Notify,      // the question icon with an OK button only, as some refusals are shown
        Plain,       // an engine error's own text, in a plain box
    };
    Kind kind = Kind::Error;
    QString caption;
    QString text;
    int field = -1;          // the screen's input concerned (the operation's own numbering), -1: none
    bool clearField = false; // the input is also emptied

    static Notice error(QString caption, QString text, int field = -1, bool clear = false)
    {
        return {Kind::Error, std::move(caption), std::move(text), field, clear};
    }
    static Notice information(QString caption, QString text) { return {Kind::Information, std::move(caption), std::move(text)}; }
    static Notice notify(QString caption, QString text, int field = -1, bool clear = false)
    {
        return {Kind::Notify, std::move(caption), std::move(text), field, clear};
    }
    static Notice plain(QString text) { return {Kind::Plain, QString(), std::move(text)}; }
};

// The end of a saving operation: saved (with its success notice) or refused/failed.
struct Outcome
{
    bool ok = false;
    Notice notice;

    static Outcome success(Notice n) { return {true, std::move(n)}; }
    static Outcome refused(Notice n) { return {false, std::move(n)}; }
};
