#pragma once
// The texts of the transposition's message boxes. Numbers are plain decimal integers without
// blanks of their own; lines end with CR LF.

#include <string>

namespace zembera {

// A: no degree record lists the source string at its mandal position.
std::string originNotFoundMessage(int tel, int mandal);

// B: the target degree lies outside the degrees the transposition searches.
struct OutOfTableCase {
    int originString;
    int originDegree;
    int levelOffset; // degree offset of the pitch level
    int degreeShift;
    int totalShift;
    int targetString;
    int targetDegree;
};
std::string targetOutsideTableMessage(const OutOfTableCase& c);

// C: the target degree has no place on the target string; the transposition is cancelled.
struct NoPlaceCase {
    int originString;
    int originMandal;
    int targetString;
    int targetTel1; // the first two strings of the target degree's record
    int targetTel2;
};
std::string noPlaceOnTargetMessage(const NoPlaceCase& c);

} // namespace zembera
