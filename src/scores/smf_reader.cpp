#include "scores/smf_reader.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>
#include <utility>

#include "common/text_fields.h"
#include "scores/score.h"

namespace zembera::scores {
namespace {

// The bend of one direction's full range, in 14-bit steps from the centre.
constexpr double kBendSteps = 8192.0;
// Longest track name kept, in bytes of the file.
constexpr std::size_t kMaxNameBytes = 120;

// A channel message that changes what sounds or how it is tuned, in file order.
struct RawEvent {
    std::int64_t tick = 0;
    int track = 0;           // index into the tracks
    std::uint8_t status = 0; // 0x80..0xEF, or 0xF0 for a General MIDI reset
    std::uint8_t data1 = 0;
    std::uint8_t data2 = 0;
};

struct ChannelState {
    int bend = 0;           // -8192..8191
    int rangeCents = 200;   // the bend's full range up or down
    int parameterMsb = 127; // the registered parameter selected (127, 127: none)
    int parameterLsb = 127;
    bool pedal = false;
};

std::string hexByte(unsigned value) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X", value & 0xFFu);
    return text;
}

std::string keyText(int sharps, int minor) {
    std::string text = sharps > 0   ? std::to_string(sharps) + " diyez"
                       : sharps < 0 ? std::to_string(-sharps) + " bemol"
                                    : "donanımsız";
    return text + (minor ? ", minör" : ", majör");
}

class SmfParser {
  public:
    SmfParser(std::string_view bytes, const std::string& fileName)
        : b_(bytes), fileName_(fileName) {}

    MidiSequence read() {
        if (b_.size() < 4 || b_.substr(0, 4) != "MThd")
            fail(0, "MIDI dosyası değil (MThd başlığı yok)");
        if (b_.size() < 14) fail(b_.size(), "başlık eksik");
        const std::uint32_t headerLength = number(4, 4);
        if (headerLength < 6) fail(4, "başlık 6 bayttan kısa");
        if (headerLength > b_.size() - 8) fail(b_.size(), "başlık eksik");
        seq_.format = static_cast<int>(number(8, 2));
        if (seq_.format > 2)
            fail(8, "bilinmeyen MIDI biçimi (" + std::to_string(seq_.format) + ")");
        const std::uint32_t trackCount = number(10, 2);
        if (trackCount == 0) fail(10, "dosyada iz yok");
        readDivision(number(12, 2));

        std::size_t at = 8 + headerLength;
        while (seq_.tracks.size() < trackCount) {
            track_ = 0;
            if (b_.size() - at < 8)
                fail(at, "dosya erken bitiyor: başlıkta " + std::to_string(trackCount) +
                             " iz var, " + std::to_string(seq_.tracks.size()) + " iz okundu");
            const bool isTrack = b_.substr(at, 4) == "MTrk";
            const std::uint32_t length = number(at + 4, 4);
            if (isTrack) track_ = static_cast<int>(seq_.tracks.size()) + 1;
            if (length > b_.size() - at - 8)
                fail(at, std::string(isTrack ? "iz" : "parça") + " dosyanın sonunu aşıyor (" +
                             std::to_string(length) + " bayt diyor)");
            if (isTrack) readTrack(at + 8, at + 8 + length);
            at += 8 + length;
        }
        track_ = 0;
        sound();
        const auto byTick = [](const auto& a, const auto& b) { return a.tick < b.tick; };
        std::stable_sort(seq_.tempos.begin(), seq_.tempos.end(), byTick);
        std::stable_sort(seq_.meters.begin(), seq_.meters.end(), byTick);
        return std::move(seq_);
    }

  private:
    [[noreturn]] void fail(std::size_t at, const std::string& reason) const {
        const std::string place = (track_ > 0 ? "iz " + std::to_string(track_) + ", " : "") +
                                  "bayt " + std::to_string(at) + ": ";
        throwScoreError(fileName_, place + reason);
    }

    // A big-endian number of `bytes` bytes at `at` (within the file).
    std::uint32_t number(std::size_t at, int bytes) const {
        std::uint32_t value = 0;
        for (int i = 0; i < bytes; ++i)
            value = (value << 8) | static_cast<unsigned char>(b_[at + static_cast<std::size_t>(i)]);
        return value;
    }

    void readDivision(std::uint32_t division) {
        if (division & 0x8000u) {
            // SMPTE: minus the frames a second in the high byte, ticks a frame in the low one.
            const int frames = 256 - static_cast<int>(division >> 8);
            const int ticks = static_cast<int>(division & 0xFFu);
            if ((frames != 24 && frames != 25 && frames != 29 && frames != 30) || ticks == 0)
                fail(12, "zaman birimi (division) geçersiz");
            seq_.ticksPerQuarter = 0;
            seq_.ticksPerSecond = (frames == 29 ? 29.97 : frames) * ticks;
        } else {
            if (division == 0) fail(12, "zaman birimi (division) 0");
            seq_.ticksPerQuarter = static_cast<int>(division);
        }
    }

