#pragma once

#include <string>
#include <string_view>

namespace codeburg {

// The native directory separator ("/" here).
inline constexpr char kPathSeparator = '/';

// Appends the separator to a non-empty directory that does not end in one,
// then "part" without its leading separator. An empty part appends nothing.
std::string PathJoin(std::string_view directory, std::string_view part);

// The text after the last separator ("src" for "/home/a/src"); the whole text
// when there is none.
std::string LastPathComponent(std::string_view path);

// ASCII case-insensitive comparison, as names, filters and markup are compared.
bool EqualsNoCase(std::string_view a, std::string_view b);
int CompareNoCase(std::string_view a, std::string_view b);
std::string ToLowerAscii(std::string_view text);

}  // namespace codeburg
