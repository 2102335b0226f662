// The lip-sync text formats: ".lsm" weights and ".sync" viseme keys.
#include "engine/render/lip_sync_text.h"

#include <climits>
#include <cstdlib>
#include <string>

namespace {

// Formatted reading of numbers from text, as the C run-time's scanf reads
// "%d" and "%f": white space is free, the first number that does not parse
// ends the reading.
class NumberScanner {
public:
    explicit NumberScanner(std::string_view text) : text_(text) {}

    bool Int(int32_t& out)
    {
        if (failed_)
            return false;
        char* end = nullptr;
        const long value = std::strtol(text_.c_str() + pos_, &end, 10);
        if (!Advance(end))
            return false;
        out = value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int32_t>(value);
        return true;
    }

    bool Float(float& out)
    {
        if (failed_)
            return false;
        char* end = nullptr;
        const float value = std::strtof(text_.c_str() + pos_, &end);
        if (!Advance(end))
            return false;
        out = value;
        return true;
    }

private:
    bool Advance(const char* end)
    {
        const size_t taken = static_cast<size_t>(end - (text_.c_str() + pos_));
        if (taken == 0) {
            failed_ = true;
            return false;
        }
        pos_ += taken;
        return true;
    }

    std::string text_; // NUL-terminated copy: the parsers stop at its end
    size_t pos_ = 0;
    bool failed_ = false;
};

} // namespace

void ParseLipSyncWeights(std::string_view text, int32_t* weights)
{
    NumberScanner scanner(text);
    for (int32_t i = 0; i < 8; ++i)
        if (!scanner.Int(weights[i]))
            return;
}

void ParseSyncKeys(std::string_view text, DynArray<SyncKey>& keys)
{
    keys.count = 0;
    NumberScanner scanner(text);
    int32_t n = 0;
    if (!scanner.Int(n) || n <= 0)
        return;
    // Each key takes at least 16 characters, so the text bounds how many
    // there can be, whatever the count says.
    const int64_t most = static_cast<int64_t>(text.size() / 16) + 1;
    const int32_t room = static_cast<int32_t>(n < most ? n : most);
    if (room > keys.capacity)
        keys.SetCapacity(room);
    for (int32_t k = 0; k < n; ++k) {
        SyncKey key;
        for (float& w : key.w)
            if (!scanner.Float(w))
                return;
        keys.Add(key);
    }
}

