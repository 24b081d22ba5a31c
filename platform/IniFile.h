#pragma once

#include "Exception.h"

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

// A settings file that cannot be written.
class EIniFileException : public Exception {
    using Exception::Exception;
};

// A private-profile settings file: "[Section]" lines open sections, "Key=Value"
// lines hold values. Sections and keys match without regard to ASCII letter
// case; a missing file, section or key gives the caller's default.
//
// The file is read once when the object is made; reads and writes then work on
// the lines in memory, and UpdateFile() replaces the file in one step (a new
// file renamed over the old one), so a long series of writes costs one file
// write and a failure never leaves a half-written file. Lines the program does
// not know (comments, other keys, other sections, junk) and each line's own
// line break are written back as they were read.
class IniFile {
public:
    // The largest file read; a larger one is refused as unreadable.
    static constexpr std::uintmax_t kMaxFileSize = 16u << 20;

    // Reads `fileName` (backslashes count as folder separators). A file that
    // does not exist reads as empty; so does one that cannot be read (not a
    // regular file, larger than kMaxFileSize, an error), which ReadError then
    // names and UpdateFile never overwrites. A UTF-8 byte-order mark is passed
    // over and written back.
    explicit IniFile(std::string fileName);
    // An in-memory file with the given text; UpdateFile() writes `fileName`.
    IniFile(std::string fileName, const std::string& text);

    const std::string& FileName() const noexcept { return fileName_; }
    // Why the file could not be read ("it is not a regular file"); empty
    // when it was read or does not exist.
    const std::string& ReadError() const noexcept { return readError_; }

    // The value of the first `key` in a section named `section`, with the
    // blanks around it removed and one enclosing pair of matching quotes
    // ("..." or '...') stripped; `defaultValue` when there is no such key.
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& defaultValue) const;
    // Decimal, or hexadecimal after "0x"/"0X"; the default when the value is
    // missing or not a 32-bit integer.
    int ReadInteger(const std::string& section, const std::string& key, int defaultValue) const;
    // Non-zero integer is true.
    bool ReadBool(const std::string& section, const std::string& key, bool defaultValue) const;

    // Sets `key` in place when the section has it, else appends the key to the
    // section, else appends the section with the key at the end of the file.
    // A value that both begins and ends with the same quote character is
    // wrapped in one more pair of double quotes, so that reading returns it
    // as written. Line breaks inside names or values would open new lines in
    // the file and are written as blanks.
    void WriteString(const std::string& section, const std::string& key, const std::string& value);
    void WriteInteger(const std::string& section, const std::string& key, int value);
    // Writes "1" or "0".
    void WriteBool(const std::string& section, const std::string& key, bool value);

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& key) const;
    // Section names in file order, each once, as first spelled in the file.
    std::vector<std::string> ReadSections() const;
    // The keys of a section in file order, each once.
    std::vector<std::string> ReadSection(const std::string& section) const;
    // Removes every section of that name with all its lines.
    void EraseSection(const std::string& section);
    void DeleteKey(const std::string& section, const std::string& key);

    // The file's text as it would be written now.
    std::string Text() const;
    bool Modified() const noexcept { return modified_; }

    // Writes the file when anything changed since it was read or last written.
    // Throws EIniFileException "Unable to write to %s" (the file name as given)
    // when it cannot; the file on disk is then unchanged.
    void UpdateFile();

private:
    enum class Kind { Other, Section, Key };
    struct Line {
        std::string text; // without its line break
        std::string eol;  // "\r\n", "\n", "\r", or "" for a last line without one
        Kind kind = Kind::Other;
        std::string name; // section name or key, case-folded, for matching
    };

    void Parse(const std::string& text);
    static Line MakeLine(std::string text, std::string eol);
    // Index of the first key line, or -1.
    long FindKey(const std::string& section, const std::string& key) const;
    template <typename Visit> void ForEachLineOf(const std::string& folded, Visit visit) const;
    std::string NewLineBreak() const;

    std::string fileName_;
    std::vector<Line> lines_;
    bool modified_ = false;
    std::string readError_; // the file exists but could not be read: never overwrite it
    bool bom_ = false;      // the text began with a UTF-8 byte-order mark
    // First key line of each section/key pair, rebuilt after lines come or go.
    mutable std::unordered_map<std::string, std::size_t> index_;
    mutable bool indexValid_ = false;
};

// Decimal with an optional sign, or hexadecimal when longer than two characters
// and starting with "0x"/"0X" (up to 8 digits, taken as a 32-bit pattern).
// False when the text is anything else or out of range.
bool TryTextToInt(const std::string& text, int& value);

// One-call private-profile functions: each reads the file; each write rewrites
// it at once. For many values in a row use an IniFile and UpdateFile().
std::string ReadProfileString(const std::string& fileName, const std::string& section,
                              const std::string& key, const std::string& defaultValue);
int ReadProfileInteger(const std::string& fileName, const std::string& section,
                       const std::string& key, int defaultValue);
void WriteProfileString(const std::string& fileName, const std::string& section,
                        const std::string& key, const std::string& value);
void WriteProfileInteger(const std::string& fileName, const std::string& section,
                         const std::string& key, int value);
