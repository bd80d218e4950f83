#include "BpsPatch.h"

#include "BpsEncoder.h"
#include "BpsNumber.h"
#include "PatchError.h"
#include "base/MessageText.h"

#include <algorithm>
#include <array>
#include <string>

#include <zlib.h>

namespace morvane {

namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'B', 'P', 'S', '1'};
// The three checksums that close every patch: source, target, patch.
constexpr std::size_t kFooterBytes = 12;
// The magic, three one-byte numbers and the checksums: nothing shorter can be a patch.
constexpr std::size_t kSmallestPatch = kMagic.size() + 3 + kFooterBytes;

std::string Bytes(std::uint64_t count)
{
    return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>((value >> shift) & 0xFFu));
}

std::uint32_t LittleEndian(std::span<const std::uint8_t> bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8
        | static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

// The CRC-32 of zip and PNG, as zlib computes it: the checksum a patch carries for its source,
// its target and itself.
std::uint32_t Crc32(std::span<const std::uint8_t> data)
{
    return static_cast<std::uint32_t>(crc32_z(0, data.data(), data.size()));
}

PatchError Damaged(const std::string& what)
{
    return PatchError("the patch is damaged: " + what);
}

// Copies and relative moves are checked in signed arithmetic: every value read is below 2^57
// (kMaxBpsNumberBytes), so no sum of two of them can overflow.
std::int64_t MoveBy(std::int64_t from, std::uint64_t encoded)
{
    const auto distance = static_cast<std::int64_t>(encoded >> 1);
    return (encoded & 1u) != 0 ? from - distance : from + distance;
}

} // namespace

std::vector<std::uint8_t> MakeBpsPatch(
    std::span<const std::uint8_t> source, std::span<const std::uint8_t> target)
{
    if (source.size() > kBpsMaxTargetSize)
        throw PatchError("the original image has " + Bytes(source.size())
            + ", more than the 64 MiB a patch may start from");
    if (target.size() > kBpsMaxTargetSize)
        throw PatchError("the edited image has " + Bytes(target.size())
            + ", more than the 64 MiB a patch may build");

    std::vector<std::uint8_t> patch(kMagic.begin(), kMagic.end());
    AppendBpsNumber(patch, source.size());
    AppendBpsNumber(patch, target.size());
    AppendBpsNumber(patch, 0);
    AppendBpsActions(patch, source, target);
    PutLittleEndian(patch, Crc32(source));
    PutLittleEndian(patch, Crc32(target));
    PutLittleEndian(patch, Crc32(patch));
    return patch;
}

