#include "midi/alsa_midi_ports.h"

#include <alsa/asoundlib.h>
#include <rtmidi/RtMidi.h>

#include <cerrno>
#include <cstdarg>
#include <filesystem>
#include <system_error>

namespace zembera {
namespace {

// ALSA's library prints its errors on standard error unless told otherwise; while the MIDI code
// calls into it, they go nowhere (the caller turns the failure into a Turkish line).
void silentAlsa(const char* /*file*/, int /*line*/, const char* /*function*/, int /*err*/,
                const char* /*format*/, ...) {}

class SilentAlsa {
  public:
    SilentAlsa() : saved_(snd_lib_error) { snd_lib_error_set_handler(silentAlsa); }
    ~SilentAlsa() { snd_lib_error_set_handler(saved_); }
    SilentAlsa(const SilentAlsa&) = delete;
    SilentAlsa& operator=(const SilentAlsa&) = delete;

  private:
    snd_lib_error_handler_t saved_;
};

// RtMidi reports problems here instead of on the terminal; a port that cannot open stays closed.
void quietErrors(RtMidiError::Type /*type*/, const std::string& /*text*/, void* /*user*/) {}

bool sequencerDevicePresent() {
    std::error_code error;
    return std::filesystem::exists("/dev/snd/seq", error);
}

// A source listened to through an RtMidi input of its own.
class RtMidiListening : public MidiListening {
  public:
    RtMidiListening(MidiReceiver receiver, MidiAddress source)
        : target_{std::move(receiver), source} {}

    bool open(const MidiSource& source) {
        const SilentAlsa silent;
        try {
            in_ = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, kMidiClientName);
            in_->setErrorCallback(quietErrors);
            // RtMidi names ALSA ports "client:port c:p"; the numbers find ours in its list.
            const std::string suffix = " " + std::to_string(source.address.client) + ":" +
                                       std::to_string(source.address.port);
            const unsigned count = in_->getPortCount();
            for (unsigned i = 0; i < count; ++i) {
                const std::string name = in_->getPortName(i);
                if (name.size() < suffix.size() ||
                    name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
                    continue;
                in_->ignoreTypes(true, true, true); // no system exclusive, clock or sensing
                in_->setCallback(received, &target_);
                in_->openPort(i, kMidiClientName);
                return in_->isPortOpen();
            }
        } catch (const RtMidiError&) {
            // Gone or busy: the next rescan tries again.
        }
        return false;
    }

  private:
    struct Target {
        MidiReceiver receiver;
        MidiAddress source;
    };
    static void received(double /*delta*/, std::vector<unsigned char>* message, void* target) {
        const auto* t = static_cast<const Target*>(target);
        t->receiver(message->data(), message->size(), t->source);
    }

    Target target_;                // outlives the input, whose thread calls into it
    std::unique_ptr<RtMidiIn> in_; // destroyed first: its thread ends before target_ goes
};

// A hidden port of the program's client that hears the sequencer's announcements (System:
// Announce), among them every subscription made to any port.
int listenToAnnouncements(snd_seq_t* seq) {
    const int port = snd_seq_create_simple_port(seq, "ZEMBERA duyurular",
                                                SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_NO_EXPORT,
                                                SND_SEQ_PORT_TYPE_APPLICATION);
    if (port < 0) return -1;
    if (snd_seq_connect_from(seq, port, SND_SEQ_CLIENT_SYSTEM, SND_SEQ_PORT_SYSTEM_ANNOUNCE) < 0) {
        snd_seq_delete_simple_port(seq, port);
        return -1;
    }
    return port;
}

class AlsaOutputPort : public MidiOutputPort {
  public:
    AlsaOutputPort(snd_seq_t* seq, int client, int port, snd_midi_event_t* encoder)
        : seq_(seq), address_{client, port}, encoder_(encoder),
          announced_(listenToAnnouncements(seq)) {
        pollfd descriptor{};
        if (announced_ >= 0 && snd_seq_poll_descriptors(seq_, &descriptor, 1, POLLIN) == 1)
            descriptor_ = descriptor.fd;
    }
    ~AlsaOutputPort() override {
        if (announced_ >= 0) snd_seq_delete_simple_port(seq_, announced_);
        snd_midi_event_free(encoder_);
        snd_seq_delete_simple_port(seq_, address_.port);
    }

