#include "app/application.h"
#include "app/startup.h"

#include <clocale>
#include <csignal>
#include <cstring>

int main(int argc, char** argv)
{
    // A receipt port that is a pipe whose reader went away must fail the write, not end the
    // program in the middle of the counter's work.
    std::signal(SIGPIPE, SIG_IGN);

    // Creating a database opens no window, so it must also work over SSH or in a script.
    for (int i = 1; i < argc; ++i) {
        const bool creates = std::strcmp(argv[i], "--create-database") == 0 || std::strcmp(argv[i], "--create-demo") == 0;
        if (creates && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The interface is Chinese whatever the desk's own setting: the C library, Qt's system
    // locale and the programs started from here (the help viewer) take the zh_CN locale
    // where the system has it.
    if (std::setlocale(LC_ALL, "zh_CN.UTF-8"))
        qputenv("LC_ALL", "zh_CN.UTF-8");
    QuorvaneApplication app(argc, argv);
    return Startup::run(app);
}