std::vector<std::uint8_t> ApplyBpsPatch(
    std::span<const std::uint8_t> source, std::span<const std::uint8_t> patch)
{
    if (patch.size() < kMagic.size() || !std::equal(kMagic.begin(), kMagic.end(), patch.begin()))
        throw PatchError("this is not a BPS patch: it does not begin with \"BPS1\"");
    if (patch.size() < kSmallestPatch)
        throw Damaged("it is too short to hold its checksums (" + Bytes(patch.size()) + ")");

    const std::size_t footer = patch.size() - kFooterBytes;
    const std::uint32_t sourceCrc = LittleEndian(patch.subspan(footer, 4));
    const std::uint32_t targetCrc = LittleEndian(patch.subspan(footer + 4, 4));
    const std::uint32_t patchCrc = LittleEndian(patch.subspan(footer + 8, 4));
    const std::uint32_t patchActual = Crc32(patch.first(footer + 8));
    if (patchActual != patchCrc)
        throw Damaged("its own checksum is " + Hex(patchCrc, 8) + ", but its contents give "
            + Hex(patchActual, 8));

    // Everything that follows is read from the actions' part alone, so no number or action can
    // reach into the checksums.
    const std::span<const std::uint8_t> body = patch.first(footer);
    std::size_t at = kMagic.size();
    const std::uint64_t sourceSize = ReadBpsNumber(body, at);
    const std::uint64_t targetSize = ReadBpsNumber(body, at);
    const std::uint64_t descriptionSize = ReadBpsNumber(body, at);
    if (descriptionSize > body.size() - at)
        throw Damaged("its description runs past the end of the patch");
    at += static_cast<std::size_t>(descriptionSize);

    if (sourceSize != source.size())
        throw PatchError("this patch was made for another image: it expects an image of "
            + Bytes(sourceSize) + ", this image has " + Bytes(source.size()));
    const std::uint32_t sourceActual = Crc32(source);
    if (sourceActual != sourceCrc)
        throw PatchError("this patch was made for another image: its source checksum is "
            + Hex(sourceCrc, 8) + ", this image's is " + Hex(sourceActual, 8));
    if (targetSize > kBpsMaxTargetSize)
        throw PatchError("the patch would build an image of " + Bytes(targetSize)
            + ", more than the 64 MiB allowed");

    // Reserve no more than the patch could plausibly build without long copies; a forged size
    // alone allocates nothing.
    std::vector<std::uint8_t> image;
    image.reserve(std::min<std::uint64_t>(targetSize, source.size() + patch.size()));
    std::int64_t sourceOffset = 0;
    std::int64_t targetOffset = 0;
    const auto sourceEnd = static_cast<std::int64_t>(source.size());
    while (at < body.size()) {
        const std::size_t actionAt = at;
        const auto refuse = [&](const std::string& what) {
            return Damaged("the action at patch byte " + std::to_string(actionAt) + " " + what);
        };
        const std::uint64_t word = ReadBpsNumber(body, at);
        const std::uint64_t length = (word >> 2) + 1;
        if (length > targetSize - image.size())
            throw refuse("would make the image longer than the " + Bytes(targetSize)
                + " the patch declares");
        const auto count = static_cast<std::size_t>(length);

        switch (static_cast<BpsAction>(word & 3u)) {
        case BpsAction::SourceRead: {
            const std::size_t from = image.size();
            if (from > source.size() || count > source.size() - from)
                throw refuse("reads past the end of the original image");
            const auto first = source.begin() + static_cast<std::ptrdiff_t>(from);
            image.insert(image.end(), first, first + static_cast<std::ptrdiff_t>(count));
            break;
        }
        case BpsAction::TargetRead: {
            if (count > body.size() - at)
                throw refuse("runs past the end of the patch");
            const auto first = body.begin() + static_cast<std::ptrdiff_t>(at);
            image.insert(image.end(), first, first + static_cast<std::ptrdiff_t>(count));
            at += count;
            break;
        }
        case BpsAction::SourceCopy: {
            const std::int64_t from = MoveBy(sourceOffset, ReadBpsNumber(body, at));
            if (from < 0 || from > sourceEnd || static_cast<std::int64_t>(count) > sourceEnd - from)
                throw refuse("copies from outside the original image");
            const auto first = source.begin() + static_cast<std::ptrdiff_t>(from);
            image.insert(image.end(), first, first + static_cast<std::ptrdiff_t>(count));
            sourceOffset = from + static_cast<std::int64_t>(count);
            break;
        }
        case BpsAction::TargetCopy: {
            const std::int64_t from = MoveBy(targetOffset, ReadBpsNumber(body, at));
            if (from < 0 || from >= static_cast<std::int64_t>(image.size()))
                throw refuse("copies from outside the part of the image built so far");
            // As if byte by byte: a copy that starts `period` bytes behind the end, and runs
            // further than that, repeats those bytes. Copied in pieces that double, each a whole
            // number of repeats taken from what is already written.
            const auto first = static_cast<std::size_t>(from);
            const std::size_t start = image.size();
            const std::size_t period = start - first;
            image.resize(start + count);
            std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(first), std::min(count, period),
                image.begin() + static_cast<std::ptrdiff_t>(start));
            for (std::size_t done = std::min(count, period); done < count;) {
                const std::size_t piece = std::min(done, count - done);
                std::copy_n(image.begin() + static_cast<std::ptrdiff_t>(start), piece,
                    image.begin() + static_cast<std::ptrdiff_t>(start + done));
                done += piece;
            }
            targetOffset = from + static_cast<std::int64_t>(count);
            break;
        }
        }
    }

    if (image.size() != targetSize)
        throw Damaged(
            "it builds an image of " + Bytes(image.size()) + " but declares " + Bytes(targetSize));
    const std::uint32_t targetActual = Crc32(image);
    if (targetActual != targetCrc)
        throw Damaged("the patched image's checksum is " + Hex(targetActual, 8)
            + ", but the patch expects " + Hex(targetCrc, 8));
    return image;
}

} // namespace morvane
