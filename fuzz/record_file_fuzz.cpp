// Reads arbitrary bytes as a recording file; every pluck it accepts names a string 1..26, and the
// replay's piece gives one onset for each and the same fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "common/text_fields.h"
#include "files/player_steps.h"
#include "files/record_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zembera;
    const std::string text =
        decodeText(std::string_view(reinterpret_cast<const char*>(data), size));
    FieldReader reader(text, "kayıt.txt");
    std::size_t plucks = 0;
    bool faulty = false;
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
            ++plucks;
        }
    } catch (const FormatError&) {
        faulty = true;
    }
    FilePiece piece(FilePiece::Kind::recording, text, "kayıt.txt");
    std::size_t given = 0;
    while (piece.next([] { return PlayerSettings{}; }))
        ++given;
    if (given != plucks || piece.fault().has_value() != faulty) std::abort();
    return 0;
}
