#pragma once
// Reading the system's text files field by field.
//
// Items are separated by a comma, by blanks or by a line end; blanks and line ends before an item
// are skipped. A text item is either enclosed in double quotes or runs up to the next comma or
// line end. Numbers use "." as the decimal point and may carry a sign.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zembera {

// A file that does not follow its format. what() is the Turkish message for the user; it names
// the file and the line.
class FormatError : public std::runtime_error {
  public:
    // `line` 0 names no line: the fault is the whole file's.
    FormatError(std::string file, int line, const std::string& detail);
    const std::string& file() const { return file_; }
    int line() const { return line_; }

  private:
    std::string file_;
    int line_;
};

// Turns the bytes of a text file into UTF-8: valid UTF-8 stays as it is, anything else is read as
// Windows-1254, the Turkish code page the files of the original platform were written in.
std::string decodeText(std::string_view bytes);

// Number of characters (code points) in a UTF-8 text.
std::size_t characterCount(std::string_view utf8);

// Cuts a UTF-8 text to `width` characters or pads it with blanks to that width.
std::string fitToWidth(std::string_view utf8, std::size_t width);

// The numeric value of a text as the toolkit reads it: blanks are skipped, then the longest
// prefix that forms a decimal number (sign, digits, point, exponent) is taken; 0 when there is
// none. "01_0" gives 1, "013081" gives 13081, "ab" gives 0.
double leadingNumber(std::string_view text);

class FieldReader {
  public:
    // `text` is UTF-8 (see decodeText); `fileName` only names the file in error messages.
    FieldReader(std::string_view text, std::string fileName);

    // True when only blanks and line ends remain.
    bool atEnd();

    // Reads a number field. Throws FormatError when the input is exhausted or the field is not
    // a number.
    double readNumber();

    // Reads a number field that must be a whole number within [min, max]; `what` names the
    // value in the error message ("tel numarası", "mandal konumu", ...).
    long readInteger(long min, long max, std::string_view what);

    // Reads a text field (quoted or up to the next comma or line end, trailing blanks removed).
    std::string readText();

    // Line of the last field read (1-based), or of the next one when nothing was read yet.
    int line() const { return fieldLine_; }
    const std::string& fileName() const { return fileName_; }

    [[noreturn]] void fail(const std::string& detail) const;

  private:
    std::string_view rawField();
    void skipSeparator();
    void skipBlanksAndLineEnds();

    std::string_view text_;
    std::string fileName_;
    std::size_t pos_ = 0;
    int currentLine_ = 1;
    int fieldLine_ = 1;
};

} // namespace zembera
