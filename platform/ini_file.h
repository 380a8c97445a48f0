#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace codeburg {

// A settings file in INI syntax with the behaviour of the classic
// private-profile functions: sections and keys are compared without regard to
// case, the first of several equal sections or keys wins, values come back
// without surrounding blanks (and without one pair of enclosing quotes), and a
// missing file, section or key yields the caller's default. Lines starting with
// ";" are comments. Lines the reader does not understand are kept on writing.
//
// The file is read into memory when the object is made and by Reload(). Every
// write reads the file again, so edits made meanwhile by hand or by the other
// program survive, changes one entry and replaces the whole file crash-safely.
// The file is created by the first write.
class IniFile {
public:
    static constexpr size_t kMaxValueLength = 255;

    explicit IniFile(std::string path);

    const std::string& path() const { return m_path; }

    // Reads the file again. A missing file reads as empty and counts as
    // success; false when the file exists but cannot be read (it then reads
    // as empty too).
    bool Reload();

    // The value, at most "maxLength" characters; the default (without its
    // trailing blanks, shortened alike) when the section or key is absent.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view defaultValue, size_t maxLength = kMaxValueLength) const;

    // The decimal integer the value starts with (blanks and a sign allowed),
    // 0 when it starts with no digit, saturated at the 32-bit range; the
    // default when the key is absent or its value is empty.
    int32_t GetInt(std::string_view section, std::string_view key, int32_t defaultValue) const;

    // Sets "key=value" in the section, adding the section at the end and the
    // key after the section's last entry when absent. False, with the file
    // untouched, when the file cannot be read or written, or when a name or
    // the value would break the line structure (a line break, "=" in a key,
    // "]" in a section, an empty key).
    bool WriteString(std::string_view section, std::string_view key, std::string_view value);

private:
    // Index of the section's header line, or npos.
    size_t FindSection(std::string_view section) const;
    // Index of the key's line within the section starting after "header", or npos.
    size_t FindKey(size_t header, std::string_view key) const;
    size_t SectionEnd(size_t header) const;  // index of the next header, or the line count
    std::string Serialise() const;

    std::string m_path;
    std::vector<std::string> m_lines;  // without line ends
    bool m_crlf = false;               // the file ends its lines in CR LF
    bool m_bom = false;                // the file starts with a UTF-8 byte-order mark
};

// The settings file of an executable: its path with ".ini" appended, only the
// file name lower-cased ("/opt/Cb/Codeburg" gives "/opt/Cb/codeburg.ini"); a
// name ending in ".exe" has that ending replaced by ".ini".
std::string SettingsFilePath(std::string_view executablePath);

// The settings file that every program installed in "executableDir" shares
// with the main program, so that they all score alike: dir + "/codeburg.ini".
std::string SharedSettingsFilePath(std::string_view executableDir);

}  // namespace codeburg