    int announcements() override { return descriptor_; }

    std::vector<MidiAddress> newSubscriptions() override {
        std::vector<MidiAddress> fresh;
        const SilentAlsa silent;
        // Every event waiting; an overrun (-ENOSPC) lost some, and the rest still follows.
        for (int guard = 0; guard < 4096; ++guard) {
            snd_seq_event_t* event = nullptr;
            const int left = snd_seq_event_input(seq_, &event);
            if (left == -ENOSPC) continue;
            if (left < 0 || !event) break;
            const snd_seq_connect_t& c = event->data.connect;
            if (event->type == SND_SEQ_EVENT_PORT_SUBSCRIBED &&
                c.sender.client == address_.client && c.sender.port == address_.port)
                fresh.push_back({c.dest.client, c.dest.port});
        }
        return fresh;
    }
    AlsaOutputPort(const AlsaOutputPort&) = delete;
    AlsaOutputPort& operator=(const AlsaOutputPort&) = delete;

    MidiAddress address() const override { return address_; }

    std::vector<MidiAddress> subscribers() override {
        std::vector<MidiAddress> found;
        snd_seq_query_subscribe_t* query = nullptr;
        snd_seq_query_subscribe_alloca(&query);
        const snd_seq_addr_t root{static_cast<unsigned char>(address_.client),
                                  static_cast<unsigned char>(address_.port)};
        snd_seq_query_subscribe_set_root(query, &root);
        snd_seq_query_subscribe_set_type(query, SND_SEQ_QUERY_SUBS_READ);
        snd_seq_query_subscribe_set_index(query, 0);
        const SilentAlsa silent;
        while (snd_seq_query_port_subscribers(seq_, query) >= 0) {
            const snd_seq_addr_t* to = snd_seq_query_subscribe_get_addr(query);
            found.push_back({to->client, to->port});
            snd_seq_query_subscribe_set_index(query, snd_seq_query_subscribe_get_index(query) + 1);
        }
        return found;
    }

    void send(const std::vector<std::uint8_t>& message, std::optional<MidiAddress> to) override {
        snd_seq_event_t event;
        snd_seq_ev_clear(&event);
        snd_midi_event_reset_encode(encoder_);
        const long used = snd_midi_event_encode(encoder_, message.data(),
                                                static_cast<long>(message.size()), &event);
        if (used <= 0 || event.type == SND_SEQ_EVENT_NONE) return;
        snd_seq_ev_set_source(&event, static_cast<unsigned char>(address_.port));
        if (to)
            snd_seq_ev_set_dest(&event, static_cast<unsigned char>(to->client),
                                static_cast<unsigned char>(to->port));
        else
            snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
        const SilentAlsa silent;
        snd_seq_event_output_direct(seq_, &event); // a message that cannot go out is lost
    }

  private:
    snd_seq_t* seq_;
    MidiAddress address_;
    snd_midi_event_t* encoder_;
    int announced_ = -1;  // the port hearing the announcements
    int descriptor_ = -1; // readable when they arrive
};

class AlsaMidiPorts : public MidiPorts {
  public:
    AlsaMidiPorts() {
        const bool present = sequencerDevicePresent();
        int error = -ENOENT;
        if (present) {
            const SilentAlsa silent;
            // Input too: the announcements of subscriptions to the output port.
            error = snd_seq_open(&seq_, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK);
            if (error >= 0) {
                snd_seq_set_client_name(seq_, kMidiClientName);
                client_ = snd_seq_client_id(seq_);
            }
        }
        reason_ = sequencerFailure(present, error < 0 ? error : 0);
        if (!reason_.empty()) {
            seq_ = nullptr;
            failure_ = "MIDI yok: " + reason_;
        }
    }
    ~AlsaMidiPorts() override {
        if (seq_) snd_seq_close(seq_);
    }
    AlsaMidiPorts(const AlsaMidiPorts&) = delete;
    AlsaMidiPorts& operator=(const AlsaMidiPorts&) = delete;

