#include "app/application.h"
#include "app/startup.h"

#include <cstring>

int main(int argc, char** argv)
{
    // Creating a database opens no window, so it must also work over SSH or in a script.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--create-database") == 0 && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QuorvaneApplication app(argc, argv);
    return Startup::run(app);
}
