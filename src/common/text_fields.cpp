#include "common/text_fields.h"

#include <cctype>
#include <charconv>
#include <cmath>

namespace zembera {
namespace {

// Windows-1254 bytes 0x80..0xFF as Unicode code points (0 where the code page has no character).
constexpr char32_t kCp1254High[128] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039,
    0x0152, 0,      0,      0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0,      0x0178, 0x00A0, 0x00A1, 0x00A2, 0x00A3,
    0x00A4, 0x00A5, 0x00A6, 0x00A7, 0x00A8, 0x00A9, 0x00AA, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x00AF,
    0x00B0, 0x00B1, 0x00B2, 0x00B3, 0x00B4, 0x00B5, 0x00B6, 0x00B7, 0x00B8, 0x00B9, 0x00BA, 0x00BB,
    0x00BC, 0x00BD, 0x00BE, 0x00BF, 0x00C0, 0x00C1, 0x00C2, 0x00C3, 0x00C4, 0x00C5, 0x00C6, 0x00C7,
    0x00C8, 0x00C9, 0x00CA, 0x00CB, 0x00CC, 0x00CD, 0x00CE, 0x00CF, 0x011E, 0x00D1, 0x00D2, 0x00D3,
    0x00D4, 0x00D5, 0x00D6, 0x00D7, 0x00D8, 0x00D9, 0x00DA, 0x00DB, 0x00DC, 0x0130, 0x015E, 0x00DF,
    0x00E0, 0x00E1, 0x00E2, 0x00E3, 0x00E4, 0x00E5, 0x00E6, 0x00E7, 0x00E8, 0x00E9, 0x00EA, 0x00EB,
    0x00EC, 0x00ED, 0x00EE, 0x00EF, 0x011F, 0x00F1, 0x00F2, 0x00F3, 0x00F4, 0x00F5, 0x00F6, 0x00F7,
    0x00F8, 0x00F9, 0x00FA, 0x00FB, 0x00FC, 0x0131, 0x015F, 0x00FF};

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Length of the valid UTF-8 sequence starting at `at`, or 0 when it is not valid.
std::size_t utf8SequenceLength(std::string_view s, std::size_t at) {
    const auto b0 = static_cast<unsigned char>(s[at]);
    if (b0 < 0x80) return 1;
    std::size_t len;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        len = 2;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        len = 3;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        len = 4;
        min = 0x10000;
    } else {
        return 0;
    }
    if (at + len > s.size()) return 0;
    char32_t c = b0 & (0x7F >> len);
    for (std::size_t i = 1; i < len; ++i) {
        const auto b = static_cast<unsigned char>(s[at + i]);
        if ((b & 0xC0) != 0x80) return 0;
        c = (c << 6) | (b & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return len;
}

bool isValidUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = utf8SequenceLength(s, i);
        if (len == 0) return false;
        i += len;
    }
    return true;
}

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c) {
    return c == '\r' || c == '\n';
}

// Length of the longest prefix of `s` that is a decimal number with optional sign, point and
// exponent, or 0 when there is no digit.
std::size_t numberPrefixLength(std::string_view s) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
    std::size_t digits = 0;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i, ++digits;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i, ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E' || s[i] == 'd' || s[i] == 'D')) {
        std::size_t j = i + 1;
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) ++j;
        const std::size_t expStart = j;
        while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])))
            ++j;
        if (j > expStart) i = j;
    }
    return i;
}

// Parses a whole number text; false when it is not exactly one number.
bool parseNumber(std::string_view s, double& value) {
    const std::size_t len = numberPrefixLength(s);
    if (len == 0 || len != s.size()) return false;
    std::string text(s);
    for (char& c : text) {
        if (c == 'd' || c == 'D') c = 'e';
    }
    const char* begin = text.data();
    if (*begin == '+') ++begin;
    const auto result = std::from_chars(begin, text.data() + text.size(), value);
    return result.ec == std::errc() && std::isfinite(value);
}

std::string quoted(std::string_view s) {
    constexpr std::size_t kShown = 20;
    std::string shown(s.substr(0, kShown));
    if (s.size() > kShown) shown += "...";
    return "\"" + shown + "\"";
}

} // namespace

FormatError::FormatError(std::string file, int line, const std::string& detail)
    // Line 0: a fault of the whole file (empty, unreadable), where no line was read.
    : std::runtime_error(line > 0 ? file + " dosyasının " + std::to_string(line) +
                                        ". satırında hata: " + detail
                                  : file + " dosyasında hata: " + detail),
      file_(std::move(file)), line_(line) {}

std::string decodeText(std::string_view bytes) {
    if (isValidUtf8(bytes)) return std::string(bytes);
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        if (b < 0x80) {
            out += ch;
        } else {
            const char32_t c = kCp1254High[b - 0x80];
            appendUtf8(out, c != 0 ? c : 0xFFFD);
        }
    }
    return out;
}

