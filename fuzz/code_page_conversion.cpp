// Converts the input between our code pages and UTF-16 both ways, with the
// length asked first and with buffers too small: the asked length is what a
// conversion writes, nothing is written past a buffer, and text of a
// single-byte code page comes back as it went in.

#include "platform/win32/kernel/code_pages.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr UINT kCodePages[] = {1252, 1251, 65001, 0};

void FromBytes(UINT codePage, DWORD flags, const std::string& bytes)
{
    const int length = static_cast<int>(bytes.size());
    const int needed = MultiByteToWideChar(codePage, flags, bytes.data(), length, nullptr, 0);
    const bool singleByte = codePage != 65001;
    if (needed < 0 || (needed == 0 && length > 0 && (singleByte || !(flags & MB_ERR_INVALID_CHARS))))
        std::abort();
    if (needed == 0)
        return;
    std::vector<WCHAR> wide(static_cast<std::size_t>(needed));
    if (MultiByteToWideChar(codePage, flags, bytes.data(), length, wide.data(), needed) != needed)
        std::abort();
    // One unit short: the call fails and writes no more than it was given.
    if (needed > 1) {
        std::vector<WCHAR> small(static_cast<std::size_t>(needed - 1));
        if (MultiByteToWideChar(codePage, flags, bytes.data(), length, small.data(), needed - 1) != 0)
            std::abort();
    }

    const int back = WideCharToMultiByte(codePage, 0, wide.data(), needed, nullptr, 0, nullptr, nullptr);
    if (back <= 0)
        std::abort();
    std::string again(static_cast<std::size_t>(back), '\0');
    BOOL usedDefault = FALSE;
    if (WideCharToMultiByte(codePage, 0, wide.data(), needed, again.data(), back, nullptr,
            singleByte ? &usedDefault : nullptr) != back)
        std::abort();
    // Every byte of a single-byte code page stands for a character of its own.
    if (singleByte && (again != bytes || usedDefault))
        std::abort();
}

void FromWide(UINT codePage, DWORD flags, const std::string& bytes)
{
    std::vector<WCHAR> wide(bytes.size() / 2);
    for (std::size_t i = 0; i < wide.size(); ++i)
        wide[i] = static_cast<WCHAR>(static_cast<unsigned char>(bytes[2 * i]) | static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    const int length = static_cast<int>(wide.size());
    const bool singleByte = codePage != 65001;
    BOOL usedDefault = FALSE;
    const int needed = WideCharToMultiByte(codePage, flags, wide.data(), length, nullptr, 0, singleByte ? "#" : nullptr,
        singleByte ? &usedDefault : nullptr);
    if (needed <= 0)
        return;
    std::string out(static_cast<std::size_t>(needed), '\0');
    if (WideCharToMultiByte(codePage, flags, wide.data(), length, out.data(), needed, singleByte ? "#" : nullptr,
            singleByte ? &usedDefault : nullptr) != needed)
        std::abort();
    if (needed > 1) {
        std::vector<char> small(static_cast<std::size_t>(needed - 1));
        if (WideCharToMultiByte(codePage, flags, wide.data(), length, small.data(), needed - 1, nullptr, nullptr) != 0)
            std::abort();
    }
    // Terminated input: the length reaches up to and with the terminator.
    wide.push_back(0);
    const int terminated = WideCharToMultiByte(codePage, flags, wide.data(), -1, nullptr, 0, nullptr, nullptr);
    if (terminated <= 0)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 1)
        return 0;
    const UINT codePage = kCodePages[data[0] & 3];
    const DWORD toWideFlags = (data[0] & 4) ? MB_ERR_INVALID_CHARS : 0;
    const DWORD toBytesFlags = (data[0] & 8) ? WC_NO_BEST_FIT_CHARS : 0;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    FromBytes(codePage, toWideFlags, bytes);
    FromWide(codePage, toBytesFlags, bytes);
    // A terminated string: the length counts up to and with the NUL.
    const std::string terminated = bytes.substr(0, bytes.find('\0'));
    const int withEnd = MultiByteToWideChar(codePage, 0, terminated.c_str(), -1, nullptr, 0);
    if (withEnd < 1)
        std::abort();
    return 0;
}
