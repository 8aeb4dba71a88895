// Link tests need an event loop: timers, socket notifiers and queued hand-overs run on it.
#include <QCoreApplication>

#include <gmock/gmock.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleMock(&argc, argv);
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
