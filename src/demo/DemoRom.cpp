#include "DemoRom.h"

#include "sprite/FrameLayout.h"
#include "sprite/RomHeader.h"
#include "sprite/SpriteCatalogue.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace morvane {

namespace {

// Value 0 is the background, 1 skin and light cloth, 2 mid cloth, 3 outlines, hair and eyes, so
// the drawings read the same in any four display colours.
constexpr std::uint8_t kSkin = 1, kCloth = 2, kDark = 3;

enum Pose { kDown, kUp, kSide };

// One stroke of a drawing: a filled box, inclusive. `outline` gives it a dark edge, so a head
// stands out from the body beneath it; `over` paints only where something is drawn already.
struct Stroke {
    int x0, y0, x1, y1;
    std::uint8_t value;
    bool outline = false;
    bool over = false;
};

// What varies between the entries: the three digits of the index in a mixed radix (5, 3, 3)
// differ for every pair of the 45 entries, so no two drawings come out alike.
struct Look {
    int hair; // 0 short, 1 cap, 2 long, 3 hat, 4 spiky; for creatures, the ears
    int build; // 0 small, 1 medium, 2 large
    std::uint8_t cloth, trim; // the shirt or hide; the belt, cap or belly
    bool creature; // the "Morvane" entries are creatures, not people
};

Look LookOf(int index)
{
    constexpr std::array<std::array<std::uint8_t, 2>, 3> kDress
        = {{{kCloth, kSkin}, {kSkin, kCloth}, {kCloth, kDark}}};
    const auto& dress = kDress[std::size_t(index / 15)];
    return {index % 5, (index / 5) % 3, dress[0], dress[1], SpriteLabel(index) == "Morvane"};
}

void Paint(FramePixels& pixels, const Stroke& s)
{
    for (int y = std::max(0, s.y0); y <= std::min(kFrameSide - 1, s.y1); ++y) {
        for (int x = std::max(0, s.x0); x <= std::min(kFrameSide - 1, s.x1); ++x) {
            auto& pixel = pixels[std::size_t(y)][std::size_t(x)];
            if (s.over && pixel == 0)
                continue;
            const bool edge = x == s.x0 || x == s.x1 || y == s.y0 || y == s.y1;
            pixel = s.outline && edge ? kDark : s.value;
        }
    }
}

// The strokes of one frame, back to front. `step` swaps the legs and arms, so each pose walks.
std::vector<Stroke> StrokesOf(const Look& look, Pose pose, int step)
{
    const int top = 3 - look.build; // bigger builds stand taller
    const int half = 3 + look.build / 2; // and wider
    const int swing = step == 0 ? 1 : -1;
    const std::uint8_t trim = look.trim;
    std::vector<Stroke> s;
    if (look.creature) {
        // A round beast on four short legs, its ears the hair digit, its belly the build.
        s.push_back({2 + swing, 12, 4 + swing, 15, kDark});
        s.push_back({11 - swing, 12, 13 - swing, 15, kDark});
        s.push_back({1, top + 4, 14, 13, look.cloth, true});
        s.push_back({5, 9 - look.build, 10, 12, trim, false, true});
        const int ear = 2 + look.hair;
        s.push_back({2, top + 4 - ear, 3 + look.hair / 2, top + 4, kDark});
        s.push_back({12 - look.hair / 2, top + 4 - ear, 13, top + 4, kDark});
    } else {
        s.push_back({5, 12, 6, 15 - (swing > 0), kDark}); // legs
        s.push_back({9, 12, 10, 15 - (swing < 0), kDark});
        s.push_back({7 - half, 8 + swing, 7 - half, 11 + swing, kDark}); // arms
        s.push_back({8 + half, 8 - swing, 8 + half, 11 - swing, kDark});
        s.push_back({8 - half, top + 6, 7 + half, 13, look.cloth, true}); // body
        s.push_back({9 - half, 11, 6 + half, 11, trim, false, true}); // belt
        s.push_back({4, top, 11, top + 6, kSkin, true}); // head
        const std::array<Stroke, 5> hair = {{{4, top, 11, top + 1, kDark, false, true},
            {3, top - 1, 12, top + 1, trim, true}, {3, top, 4, top + 8, kDark},
            {5, top - 3, 10, top + 1, trim, true}, {4, top - 1, 11, top, kDark}}};
        s.push_back(hair[std::size_t(look.hair)]);
        if (look.hair == 2)
            s.push_back({11, top, 12, top + 8, kDark});
    }
    const int eyes = look.creature ? top + 6 : top + 3;
    if (pose == kDown) {
        s.push_back({6, eyes, 6, eyes + 1, kDark});
        s.push_back({9, eyes, 9, eyes + 1, kDark});
    } else if (pose == kSide) {
        s.push_back({5, eyes, 5, eyes + 1, kDark});
        s.push_back({9, eyes - 2, 12, eyes + 2, kDark, false, true}); // the back of the head
    } else {
        s.push_back(
            {4, top + 1, 11, eyes + 2, kDark, false, true}); // hair or hide seen from behind
    }
    return s;
}

void PutText(std::vector<std::uint8_t>& rom, std::size_t at, std::string_view text)
{
    std::copy(text.begin(), text.end(), rom.begin() + std::ptrdiff_t(at));
}

// A header laid out as a cartridge's is, so that tools which peek at the title and the
// checksums see something sensible. The boot logo stays zero: this image is for the editor.
void WriteHeader(std::vector<std::uint8_t>& rom)
{
    PutText(rom, 0x100, std::string_view("\x00\xC3\x50\x01", 4)); // nop; jp 0x0150
    PutText(rom, kRomTitleOffset, "MORVANE DEMO");
    rom[0x147] = 0x01; // a bank-switching cartridge: 1 MiB is more than the CPU can address
    rom[0x148] = 0x05; // 32 KiB << 5 = 1 MiB
    rom[0x14A] = 0x01;
    PutText(rom, 0x150, "\xF3\x76\x18\xFD"); // di; halt; jr back to the halt
    rom[kRomHeaderChecksumOffset] = *ComputeHeaderChecksum(rom);
}

} // namespace

SpriteBlock DemoSprite(int index)
{
    SpriteBlock block {};
    if (index < 0 || index >= kSpriteCount)
        return block;
    const Look look = LookOf(index);
    for (int step = 0; step < 2; ++step) {
        for (const Pose pose : {kDown, kUp, kSide}) {
            FramePixels pixels {};
            for (const Stroke& stroke : StrokesOf(look, pose, step))
                Paint(pixels, stroke);
            EncodeFrame(pixels, 3 * step + pose, block);
        }
    }
    return block;
}

std::vector<std::uint8_t> MakeDemoRom()
{
    std::vector<std::uint8_t> rom(kDemoRomBytes, 0);
    WriteHeader(rom);
    for (int index = 0; index < kSpriteCount; ++index) {
        const SpriteBlock block = DemoSprite(index);
        std::copy(block.begin(), block.end(),
            rom.begin() + *SpriteOffsetValue(static_cast<std::int16_t>(index)));
    }
    const std::uint16_t sum = ComputeGlobalChecksum(rom);
    rom[kRomGlobalChecksumOffset] = static_cast<std::uint8_t>(sum >> 8);
    rom[kRomGlobalChecksumOffset + 1] = static_cast<std::uint8_t>(sum & 0xFF);
    return rom;
}

} // namespace morvane
