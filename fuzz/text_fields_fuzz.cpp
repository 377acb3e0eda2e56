// Reads arbitrary bytes as a text file, field after field, in every field kind.
#include <cstddef>
#include <cstdint>
#include <string>

#include "common/basic_print.h"
#include "common/text_fields.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // The first byte chooses the order of field kinds.
    const std::uint8_t plan = data[0];
    const std::string text =
        zembera::decodeText(std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1));
    zembera::FieldReader in(text, "fuzz.txt");
    try {
        for (int i = 0; !in.atEnd() && i < 10000; ++i) {
            switch ((plan >> (i % 4 * 2)) & 3) {
            case 0:
                zembera::numberText(in.readNumber());
                break;
            case 1:
                in.readInteger(-8, 12, "mandal");
                break;
            case 2:
                zembera::fitToWidth(in.readText(), 30);
                break;
            default:
                zembera::leadingNumber(in.readText());
                break;
            }
        }
    } catch (const zembera::FormatError&) {
    }
    return 0;
}
