#include "IpsPatch.h"

#include "PatchError.h"
#include "base/MessageText.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace morvane {

namespace {

constexpr std::array<std::uint8_t, 5> kHeader = {'P', 'A', 'T', 'C', 'H'};
constexpr std::array<std::uint8_t, 3> kFooter = {'E', 'O', 'F'};

// A record at this offset would begin with the bytes "EOF" and end the patch early.
constexpr std::size_t kEofOffset = 0x454F46;
constexpr std::size_t kMaxRecordLength = 0xFFFF;
// Offset and size: what every record costs before its data.
constexpr std::size_t kRecordHeaderBytes = 5;

// One record to be written: `length` bytes of the edited image at `offset`, either as they are
// or, when all of them are one value, as a run.
struct Piece {
    std::size_t offset;
    std::size_t length;
    bool run;
};

// Finds the stretches of changed bytes; past the original's end every byte of the edited image
// counts as changed, so the records that grow the image leave no gap a patcher would have to
// fill. An unchanged gap shorter than a record header costs less carried inside the record than
// a new record would, so such gaps join their neighbours.
std::vector<std::pair<std::size_t, std::size_t>> ChangedStretches(
    std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited)
{
    std::vector<std::pair<std::size_t, std::size_t>> stretches;
    const std::size_t size = edited.size();
    const std::size_t common = std::min(original.size(), size);
    const auto same = [&](std::size_t at) { return at < common && original[at] == edited[at]; };
    std::size_t at = 0;
    while (at < size) {
        at = static_cast<std::size_t>(
            std::mismatch(original.begin() + static_cast<std::ptrdiff_t>(at),
                original.begin() + static_cast<std::ptrdiff_t>(common),
                edited.begin() + static_cast<std::ptrdiff_t>(at))
                .first
            - original.begin());
        if (at == size)
            break;
        std::size_t end = at;
        for (;;) {
            while (end < size && !same(end))
                ++end;
            std::size_t gap = 0;
            while (end + gap < size && gap < kRecordHeaderBytes && same(end + gap))
                ++gap;
            if (end + gap == size || gap == kRecordHeaderBytes)
                break;
            end += gap;
        }
        stretches.emplace_back(at, end);
        at = end;
    }
    return stretches;
}

void AddPieces(std::vector<Piece>& pieces, std::size_t offset, std::size_t length, bool run)
{
    while (length > 0) {
        const std::size_t part = std::min(length, kMaxRecordLength);
        pieces.push_back({offset, part, run});
        offset += part;
        length -= part;
    }
}

// Cuts one stretch into literal records and run records. A run record costs 8 bytes, and
// breaking a literal record around it costs another 5 for the second half, so a repeat is worth
// its own record only when it is longer than what it adds.
void SplitStretch(std::vector<Piece>& pieces, std::span<const std::uint8_t> edited,
    std::size_t begin, std::size_t end)
{
    std::size_t literal = begin;
    std::size_t at = begin;
    while (at < end) {
        std::size_t repeat = 1;
        while (at + repeat < end && edited[at + repeat] == edited[at])
            ++repeat;
        const bool opensRecord = at == literal;
        const bool closesStretch = at + repeat == end;
        const std::size_t worth = opensRecord && closesStretch ? 4
            : opensRecord || closesStretch                     ? 9
                                                               : 14;
        if (repeat >= worth) {
            AddPieces(pieces, literal, at - literal, false);
            AddPieces(pieces, at, repeat, true);
            literal = at + repeat;
        }
        at += repeat;
    }
    AddPieces(pieces, literal, end - literal, false);
}

// A piece that would start at 0x454F46 is moved off it. Every piece writes the edited image's
// bytes, so a record may cover an unchanged byte or overlap the one before it harmlessly: a
// literal record simply starts one byte earlier; a run, or a literal already at its longest,
// gives up its first byte to a two-byte literal record over 0x454F45 and 0x454F46, and is
// dropped if that was its only byte, since a record of no bytes ends the patch for some readers
// and is refused by ours.
void AvoidEofOffset(std::vector<Piece>& pieces)
{
    const auto hit = std::find_if(
        pieces.begin(), pieces.end(), [](const Piece& p) { return p.offset == kEofOffset; });
    if (hit == pieces.end())
        return;
    if (!hit->run && hit->length < kMaxRecordLength) {
        --hit->offset;
        ++hit->length;
        return;
    }
    ++hit->offset;
    --hit->length;
    const auto after = hit->length == 0 ? pieces.erase(hit) : hit;
    pieces.insert(after, Piece {kEofOffset - 1, 2, false});
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::size_t value, int bytes)
{
    for (int shift = 8 * (bytes - 1); shift >= 0; shift -= 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
}

std::size_t BigEndian(std::span<const std::uint8_t> bytes)
{
    std::size_t value = 0;
    for (const std::uint8_t b : bytes)
        value = (value << 8) | b;
    return value;
}

PatchError Damaged(const std::string& what)
{
    return PatchError("the patch is damaged: " + what);
}

// Where a record writes its `length` bytes at `offset`; a record reaching past the end grows the
// image, any gap before it zero.
std::uint8_t* MakeRoom(std::vector<std::uint8_t>& image, std::size_t offset, std::size_t length)
{
    if (offset + length > image.size())
        image.resize(offset + length);
    return image.data() + offset;
}

} // namespace

std::vector<std::uint8_t> MakeIpsPatch(
    std::span<const std::uint8_t> original, std::span<const std::uint8_t> edited)
{
    const bool shorter = edited.size() < original.size();
    if (shorter && edited.size() > kIpsMaxOffset)
        throw PatchError("an IPS patch can cut an image short only to less than 16 MiB, and the "
                         "edited image has "
            + std::to_string(edited.size()) + " bytes; make a BPS patch instead");

    std::vector<Piece> pieces;
    for (const auto& [begin, end] : ChangedStretches(original, edited))
        SplitStretch(pieces, edited, begin, end);
    AvoidEofOffset(pieces);

    std::vector<std::uint8_t> patch(kHeader.begin(), kHeader.end());
    for (const Piece& piece : pieces) {
        if (piece.offset > kIpsMaxOffset)
            throw PatchError(
                "an IPS patch cannot reach bytes past 16 MiB, and the images differ at "
                "offset "
                + Hex(piece.offset) + "; make a BPS patch instead");
        PutBigEndian(patch, piece.offset, 3);
        if (piece.run) {
            PutBigEndian(patch, 0, 2);
            PutBigEndian(patch, piece.length, 2);
            patch.push_back(edited[piece.offset]);
        } else {
            PutBigEndian(patch, piece.length, 2);
            const auto from = edited.begin() + static_cast<std::ptrdiff_t>(piece.offset);
            patch.insert(patch.end(), from, from + static_cast<std::ptrdiff_t>(piece.length));
        }
    }
    patch.insert(patch.end(), kFooter.begin(), kFooter.end());
    // The length the image is cut to, as the patchers that read IPS of other lengths expect it.
    if (shorter)
        PutBigEndian(patch, edited.size(), 3);
    return patch;
}

std::vector<std::uint8_t> ApplyIpsPatch(
    std::span<const std::uint8_t> rom, std::span<const std::uint8_t> patch)
{
    if (patch.size() < kHeader.size() || !std::equal(kHeader.begin(), kHeader.end(), patch.begin()))
        throw PatchError("this is not an IPS patch: it does not begin with \"PATCH\"");

    std::vector<std::uint8_t> image(rom.begin(), rom.end());
    std::size_t at = kHeader.size();
    for (;;) {
        const std::size_t left = patch.size() - at;
        if (left < kFooter.size())
            throw Damaged("it ends without the \"EOF\" that closes it");
        if (std::equal(
                kFooter.begin(), kFooter.end(), patch.begin() + static_cast<std::ptrdiff_t>(at))) {
            at += kFooter.size();
            break;
        }
        const std::size_t record = at;
        const auto cutOff = [&] {
            return Damaged(
                "it ends in the middle of the record at patch byte " + std::to_string(record));
        };
        if (left < kRecordHeaderBytes)
            throw cutOff();
        const std::size_t offset = BigEndian(patch.subspan(at, 3));
        const std::size_t length = BigEndian(patch.subspan(at + 3, 2));
        at += kRecordHeaderBytes;
        if (length == 0) {
            if (patch.size() - at < 3)
                throw cutOff();
            const std::size_t count = BigEndian(patch.subspan(at, 2));
            if (count == 0)
                throw Damaged("the run record at patch byte " + std::to_string(record)
                    + " repeats its byte zero times");
            std::fill_n(MakeRoom(image, offset, count), count, patch[at + 2]);
            at += 3;
        } else {
            if (patch.size() - at < length)
                throw cutOff();
            std::copy_n(patch.begin() + static_cast<std::ptrdiff_t>(at), length,
                MakeRoom(image, offset, length));
            at += length;
        }
    }

    const std::size_t trailing = patch.size() - at;
    if (trailing == 3) {
        const std::size_t length = BigEndian(patch.subspan(at, 3));
        if (length > image.size())
            throw Damaged("the length after its \"EOF\", " + std::to_string(length)
                + " bytes, is longer than the patched image (" + std::to_string(image.size())
                + " bytes)");
        image.resize(length);
    } else if (trailing != 0) {
        throw Damaged(std::to_string(trailing) + " stray bytes follow its \"EOF\"");
    }
    return image;
}

} // namespace morvane
