#pragma once
// The MIDI ports of the ALSA sequencer. Only ALSA is asked for, by name: letting RtMidi pick the
// first system that has a port falls through to JACK on a sequencer without ports, and JACK's
// library crashes opening a port without a server. JACK users reach the program through the
// sequencer (a2jmidid, PipeWire).
//
// The program's client lists the sources and owns the output port; each listened source has an
// RtMidi input of its own, which tells where its messages came from.
//
// Thread: UI thread.

#include <memory>
#include <string>

#include "midi/midi_ports.h"

namespace zembera {

// The program's own MIDI client name, and the name of its output port.
inline constexpr const char* kMidiClientName = "ZEMBERA";

// Why the sequencer cannot be used ("ALSA sıralayıcısı yok"); empty when it opened. `openError`
// is the negative error number of opening it (0 when it opened).
std::string sequencerFailure(bool devicePresent, int openError);

// The sequencer's ports; without a sequencer, ports whose failure() says why.
std::unique_ptr<MidiPorts> openSystemMidiPorts();

} // namespace zembera
