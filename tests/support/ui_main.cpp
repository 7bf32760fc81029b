#include "app/application.h"
#include "app/startup.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Screens are driven without a display; the picture dump still renders them in full.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QuorvaneApplication app(argc, argv);
    Startup::applyLook(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
