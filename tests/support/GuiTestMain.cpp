// The main function of the GoogleTest programs that drive windows: offscreen, with one application object.
#include <gtest/gtest.h>

#include "gui/widgets/Application.h"

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // The program's own application object, so that errors reach its error display as they would there.
    tervis::TApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
