ardour {
	["type"] = "dsp",
	name = "ZEMBERA test notes",
	category = "Utility",
	license = "MIT",
	author = "ZEMBERA",
	description = [[Sends fixed MIDI messages at fixed session frames while the transport rolls.]]
}

-- { session frame, status, data 1, data 2 }, in frame order; written in by render_in_ardour.sh.
local events = { --[[EVENTS]] }

function dsp_ioconfig ()
	return { { midi_in = 1, midi_out = 1, audio_in = 0, audio_out = 0 } }
end

-- The track's playback latency: a track renders the frame that will be heard that many frames
-- after the transport position.
function dsp_params ()
	return { { ["type"] = "input", name = "Latency", min = 0, max = 1048576, default = 0, integer = true } }
end

function dsp_run (_, _, n_samples)
	if not Session:transport_rolling () then return end
	local first = Session:transport_sample () + CtrlPorts:array ()[1]
	local sent = 0
	for _, e in ipairs (events) do
		if e[1] >= first and e[1] < first + n_samples then
			sent = sent + 1
			-- Event times count from 1.
			midiout[sent] = { time = e[1] - first + 1, data = { e[2], e[3], e[4] } }
		end
	end
end