    // A variable-length quantity at `at`, at most 4 bytes, within the track ending at `end`.
    std::uint32_t quantity(std::size_t& at, std::size_t end) const {
        const std::size_t start = at;
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            if (at >= end) fail(start, "olay yarıda kesilmiş");
            const auto byte = static_cast<unsigned char>(b_[at++]);
            value = (value << 7) | (byte & 0x7Fu);
            if (!(byte & 0x80u)) return value;
        }
        fail(start, "değişken uzunluklu sayı 4 bayttan uzun");
    }

    void readTrack(std::size_t at, std::size_t end) {
        const int index = track_ - 1;
        MidiTrack track;
        std::int64_t tick = 0;
        unsigned running = 0;
        while (at < end) {
            tick += quantity(at, end);
            if (at >= end) fail(at, "olay yarıda kesilmiş");
            const std::size_t eventAt = at;
            const auto status = static_cast<unsigned char>(b_[at]);
            if (status == 0xFF || status == 0xF0 || status == 0xF7) {
                if (status == 0xFF && at + 1 >= end) fail(eventAt, "olay yarıda kesilmiş");
                const unsigned type = status == 0xFF ? static_cast<unsigned char>(b_[at + 1]) : 0;
                at += status == 0xFF ? 2 : 1;
                const std::uint32_t length = quantity(at, end);
                if (length > end - at) fail(eventAt, "olay yarıda kesilmiş");
                const std::string_view data = b_.substr(at, length);
                at += length;
                if (status != 0xFF) {
                    systemExclusive(status, data, tick, index);
                    continue;
                }
                if (type == 0x2F) break; // end of track: what follows is not read
                meta(type, data, tick, eventAt, track);
                continue;
            }
            if (status >= 0xF0)
                fail(eventAt, "MIDI dosyasında yeri olmayan durum baytı " + hexByte(status));
            if (status & 0x80u) {
                running = status;
                ++at;
            } else if (running == 0) {
                fail(eventAt, "durum baytı yok (önünde kanal iletisi de yok)");
            }
            const unsigned kind = running & 0xF0u;
            const std::size_t size = kind == 0xC0 || kind == 0xD0 ? 1 : 2;
            if (size > end - at) fail(eventAt, "olay yarıda kesilmiş");
            const auto data1 = static_cast<unsigned char>(b_[at]);
            const auto data2 = size == 2 ? static_cast<unsigned char>(b_[at + 1]) : 0;
            if ((data1 | data2) & 0x80u)
                fail(data1 & 0x80u ? at : at + 1, "veri baytı 127'den büyük");
            at += size;
            if (kind != 0xA0 && kind != 0xC0 && kind != 0xD0)
                events_.push_back({tick, index, static_cast<std::uint8_t>(running),
                                   static_cast<std::uint8_t>(data1),
                                   static_cast<std::uint8_t>(data2)});
        }
        track.endTick = tick;
        seq_.tracks.push_back(std::move(track));
    }

    void meta(unsigned type, std::string_view data, std::int64_t tick, std::size_t at,
              MidiTrack& track) {
        const int index = track_ - 1;
        auto byte = [&](std::size_t i) { return static_cast<unsigned char>(data[i]); };
        if (type == 0x51) {
            const std::uint32_t micros =
                data.size() >= 3 ? (byte(0) << 16) | (byte(1) << 8) | byte(2) : 0;
            if (micros == 0) fail(at, "tempo geçersiz");
            seq_.tempos.push_back({tick, index, micros});
        } else if (type == 0x58 && data.size() >= 2 && byte(0) > 0 && byte(1) <= 7) {
            seq_.meters.push_back({tick, index, byte(0), 1 << byte(1)});
        } else if (type == 0x59 && data.size() >= 2 && seq_.keySignature.empty()) {
            const int sharps = static_cast<signed char>(byte(0));
            if (sharps >= -7 && sharps <= 7) seq_.keySignature = keyText(sharps, byte(1));
        } else if (type == 0x03 && track.name.empty()) {
            std::string_view name = data.substr(0, kMaxNameBytes);
            while (!name.empty() && (name.back() == ' ' || name.back() == '\0'))
                name.remove_suffix(1);
            track.name = decodeText(name);
        }
    }

    // A General MIDI "system on" (F0 7E <device> 09 01|03 F7) resets every channel.
    void systemExclusive(unsigned status, std::string_view data, std::int64_t tick, int index) {
        if (status == 0xF0 && data.size() >= 4 && data[0] == '\x7E' && data[2] == '\x09' &&
            (data[3] == '\x01' || data[3] == '\x03'))
            events_.push_back({tick, index, 0xF0, 0, 0});
    }

