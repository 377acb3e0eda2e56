#include "midi/midi_inputs.h"

#include <algorithm>

namespace zembera {

MidiInputs::MidiInputs(MidiPorts& ports, MidiEventQueue& queue) : ports_(ports), queue_(queue) {
    rescan();
}

MidiInputs::~MidiInputs() {
    open_.clear(); // no pushes after this
}

bool MidiInputs::ignored(MidiAddress address) const {
    return std::find(ignored_.begin(), ignored_.end(), address) != ignored_.end() ||
           std::any_of(shut_.begin(), shut_.end(),
                       [address](const Shut& s) { return s.address == address; });
}

bool MidiInputs::wanted(const MidiSource& source) const {
    if (ignored(source.address)) return false;
    return chosen_.empty() || source.name == chosen_;
}

bool MidiInputs::heard(MidiAddress source) const {
    return !ignored(source);
}

bool MidiInputs::chosenPresent() const {
    return chosen_.empty() || std::find(names_.begin(), names_.end(), chosen_) != names_.end();
}

void MidiInputs::choose(const std::string& name) {
    chosen_ = name;
    reopen();
}

void MidiInputs::shut(MidiAddress address, const std::string& reason, const std::string& word) {
    if (!ignored(address)) shut_.push_back({address, reason, word});
    rescan();
}

void MidiInputs::reopen() {
    shut_.clear();
    rescan();
}

void MidiInputs::ignore(std::vector<MidiAddress> ports) {
    ignored_ = std::move(ports);
    rescan();
}

bool MidiInputs::rescan() {
    if (!available()) {
        updateStatus();
        return false;
    }
    sources_ = ports_.sources();
    std::vector<std::string> names;
    for (const MidiSource& source : sources_)
        if (std::find(names.begin(), names.end(), source.name) == names.end())
            names.push_back(source.name);
    const bool changed = names != names_;
    names_ = std::move(names);
    // A port gone, renumbered or no longer wanted closes; a wanted one not yet open opens.
    std::erase_if(open_, [this](const OpenPort& p) {
        return !wanted(p.source) ||
               std::find(sources_.begin(), sources_.end(), p.source) == sources_.end();
    });
    for (const MidiSource& source : sources_) {
        const bool isOpen = std::any_of(open_.begin(), open_.end(), [&source](const OpenPort& p) {
            return p.source.address == source.address;
        });
        if (isOpen || !wanted(source)) continue;
        auto listening = ports_.listen(
            source, [queue = &queue_](const std::uint8_t* bytes, std::size_t size,
                                      MidiAddress from) { queue->push(bytes, size, from); });
        if (listening) open_.push_back({source, std::move(listening)});
    }
    updateStatus();
    return changed;
}

void MidiInputs::updateStatus() {
    detail_.clear();
    if (!available()) {
        status_ = ports_.failure();
        brief_ = "MIDI yok";
    } else if (!chosenPresent()) {
        status_ = "MIDI: seçilen giriş takılı değil";
        detail_ = "\"" + chosen_ + "\" takılı değil; takılınca yeniden açılır";
        brief_ = "MIDI: kopuk";
    } else if (names_.empty()) {
        status_ = "MIDI girişi yok";
        brief_ = "MIDI: 0 giriş";
    } else {
        status_ = "MIDI: " + std::to_string(open_.size()) + " giriş açık";
        brief_ = "MIDI: " + std::to_string(open_.size()) + " giriş";
        const auto echoes = std::count_if(sources_.begin(), sources_.end(), [this](const auto& s) {
            return std::find(ignored_.begin(), ignored_.end(), s.address) != ignored_.end() &&
                   (chosen_.empty() || s.name == chosen_);
        });
        if (echoes > 0) {
            status_ += ", " + std::to_string(echoes) + " yankı kapalı";
            detail_ = status_ + ": MPE çıkışının gittiği girişler dinlenmez (döngü olmasın diye)";
        }
        // A source shut for a loop or a flood: the reason in the status, the port in the detail.
        if (!shut_.empty()) {
            if (detail_.empty()) detail_ = status_;
            for (const Shut& s : shut_) {
                const auto at = std::find_if(sources_.begin(), sources_.end(), [&s](const auto& m) {
                    return m.address == s.address;
                });
                detail_ += "\n\"" + (at != sources_.end() ? at->name : std::string("?")) +
                           "\" kapandı: " + s.reason;
            }
            status_ = "MIDI: " + shut_.back().word + ", " + std::to_string(shut_.size()) +
                      " giriş kapandı";
        }
    }
    if (detail_.empty()) detail_ = status_;
}

} // namespace zembera
