#include "DemoRom.h"

#include "sprite/FrameLayout.h"
#include "sprite/SpriteCatalogue.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace morvane {

namespace {

// The demo drawings use value 0 as background, 1 for skin and light cloth, 2 for mid cloth and
// 3 for outlines, hair and eyes, so they read the same in any four display colours.
constexpr std::uint8_t kClear = 0;
constexpr std::uint8_t kLight = 1;
constexpr std::uint8_t kMid = 2;
constexpr std::uint8_t kDark = 3;

enum class Facing { Down, Up, Side };

class Canvas {
public:
    void Set(int x, int y, std::uint8_t value)
    {
        if (x >= 0 && x < kFrameSide && y >= 0 && y < kFrameSide)
            pixels_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)] = value;
    }

    std::uint8_t At(int x, int y) const
    {
        if (x < 0 || x >= kFrameSide || y < 0 || y >= kFrameSide)
            return kClear;
        return pixels_[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
    }

    void Fill(int x0, int y0, int x1, int y1, std::uint8_t value)
    {
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x)
                Set(x, y, value);
        }
    }

    // Paints only where something is drawn already: hair and clothing marks stay inside the
    // head or body they lie on.
    void FillOver(int x0, int y0, int x1, int y1, std::uint8_t value)
    {
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                if (At(x, y) != kClear)
                    Set(x, y, value);
            }
        }
    }

    // Draws a solid shape with a dark edge (every pixel with a neighbour outside the shape), so
    // a head stands out from the body beneath it as well as from the background.
    template <typename Inside> void Part(Inside inside, std::uint8_t fill)
    {
        for (int y = 0; y < kFrameSide; ++y) {
            for (int x = 0; x < kFrameSide; ++x) {
                if (!inside(x, y))
                    continue;
                const bool edge = !inside(x - 1, y) || !inside(x + 1, y) || !inside(x, y - 1)
                    || !inside(x, y + 1) || x == 0 || y == 0 || x == kFrameSide - 1
                    || y == kFrameSide - 1;
                Set(x, y, edge ? kDark : fill);
            }
        }
    }

    const FramePixels& Pixels() const { return pixels_; }

private:
    FramePixels pixels_ {};
};

// A rectangle with its four corner pixels cut off, the rounded box heads and bodies are made of.
auto RoundedBox(int x0, int y0, int x1, int y1)
{
    return [=](int x, int y) {
        if (x < x0 || x > x1 || y < y0 || y > y1)
            return false;
        const bool cornerX = x == x0 || x == x1;
        const bool cornerY = y == y0 || y == y1;
        return !(cornerX && cornerY);
    };
}

// What varies between the entries. The three digits of the index in a mixed radix (5, 3, 3)
// differ for every pair of the 45 entries, so no two drawings come out alike.
struct Look {
    int hair; // people: 0 short, 1 cap, 2 long, 3 hat, 4 spiky; creatures: the ear shape
    int pattern; // people: 0 plain, 1 stripes, 2 belt and collar; creatures: the markings
    int build; // 0 small, 1 medium, 2 large
    std::uint8_t clothes; // the shade of the shirt or the creature's hide
};

Look LookOf(int index)
{
    return {index % 5, (index / 5) % 3, (index / 15) % 3, (index / 2) % 2 == 0 ? kMid : kLight};
}

std::uint8_t OtherShade(std::uint8_t shade)
{
    return shade == kMid ? kLight : kMid;
}

struct Figure {
    int headTop;
    int headBottom;
    int headHalf; // the head spans x = 8 - headHalf .. 7 + headHalf
    int bodyTop;
    int bodyHalf;
};

Figure FigureOf(int build)
{
    switch (build) {
    case 0:
        return {3, 8, 4, 9, 2};
    case 1:
        return {2, 8, 4, 9, 3};
    default:
        return {1, 7, 4, 8, 4};
    }
}

constexpr int kBodyBottom = 12;
constexpr int kLegTop = 13;

