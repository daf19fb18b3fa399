#include "app/ChipVerify.h"

#include "catalogue/Catalogue.h"
#include "foundation/Translate.h"
#include "image/RomImage.h"
#include "options/OptionLayout.h"
#include "production/RollingCode.h"
#include "writer/TransferChoices.h"

#include <algorithm>
#include <memory>

namespace orvane {
namespace {

constexpr std::size_t kListed = 20;
constexpr const char* kEqualText = TrNoop("芯片内容与当前程序一致");
constexpr const char* kProtectedText =
    TrNoop("当前程序设置了加密，加密的芯片读不出程序，无法校验");

// The view of the operation it wraps, except that the image it reads never reaches the screen:
// the hex editor and the memo keep showing the program.
class ReadAsideView final : public OperationView {
public:
    explicit ReadAsideView(OperationView& view) : view_(view) {}

    OperatorMessages& Messages() override { return view_.Messages(); }
    void SetEnabled(Control control, bool on) override { view_.SetEnabled(control, on); }
    void SetWindowShown(BusyWindow w, bool shown) override { view_.SetWindowShown(w, shown); }
    void SetDownloadBox(bool ticked, bool enabled) override
    {
        view_.SetDownloadBox(ticked, enabled);
    }
    void SetStatusLabel(const std::string& text) override { view_.SetStatusLabel(text); }
    void SetStatusLine(const std::string& text) override { view_.SetStatusLine(text); }
    void SetFirmwarePanel(const std::string& text) override { view_.SetFirmwarePanel(text); }
    void ShowNextID(const std::string& text) override { view_.ShowNextID(text); }
    void AdvanceProgress() override { view_.AdvanceProgress(); }
    void ResetProgress() override { view_.ResetProgress(); }
    void ReportTransferProgress(std::int64_t done, std::int64_t total) override
    {
        view_.ReportTransferProgress(done, total);
    }
    void AppendMemoLine(const std::string& line) override { view_.AppendMemoLine(line); }
    void ShowChipInfo(const std::array<std::string, 4>&) override {}
    void RefreshHexView() override {}
    void ScrollHexView(int, std::optional<int>) override {}

private:
    OperationView& view_;
};

// The device ID the programming run writes, as the settings or the command line set it.
bool IsDeviceIdAddress(const AppState& s, std::int32_t address)
{
    const bool set = !s.IDAddrText.empty() && (s.IDLen == 2 || s.IDLen == 3);
    return set && address >= s.IDAddr && address < s.IDAddr + s.IDLen;
}

void AppendLines(std::string& text, const std::vector<ByteDifference>& list, std::size_t count)
{
    for (std::size_t i = 0; i < std::min(count, list.size()); ++i) {
        const ByteDifference& d = list[i];
        text += "\n" + Hex(d.address, 4) + Tr(": 程序 ") + Hex(d.image, 2) + Tr(" 芯片 ") + Hex(d.chip, 2);
    }
}

} // namespace

bool ImageSetsProtection(const AppState& s)
{
    // The layout of the model's option dialog, whose encoder set the bit.
    const OptionLayout* layout = LayoutOfSlot(FirstMatchingSlot(s, kConfigButtonOrder));
    if (!layout)
        return false;
    const std::int64_t at = std::int64_t{s.OptionAddr2} + layout->protection.byte;
    return at >= 0 && at < kImageSize &&
           ((s.RomImage[static_cast<std::size_t>(at)] >> layout->protection.bit) & 1u) == 0;
}

ChipComparison CompareWithChip(const AppState& s, const std::array<std::uint8_t, kImageSize>& chip)
{
    ChipComparison c;
    const std::vector<std::int32_t> rolling = RollingCodeAddresses(s);
    const auto compare = [&](std::int64_t imageAt, std::int64_t chipAt) {
        if (imageAt < 0 || imageAt >= kImageSize || chipAt < 0 || chipAt >= kImageSize)
            return;
        const auto address = static_cast<std::int32_t>(imageAt);
        const ByteDifference d{static_cast<std::uint16_t>(address),
                               s.RomImage[static_cast<std::size_t>(imageAt)],
                               chip[static_cast<std::size_t>(chipAt)]};
        if (d.image == d.chip)
            return;
        if (IsDeviceIdAddress(s, address))
            c.deviceId.push_back(d);
        else if (std::find(rolling.begin(), rolling.end(), address) != rolling.end())
            c.rollingCode.push_back(d);
        else
            c.program.push_back(d);
    };
    for (std::int64_t a = s.RomStart; a <= s.RomEnd; ++a)
        compare(a, a);
    // The read stores the model's option row at "option copy 1" of its table and carries its
    // first bytes on into copy 2: those bytes against the model's own second copy, the one
    // programming burns (for one model the table's copy lies elsewhere).
    const TransferChoices& choices = TransferChoicesFor(s);
    for (int i = 0; i < choices.copyAgainBytes; ++i)
        compare(std::int64_t{s.OptionAddr2} + i, std::int64_t{choices.optionCopyAddr} + i);
    return c;
}

std::string VerifyReportText(const ChipComparison& c)
{
    std::string text;
    const std::size_t n = c.program.size();
    if (n > 0) {
        text = Tr("芯片内容与当前程序不一致，共 ") + std::to_string(n) + Tr(" 个字节不同") +
               (n > kListed ? Tr("，以下是前 ") + std::to_string(kListed) + Tr(" 个") : "") + Tr("：");
        AppendLines(text, c.program, kListed);
    } else if (c.deviceId.empty() && c.rollingCode.empty()) {
        return Tr(kEqualText);
    } else {
        text = std::string(Tr("除器件ID和滚动码以外，")) + Tr(kEqualText);
    }
    if (!c.deviceId.empty()) {
        text += Tr("\n器件ID的字节不同：");
        AppendLines(text, c.deviceId, c.deviceId.size());
    }
    if (!c.rollingCode.empty()) {
        text += Tr("\n滚动码的字节不同：");
        AppendLines(text, c.rollingCode, c.rollingCode.size());
    }
    return text;
}

ChipVerification VerifyChip(const AppState& s, WriterLink& link, OperationView& view)
{
    ChipVerification v;
    if (ImageSetsProtection(s)) {
        v.verdict = VerifyVerdict::Protected;
        v.text = Tr(kProtectedText);
        return v;
    }
    // The read of the operator's "读取" on a copy of the state. The link takes the chip data it
    // sends from the state it serves, whose chip-data area the copy shares.
    auto chip = std::make_unique<AppState>(s);
    ReadAsideView aside(view);
    ChipOperations reader(*chip, link, aside);
    v.read = reader.ReadChip();
    if (!v.read.succeeded) {
        v.verdict = VerifyVerdict::ReadFailed;
        return v;
    }
    v.differences = CompareWithChip(s, chip->RomImage);
    v.verdict = v.differences.program.empty() ? VerifyVerdict::Equal : VerifyVerdict::Different;
    v.text = VerifyReportText(v.differences);
    return v;
}

} // namespace orvane
