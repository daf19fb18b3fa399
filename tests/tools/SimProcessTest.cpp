// The simulator executable, driven over its pseudo-terminal as the host would.
#include "tests/support/TempDir.h"
#include "writer/Frame.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace orvane {
namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

const Bytes kHello{0x68, 0x01, 0xE1, 0xE2, 0x16};
const Bytes kHelloAck{0x68, 0x01, 0xE2, 0xE3, 0x16};

// One simulator process, started through a shell that reports its pid and then becomes it.
class Sim {
public:
    explicit Sim(const std::string& args)
        : out_(popen(("echo $$; exec " SIM_PATH " " + args + " 2>/dev/null").c_str(), "r")),
          pid_(std::stoi(Line()))
    {
    }
    ~Sim() { Stop(); }

    std::string Line() // the next stdout line, "" at its end
    {
        char line[512] = "";
        if (!std::fgets(line, sizeof line, out_))
            return "";
        return std::string(line, std::strcspn(line, "\n"));
    }

    int Stop() // exit status after SIGTERM
    {
        if (!out_)
            return -1;
        kill(pid_, SIGTERM);
        const int status = pclose(out_);
        out_ = nullptr;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

    long CpuTicks() const // user plus system time so far
    {
        std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
        std::string field;
        long ticks = 0;
        for (int i = 1; i <= 15 && stat >> field; ++i)
            ticks += i >= 14 ? std::stol(field) : 0;
        return ticks;
    }

private:
    FILE* out_;
    pid_t pid_;
};

struct Chunk {
    Clock::time_point at;
    Bytes bytes;
};

// The host side of the terminal, left in the mode the simulator set.
class Port {
public:
    explicit Port(const std::string& path) : fd_(open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~Port() { close(fd_); }

    void Write(const Bytes& b) { ASSERT_EQ(write(fd_, b.data(), b.size()), ssize_t(b.size())); }

    // Chunks as they arrive until `count` bytes came, the line hangs up, or 2 s pass.
    std::vector<Chunk> Read(std::size_t count)
    {
        std::vector<Chunk> chunks;
        std::size_t got = 0;
        for (const auto end = Clock::now() + 2s; got < count && Clock::now() < end;) {
            pollfd p{fd_, POLLIN, 0};
            std::uint8_t buf[512];
            if (poll(&p, 1, 5) <= 0)
                continue;
            const ssize_t n = read(fd_, buf, sizeof buf);
            if ((hungUp_ = n <= 0))
                break;
            chunks.push_back({Clock::now(), Bytes(buf, buf + n)});
            got += static_cast<std::size_t>(n);
        }
        return chunks;
    }

    static Bytes Joined(const std::vector<Chunk>& chunks)
    {
        Bytes all;
        for (const Chunk& c : chunks)
            all.insert(all.end(), c.bytes.begin(), c.bytes.end());
        return all;
    }

    Bytes Exchange(const Bytes& command, std::size_t replyLength)
    {
        Write(command);
        return Joined(Read(replyLength));
    }

    bool HungUp() const { return hungUp_; }

private:
    int fd_;
    bool hungUp_ = false;
};

TEST(SimProcess, ServesRawBytesThroughItsLinkAndTracesFrames)
{
    test::TempDir dir;
    const std::string link = dir.file("com1"), trace = dir.file("trace.txt");
    Sim sim("--link " + link + " --trace " + trace + " --version 10.10 2010.10.10");
    const std::string path = sim.Line();
    ASSERT_EQ(path.rfind("/dev/pts/", 0), 0u) << path;
    EXPECT_EQ(std::filesystem::read_symlink(link), path);
    {
        Port port(link);
        EXPECT_EQ(port.Exchange(kHello, 5), kHelloAck);
        // Line feeds in the reply and control characters in the command pass unchanged.
        EXPECT_EQ(port.Exchange(BuildFrame(GetVersion), 10),
                  (Bytes{0x68, 0x06, 0x46, 10, 10, 10, 10, 10, 0x7E, 0x16}));
        const Bytes block{0x00, 0x00, 0x03, 0x04, 0x0D, 0x0A, 0x11, 0x13, 0x7F,
                          0x1A, 0x15, 0x17, 0x12, 0x16, 0x1C, 0x00, 0xFF, 0x0F};
        EXPECT_EQ(port.Exchange(BuildFrame(WriteBlock, block), 5),
                  (Bytes{0x68, 0x01, 0x12, 0x13, 0x16}));
        EXPECT_EQ(port.Exchange(BuildFrame(ReadBlock, Bytes{0, 0}), 37).size(), 37u);
    }
    {
        Port port(path); // a host gone half-way through a frame
        port.Write({0x68, 0x13, 0x11});
    }
    std::this_thread::sleep_for(150ms);
    {
        Port port(path); // reopened, as every operation does
        EXPECT_EQ(port.Exchange(kHello, 5), kHelloAck);
    }
    // No one holds the terminal: the simulator must not spin on the hang-up.
    const long before = sim.CpuTicks();
    std::this_thread::sleep_for(1s);
    EXPECT_LE(sim.CpuTicks() - before, sysconf(_SC_CLK_TCK) / 20) << "more than 5 % of a core";
    EXPECT_EQ(sim.Stop(), 0);
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::symlink_status(link)));

