// End to end under the thread checker: the operations through TComm on a real pseudo-terminal,
// served by the simulator executable as COM1, the only port, on the real clock. (The command
// line's and the windows' tests run the same stack against the simulator in every other way.)
#include "link_fakes.h"

#include "../support/Process.h"
#include "../support/TempDir.h"
#include "writer/Comm1Settings.h"
#include "writer/TComm.h"

#include <numeric>

namespace orvane::test {
namespace {

class EndToEndTest : public ::testing::Test {
protected:
    void Start(Lines args)
    {
        sim = std::make_unique<SimulatorProcess>(SIM_PATH, dir.path(), args);
        ConfigureComm1(comm);
        comm.SetCommName("COM1");
        SelectModel(s, 20);
        std::iota(s.RomImage.begin(), s.RomImage.begin() + 0x800, 0x5A);
    }

    TempDir dir;
    std::unique_ptr<SimulatorProcess> sim;
    AppState s;
    QueueEventLoop loop;
    TComm comm{loop, [this](const std::string& name) { return name == "COM1" ? sim->Link() : ""; }};
    WriterLink link{s, comm, loop};
    RecordingView view;
    ChipOperations ops{s, link, view};
};

TEST_F(EndToEndTest, SearchThenAHangUpInTheMiddleOfTheDownloadThenProgramAndReadBack)
{
    Start({"--fault", "hang-up@20"});
    EXPECT_TRUE(link.ConnectWriter(view));
    EXPECT_TRUE(ops.DownloadProgram().transferFailed);
    EXPECT_EQ(view.Reports().at(0), kTransferError);
    EXPECT_TRUE(ops.DownloadProgram().succeeded) << "a new terminal behind the same link";
    const Bytes program(s.RomImage.begin(), s.RomImage.begin() + 0x800);
    ProgramRunOptions options{false, true, true};
    EXPECT_TRUE(ops.RunProgramming(options).succeeded);
    SelectModel(s, 20);
    EXPECT_TRUE(ops.ReadChip().succeeded);
    EXPECT_EQ(Bytes(s.RomImage.begin(), s.RomImage.begin() + 0x800), program);
}

} // namespace
} // namespace orvane::test
