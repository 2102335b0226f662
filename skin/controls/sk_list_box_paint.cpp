// The list box's painting and its self-filling styles.

#include <algorithm>
#include <cstring>

#include "platform/vcl/printers.h"
#include "skin/controls/sk_list_box.h"
#include "skin/controls/sk_scroll_bar.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_system.h"
#include "skin/graphics/sk_text.h"

namespace skin {

namespace {

constexpr BYTE kTrueTypeBit = TMPF_TRUETYPE;
constexpr BYTE kVariablePitchBit = TMPF_FIXED_PITCH;  // set for variable pitch, despite its name
constexpr int kFaceNameLimit = 32;

struct FontFill {
    vcl::TStrings* items;
    TFontType type;
};

int AddFontFamily(const LOGFONTA* font, const TEXTMETRICA* metric, DWORD, LPARAM data)
{
    auto* fill = reinterpret_cast<FontFill*>(data);
    const BYTE pitch = metric ? metric->tmPitchAndFamily : font->lfPitchAndFamily;
    if (fill->type == ftTrueType && !(pitch & kTrueTypeBit))
        return 1;
    if (fill->type == ftFixedPitch && (pitch & kVariablePitchBit))
        return 1;
    const vcl::AnsiString name(font->lfFaceName, strnlen(font->lfFaceName, kFaceNameLimit));
    fill->items->AddObject(name, reinterpret_cast<vcl::TObject*>(static_cast<std::uintptr_t>(pitch)));
    return 1;
}

}  // namespace

void PaintColorSwatch(vcl::TCanvas* canvas, const RECT& swatch, const vcl::AnsiString& name)
{
    vcl::TColor color = vcl::clBlack;
    try {
        color = vcl::StringToColor(name);
    } catch (const vcl::Exception&) {
    }
    FillRectColor(canvas, swatch, color);
    FrameRectColor(canvas, swatch, vcl::clBlack);
}

bool IsTrueTypeItem(vcl::TObject* itemObject)
{
    return static_cast<BYTE>(reinterpret_cast<std::uintptr_t>(itemObject)) & kTrueTypeBit;
}

void TSkCustomListBox::PaintClient()
{
    if (!scrollBar_)
        return;
    TSkCustomControl::PaintClient();
    PaintBackground();
    HDC dc = Canvas()->Handle();
    const int saved = SaveDC(dc);
    const RECT paint = PaintRect();
    IntersectClipRect(dc, paint.left, paint.top, paint.right, paint.bottom);
    PaintItems();
    RestoreDC(dc, saved);
}

void TSkCustomListBox::PaintBackground() { FillRectColor(Canvas(), PaintRect(), Color()); }

void TSkCustomListBox::PaintItems()
{
    const SIZE box = GetCheckSize();
    WalkItems([&](const Cell& c) {
        if (showCheckBoxes_) {
            const RECT square{0, 0, box.cx, box.cy};
            PaintCheckBox(c.index, CenterRect(square, c.check));
        }
        DrawItem(Canvas(), c.index, c.text);
        return true;
    });
}

void TSkCustomListBox::DoDrawItem(int index, const RECT& rect, TOwnerDrawState state)
{
    if (!ComponentState().Contains(vcl::csDestroying))
        OnDrawItem(this, Canvas(), index, rect, state);
}

void TSkCustomListBox::DrawItem(vcl::TCanvas* canvas, int index, const RECT& rect)
{
    if (index < 0 || index >= items_->Count())
        return;
    if (listStyle_ != lbStandard && listStyle_ <= lbOwnerDrawVariable && OnDrawItem) {
        TOwnerDrawState state;
        if (Selected(index))
            state.Include(odSelected);
        else if (index == hoverItem_)
            state.Include(odHotLight);
        if (index == itemIndex_ && HasFocus())
            state.Include(odFocused);
        DoDrawItem(index, rect, state);
        return;
    }
    DrawDefaultItem(canvas, index, rect);
}

void TSkCustomListBox::DrawDefaultItem(vcl::TCanvas* canvas, int index, const RECT& rect)
{
    const vcl::AnsiString item = items_->Strings(index);
    const bool selected = Selected(index);
    canvas->SetFont(Font());
    RECT text = rect;
    text.left += 2;
    if (listStyle_ <= lbOwnerDrawVariable && item == "-") {
        const int y = rect.top + RectHeight(rect) / 2;
        FillRectCoords(canvas, rect.left + 3, y, rect.right - 3, y + 1, Font()->Color());
        return;
    }
    if (selected) {
        FillRectColor(canvas, rect, vcl::clHighlight);
        canvas->Font()->SetColor(vcl::clHighlightText);
    } else if (index == hoverItem_) {
        canvas->Font()->SetColor(vcl::clHighlight);
    }
    canvas->Brush()->SetStyle(vcl::bsClear);
    const UINT singleLine = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    switch (listStyle_) {
    case lbFonts:
    case lbFontSamples:
    case lbColors:
    case lbColorNames:
        DrawStyledContent(canvas, index, rect.left, text, InflatedRect(rect, -4), singleLine);
        break;
    default:
        SkDrawText(canvas, ItemTextInCharset(item, canvas->Font()), text,
                   DrawTextBiDiModeFlags(wordWrap_ ? DT_WORDBREAK | DT_NOPREFIX : singleLine));
        break;
    }
    if (!multiSelect_ && HasFocus() && (selected || (index == itemIndex_ && !Selected(itemIndex_))))
        canvas->DrawFocusRect(rect);
}

void TSkCustomListBox::DrawStyledContent(vcl::TCanvas* canvas, int index, int cellLeft, RECT text,
                                         const RECT& colorsArea, UINT flags)
{
    const vcl::AnsiString item = items_->Strings(index);
    switch (listStyle_) {
    case lbFonts:
    case lbFontSamples: {
        const TSkBitmap* glyph = SystemResources().ListGlyph;
        if (IsTrueTypeItem(items_->Objects(index)) && glyph && !glyph->Empty()) {
            const RECT cell{cellLeft, text.top, cellLeft + 18, text.bottom};
            const RECT at = CenterRect(RECT{0, 0, glyph->Width(), glyph->Height()}, cell);
            const_cast<TSkBitmap*>(glyph)->Draw(canvas, at.left, at.top, true);
        }
        text.left += 22;
        if (listStyle_ == lbFontSamples)
            canvas->Font()->SetName(item);
        SkDrawText(canvas, ItemTextInCharset(item, canvas->Font()), text, DrawTextBiDiModeFlags(flags));
        break;
    }
    case lbColors:
        PaintColorSwatch(canvas, colorsArea, item);
        break;
    case lbColorNames: {
        const RECT cell{cellLeft, text.top, cellLeft + 20, text.bottom};
        PaintColorSwatch(canvas, CenterRect(RECT{0, 0, 20, 14}, cell), item);
        text.left += 24;
        const vcl::AnsiString shown = item.find("cl") != vcl::AnsiString::npos ? item.substr(2) : item;
        SkDrawText(canvas, ItemTextInCharset(shown, canvas->Font()), text, DrawTextBiDiModeFlags(flags));
        break;
    }
    default:
        break;
    }
}

void TSkCustomListBox::PaintCheckBox(int index, const RECT& rect)
{
    HDC dc = Canvas()->Handle();
    const int state = CheckState(index);
    RECT r = rect;
    if (!flat_ || (index == hoverCheck_ && CheckEnabled(index))) {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | (state != 0 ? DFCS_CHECKED : 0));
        return;
    }
    if (state != 0) {
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_CHECKED | DFCS_FLAT);
        FrameRectColor(Canvas(), rect, vcl::clWindow);
    }
    FrameRectColor(Canvas(), InflatedRect(rect, -1), vcl::clBtnShadow);
}

// ----------------------------------------------------------- the styles

void TSkCustomListBox::FillFonts()
{
    items_->Clear();
    SetSorted(true);
    UpdateSelection();
    FontFill fill{items_, fontType_};
    items_->BeginUpdate();
    if (fontDevice_ == fdPrinter) {
        EnumFontFamiliesA(vcl::Printer()->Handle(), nullptr, AddFontFamily, reinterpret_cast<LPARAM>(&fill));
    } else {
        HDC dc = GetDC(nullptr);
        EnumFontFamiliesA(dc, nullptr, AddFontFamily, reinterpret_cast<LPARAM>(&fill));
        ReleaseDC(nullptr, dc);
    }
    items_->EndUpdate();
}

void TSkCustomListBox::FillColors()
{
    items_->Clear();
    UpdateSelection();
    SetSorted(false);
    items_->BeginUpdate();
    vcl::GetColorValues([this](const vcl::AnsiString& name) { items_->Add(name); });
    items_->EndUpdate();
}

}  // namespace skin