    const std::string lines = test::ReadText(trace);
    EXPECT_NE(lines.find(" RX 68 01 E1 E2 16\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find(" TX 68 01 E2 E3 16\n"), std::string::npos) << lines;
    EXPECT_NE(lines.find(" RX 68 13 11 00 00 03 04 0D 0A 11 13 7F"), std::string::npos) << lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 10);
}

TEST(SimProcess, PacingSpendsWireTimeAndUnpacedDoesNot)
{
    const Bytes read = BuildFrame(ReadBlock, Bytes{0x01, 0x20});
    for (const bool pace : {true, false}) {
        Sim sim(pace ? "--pace" : "");
        Port port(sim.Line());
        EXPECT_EQ(port.Exchange(kHello, 5), kHelloAck); // the simulator has seen the port open
        const auto sent = Clock::now();
        port.Write(read);
        const auto chunks = port.Read(37);
        ASSERT_EQ(Port::Joined(chunks).size(), 37u);
        if (pace) {
            // 7 command bytes, then 37 reply bytes one after another.
            EXPECT_GE(chunks.back().at - sent, 43 * 520833ns);
            EXPECT_GT(chunks.size(), 2u);
        } else {
            EXPECT_LE(chunks.size(), 2u); // one write, not byte by byte
        }
    }
}

TEST(SimProcess, ReplyDelaySplitFaultAndPinFailure)
{
    Sim sim("--reply-delay 60 --fault split@2 --chip none");
    Port port(sim.Line());
    const auto sent = Clock::now();
    port.Write(kHello);
    auto chunks = port.Read(5);
    ASSERT_EQ(Port::Joined(chunks), kHelloAck);
    EXPECT_GE(chunks.front().at - sent, 60ms);

    port.Write(BuildFrame(GetVersion));
    chunks = port.Read(10);
    ASSERT_EQ(Port::Joined(chunks),
              (Bytes{0x68, 0x06, 0x46, 0x01, 0x02, 0x0B, 0x05, 0x11, 0x70, 0x16}));
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_GE(chunks[1].at - chunks[0].at, 15ms) << "the host's 4 ms gap must see two chunks";
    EXPECT_EQ(port.Exchange(BuildFrame(ProgramChip), 10),
              (Bytes{0x68, 0x06, 0xF2, 0x03, 0x7D, 0x00, 0x00, 0x00, 0x78, 0x16}));
}

TEST(SimProcess, HangUpMidReplyThenServesAgainOnANewTerminal)
{
    test::TempDir dir;
    const std::string link = dir.file("com1");
    Sim sim("--link " + link + " --pace --fault hang-up@2");
    const std::string first = sim.Line();
    {
        Port port(link);
        EXPECT_EQ(port.Exchange(kHello, 5), kHelloAck);
        port.Write(BuildFrame(ReadBlock, Bytes{0x00, 0x00}));
        EXPECT_EQ(Port::Joined(port.Read(37)).size(), 18u);
        EXPECT_TRUE(port.HungUp());
    }
    const std::string second = sim.Line();
    ASSERT_FALSE(second.empty());
    EXPECT_NE(second, first);
    EXPECT_EQ(std::filesystem::read_symlink(link), second);
    Port port(link);
    EXPECT_EQ(port.Exchange(kHello, 5), kHelloAck);
}

} // namespace
} // namespace orvane
