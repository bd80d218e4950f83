#include "DisplayText.h"

#include "base/MessageText.h"

#include <algorithm>
#include <array>
#include <cstdio>

namespace morvane {

namespace {

unsigned char ByteAt(std::string_view bytes, std::size_t at)
{
    return static_cast<unsigned char>(bytes[at]);
}

// The lead bytes of well-formed UTF-8, each with its character's length and the range its second
// byte must fall in (every later byte is 0x80..0xBF). The narrowed ranges shut out overlong forms,
// surrogates, code points past U+10FFFF, and, for 0xC2, the C1 control characters
// U+0080..U+009F, which a terminal may act on.
struct LeadByte {
    unsigned char first;
    unsigned char last;
    std::size_t length;
    unsigned char low;
    unsigned char high;
};

constexpr std::array<LeadByte, 9> kLeadBytes {{
    {0xC2, 0xC2, 2, 0xA0, 0xBF},
    {0xC3, 0xDF, 2, 0x80, 0xBF},
    {0xE0, 0xE0, 3, 0xA0, 0xBF},
    {0xE1, 0xEC, 3, 0x80, 0xBF},
    {0xED, 0xED, 3, 0x80, 0x9F},
    {0xEE, 0xEF, 3, 0x80, 0xBF},
    {0xF0, 0xF0, 4, 0x90, 0xBF},
    {0xF1, 0xF3, 4, 0x80, 0xBF},
    {0xF4, 0xF4, 4, 0x80, 0x8F},
}};

// The length of the printable UTF-8 character starting at `at`, or 0 when the bytes there are no
// such character: a stray continuation byte, a character cut short, or a form kLeadBytes shuts
// out.
std::size_t CharacterLength(std::string_view bytes, std::size_t at)
{
    const unsigned char lead = ByteAt(bytes, at);
    const auto entry = std::find_if(kLeadBytes.begin(), kLeadBytes.end(),
        [lead](const LeadByte& range) { return lead >= range.first && lead <= range.last; });
    if (entry == kLeadBytes.end() || at + entry->length > bytes.size())
        return 0;
    for (std::size_t i = 1; i < entry->length; ++i) {
        const unsigned char next = ByteAt(bytes, at + i);
        if (next < (i == 1 ? entry->low : 0x80) || next > (i == 1 ? entry->high : 0xBF))
            return 0;
    }
    return entry->length;
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
