// End to end: the operations through TComm on a real pseudo-terminal, served by the simulator
// executable, on the real clock.
#include "link_fakes.h"

#include "../support/Process.h"
#include "../support/TempDir.h"
#include "writer/Comm1Settings.h"
#include "writer/TComm.h"

#include <chrono>

namespace orvane::test {
namespace {

using Clock = std::chrono::steady_clock;

class EndToEndTest : public ::testing::Test {
protected:
    // A simulator reachable as COM1 through its link; no other port exists.
    void Start(std::vector<std::string> args)
    {
        sim = std::make_unique<SimulatorProcess>(SIM_PATH, dir.path(), args);
        ConfigureComm1(comm);
        comm.SetCommName("COM1");
        SelectModel(s, 20);
        for (std::size_t a = 0; a < 0x800; ++a)
            s.RomImage[a] = static_cast<std::uint8_t>(a ^ 0x5A);
    }

    TempDir dir;
    const std::string linkPath = dir.file("com"); // where the simulator places its link
    std::unique_ptr<SimulatorProcess> sim;
    AppState s;
    QueueEventLoop loop;
    TComm comm{loop, [this](const std::string& name) { return name == "COM1" ? linkPath : ""; }};
    WriterLink link{s, comm, loop};
    RecordingView view;
    ChipOperations ops{s, link, view};
};

TEST_F(EndToEndTest, PortSearchFindsTheSimulatedWriter)
{
    Start({"--version", "2.5", "2020.3.4"});
    const auto start = Clock::now();
    EXPECT_TRUE(link.ConnectWriter(view));
    EXPECT_EQ(view.log, Lines{"panel 固件版本:  V2.5---2020.3.4"});
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(900)) << "answered, not timed out";
}

TEST_F(EndToEndTest, ProgramThenReadBack)
{
    Start({});
    ProgramRunOptions options{false, true, true};
    EXPECT_TRUE(ops.RunProgramming(options).succeeded);
    const Bytes program(s.RomImage.begin(), s.RomImage.begin() + 0x800);
    SelectModel(s, 20);
    EXPECT_TRUE(ops.ReadChip().succeeded);
    EXPECT_EQ(Bytes(s.RomImage.begin(), s.RomImage.begin() + 0x800), program);
    EXPECT_TRUE(view.Reports().empty());
    EXPECT_FALSE(comm.IsOpen());
}

TEST_F(EndToEndTest, ReplySplitByAPauseIsNoReport)
{
    Start({"--fault", "split@code=05"});
    view.answers = {true};
    const OperationResult result = ops.DownloadProgram();
    EXPECT_FALSE(result.transferFailed);
    EXPECT_FALSE(result.succeeded);
    EXPECT_TRUE(view.Reports().empty());
}

TEST_F(EndToEndTest, HangUpInTheMiddleOfTheDownload)
{
    Start({"--fault", "hang-up@20"});
    view.answers = {true};
    const auto start = Clock::now();
    EXPECT_TRUE(ops.DownloadProgram().transferFailed);
    EXPECT_EQ(view.Reports().at(0), "box error 通信错误2请检查烧写器是否连接正确！");
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_TRUE(view.AllIdle());
    // One block's 600 ms, the final 2 s, Hello's second and FinishDownload's 3 s at most.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(9));
    // The simulator serves a new terminal behind the same link: the next download works.
    view.answers = {true};
    EXPECT_TRUE(ops.DownloadProgram().succeeded);
}

} // namespace
} // namespace orvane::test
