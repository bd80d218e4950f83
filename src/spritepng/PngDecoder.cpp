#include "PngDecoder.h"

#include "SpritePngError.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>
#include <string>
#include <string_view>

namespace morvane {

namespace {

// A PNG file: the 8-byte signature, then chunks of
//
//     length (4 bytes, big-endian) | type (4 letters) | data (length bytes) | CRC-32 (4 bytes)
//
// IHDR first, PLTE and tRNS before the pixels, the pixels as one zlib stream spread over
// consecutive IDAT chunks, IEND last. libpng walks the chunks and unpacks the pixels in one pass
// as the file is pushed through it; this file configures it for images of one known size and
// turns what it finds into the reasons a user reads.
constexpr std::string_view kSignature("\x89PNG\r\n\x1a\n", 8);
// The signature, then the length and type of the first chunk, which must be the 13-byte header.
constexpr std::size_t kHeaderEnd = 8 + 8 + 13 + 4;

// No chunk a sprite image needs comes near this: palettes are at most 768 bytes, and libpng
// lets pixel data chunks grow to what an image of the file's size can need. Metadata a paint
// program adds (text, colour profiles) stays well below it.
constexpr png_alloc_size_t kMaxChunkBytes = 64 * 1024;

constexpr png_uint_32 ChunkType(const char (&name)[5])
{
    return png_uint_32(std::uint8_t(name[0])) << 24 | png_uint_32(std::uint8_t(name[1])) << 16
        | png_uint_32(std::uint8_t(name[2])) << 8 | png_uint_32(std::uint8_t(name[3]));
}

std::string ChunkName(png_uint_32 type)
{
    std::string name;
    for (int shift = 24; shift >= 0; shift -= 8)
        name += char(type >> shift & 0xFF);
    return name;
}

std::string SizeText(int width, int height)
{
    return std::to_string(width) + " x " + std::to_string(height);
}

// What libpng stopped for, noted by the callbacks. They run inside libpng's C code, which no
// exception may cross, so each notes the first reason and leaves through png_longjmp; DecodePng
// explains it once libpng has let go. Nothing here allocates, so noting cannot fail.
struct Reading {
    PixelSize expected;
    // The first stop: libpng's words (or this file's own, for the faults only it sees) and the
    // chunk being read.
    std::array<char, 128> message {};
    png_uint_32 chunk = 0;
    // Whether every complaint about the header was about its size.
    bool sizeWrong = false;
    bool headerDamaged = false;
    // Set once the last row of the last pass has arrived, and once IEND has been read.
    bool rowsDone = false;
    bool ended = false;
    bool indexed = false;
    int lastPass = 0;
    png_size_t rowBytes = 0;
    // Room for the widest rows the image can give (four bytes a pixel), allocated before libpng
    // runs, and the palette with the alpha of any tRNS chunk.
    std::vector<png_byte> pixels {};
    std::array<Argb, PNG_MAX_PALETTE_LENGTH> palette {};
    int paletteSize = 0;

    void Note(png_structp png, std::string_view what)
    {
        if (message[0] != '\0')
            return;
        chunk = png_get_io_chunk_type(png);
        const std::size_t length = std::min(what.size(), message.size() - 1);
        std::memcpy(message.data(), what.data(), length);
        message[length] = '\0';
    }

    [[noreturn]] void Stop(png_structp png, std::string_view what)
    {
        Note(png, what);
        png_longjmp(png, 1);
    }

