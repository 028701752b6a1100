#include <string>

#include <gtest/gtest.h>

#include "shell/shutdown_sequence.h"

TEST(ShutdownSequence, RunsStepsInTheirFixedOrderOnce)
{
    ShutdownSequence sequence;
    std::string order;
    sequence.Register(ShutdownStep::StopBackgroundLoader, [&] { order += "stop,"; });
    sequence.Register(ShutdownStep::FreeStartupService, [&] { order += "free,"; });
    sequence.Register(ShutdownStep::PauseBackgroundLoader, [&] { order += "pause,"; });
    sequence.Register(ShutdownStep::CloseFolderWatch, [&] { order += "watch,"; });
    sequence.Run();
    EXPECT_EQ(order, "free,pause,watch,stop,");
    sequence.Run();
    EXPECT_EQ(order, "free,pause,watch,stop,");
}
