#pragma once
// The plugin's URI and port indices, as its Turtle (zembera.ttl, made by the build) lists them.

#include <cstdint>

namespace zembera::lv2 {

inline constexpr const char* kPluginUri = "urn:zembera:kanun";
// The path parameters: a Scala file (with the .kbm of its name) and a makam file.
inline constexpr const char* kScalaParameter = "urn:zembera:kanun#scala";
inline constexpr const char* kMakamParameter = "urn:zembera:kanun#makam";

namespace port {
inline constexpr std::uint32_t midiIn = 0;
inline constexpr std::uint32_t outLeft = 1;
inline constexpr std::uint32_t outRight = 2;
inline constexpr std::uint32_t stringsRing = 3;
inline constexpr std::uint32_t firstMandal = 4; // string s at firstMandal + s - 1
inline constexpr std::uint32_t ahenk = 30;
inline constexpr std::uint32_t degreeShift = 31;
inline constexpr std::uint32_t firstFineTuning = 32; // string s at firstFineTuning + s - 1
inline constexpr std::uint32_t pitchSystem = 58;
inline constexpr std::uint32_t notify = 59; // patch:Set of the path parameters, for the host
inline constexpr std::uint32_t count = 60;
// Room the notify port asks for: a patch:Set of each path parameter with the longest path.
inline constexpr std::uint32_t notifyBytes = 16384;
} // namespace port

} // namespace zembera::lv2
