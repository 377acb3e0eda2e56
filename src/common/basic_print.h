#pragma once
// Printing numbers and lines the way the toolkit's Print statement writes them to text files:
// a leading blank when not negative, a trailing blank, items in print zones of 14 characters,
// lines ending with CR LF.

#include <string>

namespace zembera {

// The number as the toolkit's Str$ shows it: " 5", "-5", " .5", "-1.25", " 1E+16".
// `significantDigits` is 7 for 32-bit floats and 15 for doubles.
std::string numberText(double value, int significantDigits = 15);
std::string numberText(float value);

// One line being printed: each item starts at the next print zone after the previous one.
class PrintLine {
  public:
    static constexpr int kZoneWidth = 14;

    // A number item: its Str$ text followed by one blank.
    PrintLine& number(double value, int significantDigits = 15);
    // A text item as it is.
    PrintLine& text(const std::string& value);
    // The finished line with its CR LF.
    std::string finish() const;

  private:
    void startItem();
    std::string line_;
    bool empty_ = true;
};

} // namespace zembera
