// What blank check, download and read send for each of the 31 slots, against a golden file
// checked by hand against the slot table and the operations' per-model choices: chip-data
// addresses, option copies, the option row read back and where it is stored, the bytes the read
// copies again and the File Option bytes of the download report.
#include "link_fakes.h"

#include <fstream>
#include <sstream>
#include <string>

namespace orvane::test {
namespace {

// The frames sent, runs of blocks one row apart folded: "11@0000..07F0/19" (code, first and last
// address, the frame's length byte).
std::string Folded(const std::vector<Bytes>& frames)
{
    std::string out;
    for (std::size_t i = 0; i < frames.size();) {
        const Bytes& f = frames[i];
        std::string item = Hex(f[2], 2);
        std::size_t last = i;
        if (f[1] > 1) {
            const int address = f[3] * 256 + f[4];
            const int step = f[2] == WriteBlock ? 16 : 32;
            while (last + 1 < frames.size() && frames[last + 1][2] == f[2] &&
                   frames[last + 1][1] == f[1] &&
                   frames[last + 1][3] * 256 + frames[last + 1][4] ==
                       address + static_cast<int>(last + 1 - i) * step)
                ++last;
            const Bytes& end = frames[last];
            item += "@" + Hex(address, 4) + (last > i ? ".." + Hex(end[3] * 256 + end[4], 4) : "");
        }
        out += " " + item + "/" + std::to_string(f[1]);
        i = last + 1;
    }
    return out;
}

class SlotTraces : public LinkFixture {
protected:
    std::string Trace(int slot)
    {
        SelectModel(s, slot);
        // File Option bytes that tell their source apart: 21 22 23 24 at 0x2120, 41.. at 0x4120.
        for (const int base : {0x2120, 0x4120, 0x8120})
            for (int i = 0; i < 4; ++i)
                s.RomImage[static_cast<std::size_t>(base + i)] =
                    static_cast<std::uint8_t>((base >> 8) + i);
        // Each chip byte tells its address: row 0x4000 reads 40 41 42 .., row 0x3FE0 1F 20 ..
        WriterModel::Buffer& chip = port.model.Chip();
        for (std::size_t a = 0; a < chip.size(); ++a)
            chip[a] = static_cast<std::uint8_t>((a >> 8) + a);

        std::ostringstream out;
        out << "slot " << slot << "\n  download:";
        port.sent.clear();
        view.log.clear();
        ops.DownloadProgram();
        out << Folded(port.sent) << "\n  report:";
        for (const std::string& line : view.Reports()) {
            const auto at = line.find("File Option=");
            out << " " << (at == std::string::npos ? line : line.substr(at, 20));
        }
        out << "\n  blank-check:";
        port.sent.clear();
        ops.DoBlankCheck();
        out << Folded(port.sent) << "\n  read:";
        port.sent.clear();
        ops.ReadChip();
        out << Folded(port.sent) << "\n  stored:";
        for (const int row : {0x2100, 0x4100, 0x8100})
            for (const int at : {0, 1, 3, 4, 0x20, 0x21, 0x23, 0x24})
                out << (at == 0 ? " " : at == 0x20 ? "|" : "")
                    << Hex(s.RomImage[static_cast<std::size_t>(row + at)], 2);
        out << "\n";
        return out.str();
    }
};

TEST_F(SlotTraces, EverySlotSendsAndStoresWhatItsTablesSay)
{
    std::string traces;
    for (int slot = 1; slot <= kSlotCount; ++slot)
        traces += Trace(slot);
    const std::string golden = std::string(TRACES_DIR) + "slot_traces.txt";
    std::ifstream in(golden, std::ios::binary);
    std::string expected;
    for (std::string line; std::getline(in, line);)
        if (!line.starts_with('#'))
            expected += line + "\n";
    EXPECT_EQ(traces, expected) << "golden file " << golden;
}

} // namespace
} // namespace orvane::test
