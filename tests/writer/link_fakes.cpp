#include "link_fakes.h"

#include "catalogue/Catalogue.h"

namespace orvane::test {

bool VirtualLoop::RunOne(Clock::time_point deadline)
{
    if (events_.empty() || events_.begin()->first > std::max(now_, deadline)) {
        now_ = std::max(now_, deadline); // sleeping until the deadline costs nothing
        return false;
    }
    now_ = std::max(now_, events_.begin()->first);
    const auto event = std::move(events_.begin()->second);
    events_.erase(events_.begin());
    event();
    return true;
}

bool FakePort::WriteData(const std::uint8_t* buffer, std::uint16_t length)
{
    if (!isOpen || length == 0)
        return false;
    if (refuseWrites > 0) {
        --refuseWrites;
        log.push_back("refused");
        return false;
    }
    sent.emplace_back(buffer, buffer + length);
    sentAt.push_back(loop_.Ms());
    for (const WriterReply& reply : model.Feed(sent.back())) {
        std::optional<Bytes> bytes = reply.bytes;
        if (const auto rule = byNumber.find(static_cast<int>(sent.size())); rule != byNumber.end())
            bytes = rule->second;
        else if (const auto codeRule = byCode.find(buffer[2]); codeRule != byCode.end())
            bytes = codeRule->second;
        if (bytes && !bytes->empty())
            Deliver(10, *bytes);
    }
    return true;
}

void SelectModel(AppState& s, int slot)
{
    for (int n = 1; n <= kSlotCount; ++n)
        s.ModelName[n] = "QK" + std::to_string(100 + n);
    s.ChipName = s.ModelName[slot];
    ClearImage(s);
    SetChipDataAddresses(s);
    // The program area's first and last address.
    std::copy_n(HexBytes("00 00 07 FF").begin(), 4, s.RomImage.begin() + s.ChipDataAddr1 + 4);
    UpdateAddressMap(s);
}

} // namespace orvane::test
