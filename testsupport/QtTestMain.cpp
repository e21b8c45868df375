#include "common/QtPlatformChoice.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Without a display Qt would abort; tests render offscreen instead.
    ondrix::common::ChooseOffscreenWithoutDisplay();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
