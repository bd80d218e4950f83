#include "ToolHelp.h"

namespace morvane {

namespace {

constexpr std::string_view kToolHelp = R"(Usage: morvane-sprite-tool COMMAND [OPTIONS] ARGUMENTS

Reads and writes the 45 overworld sprites of a ROM image as PNG images.

Commands:
  list                        List the 45 sprites: index, label, offset in decimal and hex.
  export ROM INDEX OUT.png    Write one sprite as a 16 x 96 PNG image.
  export ROM --all DIR        Write every sprite to DIR/NN-label.png.
  import ROM INDEX IN.png     Write a PNG image into that sprite's block of the ROM image.
  demo OUT.gb                 Create a 1 MiB demo ROM image with a sprite at every offset.

Run "morvane-sprite-tool COMMAND --help" for the details of a command.

Options:
  -h, --help                  Show this text, or a command's text after the command.

Exit status: 0 on success; 1 when a file cannot be read or written or an image is refused;
2 for a mistake on the command line. Every error is one line on standard error.
)";

constexpr std::string_view kListHelp = R"(Usage: morvane-sprite-tool list

Prints the 45 sprites, one a line: the index (0 to 44) that the other commands take, the
label, and the offset of the sprite's 384-byte block in the ROM image, in decimal and in hex.
Needs no ROM image.
)";

constexpr std::string_view kExportHelp
    = R"(Usage: morvane-sprite-tool export [--colours SET] ROM INDEX OUT.png
       morvane-sprite-tool export [--colours SET] ROM --all DIR

Writes sprite INDEX (0 to 44, see "list") of the ROM image as a 16 x 96-pixel indexed PNG:
the six 16 x 16 frames from top to bottom, each made of its four tiles top left, top right,
bottom left, bottom right. The palette index of a pixel is its 2-bit value.

With --all, writes all 45 sprites into DIR as NN-label.png (NN the two-digit index), creating
DIR if it is missing. Every block is read before the first image is written.

An existing PNG file of the same name is replaced. Each file is written whole or not at all.

Options:
  --colours greys     The four hardware greys: 0 white, 1 light grey, 2 dark grey, 3 black
                      (the default).
  --colours display   The editor's default display colours: 0 RGB(223, 0, 200), 1 black,
                      2 white, 3 RGB(0, 0, 255).
  -h, --help          Show this text.
)";

constexpr std::string_view kImportHelp
    = R"(Usage: morvane-sprite-tool import [--dry-run] ROM INDEX IN.png

Writes a 16 x 96-pixel PNG image (laid out as "export" writes it) into the 384-byte block of
sprite INDEX (0 to 44, see "list"), in place: no other byte of the ROM image changes and the
file never grows. Tells how many pixels and bytes change.

The image is read as follows:
  - an indexed PNG whose pixels use only the palette indices 0 to 3: index = pixel value;
  - otherwise by colour: all colours among the four greys (white 0, light grey 1, dark
    grey 2, black 3), or all among the four default display colours (RGB(223, 0, 200) 0,
    black 1, white 2, RGB(0, 0, 255) 3). The greys are tried first, so an image of only
    black and white is read as greys (white 0, black 3); it is read in the display colours
    only when a colour that only they have appears. A fully transparent pixel is value 0.
Anything else (another size, a fifth colour, a mix of both sets, a partly transparent pixel,
an unreadable file) is refused, naming the problem and its first pixel, and nothing is written.
An image that matches the block already is not written either.

Options:
  --dry-run    Tell how many pixels and bytes would change, and write nothing.
  -h, --help   Show this text.
)";

constexpr std::string_view kDemoHelp = R"(Usage: morvane-sprite-tool demo OUT.gb

Creates a 1 MiB ROM image for trying the editor and this tool: a small header titled
"MORVANE DEMO" and, at each of the 45 sprite offsets, a sprite of this program's own drawing,
each different and walking in its three poses. Refuses to replace an existing file.

Options:
  -h, --help   Show this text.
)";

} // namespace

std::string_view ToolHelp(std::string_view command)
{
    if (command.empty())
        return kToolHelp;
    if (command == "list")
        return kListHelp;
    if (command == "export")
        return kExportHelp;
    if (command == "import")
        return kImportHelp;
    if (command == "demo")
        return kDemoHelp;
    return {};
}

} // namespace morvane
