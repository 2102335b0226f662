#pragma once

// The line layout of DrawText: accelerator prefixes, line breaks, tab
// expansion, word wrapping and end ellipses, kept apart from the drawing so
// that its rules can be checked with any widths.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "platform/gdi/wingdi.h"

namespace vls::gdi {

struct TextLine {
    std::u16string text;
    std::vector<std::size_t> underlined;  // indexes in `text` of prefixed characters
    int width = 0;
};

using AdvanceFn = std::function<int(char16_t)>;

// Width of `text` when drawn from x = 0; with DT_EXPANDTABS a tab moves to the
// next multiple of `tabWidth`.
int RunWidth(const std::u16string& text, UINT format, const AdvanceFn& advance, int tabWidth);

// Lays out `text` for a rectangle `width` pixels wide.
std::vector<TextLine> LayoutDrawText(const std::u16string& text, UINT format, int width, const AdvanceFn& advance,
                                     int tabWidth);

}  // namespace vls::gdi