void DrawHair(Canvas& canvas, const Look& look, const Figure& f, Facing facing)
{
    const int left = 8 - f.headHalf;
    const int right = 7 + f.headHalf;
    const int top = f.headTop;
    if (facing == Facing::Up)
        canvas.FillOver(left, top, right, f.headBottom - 1, kDark);
    if (facing == Facing::Side)
        canvas.FillOver(8, top, right, f.headBottom - 1, kDark);
    switch (look.hair) {
    case 0:
        canvas.FillOver(left, top, right, top + 1, kDark);
        canvas.Set(left + 1, top + 2, kDark);
        canvas.Set(right - 1, top + 2, kDark);
        break;
    case 1:
        canvas.Part(RoundedBox(left, top, right, top + 2), look.clothes);
        if (facing == Facing::Down)
            canvas.Fill(left, top + 2, right, top + 2, kDark);
        if (facing == Facing::Side)
            canvas.Fill(left - 2, top + 2, 8, top + 2, kDark);
        break;
    case 2:
        canvas.FillOver(left, top, right, top + 2, kDark);
        canvas.Fill(left, top + 2, left, f.headBottom + 2, kDark);
        canvas.Fill(right, top + 2, right, f.headBottom + 2, kDark);
        if (facing == Facing::Up)
            canvas.Fill(left, f.headBottom, right, f.headBottom + 2, kDark);
        break;
    case 3:
        canvas.Part(RoundedBox(left + 1, std::max(0, top - 2), right - 1, top + 2),
            OtherShade(look.clothes));
        canvas.Fill(left - 1, top + 2, right + 1, top + 2, kDark);
        break;
    default:
        canvas.FillOver(left, top, right, top + 2, kDark);
        for (int x = left; x <= right; x += 2)
            canvas.Set(x, top, kClear);
        canvas.Set(left - 1, top + 2, kDark);
        canvas.Set(right + 1, top + 2, kDark);
        break;
    }
}

void DrawFace(Canvas& canvas, const Figure& f, Facing facing)
{
    const int eyeRow = f.headBottom - 2;
    if (facing == Facing::Down) {
        canvas.Set(6, eyeRow, kDark);
        canvas.Set(9, eyeRow, kDark);
    } else if (facing == Facing::Side) {
        const int front = 8 - f.headHalf;
        canvas.Set(front + 1, eyeRow, kDark);
        canvas.Set(front - 1, eyeRow + 1, kDark);
    }
}

void DrawClothing(Canvas& canvas, const Look& look, const Figure& f, int left, int right)
{
    if (look.pattern == 1) {
        for (int y = f.bodyTop + 1; y < kBodyBottom; y += 2)
            canvas.FillOver(left + 1, y, right - 1, y, OtherShade(look.clothes));
    } else if (look.pattern == 2) {
        canvas.FillOver(left + 1, kBodyBottom - 1, right - 1, kBodyBottom - 1, kDark);
        canvas.FillOver(7, f.bodyTop, 8, f.bodyTop, OtherShade(look.clothes));
    }
}

// Down and up: the leg on the stepping side is lifted by a pixel and the arm opposite it swings
// a pixel longer; `step` says which side steps, so the two frames of a pose form a walk.
void DrawFrontLimbs(Canvas& canvas, const Figure& f, int step)
{
    const int armLeft = 8 - f.bodyHalf - 1;
    const int armRight = 7 + f.bodyHalf + 1;
    const int longArm = std::min(f.bodyTop + 4, kBodyBottom);
    const int shortArm = longArm - 2;
    const int leftHand = step == 0 ? longArm : shortArm;
    const int rightHand = step == 0 ? shortArm : longArm;
    canvas.Fill(armLeft, f.bodyTop + 1, armLeft, leftHand - 1, kMid);
    canvas.Set(armLeft, leftHand, kLight);
    canvas.Fill(armRight, f.bodyTop + 1, armRight, rightHand - 1, kMid);
    canvas.Set(armRight, rightHand, kLight);
    const int leftFoot = step == 0 ? 15 : 14;
    const int rightFoot = step == 0 ? 14 : 15;
    // A narrow body gets thin legs so a gap still shows between them.
    const int legWidth = f.bodyHalf == 2 ? 1 : 2;
    canvas.Fill(8 - f.bodyHalf, kLegTop, 7 - f.bodyHalf + legWidth, leftFoot, kDark);
    canvas.Fill(8 + f.bodyHalf - legWidth, kLegTop, 7 + f.bodyHalf, rightFoot, kDark);
}

// Sideways: standing with the arm hanging, then striding with the arm swung forward.
void DrawSideLimbs(Canvas& canvas, const Figure& f, int step)
{
    if (step == 0) {
        canvas.Fill(8, f.bodyTop + 1, 8, f.bodyTop + 3, kDark);
        canvas.Set(8, f.bodyTop + 4, kLight);
        canvas.Fill(7, kLegTop, 8, 15, kDark);
        canvas.Set(6, 15, kDark);
    } else {
        canvas.Set(7, f.bodyTop + 1, kDark);
        canvas.Set(6, f.bodyTop + 2, kDark);
        canvas.Set(5, f.bodyTop + 3, kLight);
        canvas.Fill(6, kLegTop, 9, kLegTop, kDark);
        canvas.Fill(5, 14, 5, 15, kDark);
        canvas.Set(4, 15, kDark);
        canvas.Fill(10, 14, 10, 15, kDark);
    }
}

