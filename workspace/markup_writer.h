#pragma once

#include <string>

namespace codeburg {

// Appends indented lines to a text the caller owns: (level x 4) spaces, the
// formatted text, CR LF. The writer knows nothing of elements; the caller
// raises and lowers the level around an element's children. Lines have no
// length limit. "out" must outlive the writer.
class MarkupWriter {
public:
    explicit MarkupWriter(std::string& out, int level = 0) : m_out(out), m_level(level) {}

    void WriteLine(const char* format, ...) __attribute__((format(printf, 2, 3)));

    void Indent() { ++m_level; }
    void Outdent() { --m_level; }
    int level() const { return m_level; }

private:
    std::string& m_out;
    int m_level;
};

}  // namespace codeburg
