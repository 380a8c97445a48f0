#include "platform/path_util.h"

#include <algorithm>

namespace codeburg {

namespace {

unsigned char LowerAscii(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string PathJoin(std::string_view directory, std::string_view part)
{
    std::string result(directory);
    if (part.empty()) return result;
    if (!result.empty() && result.back() != kPathSeparator) result += kPathSeparator;
    if (part.front() == kPathSeparator) part.remove_prefix(1);
    result += part;
    return result;
}

std::string LastPathComponent(std::string_view path)
{
    const size_t slash = path.rfind(kPathSeparator);
    return std::string(slash == std::string_view::npos ? path : path.substr(slash + 1));
}

int CompareNoCase(std::string_view a, std::string_view b)
{
    const size_t n = std::min(a.size(), b.size());
    for (size_t i = 0; i < n; ++i) {
        const int ca = LowerAscii(static_cast<unsigned char>(a[i]));
        const int cb = LowerAscii(static_cast<unsigned char>(b[i]));
        if (ca != cb) return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size()) return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool EqualsNoCase(std::string_view a, std::string_view b)
{
    return a.size() == b.size() && CompareNoCase(a, b) == 0;
}

std::string ToLowerAscii(std::string_view text)
{
    std::string result(text);
    for (char& c : result) c = static_cast<char>(LowerAscii(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace codeburg
