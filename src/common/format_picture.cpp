#include "common/format_picture.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace zembera {
namespace {

bool isPlace(char c) {
    return c == '#' || c == '0';
}

// The digits of |value| rounded to `decimals` places, halves away from zero: "262.0000".
std::string roundedDigits(double magnitude, int decimals) {
    // printf rounds the binary value correctly but sends exact halves to the even neighbour.
    const double scaled = magnitude * std::pow(10.0, decimals);
    if (scaled < 1e15 && scaled - std::floor(scaled) == 0.5)
        magnitude = (std::floor(scaled) + 1) / std::pow(10.0, decimals);
    // Room for the 309 whole digits of the largest double, the point and the decimals.
    std::string digits(312 + static_cast<std::size_t>(decimals), '\0');
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), magnitude,
                                      std::chars_format::fixed, decimals);
    digits.resize(static_cast<std::size_t>(result.ptr - digits.data()));
    return digits;
}

} // namespace

std::string formatPicture(double value, std::string_view picture) {
    if (std::isnan(value)) return "NaN";
    if (std::isinf(value)) return value < 0 ? "-Infinity" : "Infinity";

    const std::size_t point = picture.find('.');
    const bool hasPoint = point != std::string_view::npos;
    const std::string_view whole = picture.substr(0, point);
    const std::string_view fraction = hasPoint ? picture.substr(point + 1) : std::string_view{};
    const auto requiredWhole = std::count(whole.begin(), whole.end(), '0');
    const auto decimals = std::count_if(fraction.begin(), fraction.end(), isPlace);
    // Decimal places up to the last "0" are always shown; "#" places after it only when not 0.
    long requiredDecimals = 0;
    for (long i = 0, place = 0; i < static_cast<long>(fraction.size()); ++i) {
        if (!isPlace(fraction[static_cast<std::size_t>(i)])) continue;
        ++place;
        if (fraction[static_cast<std::size_t>(i)] == '0') requiredDecimals = place;
    }

    const std::string digits = roundedDigits(std::fabs(value), static_cast<int>(decimals));
    const std::size_t dot = digits.find('.');
    std::string intPart = digits.substr(0, dot);
    std::string fracPart = dot == std::string::npos ? std::string{} : digits.substr(dot + 1);

    const bool zero =
        std::all_of(digits.begin(), digits.end(), [](char c) { return c == '0' || c == '.'; });
    if (intPart == "0") intPart.clear();
    if (static_cast<long>(intPart.size()) < requiredWhole)
        intPart.insert(0, static_cast<std::size_t>(requiredWhole) - intPart.size(), '0');
    while (static_cast<long>(fracPart.size()) > requiredDecimals && fracPart.back() == '0')
        fracPart.pop_back();

    std::string text = value < 0 && !zero ? "-" : "";
    text += intPart;
    if (hasPoint) text += "." + fracPart;
    return text;
}

} // namespace zembera
