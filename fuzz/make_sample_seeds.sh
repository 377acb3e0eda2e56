#!/usr/bin/env bash
# Makes the seeds of the sample file fuzz target: a short tone in every common WAV layout (SoX),
# and the program's own layout with chunks before "fmt ", a long LIST, and a cue point naming
# "data" before the data chunk. Usage: fuzz/make_sample_seeds.sh [folder]
set -euo pipefail
out=${1:-$(cd "$(dirname "$0")" && pwd)/corpus/sample_file}
mkdir -p "$out"
tone() { sox -D -n -r 44100 -c 1 -b 16 "$@" synth 0.01 pluck 262; }
tone "$out/program.wav"
tone -b 24 "$out/int24.wav"
tone -b 32 "$out/int32.wav"
tone -e floating-point -b 32 "$out/float32.wav"
tone -e floating-point -b 64 "$out/float64.wav"
tone -b 8 "$out/uint8.wav"
tone -e a-law "$out/alaw.wav"
tone -e u-law "$out/ulaw.wav"
tone -c 2 "$out/stereo.wav"
tone -c 4 "$out/extensible4.wav"
tone -r 48000 -b 24 -c 2 "$out/r48k_24_stereo.wav"
tone -r 22050 "$out/r22050.wav"
tone -r 8000 "$out/r8000.wav"
tone -r 192000 "$out/r192k.wav"
tone -e ima-adpcm -b 4 "$out/ima_adpcm.wav"
python3 - "$out" <<'PY'
import struct, sys, os
out = sys.argv[1]
base = open(os.path.join(out, "program.wav"), "rb").read()
def chunk(cid, body):
    return cid + struct.pack("<I", len(body)) + body + (b"\0" if len(body) % 2 else b"")
def layout(name, before=b"", between=b"", after=b""):
    b = base[:12] + before + base[12:36] + between + base[36:] + after
    b = b[:4] + struct.pack("<I", len(b) - 8) + b[8:]
    open(os.path.join(out, name), "wb").write(b)
layout("junk_bext_first.wav", chunk(b"JUNK", bytes(28)) + chunk(b"bext", b"data".ljust(602)))
layout("list1200.wav", between=chunk(b"LIST", b"INFO" + chunk(b"ICMT", b"data".ljust(1188))))
cue = struct.pack("<II4sIII", 1, 1, b"data", 0, 0, 40)
layout("cue_pad_ixml.wav", between=chunk(b"cue ", struct.pack("<I", 1) + cue),
       after=chunk(b"PAD ", bytes(5)) + chunk(b"iXML", b"<BWFXML>data</BWFXML>"))
rate0 = bytearray(base); rate0[24:32] = bytes(8)
open(os.path.join(out, "rate0.wav"), "wb").write(rate0)
PY