    std::string_view Message() const { return message.data(); }
};

Reading& ReadingOf(png_structp png)
{
    return *static_cast<Reading*>(png_get_error_ptr(png));
}

// The one fault only this file sees, noted in libpng's words' place, and the two warnings of
// libpng that refuse the file.
constexpr std::string_view kWrongSize = "wrong size";
constexpr std::string_view kUnpacksTooLong = "Extra compressed data in IDAT";
constexpr std::string_view kStreamDamaged = "Truncated compressed data in IDAT";

void OnError(png_structp png, png_const_charp message)
{
    ReadingOf(png).Stop(png, message);
}

// libpng warns where it mends a file and carries on. It carries on rightly for a damaged chunk
// the picture does not depend on (dropped) and for bytes after the end of the pixel stream
// (ignored); the rest would have it read another picture than the file holds.
void OnWarning(png_structp png, png_const_charp text)
{
    Reading& reading = ReadingOf(png);
    const std::string_view message(text);
    const png_uint_32 chunk = png_get_io_chunk_type(png);
    if (chunk == ChunkType("IHDR")) {
        // Each fault of the header is one warning before libpng refuses it as a whole.
        const bool size = message.starts_with("Image width") || message.starts_with("Image height");
        (size ? reading.sizeWrong : reading.headerDamaged) = true;
    } else if (chunk == ChunkType("tRNS") && message.ends_with("CRC error")) {
        reading.Stop(png, message);
    } else if (message == kUnpacksTooLong || message == kStreamDamaged) {
        // More output after the last row, or a stream broken after it.
        reading.Stop(png, message);
    }
}

// The header and any palette have been read and the pixels come next: the size is checked and
// libpng set to give palette indices as they are stored and every other kind as 8-bit RGBA.
void OnHeader(png_structp png, png_infop info)
{
    Reading& reading = ReadingOf(png);
    if (png_get_image_width(png, info) != png_uint_32(reading.expected.width)
        || png_get_image_height(png, info) != png_uint_32(reading.expected.height))
        reading.Stop(png, kWrongSize);
    reading.indexed = png_get_color_type(png, info) == PNG_COLOR_TYPE_PALETTE;
    if (reading.indexed) {
        png_colorp entries = nullptr;
        png_get_PLTE(png, info, &entries, &reading.paletteSize);
        png_bytep alpha = nullptr;
        int alphas = 0;
        png_get_tRNS(png, info, &alpha, &alphas, nullptr);
        for (int i = 0; i < reading.paletteSize; ++i)
            reading.palette[std::size_t(i)] = MakeArgb(
                entries[i].red, entries[i].green, entries[i].blue, i < alphas ? alpha[i] : 255);
        png_set_packing(png);
    } else {
        // Grey levels of fewer bits become 8-bit ones and a tRNS chunk becomes alpha; 16-bit
        // samples are rounded to 8 bits, as the window's image conversions round them.
        png_set_expand(png);
        png_set_scale_16(png);
        png_set_gray_to_rgb(png);
        png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    reading.rowBytes = png_get_rowbytes(png, info);
    if (png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7) {
        const png_uint_32 width = png_get_image_width(png, info);
        const png_uint_32 height = png_get_image_height(png, info);
        for (int pass = 0; pass < 7; ++pass) {
            if (PNG_PASS_COLS(width, pass) > 0 && PNG_PASS_ROWS(height, pass) > 0)
                reading.lastPass = pass;
        }
    }
}

// One row of one pass: libpng places an interlaced pass's pixels among those of the passes
// before it.
void OnRow(png_structp png, png_bytep row, png_uint_32 number, int pass)
{
    Reading& reading = ReadingOf(png);
    png_progressive_combine_row(png, reading.pixels.data() + number * reading.rowBytes, row);
    if (pass == reading.lastPass && number + 1 == png_uint_32(reading.expected.height))
        reading.rowsDone = true;
}

void OnEnd(png_structp png, png_infop)
{
    ReadingOf(png).ended = true;
}

// Owns libpng's two structures for one file.
class PngReader {
public:
    explicit PngReader(Reading& reading)
        : png_(png_create_read_struct(PNG_LIBPNG_VER_STRING, &reading, OnError, OnWarning)),
          info_(png_ ? png_create_info_struct(png_) : nullptr)
    {
        if (!info_) {
            png_destroy_read_struct(&png_, &info_, nullptr);
            throw std::bad_alloc();
        }
    }
    ~PngReader() { png_destroy_read_struct(&png_, &info_, nullptr); }
    PngReader(const PngReader&) = delete;
    PngReader& operator=(const PngReader&) = delete;

    // Pushes the whole file through libpng; false when it stopped early. No object of this
    // frame or of the callbacks needs destroying, so libpng may leave it by png_longjmp.
    bool Read(std::span<const std::uint8_t> file)
    {
        if (setjmp(png_jmpbuf(png_)) != 0)
            return false;
        Reading& reading = ReadingOf(png_);
        png_set_user_limits(
            png_, png_uint_32(reading.expected.width), png_uint_32(reading.expected.height));
        png_set_chunk_malloc_max(png_, kMaxChunkBytes);
        // What libpng forgives with a warning and a guess, such as a palette entry past the
        // palette's end in a tRNS chunk, refuses the file instead.
        png_set_benign_errors(png_, 0);
        // Only the header, palette, transparency and pixels matter to a sprite; other chunks
        // are skipped unread, their checksums still checked.
        png_set_keep_unknown_chunks(png_, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_set_progressive_read_fn(png_, nullptr, OnHeader, OnRow, OnEnd);
        png_process_data(png_, info_, const_cast<png_bytep>(file.data()), file.size());
        return true;
    }

    // The size the header claims, known once libpng has read the header, even when it refused it.
    std::pair<png_uint_32, png_uint_32> ClaimedSize() const
    {
        return {png_get_image_width(png_, info_), png_get_image_height(png_, info_)};
    }

private:
    png_structp png_;
    png_infop info_;
};

// Why libpng stopped, in the words of this program.
std::string Reason(const Reading& reading)
{
    const std::string_view message = reading.Message();
    const std::string chunk = ChunkName(reading.chunk);
    const std::string size = SizeText(reading.expected.width, reading.expected.height);
    const auto is = [&](const char(&type)[5]) { return reading.chunk == ChunkType(type); };
    const auto says = [&](std::string_view words) { return message.find(words) != message.npos; };
    if (says("CRC error"))
        return "its " + chunk + " chunk is damaged (its checksum is wrong)";
    if (message == kUnpacksTooLong)
        return "its pixel data unpacks to more than a " + size + " image holds";
    // Before the last row libpng calls any damage to the zlib stream a checksum mismatch, and
    // after it a truncated stream.
    if (message == kStreamDamaged || says("Decompression error") || says("ADLER32"))
        return "its pixel data is damaged (it does not unpack as a zlib stream)";
    if (says("bad adaptive filter"))
        return "its pixel data is damaged (a row has an unknown filter)";
    if (says("Not enough compressed data"))
        return is("IEND") ? std::string("its pixel data is cut short")
                          : "its pixel data is cut short or split by other chunks (a " + chunk
                + " chunk comes before its end)";
    if (says("Too many IDATs"))
        return "its pixel data is split by other chunks";
    if (says("Missing PLTE"))
        return "its palette is missing";
    if (says("unhandled critical chunk"))
        return "it holds a " + chunk + " chunk this program does not know";
    if (says("chunk data is too large"))
        return "its " + chunk + " chunk is larger than a " + size + " image can need";
    if (is("IHDR"))
        return "its header is damaged";
    if (says("invalid chunk type"))
        return "a chunk's type is damaged (" + std::string(message.substr(0, message.find(':')))
            + ")";
    if (says("out of place"))
        return is("IEND") ? std::string("it holds no pixel data")
                          : "its " + chunk + " chunk is out of place";
    if (is("PLTE") && says("grayscale"))
        return "it holds a palette, which a grey-level image may not";
    if (is("PLTE"))
        return "its palette is damaged";
    // The rest are rare enough to be told in libpng's words, after the chunk they concern.
    const std::string named = chunk + ": ";
    const std::string_view words = message.substr(message.starts_with(named) ? named.size() : 0);
    return "its " + chunk + " chunk is damaged (" + std::string(words) + ")";
}

} // namespace

PngPicture DecodePng(std::span<const std::uint8_t> file, PixelSize expected, std::string_view kind,
    std::string_view subject)
{
    const auto refuse = [&](std::string_view why) {
        throw SpritePngError(std::string(subject) + " cannot be read: " + std::string(why) + ".");
    };
    const std::string_view text(reinterpret_cast<const char*>(file.data()), file.size());
    if (!text.starts_with(kSignature))
        refuse(file.empty() ? "the file is empty" : "it is not a PNG image");
    // libpng skips an optional chunk before the header; a sprite image file starts with it.
    if (file.size() < kHeaderEnd || text.substr(12, 4) != "IHDR")
        refuse("its header is damaged or incomplete");

    Reading reading {expected};
    const std::size_t pixels = std::size_t(expected.width) * std::size_t(expected.height);
    reading.pixels.resize(4 * pixels);
    PngReader reader(reading);
    if (!reader.Read(file)) {
        const bool wrongSize = reading.Message() == kWrongSize
            || (reading.sizeWrong && !reading.headerDamaged && reading.chunk == ChunkType("IHDR"));
        if (!wrongSize)
            refuse(Reason(reading));
        const auto [width, height] = reader.ClaimedSize();
        throw SpritePngError(std::string(subject) + " is " + std::to_string(width) + " x "
            + std::to_string(height) + " pixels; " + std::string(kind) + " must be "
            + SizeText(expected.width, expected.height) + ".");
    }
    if (!reading.ended)
        refuse("the file is cut short");
    if (!reading.rowsDone)
        refuse("its pixel data is cut short");

    PngPicture picture;
    picture.width = expected.width;
    picture.height = expected.height;
    picture.indexed = reading.indexed;
    if (picture.indexed) {
        picture.palette.assign(
            reading.palette.begin(), reading.palette.begin() + reading.paletteSize);
        picture.indices.assign(reading.pixels.begin(), reading.pixels.begin() + pixels);
        return picture;
    }
    picture.colours.resize(pixels);
    for (std::size_t at = 0; at < pixels; ++at) {
        const png_byte* rgba = reading.pixels.data() + 4 * at;
        picture.colours[at] = MakeArgb(rgba[0], rgba[1], rgba[2], rgba[3]);
    }
    return picture;
}

} // namespace morvane