    std::string failure() const override { return failure_; }

    std::vector<MidiSource> sources() override {
        std::vector<MidiSource> found;
        if (!seq_) return found;
        const SilentAlsa silent;
        snd_seq_client_info_t* client = nullptr;
        snd_seq_port_info_t* port = nullptr;
        snd_seq_client_info_alloca(&client);
        snd_seq_port_info_alloca(&port);
        snd_seq_client_info_set_client(client, -1);
        while (snd_seq_query_next_client(seq_, client) >= 0) {
            const int id = snd_seq_client_info_get_client(client);
            if (id == client_ || id == SND_SEQ_CLIENT_SYSTEM) continue; // ours; the announcements
            snd_seq_port_info_set_client(port, id);
            snd_seq_port_info_set_port(port, -1);
            while (snd_seq_query_next_port(seq_, port) >= 0) {
                const unsigned caps = snd_seq_port_info_get_capability(port);
                const unsigned type = snd_seq_port_info_get_type(port);
                constexpr unsigned readable = SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ;
                // The ports RtMidi lists as inputs, and so can open.
                if ((caps & readable) != readable || (caps & SND_SEQ_PORT_CAP_NO_EXPORT)) continue;
                if (!(type & (SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH |
                              SND_SEQ_PORT_TYPE_APPLICATION)))
                    continue;
                found.push_back({std::string(snd_seq_client_info_get_name(client)) + ":" +
                                     snd_seq_port_info_get_name(port),
                                 {id, snd_seq_port_info_get_port(port)}});
            }
        }
        return found;
    }

    std::unique_ptr<MidiListening> listen(const MidiSource& source,
                                          MidiReceiver receiver) override {
        if (!seq_) return nullptr;
        auto listening = std::make_unique<RtMidiListening>(std::move(receiver), source.address);
        if (!listening->open(source)) return nullptr;
        return listening;
    }

    std::unique_ptr<MidiOutputPort> openOutput(const std::string& name, std::string& why) override {
        if (!seq_) {
            why = reason_;
            return nullptr;
        }
        const SilentAlsa silent;
        const int port = snd_seq_create_simple_port(
            seq_, name.c_str(), SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
            SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (port < 0) {
            why = "sıralayıcı yeni kapıya izin vermedi";
            return nullptr;
        }
        snd_midi_event_t* encoder = nullptr;
        if (snd_midi_event_new(16, &encoder) < 0) {
            snd_seq_delete_simple_port(seq_, port);
            why = "bellek yetmedi";
            return nullptr;
        }
        return std::make_unique<AlsaOutputPort>(seq_, client_, port, encoder);
    }

  private:
    snd_seq_t* seq_ = nullptr;
    int client_ = -1;
    std::string reason_;  // why the sequencer cannot be used
    std::string failure_; // the same for the MIDI box
};

} // namespace

std::string sequencerFailure(bool devicePresent, int openError) {
    if (!devicePresent) return "ALSA sıralayıcısı yok";
    if (openError == 0) return {};
    // Short: the MIDI box shows "MIDI yok: " and this on two narrow lines.
    if (openError == -EACCES || openError == -EPERM) return "sıralayıcıya izin yok";
    if (openError == -EBUSY) return "sıralayıcı meşgul";
    return "sıralayıcı açılamadı";
}

std::unique_ptr<MidiPorts> openSystemMidiPorts() {
    return std::make_unique<AlsaMidiPorts>();
}

} // namespace zembera
