// Reads arbitrary bytes as a recording file; every pluck it accepts names a string 1..26.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text_fields.h"
#include "files/record_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zembera;
    const std::string text =
        decodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    FieldReader reader(text, "kayıt.txt");
    try {
        while (!reader.atEnd()) {
            const RecordEntry e = readRecordEntry(reader);
            if (e.string < 1 || e.string > 26 || e.mandal < -32768 || e.mandal > 32767)
                std::abort();
            // A line printed from it reads back the same.
            const std::string line = recordLine(e.string, e.mandal, e.durationMs);
            FieldReader again(line, "kayıt.txt");
            const RecordEntry f = readRecordEntry(again);
            if (f.string != e.string || f.mandal != e.mandal || f.durationMs != e.durationMs)
                std::abort();
        }
    } catch (const FormatError&) {
    }
    return 0;
}
