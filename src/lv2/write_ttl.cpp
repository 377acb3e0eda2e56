// Writes the plugin's Turtle: manifest.ttl and zembera.ttl into the bundle folder given, the
// mandal ports with each string's range of positions.

#include <fstream>
#include <iostream>
#include <string>

#include "lv2/ports.h"
#include "model/pitch_levels.h"
#include "pitch/pitch_table.h"
#include "systems/system_files.h"

namespace {

constexpr const char* kPrefixes = R"(@prefix atom: <http://lv2plug.in/ns/ext/atom#> .
@prefix doap: <http://usefulinc.com/ns/doap#> .
@prefix lv2:  <http://lv2plug.in/ns/lv2core#> .
@prefix midi: <http://lv2plug.in/ns/ext/midi#> .
@prefix patch: <http://lv2plug.in/ns/ext/patch#> .
@prefix rdf:  <http://www.w3.org/1999/02/22-rdf-syntax-ns#> .
@prefix rdfs: <http://www.w3.org/2000/01/rdf-schema#> .
@prefix rsz:  <http://lv2plug.in/ns/ext/resize-port#> .
@prefix state: <http://lv2plug.in/ns/ext/state#> .
@prefix units: <http://lv2plug.in/ns/extensions/units#> .
@prefix urid: <http://lv2plug.in/ns/ext/urid#> .
@prefix work: <http://lv2plug.in/ns/ext/worker#> .
)";

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: zembera_lv2_ttl <bundle folder>\n";
        return 1;
    }
    const std::string folder = argv[1];
    const std::string uri = std::string("<") + zembera::lv2::kPluginUri + ">";
    std::ofstream manifest(folder + "/manifest.ttl");
    manifest << kPrefixes << "\n"
             << uri << "\n    a lv2:Plugin , lv2:InstrumentPlugin ;\n"
             << "    lv2:binary <zembera.so> ;\n    rdfs:seeAlso <zembera.ttl> .\n";

    std::ofstream ttl(folder + "/zembera.ttl");
    ttl << kPrefixes << "\n";
    for (const auto& [parameter, label] :
         {std::pair{zembera::lv2::kScalaParameter, "Ses sistemi dosyası (.scl)"},
          std::pair{zembera::lv2::kMakamParameter, "Makam dosyası (.mkm)"}})
        ttl << "<" << parameter << ">\n    a lv2:Parameter ;\n    rdfs:label \"" << label
            << "\" ;\n    rdfs:range atom:Path .\n\n";
    namespace port = zembera::lv2::port;
    ttl << uri << "\n    a lv2:Plugin , lv2:InstrumentPlugin ;\n"
        << "    doap:name \"ZEMBERA\" ;\n"
        << "    lv2:requiredFeature urid:map ;\n"
        << "    lv2:optionalFeature lv2:hardRTCapable , work:schedule , state:mapPath , "
           "state:freePath ;\n"
        << "    lv2:extensionData state:interface , work:interface ;\n"
        << "    patch:writable <" << zembera::lv2::kScalaParameter << "> , <"
        << zembera::lv2::kMakamParameter << "> ;\n"
        << "    lv2:port [\n        a lv2:InputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n"
        << "        atom:supports midi:MidiEvent , patch:Message ;\n"
        << "        lv2:designation lv2:control ;\n"
        << "        lv2:index " << port::midiIn << " ;\n        lv2:symbol \"midi_in\" ;\n"
        << "        lv2:name \"MIDI\"\n    ] , [\n";
    for (const auto& [index, symbol, name] :
         {std::tuple{port::outLeft, "out_l", "Sol"}, std::tuple{port::outRight, "out_r", "Sağ"}})
        ttl << "        a lv2:OutputPort , lv2:AudioPort ;\n        lv2:index " << index
            << " ;\n        lv2:symbol \"" << symbol << "\" ;\n        lv2:name \"" << name
            << "\"\n    ] , [\n";
    ttl << "        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << port::stringsRing
        << " ;\n        lv2:symbol \"teller_tinlasin\" ;\n        lv2:name \"Teller tınlasın\" ;\n"
        << "        lv2:portProperty lv2:toggled ;\n        lv2:default 0 ;\n"
        << "        lv2:minimum 0 ;\n        lv2:maximum 1\n    ]";
    for (int s = 1; s <= zembera::kStringCount; ++s)
        ttl << " , [\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index "
            << port::firstMandal + static_cast<unsigned>(s) - 1
            << " ;\n        lv2:symbol \"mandal_" << s << "\" ;\n        lv2:name \"Mandal " << s
            << "\" ;\n"
            << "        lv2:portProperty lv2:integer ;\n        lv2:default 0 ;\n"
            << "        lv2:minimum " << zembera::mandalMinOf(s) << " ;\n        lv2:maximum "
            << zembera::mandalMaxOf(s) << "\n    ]";
    // The pitch levels by the index of their option in the window, ŞAH (1) to ŞAH NISFİYE (8).
    ttl << " , [\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index " << port::ahenk
        << " ;\n        lv2:symbol \"ahenk\" ;\n        lv2:name \"Ahenk\" ;\n"
        << "        lv2:portProperty lv2:integer , lv2:enumeration ;\n        lv2:default "
        << zembera::kReferenceLevel << " ;\n        lv2:minimum 1 ;\n        lv2:maximum "
        << zembera::kPitchLevelCount;
    for (int i = 1; i <= zembera::kPitchLevelCount; ++i)
        ttl << " ;\n        lv2:scalePoint [ rdfs:label \""
            << zembera::kPitchLevels[static_cast<std::size_t>(i)].caption << "\" ; rdf:value " << i
            << " ]";
    ttl << "\n    ] , [\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index "
        << port::degreeShift << " ;\n        lv2:symbol \"derece_farki\" ;\n"
        << "        lv2:name \"Derece farkı\" ;\n        lv2:portProperty lv2:integer ;\n"
        << "        lv2:default 0 ;\n        lv2:minimum -8 ;\n        lv2:maximum 12\n    ]";
    for (int s = 1; s <= zembera::kStringCount; ++s)
        ttl << " , [\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index "
            << port::firstFineTuning + static_cast<unsigned>(s) - 1
            << " ;\n        lv2:symbol \"ince_ayar_" << s << "\" ;\n        lv2:name \"İnce ayar "
            << s << "\" ;\n        units:unit units:cent ;\n        lv2:default 0 ;\n"
            << "        lv2:minimum -100 ;\n        lv2:maximum 100\n    ]";
    const auto systems = zembera::systems::bundledSystems();
    ttl << " , [\n        a lv2:InputPort , lv2:ControlPort ;\n        lv2:index "
        << port::pitchSystem
        << " ;\n        lv2:symbol \"ses_sistemi\" ;\n        lv2:name \"Ses sistemi\" ;\n"
        << "        lv2:portProperty lv2:integer , lv2:enumeration ;\n        lv2:default 0 ;\n"
        << "        lv2:minimum 0 ;\n        lv2:maximum " << systems.size() - 1;
    for (std::size_t i = 0; i < systems.size(); ++i)
        ttl << " ;\n        lv2:scalePoint [ rdfs:label \"" << systems[i].name << "\" ; rdf:value "
            << i << " ]";
    // The files read, told to the host after a load, a restore and on its patch:Get.
    ttl << "\n    ] , [\n        a lv2:OutputPort , atom:AtomPort ;\n"
        << "        atom:bufferType atom:Sequence ;\n        atom:supports patch:Message ;\n"
        << "        lv2:designation lv2:control ;\n        rsz:minimumSize " << port::notifyBytes
        << " ;\n        lv2:index " << port::notify
        << " ;\n        lv2:symbol \"notify\" ;\n        lv2:name \"Bildirim\"\n    ] .\n";
    return manifest && ttl ? 0 : 1;
}
