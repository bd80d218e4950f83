#include "PathSuffix.h"

#include <algorithm>

namespace morvane {

namespace {

char Folded(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool HasSuffix(std::string_view path, std::string_view suffix)
{
    return path.size() >= suffix.size()
        && std::equal(suffix.begin(), suffix.end(), path.end() - suffix.size(),
            [](char a, char b) { return Folded(a) == Folded(b); });
}

} // namespace morvane
