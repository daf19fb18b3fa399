#include "options/OptionCodecs.h"

#include "catalogue/Catalogue.h"
#include "image/RomImage.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace orvane {
namespace {

// Carrier divider codes 0..7 of layouts B and F; a text not listed encodes as 7.
constexpr std::array<std::string_view, 8> kDividerTexts = {"06", "36", "50", "53",
                                                           "56", "61", "64", "74"};
// Clock of layouts C and G, bits 1..0.
constexpr std::array<std::string_view, 4> kClockTexts = {"XT", "RC1", "RC2", "RC3"};
// Oscillator of layout A: the text of each code 0..3 of bits 1..0; other texts encode as 0.
constexpr std::array<std::string_view, 4> kOscTextsA = {"001", "011", "110", "010"};
constexpr std::array<std::string_view, 4> kTwoBitTexts = {"00", "01", "10", "11"};
constexpr std::array<std::string_view, 8> kThreeBitTexts = {"000", "001", "010", "011",
                                                            "100", "101", "110", "111"};

template <std::size_t N>
std::uint8_t CodeOf(const std::array<std::string_view, N>& texts, const std::string& text,
                    std::uint8_t other)
{
    const auto it = std::find(texts.begin(), texts.end(), text);
    return it == texts.end() ? other : static_cast<std::uint8_t>(it - texts.begin());
}

void ClearIf(std::uint8_t& b, int bit, bool condition)
{
    if (condition)
        b = static_cast<std::uint8_t>(b & ~(1u << bit));
}

// Replaces the field of `width` bits at `shift` with code.
void PutCode(std::uint8_t& b, int shift, int width, std::uint8_t code)
{
    const unsigned mask = ((1u << width) - 1u) << shift;
    b = static_cast<std::uint8_t>((b & ~mask) | ((unsigned{code} << shift) & mask));
}

bool Bit(std::uint8_t b, int bit)
{
    return (b >> bit) & 1u;
}

std::string OnOff(bool on)
{
    return on ? "ON" : "OFF";
}

// Protection is on when bit 7 is clear, in every layout that reads it.
std::string SecText(std::uint8_t b)
{
    return OnOff(!Bit(b, 7));
}

void EncodeA(AppState& s, std::uint8_t& b)
{
    ClearIf(b, 5, s.OptLVR == "ON");
    ClearIf(b, 7, s.OptSEC == "ON");
    PutCode(b, 0, 2, CodeOf(kOscTextsA, s.OptOsc, 0));
}

void EncodeB(AppState& s, std::uint8_t& b)
{
    PutCode(b, 0, 3, CodeOf(kDividerTexts, s.OptCW, 7));
}

void EncodeC(AppState& s, std::uint8_t& b)
{
    if (s.OptXT == "LP" || s.OptXT == "HS")
        s.OptXT = "RC1"; // the text of the code they encode as
    PutCode(b, 0, 2, CodeOf(kClockTexts, s.OptXT, 3));
    ClearIf(b, 2, s.OptLVR != "ON");
    ClearIf(b, 3, s.OptP12F != "ON");
}

// Layout D sets only the codes 01 and 10; every other text, "00" included, leaves 11.
std::uint8_t CodeD(const std::string& text)
{
    return text == "01" ? 1 : text == "10" ? 2 : 3;
}

} // namespace

void EncodeLayoutD(AppState& s, std::uint8_t& b)
{
    ClearIf(b, 7, s.OptSEC == "ON");
    ClearIf(b, 5, s.OptLCD == "ON");
    ClearIf(b, 4, s.OptLVR == "OFF");
    PutCode(b, 2, 2, CodeD(s.OptFs));
    PutCode(b, 0, 2, CodeD(s.OptFsys));
}

void EncodeLayoutE(AppState& s, std::uint8_t& b)
{
    ClearIf(b, 7, s.OptSEC == "ON");
    ClearIf(b, 5, s.OptLVR == "OFF");
    ClearIf(b, 4, s.OptLvrs == "2.1V");
    ClearIf(b, 3, s.OptP12F == "OFF");
    // osc is taken as binary digits without checking them; a value above 7 carries out of
    // bits 2..0 and so clears bits above them as well.
    std::uint32_t value = 0;
    for (const char c : s.OptOsc)
        value = value * 2 + static_cast<std::uint32_t>(HexDigitValue(c));
    b = static_cast<std::uint8_t>(b & ((value + 0xF8) & 0xFF));
}

