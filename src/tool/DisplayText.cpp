#include "DisplayText.h"

#include "base/MessageText.h"

#include <cstdio>

namespace morvane {

namespace {

unsigned char ByteAt(std::string_view bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at]);
}

// The length of the printable UTF-8 character starting at `at`, or 0 when the bytes there are no
// such character: a stray continuation byte, a character cut short, an overlong form, a
// surrogate, a code point past U+10FFFF, or one of the C1 control characters U+0080..U+009F.
std::size_t CharacterLength(std::string_view bytes, std::size_t at)
{
    const unsigned char lead = ByteAt(bytes, at);
    std::size_t length = 0;
    // The range the second byte must fall in; the lead byte narrows it where a wider one would
    // spell an overlong form, a surrogate or a code point past U+10FFFF.
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        if (lead == 0xC2)
            low = 0xA0;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0)
            low = 0xA0;
        if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0)
            low = 0x90;
        if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size())
        return 0;
    for (std::size_t i = 1; i < length; ++i) {
        const unsigned char next = ByteAt(bytes, at + i);
        if (next < (i == 1 ? low : 0x80) || next > (i == 1 ? high : 0xBF))
            return 0;
    }
    return length;
}

} // namespace

std::string DisplayText(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    std::size_t at = 0;
    while (at < bytes.size()) {
        const unsigned char byte = ByteAt(bytes, at);
        if (byte >= 0x20 && byte < 0x7F) {
            text += static_cast<char>(byte);
            ++at;
        } else if (const std::size_t length = CharacterLength(bytes, at); length > 0) {
            text.append(bytes.substr(at, length));
            at += length;
        } else {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
            ++at;
        }
    }
    return text;
}

std::string QuotedName(std::string_view bytes)
{
    return Quoted(DisplayText(bytes));
}

} // namespace morvane
