-- Makes an Ardour session on the dummy backend with one MIDI track whose instrument is an LV2
-- plugin, plays it from "ZEMBERA test notes" placed before the instrument, optionally automates
-- one control port of a plugin on the track, and exports the session's master bus to a WAV file.
--
-- ardour7-lua session.lua FOLDER RATE FRAMES EXPORT_FOLDER NAME PRESET INSTRUMENT_URI
--                         [AUTOMATED_URI PORT_INDEX FRAME:VALUE,...]
-- AUTOMATED_URI is the instrument itself or another LV2 plugin, then added after it.
local folder, rate, frames = arg[1], tonumber (arg[2]), tonumber (arg[3])
local exportFolder, name, preset, instrument = arg[4], arg[5], arg[6], arg[7]
local automatedUri, portIndex, points = arg[8], tonumber (arg[9]), arg[10]

assert (create_session (folder, "zembera", rate), "no session made in " .. folder)

local midi, audio = ARDOUR.DataType ("midi"), ARDOUR.DataType ("audio")
local info = ARDOUR.LuaAPI.new_plugin_info (instrument, ARDOUR.PluginType.LV2)
assert (not info:isnil (), "Ardour finds no LV2 plugin " .. instrument)
-- Strict I/O off: with it on, Ardour 7.3 registers the new track's outputs twice and aborts.
local tracks = Session:new_midi_track (ARDOUR.ChanCount (midi, 1), ARDOUR.ChanCount (audio, 2),
	false, info, nil, nil, 1, "zembera", ARDOUR.PresentationInfo.max_order,
	ARDOUR.TrackMode.Normal, true, false)
assert (tracks:size () == 1, "no MIDI track")
local track = tracks:front ()

local function pluginByUri (uri)
	local i = 0
	while not track:nth_plugin (i):isnil () do
		local proc = track:nth_plugin (i)
		if proc:to_insert ():plugin (0):unique_id () == uri then return proc end
		i = i + 1
	end
	return nil
end
-- A plugin that Ardour finds but cannot instantiate leaves the track without an instrument.
assert (pluginByUri (instrument), "the track has no instrument: " .. instrument)

local notes = ARDOUR.LuaAPI.new_luaproc (Session, "ZEMBERA test notes")
assert (not notes:isnil (), "no note source")
assert (track:add_processor_by_index (notes, 0, nil, true) == 0, "the note source was not added")

if automatedUri then
	local proc = pluginByUri (automatedUri)
	if not proc then
		proc = ARDOUR.LuaAPI.new_plugin (Session, automatedUri, ARDOUR.PluginType.LV2, "")
		assert (not proc:isnil (), "Ardour finds no LV2 plugin " .. automatedUri)
		assert (track:add_processor_by_index (proc, -1, nil, true) == 0, "not added: " .. automatedUri)
	end
	-- Ardour numbers an LV2 plugin's automatable parameters by its control ports in port order.
	-- On a MIDI track the points are kept in musical time, 1920 ticks a beat at 120 beats a
	-- minute: a frame that is no whole tick (12.5 frames at 48 kHz) moves to the nearest tick.
	-- Points are joined by straight lines, also on an integer port (only an on/off port steps): a
	-- step is two points, one tick or more apart.
	local plugin = proc:to_insert ():plugin (0)
	local n = 0
	for j = 0, portIndex - 1 do
		if plugin:parameter_is_control (j) then n = n + 1 end
	end
	local list, curve = ARDOUR.LuaAPI.plugin_automation (proc, n)
	assert (not list:isnil (), "port " .. portIndex .. " of " .. automatedUri .. " is not automatable")
	for when, value in points:gmatch ("(%d+):([-+%d.eE]+)") do
		curve:add (Temporal.timepos_t (tonumber (when)), tonumber (value), false, false)
	end
	local control = proc:to_automatable ():automation_control (
		Evoral.Parameter (ARDOUR.AutomationType.PluginAutomation, 0, portIndex), false)
	control:set_automation_state (ARDOUR.AutoState.Play)
end

-- Set last: every plugin added above may change the track's latency.
ARDOUR.LuaAPI.set_processor_param (notes, 0, track:playback_latency (true))

local export = Session:simple_export ()
export:set_folder (exportFolder)
export:set_name (name)
export:set_range (0, frames)
assert (export:set_preset (preset), "no export preset " .. preset)
print ("EXPORTING")
assert (export:run_export (), "the export failed")
print ("EXPORTED " .. exportFolder .. "/" .. name .. ".wav")
Session:save_state ("", false, false, false, false, false)
close_session ()
