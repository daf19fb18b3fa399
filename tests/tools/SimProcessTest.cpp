// The simulator executable, driven over its pseudo-terminal as the host would.
#include "tests/support/Process.h"
#include "tests/support/TempDir.h"
#include "writer/Frame.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <unistd.h>

namespace orvane {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kHello{0x68, 0x01, 0xE1, 0xE2, 0x16}, kHelloAck{0x68, 0x01, 0xE2, 0xE3, 0x16};

// The host side of the terminal, left in the mode the simulator set.
struct Port {
    explicit Port(const std::string& path) : fd(open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~Port() { close(fd); }

    // Sends command; gathers the reply until count bytes came or the line hung up or fell silent.
    Bytes Exchange(const Bytes& command, std::size_t count)
    {
        sent = Clock::now();
        EXPECT_EQ(write(fd, command.data(), command.size()), ssize_t(command.size()));
        Bytes got;
        arrivals.clear();
        for (pollfd p{fd, POLLIN, 0}; got.size() < count && poll(&p, 1, 2000) > 0;) {
            std::uint8_t buffer[512];
            const ssize_t n = read(fd, buffer, sizeof buffer);
            if (n <= 0)
                break;
            got.insert(got.end(), buffer, buffer + n);
            arrivals.push_back(Clock::now());
        }
        return got;
    }

    int fd;
    Clock::time_point sent;
    std::vector<Clock::time_point> arrivals; // of the reply's chunks
};

TEST(SimProcess, PassesEveryByteUnchangedAndDelaysAndSplitsReplies)
{
    test::TempDir dir;
    test::SimulatorProcess sim(SIM_PATH, dir.path(),
                               {"--version", "10.10", "2010.10.10", "--reply-delay", "60",
                                "--fault", "split@2"});
    Port port(sim.Link());
    EXPECT_EQ(port.Exchange(kHello, 5), kHelloAck);
    EXPECT_GE(port.arrivals.at(0) - port.sent, 60ms);
    // Line feeds in the reply and control characters in the command pass as they are.
    EXPECT_EQ(port.Exchange(BuildFrame(GetVersion), 10),
              (Bytes{0x68, 0x06, 0x46, 10, 10, 10, 10, 10, 0x7E, 0x16}));
    ASSERT_EQ(port.arrivals.size(), 2u);
    EXPECT_GE(port.arrivals[1] - port.arrivals[0], 15ms) << "the host's 4 ms gap must see two";
    const Bytes block{0x00, 0x00, 0x03, 0x04, 0x0D, 0x0A, 0x11, 0x13, 0x7F,
                      0x1A, 0x15, 0x17, 0x12, 0x16, 0x1C, 0x00, 0xFF, 0x0F};
    EXPECT_EQ(port.Exchange(BuildFrame(WriteBlock, block), 5),
              (Bytes{0x68, 0x01, 0x12, 0x13, 0x16}));
}

TEST(SimProcess, PacesTheWireThenHangsUpMidReplyAndServesANewTerminal)
{
    test::TempDir dir;
    test::SimulatorProcess sim(SIM_PATH, dir.path(), {"--pace", "--fault", "hang-up@3"});
    {
        Port port(sim.Link());
        EXPECT_EQ(port.Exchange(kHello, 5), kHelloAck); // the simulator has seen the port open
        const Bytes read = BuildFrame(ReadBlock, Bytes{0x01, 0x20});
        ASSERT_EQ(port.Exchange(read, 37).size(), 37u);
        // 7 command bytes, then 37 reply bytes at 19200 baud, delivered whole.
        EXPECT_GE(port.arrivals.back() - port.sent, 43 * 520833ns);
        EXPECT_EQ(port.arrivals.size(), 1u);
        EXPECT_EQ(port.Exchange(read, 37).size(), 18u); // then the line hangs up
    }
    const std::string second = sim.NextLine(); // may reuse the number of the first
    ASSERT_FALSE(second.empty());
    EXPECT_EQ(std::filesystem::read_symlink(sim.Link()), second);
    EXPECT_EQ(Port(sim.Link()).Exchange(kHello, 5), kHelloAck);
}

TEST(SimProcess, KeepsTheLinkOfAnotherSimulatorsOpenTerminalUnlessToldToReplaceIt)
{
    test::TempDir dir;
    test::SimulatorProcess first(SIM_PATH, dir.path());
    const std::string terminal = std::filesystem::read_symlink(first.Link());
    const test::ProcessResult refused = test::RunProcess(SIM_PATH, {"--link", first.Link()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_EQ(refused.err, "orvane-writer-sim: the link " + first.Link() + " points at " +
                               terminal + ", a terminal still open (another simulator?); stop "
                               "that one or give --replace-link\n");
    EXPECT_EQ(std::filesystem::read_symlink(first.Link()), terminal);
    EXPECT_EQ(Port(first.Link()).Exchange(kHello, 5), kHelloAck);

    test::SimulatorProcess second(SIM_PATH, dir.path(), {"--replace-link"});
    EXPECT_NE(std::filesystem::read_symlink(second.Link()), terminal);
    EXPECT_EQ(Port(second.Link()).Exchange(kHello, 5), kHelloAck);
}

} // namespace
} // namespace orvane
