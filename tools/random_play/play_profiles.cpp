#include "tools/random_play/play_profiles.h"

#include "tools/random_play/vls_profile.h"

namespace vls::random_play {

std::unique_ptr<PlayProfile> MakeProfile(const std::string& name, SeededRandom& random)
{
    if (name == "vls")
        return std::make_unique<VlsProfile>(random);
    return nullptr;
}

std::filesystem::path DefaultData(const std::string&, const std::filesystem::path& program)
{
    // A build puts its programs in bin/ and the demo in demo/ beside it.
    return program.parent_path().parent_path() / "demo";
}

} // namespace vls::random_play
