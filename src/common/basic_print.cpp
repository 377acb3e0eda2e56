#include "common/basic_print.h"

#include "common/text_fields.h"

#include <cstdio>

namespace zembera {

std::string numberText(double value, int significantDigits) {
    if (value == 0) return " 0"; // also for -0
    char buffer[64];
    // %G chooses between fixed and exponent form the same way the toolkit does (exponent form
    // below 1E-04 and from 10^digits on) and drops trailing zeros.
    std::snprintf(buffer, sizeof buffer, "%.*G", significantDigits, value);
    std::string text(buffer);
    // The toolkit writes no zero before the decimal point: ".5", "-.25".
    if (text.starts_with("0.")) text.erase(0, 1);
    if (text.starts_with("-0.")) text.erase(1, 1);
    if (!text.starts_with("-")) text.insert(0, " ");
    return text;
}

std::string numberText(float value) {
    return numberText(static_cast<double>(value), 7);
}

void PrintLine::startItem() {
    if (empty_) {
        empty_ = false;
        return;
    }
    // A new item starts at the next print zone.
    const std::size_t column = characterCount(line_);
    const std::size_t next = (column / kZoneWidth + 1) * kZoneWidth;
    line_.append(next - column, ' ');
}

PrintLine& PrintLine::number(double value, int significantDigits) {
    startItem();
    line_ += numberText(value, significantDigits) + " ";
    return *this;
}

PrintLine& PrintLine::text(const std::string& value) {
    startItem();
    line_ += value;
    return *this;
}

std::string PrintLine::finish() const {
    return line_ + "\r\n";
}

} // namespace zembera