    // Plays the channel messages in time order and gives every note its pitch and its end.
    void sound() {
        if (seq_.format != 2)
            std::stable_sort(events_.begin(), events_.end(),
                             [](const RawEvent& a, const RawEvent& b) { return a.tick < b.tick; });
        int track = -1;
        for (const RawEvent& e : events_) {
            if (seq_.format == 2 && e.track != track) {
                // Each track of format 2 is a sequence of its own: what still sounds of the one
                // before ends with it.
                channels_.fill(ChannelState{});
                sounding_.clear();
                for (auto& h : held_)
                    h.clear();
                track = e.track;
            }
            if (e.status == 0xF0) {
                for (int c = 0; c < 16; ++c)
                    reset(c, e.tick, true);
                continue;
            }
            const int c = e.status & 0x0F;
            ChannelState& s = channels_[static_cast<std::size_t>(c)];
            const std::int64_t place = soundingKey(c, e.track, e.data1);
            switch (e.status & 0xF0) {
            case 0x90:
                if (e.data2 > 0) {
                    if (++total_ > kMaxMidiNotes) throwScoreError(fileName_, "çok fazla nota");
                    MidiNote note;
                    note.onTick = e.tick;
                    note.offTick = -1;
                    note.key = e.data1;
                    note.channel = c;
                    note.cents = (e.data1 - 60) * 100.0 + s.bend * s.rangeCents / kBendSteps;
                    std::vector<MidiNote>& notes =
                        seq_.tracks[static_cast<std::size_t>(e.track)].notes;
                    sounding_.emplace(place, notes.size()); // after the same key's earlier notes
                    notes.push_back(note);
                    break;
                }
                [[fallthrough]]; // velocity 0: a note-off
            case 0x80: {
                const auto found = sounding_.lower_bound(place);
                if (found == sounding_.end() || found->first != place) break;
                const std::size_t note = found->second;
                sounding_.erase(found);
                if (s.pedal)
                    held_[static_cast<std::size_t>(c)].push_back({e.track, note});
                else
                    end(e.track, note, e.tick);
                break;
            }
            case 0xE0:
                s.bend = (e.data2 << 7 | e.data1) - 8192;
                break;
            case 0xB0:
                control(s, c, e);
                break;
            default:
                break;
            }
        }
        for (MidiTrack& t : seq_.tracks)
            for (MidiNote& n : t.notes)
                if (n.offTick < n.onTick) n.offTick = std::max(n.onTick, t.endTick);
    }

    void control(ChannelState& s, int c, const RawEvent& e) {
        switch (e.data1) {
        case 101:
            s.parameterMsb = e.data2;
            break;
        case 100:
            s.parameterLsb = e.data2;
            break;
        case 99: // a non-registered parameter: data entry no longer sets the bend range
        case 98:
            s.parameterMsb = s.parameterLsb = 127;
            break;
        case 6: // the coarse value clears the fine one
            if (s.parameterMsb == 0 && s.parameterLsb == 0) s.rangeCents = e.data2 * 100;
            break;
        case 38:
            if (s.parameterMsb == 0 && s.parameterLsb == 0)
                s.rangeCents = s.rangeCents / 100 * 100 + e.data2;
            break;
        case 64:
            s.pedal = e.data2 >= 64;
            if (!s.pedal) release(c, e.tick);
            break;
        case 121:
            reset(c, e.tick, false);
            break;
        case 120: // all sound off, all notes off
        case 123: {
            const auto first = sounding_.lower_bound(soundingKey(c, 0, 0));
            const auto last = sounding_.lower_bound(soundingKey(c + 1, 0, 0));
            for (auto i = first; i != last; ++i)
                end(static_cast<int>(i->first >> 7 & 0xFFFF), i->second, e.tick);
            sounding_.erase(first, last);
            release(c, e.tick);
            break;
        }
        default:
            break;
        }
    }

    // The notes sounding are kept by channel first, so that one channel's are found together.
    static std::int64_t soundingKey(int channel, int track, int key) {
        return (static_cast<std::int64_t>(channel) << 23) |
               (static_cast<std::int64_t>(track) << 7) | key;
    }
    void end(int track, std::size_t note, std::int64_t tick) {
        seq_.tracks[static_cast<std::size_t>(track)].notes[note].offTick = tick;
    }
    // Ends the notes the pedal of channel `c` holds.
    void release(int c, std::int64_t tick) {
        for (const auto& [t, note] : held_[static_cast<std::size_t>(c)])
            end(t, note, tick);
        held_[static_cast<std::size_t>(c)].clear();
    }
    void reset(int c, std::int64_t tick, bool range) {
        ChannelState& s = channels_[static_cast<std::size_t>(c)];
        s.bend = 0;
        s.parameterMsb = s.parameterLsb = 127;
        if (range) s.rangeCents = 200;
        s.pedal = false;
        release(c, tick);
    }

    std::string_view b_;
    const std::string& fileName_;
    int track_ = 0; // the track chunk being read, from 1; 0 outside the tracks
    MidiSequence seq_;
    std::vector<RawEvent> events_;
    std::array<ChannelState, 16> channels_{};
    // The notes sounding by channel, track and key, earliest first (indices into their track's
    // notes); those released while the pedal is down, by channel.
    std::multimap<std::int64_t, std::size_t> sounding_;
    std::array<std::vector<std::pair<int, std::size_t>>, 16> held_;
    std::size_t total_ = 0;
};

} // namespace

MidiSequence readMidiSequence(std::string_view bytes, const std::string& fileName) {
    return SmfParser(bytes, fileName).read();
}

} // namespace zembera::scores
