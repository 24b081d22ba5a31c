#include "IniFile.h"

#include "AtomicFile.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string_view>

namespace fs = std::filesystem;

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b]))
        ++b;
    while (e > b && IsBlank(s[e - 1]))
        --e;
    return s.substr(b, e - b);
}

// Sections and keys compare by ASCII letter case only: the file's other bytes
// are whatever the user typed, in whatever encoding.
std::string Fold(const std::string& s) {
    std::string r = Trim(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return r;
}

bool IsQuote(char c) {
    return c == '"' || c == '\'';
}
bool IsQuoted(const std::string& v) {
    return v.size() >= 2 && IsQuote(v.front()) && v.front() == v.back();
}

std::string OneLine(std::string s) {
    std::replace(s.begin(), s.end(), '\r', ' ');
    std::replace(s.begin(), s.end(), '\n', ' ');
    return s;
}

std::string ValueOf(const std::string& lineText) {
    std::string v = Trim(lineText.substr(lineText.find('=') + 1));
    if (IsQuoted(v)) v = v.substr(1, v.size() - 2);
    return v;
}

std::string DiskPath(const std::string& fileName) {
    std::string p = fileName;
    std::replace(p.begin(), p.end(), '\\', '/');
    return p;
}

} // namespace

bool TryTextToInt(const std::string& text, int& value) {
    const char* b = text.data();
    const char* e = b + text.size();
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        std::uint64_t bits = 0;
        auto [p, ec] = std::from_chars(b + 2, e, bits, 16);
        if (ec != std::errc() || p != e || bits > 0xFFFFFFFFu) return false;
        value = static_cast<int>(static_cast<std::uint32_t>(bits));
        return true;
    }
    if (b != e && *b == '+' && ++b != e && *b == '-') return false;
    int v = 0;
    auto [p, ec] = std::from_chars(b, e, v, 10);
    if (ec != std::errc() || p != e) return false;
    value = v;
    return true;
}

IniFile::IniFile(std::string fileName) : fileName_(std::move(fileName)) {
    const std::string path = DiskPath(fileName_);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (!fs::exists(status)) return;
    // Opening a FIFO or a device would wait for a writer or read without end.
    const std::uintmax_t size = fs::is_regular_file(status) ? fs::file_size(path, ec) : 0;
    if (!fs::is_regular_file(status))
        readError_ = "it is not a regular file";
    else if (ec)
        readError_ = ec.message();
    else if (size > kMaxFileSize)
        readError_ = "it is larger than 16 MiB";
    if (readError_.empty()) {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream text;
        if (in && (text << in.rdbuf(), !in.bad()))
            Parse(text.str());
        else
            readError_ = "it cannot be read";
    }
}

IniFile::IniFile(std::string fileName, const std::string& text) : fileName_(std::move(fileName)) {
    Parse(text);
}

IniFile::Line IniFile::MakeLine(std::string text, std::string eol) {
    Line line;
    line.text = std::move(text);
    line.eol = std::move(eol);
    std::size_t i = 0;
    while (i < line.text.size() && IsBlank(line.text[i]))
        ++i;
    if (i < line.text.size() && line.text[i] == '[') {
        // A missing "]" still names the section: the rest of the line.
        std::size_t close = line.text.find(']', i + 1);
        line.kind = Kind::Section;
        line.name = Fold(line.text.substr(i + 1, close == std::string::npos ? std::string::npos
                                                                            : close - i - 1));
    } else if (i < line.text.size() && line.text[i] != ';') {
        std::size_t eq = line.text.find('=');
        if (eq != std::string::npos) {
            line.kind = Kind::Key;
            line.name = Fold(line.text.substr(0, eq));
        }
    }
    return line;
}

void IniFile::Parse(const std::string& text) {
    lines_.clear();
    indexValid_ = false;
    // A UTF-8 byte-order mark (what some editors put first) is no part of the
    // first section's name; it is kept for the file's next write.
    static constexpr std::string_view kBom = "\xEF\xBB\xBF";
    bom_ = text.starts_with(kBom);
    std::size_t start = bom_ ? kBom.size() : 0;
    while (start < text.size()) {
        std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string::npos) {
            lines_.push_back(MakeLine(text.substr(start), ""));
            break;
        }
        std::size_t next = end + 1;
        if (text[end] == '\r' && next < text.size() && text[next] == '\n') ++next;
        lines_.push_back(MakeLine(text.substr(start, end - start), text.substr(end, next - end)));
        start = next;
    }
}

template <typename Visit>
void IniFile::ForEachLineOf(const std::string& folded, Visit visit) const {
    bool inside = false;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind == Kind::Section)
            inside = lines_[i].name == folded;
        else if (inside && !visit(i))
            return;
    }
}

long IniFile::FindKey(const std::string& section, const std::string& key) const {
    if (!indexValid_) {
        // Section names hold no line break, so it separates the two names.
        index_.clear();
        const std::string* current = nullptr;
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            if (lines_[i].kind == Kind::Section)
                current = &lines_[i].name;
            else if (current && lines_[i].kind == Kind::Key)
                index_.try_emplace(*current + '\n' + lines_[i].name, i);
        }
        indexValid_ = true;
    }
    auto found = index_.find(Fold(section) + '\n' + Fold(key));
    return found == index_.end() ? -1 : static_cast<long>(found->second);
}

std::string IniFile::ReadString(const std::string& section, const std::string& key,
                                const std::string& defaultValue) const {
    long i = FindKey(section, key);
    return i < 0 ? defaultValue : ValueOf(lines_[i].text);
}

