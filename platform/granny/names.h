#pragma once

// Internal: bone, model and track names match without regard to letter case.

#include <cctype>

namespace vls::granny {

inline bool SameNameIgnoringCase(const char* a, const char* b) {
    if (a == nullptr || b == nullptr) return false;
    for (; *a != 0 && *b != 0; ++a, ++b)
        if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
    return *a == *b;
}

}  // namespace vls::granny
