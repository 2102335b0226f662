#include "tools/random_play/vls_profile.h"

#include "tools/demo/demo_harbour_script.h"
#include "tools/demo/demo_messenger.h"

#include <string>

namespace vls::random_play {
namespace {

// The scene's picture starts at this window row.
constexpr int kBandTop = 128;

struct Spot {
    int x;
    int y;
};

Spot InBand(vls::tools::BandPoint point) { return {static_cast<int>(point.x), static_cast<int>(point.y) + kBandTop}; }

std::vector<Spot> Places()
{
    namespace h = vls::tools::harbour;
    return {InBand(h::kStart), InBand(h::kQuayEnd), InBand(h::kBoatSide), InBand(h::kFisher), InBand(h::kFisherMeet),
        InBand(h::kRope), InBand(h::kRopeSide), {300, 560}, {600, 430}, {380, 440}, {800, 360}, {512, 384}};
}

// The menu's items and entries, as the demo's menu lays them out.
constexpr Spot kMenuLoad{500, 280};
constexpr Spot kMenuSave{500, 344};
constexpr Spot kMenuEntry{500, 290};
// The inventory bar opens when the mouse rests at the bottom edge.
constexpr int kInventoryRow = 740;

std::string Line(const char* command, Spot at) { return std::string(command) + " " + std::to_string(at.x) + " " + std::to_string(at.y); }

} // namespace

void VlsProfile::Prepare(const std::filesystem::path& work, const std::filesystem::path&, const std::filesystem::path& data)
{
    for (const auto& entry : std::filesystem::directory_iterator(data)) {
        const std::string name = entry.path().filename().string();
        if (entry.is_regular_file() && name.rfind("resource.", 0) == 0)
            std::filesystem::copy_file(entry.path(), work / name, std::filesystem::copy_options::overwrite_existing);
    }
}

PlayAction VlsProfile::UseSomething()
{
    const Spot spot = random_.Pick(Places());
    const int x = spot.x + random_.Between(-12, 12);
    const int y = spot.y + random_.Between(-12, 12);
    PlayAction action = random_.Chance(70) ? input_.Click(x, y, random_.Chance(70) ? "left" : "right") : input_.DoubleClick(x, y);
    if (random_.Chance(50))
        action.lines.push_back(input_.LongStep());
    return action;
}

PlayAction VlsProfile::ChooseInDialogue()
{
    // The choices are lines of text at the band's foot.
    return input_.Click(random_.Between(60, 600), random_.Between(620, 760));
}

PlayAction VlsProfile::UseAnItem()
{
    const Spot item{random_.Between(40, 400), kInventoryRow};
    const Spot target = random_.Pick(Places());
    PlayAction action{{Line("move", item), "step 600", Line("click", item), "step 200", Line("move", target), "step 100"}};
    action.lines.push_back(Line(random_.Chance(80) ? "click" : "mouseup", target));
    action.lines.push_back(input_.LongStep());
    return action;
}

PlayAction VlsProfile::Messenger()
{
    namespace m = vls::tools::messenger;
    const std::vector<Spot> controls = {{m::kDeviceX + 105, m::kDeviceY + 190 + kBandTop},
        {m::kConnectX + 16, m::kButtonY + 16 + kBandTop}, {m::kDisconnectX + 16, m::kButtonY + 16 + kBandTop},
        {m::kDeviceX + 60, m::kDeviceY + 190 + kBandTop}, {m::kScreenX + 20, m::kScreenY + 20 + kBandTop}};
    PlayAction action{{"key M", "step " + std::to_string(random_.Between(100, 1600))}};
    for (int presses = random_.Between(1, 4); presses > 0; --presses) {
        const Spot control = random_.Pick(controls);
        action.lines.push_back(Line("move", control));
        action.lines.push_back("step 50");
        action.lines.push_back(Line("click", control));
        action.lines.push_back(random_.Chance(30) ? input_.LongStep() : input_.ShortStep());
    }
    return action;
}

PlayAction VlsProfile::SaveFromTheMenu()
{
    return {{"key ESCAPE", "step 100", Line("click", kMenuSave), "step 50", "text r" + std::to_string(random_.Between(0, 9)),
        "step 50", Line("click", kMenuEntry), "step 100", random_.Chance(70) ? "key ESCAPE" : "key RETURN", input_.ShortStep()}};
}

PlayAction VlsProfile::LoadFromTheMenu()
{
    return {{"key ESCAPE", "step 100", Line("click", kMenuLoad), "step 50", Line("click", kMenuEntry), input_.ShortStep()}};
}

PlayAction VlsProfile::WanderInTheMenu()
{
    PlayAction action{{"key ESCAPE", "step 100"}};
    for (int clicks = random_.Between(1, 5); clicks > 0; --clicks) {
        const PlayAction click = random_.Chance(60)
            ? input_.Click(random_.Between(300, 724), random_.Between(150, 650))
            : input_.Key(random_.Chance(50) ? "ESCAPE" : "RETURN");
        action.lines.insert(action.lines.end(), click.lines.begin(), click.lines.end());
    }
    return action;
}

PlayAction VlsProfile::Next()
{
    switch (random_.Between(0, 39)) {
    case 0:
    case 1:
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
    case 7: return UseSomething();
    case 8:
    case 9:
    case 10: return ChooseInDialogue();
    case 11:
    case 12: return UseAnItem();
    case 13:
    case 14: return Messenger();
    case 15:
    case 16: return SaveFromTheMenu();
    case 17:
    case 18: return LoadFromTheMenu();
    case 19: return WanderInTheMenu();
    case 20: return input_.Key(random_.Pick(std::vector<std::string>{"M", "H", "F8", "ESCAPE"}));
    case 21: return {{}, true};
    default: return input_.Any();
    }
}

} // namespace vls::random_play
