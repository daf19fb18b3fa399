// End to end: the operations through TComm on a real pseudo-terminal, served by the simulator
// executable, on the real clock.
#include "link_fakes.h"
#include "link_sim.h"
#include "operations_fixture.h"

#include "../support/TempDir.h"
#include "writer/Comm1Settings.h"
#include "writer/Frame.h"
#include "writer/TComm.h"

#include <gtest/gtest.h>

#include <chrono>

namespace orvane::test {
namespace {

using Lines = std::vector<std::string>;
using Clock = std::chrono::steady_clock;

class EndToEndTest : public ::testing::Test {
protected:
    // A simulator reachable as COM1 through its link; no other port exists.
    void Start(std::vector<std::string> args)
    {
        args.insert(args.begin(), {"--link", linkPath});
        sim = std::make_unique<SimProcess>(args);
        comm = std::make_unique<TComm>(loop, [this](const std::string& name) {
            return name == "COM1" ? linkPath : std::string();
        });
        link = std::make_unique<WriterLink>(s, *comm, loop);
        ops = std::make_unique<ChipOperations>(s, *link, view);
        ConfigureComm1(*comm);
        comm->SetCommName("COM1");
        SelectModel(s, 20);
        for (std::size_t a = 0; a < 0x800; ++a)
            s.RomImage[a] = static_cast<std::uint8_t>(a ^ 0x5A);
    }

    std::vector<std::string> Reports() const
    {
        std::vector<std::string> reports;
        for (const std::string& line : view.log)
            if (line.rfind("box ", 0) == 0 && line.rfind("box question", 0) != 0)
                reports.push_back(line);
        return reports;
    }

    TempDir dir;
    const std::string linkPath = dir.file("com1");
    AppState s;
    QueueEventLoop loop;
    RecordingView view;
    std::unique_ptr<SimProcess> sim;
    std::unique_ptr<TComm> comm;
    std::unique_ptr<WriterLink> link;
    std::unique_ptr<ChipOperations> ops;
};

TEST_F(EndToEndTest, PortSearchFindsTheSimulatedWriter)
{
    Start({"--version", "2.5", "2020.3.4"});
    const auto start = Clock::now();
    EXPECT_TRUE(link->ConnectWriter(view));
    EXPECT_EQ(view.log, Lines{"panel 固件版本:  V2.5---2020.3.4"});
    EXPECT_EQ(s.ComName, "COM1");
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(900)) << "answered, not timed out";
}

TEST_F(EndToEndTest, ProgramThenReadBack)
{
    Start({});
    ProgramRunOptions options{false, true, true};
    const OperationResult programmed = ops->RunProgramming(options);
    EXPECT_TRUE(programmed.succeeded);
    EXPECT_TRUE(Reports().empty());
    const Bytes program(s.RomImage.begin(), s.RomImage.begin() + 0x800);

    SelectModel(s, 20);
    EXPECT_TRUE(ops->ReadChip().succeeded);
    EXPECT_EQ(Bytes(s.RomImage.begin(), s.RomImage.begin() + 0x800), program);
    EXPECT_FALSE(comm->IsOpen());
}

TEST_F(EndToEndTest, ReplySplitByAPauseIsNoReport)
{
    Start({"--fault", "split@code=05"});
    view.messages.answers = {true};
    const OperationResult result = ops->DownloadProgram();
    EXPECT_FALSE(result.transferFailed);
    EXPECT_FALSE(result.succeeded);
    EXPECT_TRUE(Reports().empty());
}

TEST_F(EndToEndTest, HangUpInTheMiddleOfTheDownload)
{
    Start({"--fault", "hang-up@20"});
    view.messages.answers = {true};
    const auto start = Clock::now();
    const OperationResult result = ops->DownloadProgram();
    EXPECT_TRUE(result.transferFailed);
    EXPECT_EQ(Reports().at(0), "box error 通信错误2请检查烧写器是否连接正确！");
    EXPECT_FALSE(comm->IsOpen());
    EXPECT_TRUE(view.AllIdle());
    // One block's 600 ms, the 2 s final wait, Hello's second and FinishDownload's 3 s at most.
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(9));

    // The simulator serves a new terminal behind the same link: the next operation works.
    view.log.clear();
    view.messages.answers = {true};
    EXPECT_TRUE(ops->DownloadProgram().succeeded);
}

} // namespace
} // namespace orvane::test
