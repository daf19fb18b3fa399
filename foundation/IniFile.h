// INI files read and written like the Windows profile functions: section and key names match
// case-insensitively, blanks around names and values are trimmed, CRLF or LF line ends are
// accepted, and everything the program does not write (other sections, keys, comments) is kept.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace orvane {

class IniFile {
public:
    // Reads path; a missing file gives an empty IniFile. Throws FileError when it exists but
    // cannot be read.
    static IniFile Load(const std::string& path);
    static IniFile Parse(const std::string& text);

    std::optional<std::string> Read(const std::string& section, const std::string& key) const;

    // Replaces the key's value in place, or appends the key to its section (created at the end
    // of the file when missing), in the order written. A value is cut at its first line break;
    // section and key names are the program's own, without brackets, '=' or line breaks.
    void Write(const std::string& section, const std::string& key, const std::string& value);

    // Keys and values of a section in file order (empty when the section is missing).
    std::vector<std::pair<std::string, std::string>> Section(const std::string& section) const;

    std::string Text() const; // the file's text, lines ended as the file was (CRLF for new files)

    // Writes Text() to path atomically; throws FileError naming path, also when the text is larger
    // than Load accepts.
    void Save(const std::string& path) const;

private:
    std::vector<std::string> lines_; // raw lines without their ends
    std::string eol_ = "\r\n";
    bool finalEol_ = true; // false only for a parsed text whose last line had no end
};

} // namespace orvane
