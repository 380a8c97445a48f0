#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace codeburg {

// Appends "text" as a JSON string. Names are 8-bit text of any code page:
// bytes that are not valid UTF-8 become U+FFFD, so the document always
// parses. '<', '>' and '&' are escaped too, so the text can stand inside an
// HTML script element.
void AppendJsonString(std::string& out, std::string_view text);
void AppendJsonInt(std::string& out, int64_t value);
// Shortest form that reads back to the same float; non-finite values as 0.
void AppendJsonFloat(std::string& out, float value);

}  // namespace codeburg
