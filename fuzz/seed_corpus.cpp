// Writes a seed corpus for every fuzz target into one folder per target,
// made by our own writers: the demo's data archive and launcher files, and
// clips, scripts and settings written for the purpose. Seeds carry the
// leading bytes that a target reads as its choices.
//   fuzz_seed_corpus OUTPUT_FOLDER

#include "engine/base/datafile_map.h"
#include "skin/skins/sk_units.h"
#include "tools/demo/demo_data.h"
#include "tools/demo/launcher_demo.h"
#include "tools/launcher_skin.h"
#include "tools/script_assembler.h"
#include "tools/skin_writer.h"
#include "tools/sound_writer.h"
#include "tools/video_tracks_writer.h"
#include "tools/video_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::string;

Bytes ReadAll(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

Bytes FromVector(const std::vector<std::uint8_t>& bytes) { return Bytes(bytes.begin(), bytes.end()); }

bool EndsWith(const std::string& text, const std::string& end)
{
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class Corpus {
public:
    explicit Corpus(fs::path root) : root_(std::move(root)) {}

    void Add(const std::string& target, const std::string& name, const Bytes& bytes)
    {
        const fs::path folder = root_ / target;
        fs::create_directories(folder);
        std::string safe = name;
        for (char& c : safe)
            if (c == '/' || c == '\\')
                c = '_';
        std::ofstream(folder / safe, std::ios::binary) << bytes;
        ++counts_[target];
    }
    const std::map<std::string, int>& Counts() const { return counts_; }

private:
    fs::path root_;
    std::map<std::string, int> counts_;
};

// The entries of the demo's archive, by name.
std::map<std::string, Bytes> ArchiveEntries(const fs::path& folder)
{
    std::map<std::string, Bytes> entries;
    const Bytes map = ReadAll(folder / "resource.map");
    std::vector<DatafileMapEntry> records;
    if (!ParseDatafileMap(reinterpret_cast<const std::uint8_t*>(map.data()), map.size(), records))
        return entries;
    std::map<std::string, Bytes> archives;
    for (const DatafileMapEntry& record : records) {
        Bytes& archive = archives[record.archive];
        if (archive.empty())
            archive = ReadAll(folder / ("resource." + record.archive));
        if (static_cast<std::uint64_t>(record.offset) + record.size <= archive.size())
            entries[record.name] = archive.substr(record.offset, record.size);
    }
    return entries;
}

// The three offsets of project item k inside "inventory" (the project's
// tables of icon, cursor and script offsets) followed by the entry; empty
// when the project is too short or names no such item.
Bytes InventorySeed(const Bytes& project, const Bytes& inventory, int k)
{
    constexpr std::size_t kNames = 131, kNameSize = 64, kTables[3] = {8452, 8972, 9492};
    if (project.size() < kTables[2] + 4 * 130 || project[kNames + kNameSize * k] == '\0')
        return {};
    Bytes seed;
    for (const std::size_t table : kTables)
        seed += project.substr(table + 4 * k, 4);
    return seed + inventory;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: fuzz_seed_corpus OUTPUT_FOLDER\n");
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path scratch = out / ".demo";
    fs::remove_all(scratch);
    fs::create_directories(scratch / "launcher");
    std::string error;
    vls::tools::DemoReport report;
    if (!vls::tools::WriteDemoData(scratch, report, error)
        || !vls::tools::WriteLauncherDemo(scratch / "launcher", scratch, error)) {
        std::fprintf(stderr, "fuzz_seed_corpus: the demo could not be written: %s\n", error.c_str());
        return 1;
    }
    Corpus corpus(out);
    const std::map<std::string, Bytes> entries = ArchiveEntries(scratch);

    const Bytes map = ReadAll(scratch / "resource.map");
    corpus.Add("datafile_map_reader", "resource.map", map);
    for (const auto& [name, bytes] : entries) {
        if (name == "project" || EndsWith(name, ".scene") || EndsWith(name, ".dialogue")) {
            corpus.Add("script_slot_load", name, Bytes(1, '\0') + bytes);
            corpus.Add("script_slot_load", name + ".loose", Bytes(1, '\1') + bytes);
        }
        if (name == "project" || name == "ui_info" || EndsWith(name, ".scene") || EndsWith(name, ".view"))
            corpus.Add("world_readers", name, bytes);
        if (EndsWith(name, ".dialogue"))
            corpus.Add("ui_readers", name, Bytes(1, '\0') + bytes);
        if (name == "inventory" && entries.count("project")) {
            for (int k = 0; k < 130; ++k) {
                const Bytes seed = InventorySeed(entries.at("project"), bytes, k);
                if (!seed.empty())
                    corpus.Add("inventory_resource", "item" + std::to_string(k), seed);
            }
        }
        if (EndsWith(name, ".image") || name == "font1" || name == "font2")
            corpus.Add("image_font_reader", name, bytes);
        if (EndsWith(name, ".gr2"))
            corpus.Add("gr2_reader", name, bytes);
        if (EndsWith(name, ".wav"))
            corpus.Add("fmod_wav_reader", name, bytes);
        if (EndsWith(name, ".lsm"))
            corpus.Add("lsm_reader", name, bytes);
        if (EndsWith(name, ".sync"))
            corpus.Add("sync_reader", name, bytes);
        if (EndsWith(name, ".scene"))
            corpus.Add("walk_map_reader", name, bytes);
        if (name == "ui_info" || name == "project") {
            corpus.Add("code_page_conversion", name + ".1252", Bytes(1, '\0') + bytes);
            corpus.Add("crt_text_stream", name, Bytes("\x07\x82\x01\n") + bytes);
        }
    }

    // Scripts assembled from our own source.
    const Bytes script = FromVector(vls::tools::AssembleScriptBytes(vls::tools::DemoProjectScriptSource()));
    corpus.Add("script_loader", "project.script", script);
    corpus.Add("script_slot_load", "project.script", Bytes(1, '\0') + script);
    corpus.Add("savegame_reader", "script-block", script);

    // Settings as the launcher demo writes them, and one with every value type.
    const Bytes settings = ReadAll(scratch / "config" / "user.reg");
    const Bytes allTypes = "REGEDIT4\n\n[Software\\Quarrybend\\Veilstrand]\n\"Antialiasing\"=dword:00000002\n"
                           "\"Path\"=\"C:\\\\Games\\\\Veilstrand\"\n\"Blob\"=hex:de,ad,\\\n  be,ef\n@=\"default\"\n"
                           "\"List\"=hex(7):61,00,62,00,00,00\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"X\"=dword:1\n";
    for (const char* target : {"registry_file_parser", "registry_read_write"}) {
        corpus.Add(target, "demo.reg", settings);
        corpus.Add(target, "all-types.reg", allTypes);
    }

    // The launcher's files.
    for (const char* file : {"launcher.str", "launcher.bmp", "launcher.mus", "launcher.sn1", "launcher.sn2"}) {
        const Bytes bytes = ReadAll(scratch / "launcher" / file);
        if (bytes.empty())
            continue;
        if (EndsWith(file, ".str")) {
            corpus.Add("launcher_texts", file, bytes);
            corpus.Add("kit_readers", file, bytes);
            corpus.Add("code_page_conversion", std::string(file) + ".utf16", Bytes(1, '\2') + bytes);
            corpus.Add("crt_text_stream", file, Bytes("\x0f\x80\x03\n") + bytes);
        } else if (EndsWith(file, ".bmp")) {
            corpus.Add("gdi_bmp_reader", file, bytes);
            corpus.Add("image_font_reader", file, bytes);
        } else {
            corpus.Add("fmod_wav_reader", file, bytes);
            corpus.Add("kit_readers", file, bytes);
        }
    }

    // Sounds, clips and their side files.
    const auto tone = vls::tools::MakeSine(22050, 2, 440.0, 0.05, 0.5);
    corpus.Add("fmod_wav_reader", "tone.wav", FromVector(vls::tools::WriteWav(tone)));
    corpus.Add("fmod_wav_reader", "tone8.wav", FromVector(vls::tools::WriteWav(tone, 8)));
    corpus.Add("fmod_wav_reader", "tone.ogg", FromVector(vls::tools::EncodeOggVorbis(tone)));
    vls::tools::VideoClipOptions clip;
    clip.width = 16;
    clip.height = 16;
    clip.frames = 3;
    const Bytes video = FromVector(vls::tools::WriteVideoClip(clip, error));
    if (!video.empty())
        corpus.Add("bink_open", "clip.video", video);
    const Bytes subtitles = vls::tools::WriteSubtitles({{0, 40, "Hello"}, {40, 80, "Again"}});
    corpus.Add("video_side_files", "clip.subtitle", subtitles);
    corpus.Add("video_side_files", "clip.cmotion", FromVector(vls::tools::WriteCameraTrack({{0, 1, 2, 3, 4, 5, 6}})));
    corpus.Add("video_side_files", "clip.motion", FromVector(vls::tools::WriteHeightTrack({{1, 2, 3}, {4, 5, 6}})));

    // The launcher's skin in each of its stream formats.
    try {
        skin::InitializeSkinUnits();
        skin::TSkSkinSource source(nullptr);
        vls::tools::BuildLauncherSkin(source);
        for (const char* format : {"uskn", "kskn", "xskn", "mskn"})
            corpus.Add("skin_stream", std::string("launcher.") + format,
                FromVector(vls::tools::WriteSkinStream(source, format)));
        corpus.Add("skin_stream", "launcher.form", FromVector(vls::tools::WriteSkinFormProperty(source)));
        skin::FinalizeSkinUnits();
    } catch (...) {
        std::fprintf(stderr, "fuzz_seed_corpus: the launcher skin could not be written\n");
    }

    // Texts for the readers of our own small formats.
    corpus.Add("input_script_reader", "walk.txt",
        "# start\nstep 500\nclick 700 600\nstep 2000\nkey M\nstep 200\nkey F8\nkey ESCAPE\nstep 500\n"
        "screenshot menu.bmp\ntext h\xc3\xa9llo\nwheel 10 10 -120\nmousedown 5 5 right\nclose\nstep 1000\n");
    corpus.Add("window_announcements", "engine", "\x01" "4242-1.win\n9\nQuib-Velt10\nVeilstrand");
    corpus.Add("window_announcements", "launcher", "\x01" "4243-7.win\n12\nTApplication10\nVeilstrand");
    corpus.Add("window_announcements", "left", "\x00" ".4244-1.win.3.tmp\n3\nabc0\n");
    corpus.Add("code_page_conversion", "cyrillic.1251", "\x01\xcf\xf0\xe8\xe2\xe5\xf2");
    corpus.Add("code_page_conversion", "utf8", "\x02" "Caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xae");
    corpus.Add("crt_text_stream", "crlf", "\x01\x02\x81\n" "one\r\ntwo\r\r\nthree\rfour\r\n\r");

    // Savegame payloads of the dialogue, inventory and messenger blocks, after
    // the byte that picks the reader.
    auto name64 = [](const char* name) {
        Bytes field(64, '\0');
        field.replace(0, std::strlen(name), name);
        return field;
    };
    auto u32 = [](std::uint32_t value) {
        Bytes out;
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
        return out;
    };
    const Bytes flags = u32(0) + u32(1) + u32(1);
    corpus.Add("ui_readers", "DLG", "\x01" + Bytes(1, '\2') + name64("greeting") + u32(3) + flags + name64("farewell") +
        u32(2) + u32(5) + u32(0));
    Bytes inventoryBlock = "\x02" + Bytes("\x41\x41") + Bytes("\x03\x81\x00", 3) + Bytes(62, '\xff') +
        Bytes("\x07", 1) + Bytes(64, '\xff');
    corpus.Add("ui_readers", "INV", inventoryBlock);
    corpus.Add("ui_readers", "MSN", "\x03" + name64("anna") + name64("anna") + name64("anna_head") + u32(0xFF112233) +
        name64("ben") + name64("ben") + name64("") + u32(0xFF445566));

    // A character of each controller kind with a zeroed block of that kind.
    auto header = [&](const char* tag, const char* name, std::uint32_t length) {
        Bytes field(4, '\0');
        field.replace(0, std::strlen(tag), tag);
        return field + name64(name) + u32(length);
    };
    const struct {
        const char* name;
        std::uint32_t length;
    } controllers[] = {{"PCtrlDefault", 516 + 88}, {"PCtrlZodiac", 284}, {"PCtrlDiver", 64 + 88}, {"PCtrlInfobot", 0}};
    for (int type = 1; type <= 4; ++type) {
        Bytes character(268, '\0');
        character[144] = static_cast<char>(type);
        const auto& controller = controllers[type - 1];
        corpus.Add("character_block", controller.name,
                   header("CHR", "$pc$", 268) + character + header("PCR", controller.name, controller.length)
                       + Bytes(controller.length, '\0') + header("END", "", 0));
    }

    // Targets whose inputs none of the above fits still start from something.
    for (const char* target : {"vcl_component_stream", "sound_particle_blocks", "skin_object_classes",
             "savegame_reader", "walk_map_reader", "kit_readers", "ui_readers"})
        corpus.Add(target, "small", Bytes("\x01\x00\x02\x00TPF0", 8));

    // Text forms: nested option names past twenty characters, identifiers of
    // the font, and an action list whose action a button names.
    corpus.Add("vcl_component_stream", "nested.txt",
               "object Nested: TFuzzNested\r\n"
               "  Options.Shadow.Size = 12\r\n"
               "  Options.Shadow.Enabled = True\r\n"
               "  Options.ANameLongerThanTwentyCharactersForTheReader = 7\r\n"
               "  Font.Charset = RUSSIAN_CHARSET\r\n"
               "  Font.Color = clBtnText\r\n"
               "  Font.Style = [fsBold]\r\n"
               "end\r\n");
    corpus.Add("vcl_component_stream", "actions.txt",
               "object Form: TForm\r\n"
               "  object Actions: TActionList\r\n"
               "    object Start: TAction\r\n"
               "      Caption = '&Start'\r\n"
               "      Hint = 'Starts the game'\r\n"
               "    end\r\n"
               "  end\r\n"
               "  object Go: TButton\r\n"
               "    Action = Start\r\n"
               "    Default = True\r\n"
               "  end\r\n"
               "end\r\n");

    fs::remove_all(scratch);
    for (const auto& [target, count] : corpus.Counts())
        std::printf("%s: %d seeds\n", target.c_str(), count);
    return 0;
}
