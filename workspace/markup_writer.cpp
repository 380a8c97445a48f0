#include "workspace/markup_writer.h"

#include <cstdarg>
#include <cstdio>

namespace codeburg {

void MarkupWriter::WriteLine(const char* format, ...)
{
    if (m_level > 0) m_out.append(static_cast<size_t>(m_level) * 4, ' ');
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length > 0) {
        const size_t start = m_out.size();
        m_out.resize(start + static_cast<size_t>(length) + 1);
        std::vsnprintf(m_out.data() + start, static_cast<size_t>(length) + 1, format, args);
        m_out.resize(start + static_cast<size_t>(length));
    }
    va_end(args);
    m_out += "\r\n";
}

}  // namespace codeburg
