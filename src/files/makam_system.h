#pragma once
// A makam file holds positions of the bundled pitch table (Yarman 79). In another pitch system
// they are placed, string by string, where that system sounds nearest the table's pitch, and a
// makam saved there is written back in the table's positions. The window implements it with its
// pitch systems; without it the bundled table is the one in use.
//
// Thread: UI thread only.

#include <cstdint>

#include "pitch/per_string.h"

namespace zembera {

class MakamSystem {
  public:
    virtual ~MakamSystem() = default;
    // The positions of the system in use for a file's `filePositions`. Throws std::exception
    // (in Turkish) when the bundled table cannot be built.
    virtual PerString<std::int16_t> fromFile(const PerString<std::int16_t>& filePositions) = 0;
    // The positions a makam file holds for `positions` of the system in use. Throws as fromFile.
    virtual PerString<std::int16_t> toFile(const PerString<std::int16_t>& positions) = 0;
    // The makam of `filePositions` now sounds (fromFile's positions are in place).
    virtual void loaded(const PerString<std::int16_t>& filePositions) = 0;
};

} // namespace zembera