int IniFile::ReadInteger(const std::string& section, const std::string& key,
                         int defaultValue) const {
    int value = defaultValue;
    return TryTextToInt(ReadString(section, key, ""), value) ? value : defaultValue;
}

bool IniFile::ReadBool(const std::string& section, const std::string& key,
                       bool defaultValue) const {
    return ReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

std::string IniFile::NewLineBreak() const {
    for (const Line& line : lines_)
        if (!line.eol.empty()) return line.eol;
    return "\n";
}

void IniFile::WriteString(const std::string& section, const std::string& key,
                          const std::string& value) {
    std::string text = OneLine(value);
    if (IsQuoted(text)) text = '"' + text + '"';
    modified_ = true;

    long existing = FindKey(section, key);
    if (existing >= 0) {
        Line& line = lines_[existing];
        line.text = line.text.substr(0, line.text.find('=') + 1) + text;
        return;
    }
    const std::string eol = NewLineBreak();
    Line keyLine = MakeLine(OneLine(Trim(key)) + "=" + text, eol);
    // The new key goes after the last non-blank line of the first section of
    // that name, so blank lines that separate it from the next section stay.
    const std::string folded = Fold(OneLine(section));
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].kind != Kind::Section || lines_[i].name != folded) continue;
        std::size_t last = i;
        for (std::size_t j = i + 1; j < lines_.size() && lines_[j].kind != Kind::Section; ++j)
            if (!Trim(lines_[j].text).empty()) last = j;
        if (lines_[last].eol.empty()) lines_[last].eol = eol;
        indexValid_ = false;
        lines_.insert(lines_.begin() + static_cast<long>(last) + 1, std::move(keyLine));
        return;
    }
    if (!lines_.empty() && lines_.back().eol.empty()) lines_.back().eol = eol;
    indexValid_ = false;
    lines_.push_back(MakeLine("[" + OneLine(Trim(section)) + "]", eol));
    lines_.push_back(std::move(keyLine));
}

void IniFile::WriteInteger(const std::string& section, const std::string& key, int value) {
    WriteString(section, key, std::to_string(value));
}

void IniFile::WriteBool(const std::string& section, const std::string& key, bool value) {
    WriteString(section, key, value ? "1" : "0");
}

bool IniFile::SectionExists(const std::string& section) const {
    const std::string folded = Fold(section);
    return std::any_of(lines_.begin(), lines_.end(), [&](const Line& line) {
        return line.kind == Kind::Section && line.name == folded;
    });
}

bool IniFile::ValueExists(const std::string& section, const std::string& key) const {
    return FindKey(section, key) >= 0;
}

std::vector<std::string> IniFile::ReadSections() const {
    std::vector<std::string> names, folded;
    for (const Line& line : lines_) {
        if (line.kind != Kind::Section ||
            std::find(folded.begin(), folded.end(), line.name) != folded.end())
            continue;
        folded.push_back(line.name);
        std::size_t open = line.text.find('[');
        std::size_t close = line.text.find(']', open + 1);
        names.push_back(Trim(line.text.substr(
            open + 1, close == std::string::npos ? std::string::npos : close - open - 1)));
    }
    return names;
}

std::vector<std::string> IniFile::ReadSection(const std::string& section) const {
    std::vector<std::string> keys, folded;
    ForEachLineOf(Fold(section), [&](std::size_t i) {
        const Line& line = lines_[i];
        if (line.kind == Kind::Key &&
            std::find(folded.begin(), folded.end(), line.name) == folded.end()) {
            folded.push_back(line.name);
            keys.push_back(Trim(line.text.substr(0, line.text.find('='))));
        }
        return true;
    });
    return keys;
}

void IniFile::EraseSection(const std::string& section) {
    const std::string folded = Fold(section);
    bool inside = false;
    std::vector<Line> kept;
    for (Line& line : lines_) {
        if (line.kind == Kind::Section) inside = line.name == folded;
        if (inside)
            modified_ = true;
        else
            kept.push_back(std::move(line));
    }
    lines_ = std::move(kept);
    indexValid_ = false;
}

void IniFile::DeleteKey(const std::string& section, const std::string& key) {
    long i;
    while ((i = FindKey(section, key)) >= 0) {
        lines_.erase(lines_.begin() + i);
        indexValid_ = false;
        modified_ = true;
    }
}

std::string IniFile::Text() const {
    std::string text = bom_ ? "\xEF\xBB\xBF" : "";
    for (const Line& line : lines_)
        text += line.text + line.eol;
    return text;
}

void IniFile::UpdateFile() {
    if (!modified_) return;
    const auto fail = [this] {
        throw EIniFileException(FormatMessage("Unable to write to %s", {fileName_}));
    };
    if (!readError_.empty()) fail(); // writing would lose what could not be read

    try {
        WriteFileAtomically(DiskPath(fileName_), Text());
    } catch (const EFileWriteError&) {
        fail();
    }
    modified_ = false;
}

std::string ReadProfileString(const std::string& fileName, const std::string& section,
                              const std::string& key, const std::string& defaultValue) {
    return IniFile(fileName).ReadString(section, key, defaultValue);
}

int ReadProfileInteger(const std::string& fileName, const std::string& section,
                       const std::string& key, int defaultValue) {
    return IniFile(fileName).ReadInteger(section, key, defaultValue);
}

void WriteProfileString(const std::string& fileName, const std::string& section,
                        const std::string& key, const std::string& value) {
    IniFile file(fileName);
    file.WriteString(section, key, value);
    file.UpdateFile();
}

void WriteProfileInteger(const std::string& fileName, const std::string& section,
                         const std::string& key, int value) {
    WriteProfileString(fileName, section, key, std::to_string(value));
}
