#include "PngEncoder.h"

#include "SpritePngError.h"

#include <png.h>

#include <csetjmp>
#include <string>

namespace morvane {

namespace {

// libpng's C code may not be crossed by an exception: the callbacks note libpng's reason and
// leave through png_longjmp, and EncodePng turns it into the refusal afterwards.
struct Writing {
    std::vector<std::uint8_t>* out = nullptr;
    std::string reason;
};

void OnError(png_structp png, png_const_charp message)
{
    auto& writing = *static_cast<Writing*>(png_get_error_ptr(png));
    try {
        writing.reason = message;
    } catch (...) {
        // The reason stays empty: the refusal still says the picture cannot be made.
    }
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) { }

void OnWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto& writing = *static_cast<Writing*>(png_get_io_ptr(png));
    bool stored = true;
    try {
        writing.out->insert(writing.out->end(), data, data + length);
    } catch (...) {
        stored = false;
    }
    // Left outside the handler: png_error never returns.
    if (!stored)
        png_error(png, "out of memory");
}

void OnFlush(png_structp) { }

int BitDepthFor(std::size_t colours)
{
    return colours <= 2 ? 1 : colours <= 4 ? 2 : colours <= 16 ? 4 : 8;
}

// Owns libpng's two structures for one file. Only plain data lives in the frame that libpng may
// leave by png_longjmp.
class PngWriter {
public:
    explicit PngWriter(Writing& writing)
        : png_(png_create_write_struct(PNG_LIBPNG_VER_STRING, &writing, OnError, OnWarning)),
          info_(png_ ? png_create_info_struct(png_) : nullptr)
    {
        if (!info_) {
            png_destroy_write_struct(&png_, &info_);
            throw std::bad_alloc();
        }
        png_set_write_fn(png_, &writing, OnWrite, OnFlush);
    }
    ~PngWriter() { png_destroy_write_struct(&png_, &info_); }
    PngWriter(const PngWriter&) = delete;
    PngWriter& operator=(const PngWriter&) = delete;

    bool Write(const IndexedImage& image, png_color* palette, png_bytep* rows)
    {
        if (setjmp(png_jmpbuf(png_)) != 0)
            return false;
        png_set_IHDR(png_, info_, png_uint_32(image.width), png_uint_32(image.height),
            BitDepthFor(image.palette.size()), PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE,
            PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_PLTE(png_, info_, palette, int(image.palette.size()));
        png_write_info(png_, info_);
        // The rows hold one index a byte; libpng packs them into the bit depth.
        png_set_packing(png_);
        png_write_image(png_, rows);
        png_write_end(png_, nullptr);
        return true;
    }

private:
    png_structp png_;
    png_infop info_;
};

} // namespace

std::vector<std::uint8_t> EncodePng(const IndexedImage& image, std::string_view what)
{
    std::vector<png_color> palette;
    for (const Argb colour : image.palette)
        palette.push_back({png_byte(colour >> 16), png_byte(colour >> 8), png_byte(colour)});
    std::vector<png_bytep> rows;
    for (int y = 0; y < image.height; ++y)
        rows.push_back(const_cast<png_bytep>(image.Row(y)));
    std::vector<std::uint8_t> bytes;
    Writing writing {&bytes, {}};
    PngWriter writer(writing);
    if (!writer.Write(image, palette.data(), rows.data()))
        throw SpritePngError("The " + std::string(what) + " cannot be made: "
            + (writing.reason.empty() ? std::string("out of memory") : writing.reason) + ".");
    return bytes;
}

} // namespace morvane
