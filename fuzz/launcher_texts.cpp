// Feeds the input to the launcher's text table as a "launcher.str" file and
// reads every line and flag, over a default table and as the second of two.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <unistd.h>

#include "launcher/launcher_texts.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size > (1u << 20))
        return 0;
    char name[] = "/tmp/launcher-str-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0)
        return 0;
    const bool written = size == 0 || write(fd, data, size) == static_cast<ssize_t>(size);
    close(fd);
    if (written) {
        launcher::LauncherTexts texts;
        try {
            texts.Load(name);
            texts.Load(name);
        } catch (const vcl::Exception&) {
        }
        for (int line = -1; line <= launcher::kLauncherLineCount; ++line)
            (void)texts.Line(line);
        (void)texts.ShowInstallButton();
        (void)texts.Cyrillic();
    }
    unlink(name);
    return 0;
}
