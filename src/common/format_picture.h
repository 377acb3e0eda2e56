#pragma once
// Numbers through numeric format pictures, as the toolkit's Format function writes them:
// "#" is a digit shown only when significant, "0" a digit always shown, "." the decimal point.
// 0 through "##.00" gives ".00", -1.5 gives "-1.50", 262 through "######0.0000" gives "262.0000".

#include <string>
#include <string_view>

namespace zembera {

// Rounds to the picture's decimals (halves away from zero). The integer part shows all its digits
// however few places the picture has; it is padded with zeros to the picture's "0" places, and left
// out when it is 0 and the picture has none. A value that rounds to zero has no minus sign.
// Characters other than "#", "0" and "." are left out.
std::string formatPicture(double value, std::string_view picture);

} // namespace zembera