FramePixels DrawPerson(const Look& look, Facing facing, int step)
{
    const Figure f = FigureOf(look.build);
    Canvas canvas;
    const int half = facing == Facing::Side ? std::max(2, f.bodyHalf - 1) : f.bodyHalf;
    const int left = 8 - half;
    const int right = 7 + half;
    canvas.Part(RoundedBox(left, f.bodyTop, right, kBodyBottom), look.clothes);
    DrawClothing(canvas, look, f, left, right);
    canvas.Part(RoundedBox(8 - f.headHalf, f.headTop, 7 + f.headHalf, f.headBottom), kLight);
    DrawHair(canvas, look, f, facing);
    DrawFace(canvas, f, facing);
    if (facing == Facing::Side)
        DrawSideLimbs(canvas, f, step);
    else
        DrawFrontLimbs(canvas, f, step);
    return canvas.Pixels();
}

struct Blob {
    double centreX;
    double centreY;
    double radiusX;
    double radiusY;
    int top; // the first row of the body
};

Blob BlobOf(int build, Facing facing)
{
    const double radiusX = 5.0 + build;
    const double radiusY = 4.0 + build;
    // The body ends on row 13, leaving rows 14 and 15 for the feet.
    const double centreY = 14.0 - radiusY;
    const double centreX = facing == Facing::Side ? 8.5 : 8.0;
    return {centreX, centreY, radiusX, radiusY, 14 - 2 * (4 + build)};
}

void DrawEars(Canvas& canvas, const Look& look, const Blob& b)
{
    const int top = b.top;
    switch (look.hair) {
    case 0:
        for (int i = 0; i < 3; ++i) {
            canvas.Fill(4 + i, top - 2 + i, 4 + i, top, kDark);
            canvas.Fill(11 - i, top - 2 + i, 11 - i, top, kDark);
        }
        break;
    case 1:
        canvas.Part(RoundedBox(3, top - 2, 6, top + 1), look.clothes);
        canvas.Part(RoundedBox(9, top - 2, 12, top + 1), look.clothes);
        break;
    case 2:
        canvas.Fill(5, top - 4, 6, top, kDark);
        canvas.Fill(9, top - 4, 10, top, kDark);
        canvas.Set(5, top - 4, kClear);
        canvas.Set(10, top - 4, kClear);
        break;
    case 3:
        canvas.Set(4, top, kDark);
        canvas.Set(3, top - 1, kDark);
        canvas.Set(2, top - 2, kDark);
        canvas.Set(11, top, kDark);
        canvas.Set(12, top - 1, kDark);
        canvas.Set(13, top - 2, kDark);
        break;
    default:
        canvas.Fill(7, top - 2, 7, top, kDark);
        canvas.Fill(6, top - 4, 8, top - 3, kDark);
        canvas.Set(7, top - 4, kLight);
        break;
    }
}

void DrawMarkings(Canvas& canvas, const Look& look, const Blob& b)
{
    const std::uint8_t mark = OtherShade(look.clothes);
    if (look.pattern == 1) {
        const int middle = static_cast<int>(b.centreY);
        canvas.FillOver(4, middle, 4, middle + 1, mark);
        canvas.FillOver(11, middle - 1, 11, middle, mark);
        canvas.FillOver(8, middle + 2, 9, middle + 2, mark);
    } else if (look.pattern == 2) {
        canvas.FillOver(6, 11, 9, 12, mark);
    }
}

void DrawCreatureFace(Canvas& canvas, const Blob& b, Facing facing)
{
    const int eyeRow = static_cast<int>(b.centreY) - 1;
    if (facing == Facing::Down) {
        canvas.Set(5, eyeRow, kDark);
        canvas.Set(10, eyeRow, kDark);
        canvas.Fill(7, eyeRow + 2, 8, eyeRow + 2, kDark);
    } else if (facing == Facing::Up) {
        canvas.Fill(7, 12, 8, 13, kDark);
    } else {
        const int front = static_cast<int>(b.centreX - b.radiusX) + 1;
        canvas.Set(front + 1, eyeRow, kDark);
        canvas.Set(front, eyeRow + 2, kDark);
        canvas.Set(15, eyeRow + 1, kDark);
        canvas.Set(14, eyeRow + 2, kDark);
    }
}

