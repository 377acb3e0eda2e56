#include "sound/mci_command.h"

#include <algorithm>
#include <cctype>

namespace zembera {
namespace {

char lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

std::string lowered(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), lower);
    return out;
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string unquoted(std::string_view text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
        text = text.substr(1, text.size() - 2);
    return std::string(text);
}

// Splits "<first word> <rest>"; the rest keeps its inner blanks.
std::pair<std::string, std::string_view> firstWord(std::string_view text) {
    text = trimmed(text);
    const std::size_t end = std::min(text.find(' '), text.size());
    return {lowered(text.substr(0, end)), text.substr(end)};
}

MciCommand parseOpen(std::string_view rest) {
    // `rest` starts right after "open", at the blank that separates it from the file name.
    MciCommand command{MciCommand::Verb::Open, {}, {}};
    const std::string low = lowered(rest);
    std::string_view head = rest;
    const std::size_t aliasAt = low.rfind(" alias ");
    if (aliasAt != std::string::npos) {
        command.alias = std::string(trimmed(rest.substr(aliasAt + 7)));
        head = rest.substr(0, aliasAt);
    }
    const std::size_t typeAt = lowered(head).rfind(" type ");
    if (typeAt != std::string::npos) {
        if (lowered(trimmed(head.substr(typeAt + 6))) != "waveaudio") return {};
        head = head.substr(0, typeAt);
    }
    // The one blank after "open" is the separator; what follows, up to the keywords, is the name.
    if (!head.empty() && head.front() == ' ') head.remove_prefix(1);
    command.file = unquoted(trimmed(head));
    if (aliasAt == std::string::npos) command.alias = command.file;
    return command;
}

} // namespace

MciCommand parseMciCommand(std::string_view text) {
    const auto [verb, rest] = firstWord(text);
    if (verb == "open") return parseOpen(trimmed(text).substr(4));

    const auto [alias, tail] = firstWord(rest);
    if (alias.empty()) return {};
    // Aliases are told apart without regard to case; the original spelling is not needed.
    MciCommand command{MciCommand::Verb::Invalid, {}, alias};
    const std::string more = lowered(trimmed(tail));
    if (verb == "play" && (more.empty() || more == "from 0")) command.verb = MciCommand::Verb::Play;
    if (verb == "stop" && more.empty()) command.verb = MciCommand::Verb::Stop;
    if (verb == "close" && more.empty()) command.verb = MciCommand::Verb::Close;
    return command;
}

} // namespace zembera
