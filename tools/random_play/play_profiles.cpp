#include "tools/random_play/play_profiles.h"

#include "tools/random_play/forms_profile.h"
#include "tools/random_play/vls_profile.h"

namespace vls::random_play {

std::unique_ptr<PlayProfile> MakeProfile(const std::string& name, SeededRandom& random, int actionsPerStart)
{
    if (name == "vls")
        return std::make_unique<VlsProfile>(random);
    if (ProgramMap map; MapOf(name, map))
        return std::make_unique<FormsProfile>(random, std::move(map), actionsPerStart);
    return nullptr;
}

std::filesystem::path DefaultData(const std::string& name, const std::filesystem::path& program)
{
    // A build puts its programs in bin/ and the demo in demo/ beside it; the
    // control library's programs read their files beside themselves.
    if (name != "vls")
        return program.parent_path();
    return program.parent_path().parent_path() / "demo";
}

} // namespace vls::random_play