void DrawFeet(Canvas& canvas, Facing facing, int step)
{
    if (facing == Facing::Side) {
        if (step == 0) {
            canvas.Fill(6, 14, 7, 15, kDark);
            canvas.Fill(10, 14, 11, 15, kDark);
        } else {
            canvas.Fill(4, 14, 5, 14, kDark);
            canvas.Set(4, 15, kDark);
            canvas.Fill(12, 14, 13, 14, kDark);
            canvas.Set(13, 15, kDark);
        }
        return;
    }
    canvas.Fill(4, 14, 5, step == 0 ? 15 : 14, kDark);
    canvas.Fill(10, 14, 11, step == 0 ? 14 : 15, kDark);
}

FramePixels DrawCreature(const Look& look, Facing facing, int step)
{
    const Blob b = BlobOf(look.build, facing);
    Canvas canvas;
    DrawEars(canvas, look, b);
    canvas.Part(
        [&](int x, int y) {
            const double dx = (x + 0.5 - b.centreX) / b.radiusX;
            const double dy = (y + 0.5 - b.centreY) / b.radiusY;
            return dx * dx + dy * dy <= 1.0;
        },
        look.clothes);
    DrawMarkings(canvas, look, b);
    DrawCreatureFace(canvas, b, facing);
    DrawFeet(canvas, facing, step);
    return canvas.Pixels();
}

void PutText(std::vector<std::uint8_t>& rom, std::size_t at, std::string_view text)
{
    for (const char c : text)
        rom[at++] = static_cast<std::uint8_t>(c);
}

// A header laid out as a cartridge's is, so that tools which peek at the title and the
// checksums see something sensible. The 48 bytes a cartridge keeps for its boot logo stay zero:
// this image is for the editor, not for hardware.
void WriteHeader(std::vector<std::uint8_t>& rom)
{
    constexpr std::array<std::uint8_t, 4> kEntry = {0x00, 0xC3, 0x50, 0x01}; // nop; jp 0x0150
    for (std::size_t i = 0; i < kEntry.size(); ++i)
        rom[0x100 + i] = kEntry[i];
    PutText(rom, 0x134, "MORVANE DEMO");
    rom[0x147] = 0x01; // a bank-switching cartridge: 1 MiB is more than the CPU can address
    rom[0x148] = 0x05; // 32 KiB << 5 = 1 MiB
    rom[0x14A] = 0x01;
    // The program at the entry point only stops the CPU: di; halt; jr back to the halt.
    constexpr std::array<std::uint8_t, 4> kIdle = {0xF3, 0x76, 0x18, 0xFD};
    for (std::size_t i = 0; i < kIdle.size(); ++i)
        rom[0x150 + i] = kIdle[i];

    std::uint8_t headerSum = 0;
    for (std::size_t i = 0x134; i <= 0x14C; ++i)
        headerSum = static_cast<std::uint8_t>(headerSum - rom[i] - 1);
    rom[0x14D] = headerSum;
}

void WriteGlobalChecksum(std::vector<std::uint8_t>& rom)
{
    std::uint16_t sum = 0;
    for (std::size_t i = 0; i < rom.size(); ++i) {
        if (i != 0x14E && i != 0x14F)
            sum = static_cast<std::uint16_t>(sum + rom[i]);
    }
    rom[0x14E] = static_cast<std::uint8_t>(sum >> 8);
    rom[0x14F] = static_cast<std::uint8_t>(sum & 0xFF);
}

} // namespace

SpriteBlock DemoSprite(int index)
{
    SpriteBlock block {};
    if (index < 0 || index >= kSpriteCount)
        return block;
    const Look look = LookOf(index);
    // Labels may carry trailing spaces; "Morvane" marks the generic creature entries.
    const std::string_view label = SpriteLabel(index);
    const bool creature = label.substr(0, label.find_last_not_of(' ') + 1) == "Morvane";
    constexpr std::array<Facing, 3> kPoses = {Facing::Down, Facing::Up, Facing::Side};
    for (int step = 0; step < 2; ++step) {
        for (int pose = 0; pose < 3; ++pose) {
            const Facing facing = kPoses[static_cast<std::size_t>(pose)];
            const FramePixels pixels
                = creature ? DrawCreature(look, facing, step) : DrawPerson(look, facing, step);
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
        const std::size_t at
            = static_cast<std::size_t>(*SpriteOffsetValue(static_cast<std::int16_t>(index)));
        const SpriteBlock block = DemoSprite(index);
        for (std::size_t i = 0; i < block.size(); ++i)
            rom[at + i] = block[i];
    }
    WriteGlobalChecksum(rom);
    return rom;
}

} // namespace morvane
