#pragma once
// Melody files ("<name>.ses" in the program folder): records of 10 whole numbers (16 bits each)
// separated by commas, blanks or line ends, a record being the next 10 fields wherever the lines
// break. The player uses five of them:
//   1 tuplet     > 0: a triplet (duration codes 4 and 5 only)
//   2 note       0..25 a note, 26..31 a rest, anything else skips the record
//   3 duration   0 skips the record; 1..6 a length from the table; else the previous length
//   4 mandal     the mandal position the file gives for the note
//   5 dot        1: dotted, the length times 1.5
//   10 condition 1: in the mode "şartlı" the note sounds at the file mandal
//
// Thread: any (pure).

#include <array>
#include <cstdint>
#include <string>

#include "common/text_fields.h"

namespace zembera {

inline constexpr const char* kMelodyExtension = ".ses";
inline constexpr const char* kMelodyFileFault = "ses dosyasından kaynaklanan bir hata oluştu.";

struct MelodyRecord {
    std::array<std::int16_t, 10> fields{};
    int tuplet() const { return fields[0]; }
    int note() const { return fields[1]; }
    int durationCode() const { return fields[2]; }
    int fileMandal() const { return fields[3]; }
    int dot() const { return fields[4]; }
    int condition() const { return fields[9]; }
};

// Reads the next 10 fields. Throws FormatError when the text ends before them or a field is not a
// whole number within 16 bits.
MelodyRecord readMelodyRecord(FieldReader& reader);

// What a record asks of the player.
enum class MelodyStep { skip, rest, note };
MelodyStep melodyStep(const MelodyRecord& record);

// The length in units of a rest (notes 26..31: 2, 4, 8, 16, 32, 64).
int restUnits(int note);

// The length in units of a note: the duration table with its dot and triplet rules, or
// `previousUnits` for a code outside 1..6.
int noteUnits(const MelodyRecord& record, int previousUnits);

// The string of note 0..25 before the pitch level's shift: note + 4 for 0..14, note - 3 for
// 15..25.
int noteString(int note);

// The mandal modes of the melody player.
enum class MandalMode { çalgı = 1, şartlı = 2, dosya = 3 };

// The position a note sounds at: the instrument's own (`instrumentMandal`) or the file mandal,
// which in the mode "şartlı" is raised by 6 at the pitch levels whose shift is -2, -1, 1, 2 or 3.
int melodyMandal(MandalMode mode, const MelodyRecord& record, int instrumentMandal, int ahenkShift);

// The melody counter in the picture "000": 1 is "001", 1234 is "1234".
std::string counterText(int count);

} // namespace zembera