std::size_t characterCount(std::string_view utf8) {
    std::size_t count = 0;
    for (char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

std::string fitToWidth(std::string_view utf8, std::size_t width) {
    std::string out;
    std::size_t chars = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const bool starts = (static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80;
        if (starts && chars == width) break;
        if (starts) ++chars;
        out += utf8[i];
    }
    out.append(width - chars, ' ');
    return out;
}

double leadingNumber(std::string_view text) {
    std::string compact;
    for (char c : text) {
        if (!isBlank(c) && c != '\n') compact += c;
    }
    const std::size_t len = numberPrefixLength(compact);
    double value = 0;
    if (len > 0) parseNumber(std::string_view(compact).substr(0, len), value);
    return value;
}

FieldReader::FieldReader(std::string_view text, std::string fileName)
    : text_(text), fileName_(std::move(fileName)) {
    // A byte order mark is not part of the first item.
    if (text_.starts_with("\xEF\xBB\xBF")) pos_ = 3;
}

void FieldReader::fail(const std::string& detail) const {
    throw FormatError(fileName_, fieldLine_, detail);
}

void FieldReader::skipBlanksAndLineEnds() {
    while (pos_ < text_.size()) {
        const char c = text_[pos_];
        if (c == '\n') {
            ++currentLine_;
        } else if (c == '\r') {
            if (pos_ + 1 >= text_.size() || text_[pos_ + 1] != '\n') ++currentLine_;
        } else if (!isBlank(c)) {
            break;
        }
        ++pos_;
    }
}

bool FieldReader::atEnd() {
    skipBlanksAndLineEnds();
    return pos_ >= text_.size();
}

// After a field: blanks, then at most one comma or one line end belong to the separator.
void FieldReader::skipSeparator() {
    while (pos_ < text_.size() && isBlank(text_[pos_]))
        ++pos_;
    if (pos_ >= text_.size()) return;
    if (text_[pos_] == ',') {
        ++pos_;
    } else if (text_[pos_] == '\r') {
        ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
        ++currentLine_;
    } else if (text_[pos_] == '\n') {
        ++pos_;
        ++currentLine_;
    }
}

std::string_view FieldReader::rawField() {
    // Blanks before an item are skipped; so are line ends (an item never starts with one).
    skipBlanksAndLineEnds();
    // A missing item is reported on the line of the last item read.
    if (pos_ >= text_.size()) fail("dosya beklenenden önce bitiyor (eksik değer)");
    fieldLine_ = currentLine_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !isBlank(text_[pos_]) &&
           !isLineEnd(text_[pos_])) {
        ++pos_;
    }
    const std::string_view field = text_.substr(start, pos_ - start);
    skipSeparator();
    return field;
}

double FieldReader::readNumber() {
    const std::string_view field = rawField();
    double value = 0;
    if (!parseNumber(field, value)) fail("sayı bekleniyordu, " + quoted(field) + " bulundu");
    return value;
}

long FieldReader::readInteger(long min, long max, std::string_view what) {
    const std::string_view field = rawField();
    double value = 0;
    if (!parseNumber(field, value)) {
        fail(std::string(what) + " için sayı bekleniyordu, " + quoted(field) + " bulundu");
    }
    if (value != std::floor(value)) fail(std::string(what) + " tam sayı olmalı: " + quoted(field));
    if (value < static_cast<double>(min) || value > static_cast<double>(max)) {
        fail(std::string(what) + " " + std::to_string(min) + " ile " + std::to_string(max) +
             " arasında olmalı, " + quoted(field) + " bulundu");
    }
    return static_cast<long>(value);
}

std::string FieldReader::readText() {
    skipBlanksAndLineEnds();
    // A missing item is reported on the line of the last item read.
    if (pos_ >= text_.size()) fail("dosya beklenenden önce bitiyor (eksik değer)");
    fieldLine_ = currentLine_;
    std::string value;
    if (text_[pos_] == '"') {
        // Only the text up to the closing quote is searched for a line end: a search to the end
        // of the text would make a file without line breaks quadratic to read.
        const std::size_t close = text_.find('"', pos_ + 1);
        if (close == std::string_view::npos ||
            text_.substr(pos_ + 1, close - pos_ - 1).find_first_of("\r\n") !=
                std::string_view::npos) {
            fail("kapanmamış tırnak");
        }
        value = std::string(text_.substr(pos_ + 1, close - pos_ - 1));
        pos_ = close + 1;
        skipSeparator();
        return value;
    }
    const std::size_t start = pos_;
    while (pos_ < text_.size() && text_[pos_] != ',' && !isLineEnd(text_[pos_]))
        ++pos_;
    std::size_t end = pos_;
    while (end > start && isBlank(text_[end - 1]))
        --end;
    value = std::string(text_.substr(start, end - start));
    skipSeparator();
    return value;
}

} // namespace zembera
