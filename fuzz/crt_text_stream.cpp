// Reads the input through a text-mode stream of the C run-time, in reads of
// sizes the input chooses: whatever the sizes, the text is the file with
// each CR LF read as LF, and a seek back to the start reads it again alike.

#include "platform/crt/crt_io.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string TextOf(const std::string& bytes)
{
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n'))
            text += bytes[i];
    return text;
}

// Reads to the end in pieces of 1 to 16 bytes picked from `sizes`, some by
// fgetc, some by fread.
std::string ReadAll(FILE* stream, const std::string& sizes)
{
    std::string text;
    char buffer[16];
    for (std::size_t turn = 0;; ++turn) {
        const unsigned pick = sizes.empty() ? 7 : static_cast<unsigned char>(sizes[turn % sizes.size()]);
        if (pick & 0x80) {
            const int c = std::fgetc(stream);
            if (c == EOF)
                return text;
            text += static_cast<char>(c);
            continue;
        }
        const std::size_t want = 1 + (pick & 15);
        const std::size_t got = std::fread(buffer, 1, want, stream);
        text.append(buffer, got);
        if (got < want)
            return text;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // The first line chooses the read sizes; the rest is the file.
    const std::string input(reinterpret_cast<const char*>(data), size);
    const std::size_t split = std::min(input.find('\n'), std::min<std::size_t>(input.size(), 64));
    const std::string sizes = input.substr(0, split);
    const std::string bytes = split < input.size() ? input.substr(split + 1) : std::string();

    char name[] = "/tmp/vls-fuzz-crt-XXXXXX";
    const int made = mkstemp(name);
    if (made < 0)
        std::abort();
    if (!bytes.empty() && write(made, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        std::abort();
    close(made);

    const int fd = _open(name, _O_RDONLY | _O_TEXT);
    unlink(name);
    if (fd < 0)
        std::abort();
    if (_filelength(fd) != static_cast<long>(bytes.size()))
        std::abort();
    FILE* stream = _fdopen(fd, "rt");
    if (!stream)
        std::abort();
    const std::string expected = TextOf(bytes);
    if (ReadAll(stream, sizes) != expected)
        std::abort();
    if (std::fseek(stream, 0, SEEK_SET) != 0 || ReadAll(stream, sizes.substr(sizes.size() / 2)) != expected)
        std::abort();
    std::fclose(stream);
    return 0;
}
