// GoogleTest main for the dialler's tests: one QApplication on the offscreen
// platform, and one private D-Bus daemon for the whole program that stands in
// for the system bus the telephony services live on.

#include "telephony_bus.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    ::testing::AddGlobalTestEnvironment(new qb::test::PrivateBusEnvironment);
    return RUN_ALL_TESTS();
}