namespace {

void EncodeF(AppState& s, std::uint8_t& b)
{
    ClearIf(b, 7, s.OptSEC == "ON");
    ClearIf(b, 4, s.OptPosLog == "ON");
    ClearIf(b, 3, s.OptXT == "XT");
    PutCode(b, 0, 3, CodeOf(kDividerTexts, s.OptCW, 7));
}

void DecodeAPrime(AppState& s, std::uint8_t b)
{
    s.OptXT = Bit(b, 0) ? "RC1" : "XT";
    s.OptLVR = OnOff(Bit(b, 1));
    s.OptSEC = SecText(b);
}

void DecodeB(AppState& s, std::uint8_t b)
{
    s.OptCW = kDividerTexts[b & 7];
    s.OptSEC = SecText(b);
}

void DecodeG(AppState& s, std::uint8_t b)
{
    s.OptXT = kClockTexts[b & 3];
    s.OptLVR = OnOff(Bit(b, 2));
    s.OptP12F = OnOff(Bit(b, 3));
}

void DecodeC(AppState& s, std::uint8_t b)
{
    DecodeG(s, b);
    s.OptSEC = SecText(b);
}

void DecodeD(AppState& s, std::uint8_t b)
{
    s.OptFsys = kTwoBitTexts[b & 3];
    s.OptFs = kTwoBitTexts[(b >> 2) & 3];
    s.OptLVR = OnOff(Bit(b, 4));
    s.OptLCD = OnOff(!Bit(b, 5));
    s.OptSEC = SecText(b);
}

void DecodeE(AppState& s, std::uint8_t b)
{
    s.OptOsc = kThreeBitTexts[b & 7];
    s.OptP12F = OnOff(Bit(b, 3));
    s.OptLvrs = Bit(b, 4) ? "3.6V" : "2.1V";
    s.OptLVR = OnOff(Bit(b, 5));
    s.OptSEC = SecText(b);
}

void DecodeF(AppState& s, std::uint8_t b)
{
    s.OptCW = kDividerTexts[b & 7];
    s.OptXT = Bit(b, 3) ? "RC" : "XT";
    s.OptSEC = SecText(b);
    s.OptPosLog = OnOff(Bit(b, 4));
}

using Encoder = void (*)(AppState&, std::uint8_t&);
using Decoder = void (*)(AppState&, std::uint8_t);

// Index slot - 1. Slot 9 shares slot 1's dialog but none of its codecs.
constexpr std::array<Encoder, 7> kEncoders = {EncodeA,       EncodeB,       EncodeC, EncodeLayoutD,
                                              EncodeLayoutE, EncodeLayoutE, EncodeF};
constexpr std::array<Decoder, 8> kDecoders = {DecodeAPrime, DecodeB, DecodeC, DecodeD,
                                              DecodeE,      DecodeE, DecodeF, DecodeG};
constexpr std::array<int, 7> kEncoderSlots = {1, 2, 3, 4, 5, 6, 7};
constexpr std::array<int, 8> kDecoderSlots = {1, 2, 3, 4, 5, 6, 7, 8};

// The first 32 bytes of the block at address, dropping what would fall outside the image.
void CopyBlockTo(AppState& s, std::int32_t address)
{
    for (std::int32_t i = 0; i < 32; ++i) {
        const std::int64_t at = std::int64_t{address} + i;
        if (at >= 0 && at < kImageSize)
            s.RomImage[static_cast<std::size_t>(at)] = s.OptionBytes[static_cast<std::size_t>(i)];
    }
}

} // namespace

void ApplyOptionTexts(AppState& s)
{
    s.OptionBytes.fill(kBlank);
    if (const int slot = FirstMatchingSlot(s, kEncoderSlots))
        kEncoders[static_cast<std::size_t>(slot - 1)](s, s.OptionBytes[0]);
    CopyBlockTo(s, s.OptionAddr1);
    ClearIf(s.OptionBytes[0], 7, s.OptSEC == "ON");
    CopyBlockTo(s, s.OptionAddr2);
}

void ReadOptionTexts(AppState& s, std::uint8_t byte)
{
    if (const int slot = FirstMatchingSlot(s, kDecoderSlots))
        kDecoders[static_cast<std::size_t>(slot - 1)](s, byte);
}

} // namespace orvane
