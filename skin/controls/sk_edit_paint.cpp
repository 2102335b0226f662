// The edit's geometry (text rectangle, caret and character positions,
// scrolling) and its painting.

#include <algorithm>

#include "skin/controls/sk_edit.h"
#include "skin/graphics/sk_canvas.h"
#include "skin/graphics/sk_text.h"

namespace skin {

namespace {

// Measures in a font on the screen, outside painting.
class Measure {
public:
    explicit Measure(vcl::TFont* font) : dc_(GetDC(nullptr))
    {
        canvas_.SetHandle(dc_);
        canvas_.SetFont(font);
    }
    ~Measure()
    {
        canvas_.SetHandle(nullptr);
        ReleaseDC(nullptr, dc_);
    }
    Measure(const Measure&) = delete;
    Measure& operator=(const Measure&) = delete;
    int Width(const vcl::WideString& text) { return text.empty() ? 0 : SkTextWidth(&canvas_, text, DT_NOPREFIX); }
    int Height() { return SkTextHeight(&canvas_, u"Pq"); }

private:
    HDC dc_;
    vcl::TCanvas canvas_;
};

UINT AlignFlags(vcl::TAlignment a)
{
    return a == vcl::taRightJustify ? DT_RIGHT : a == vcl::taCenter ? DT_CENTER : 0;
}

}  // namespace

int TSkCustomEdit::TextHeight() { return Measure(Font()).Height(); }

RECT TSkCustomEdit::GetTextRect()
{
    RECT r = PaintRect();
    r.bottom = r.top + TextHeight();
    return r;
}

int TSkCustomEdit::GetPasswordCharWidth()
{
    int width = 10;
    if (passwordKind_ == pkChar)
        width = Measure(Font()).Width(vcl::WideString(1, passwordChar_));
    else if (passwordKind_ != pkNone)
        width = Measure(Font()).Width(u"W");
    return width == 0 ? 1 : width;
}

// Characters `from` to `to` (1-based, inclusive) wide.
int TSkCustomEdit::WidthOf(int from, int to)
{
    const int length = static_cast<int>(text_.size());
    from = std::max(from, 1);
    to = std::min(to, length);
    if (to < from)
        return 0;
    if (IsPassword())
        return (to - from + 1) * GetPasswordCharWidth();
    return Measure(Font()).Width(text_.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(to - from + 1)));
}

int TSkCustomEdit::AlignmentShift()
{
    const RECT r = GetTextRect();
    const int whole = IsPassword() ? static_cast<int>(text_.size()) * GetPasswordCharWidth()
                                   : Measure(Font()).Width(text_);
    const int room = RectWidth(r);
    if (whole >= room)
        return 0;
    if (textAlignment_ == vcl::taRightJustify)
        return room - whole;
    if (textAlignment_ == vcl::taCenter)
        return (room - whole) / 2;
    return 0;
}

int TSkCustomEdit::CharPosToX(int i)
{
    int x = GetTextRect().left;
    if (i > 0)
        x += WidthOf(firstVisible_, i);
    return x + AlignmentShift();
}

int TSkCustomEdit::XToCharPos(int x)
{
    const RECT r = GetTextRect();
    const int length = static_cast<int>(text_.size());
    x -= AlignmentShift();
    if (IsPassword())
        return std::clamp(firstVisible_ - 1 + (x - r.left) / GetPasswordCharWidth(), 0, length);
    Measure measure(Font());
    int pos = std::clamp(firstVisible_ - 1, 0, length);
    int left = r.left;
    const std::size_t start = static_cast<std::size_t>(pos);
    while (pos < length && left <= r.right) {
        const int right =
            r.left + measure.Width(text_.substr(start, static_cast<std::size_t>(pos + 1) - start));
        if (x < (left + right) / 2)
            return pos;
        left = right;
        ++pos;
    }
    return pos;
}

void TSkCustomEdit::ScrollToCaret()
{
    const int length = static_cast<int>(text_.size());
    if (firstVisible_ <= caretPos_) {
        const int room = RectWidth(GetTextRect());
        while (firstVisible_ < length && WidthOf(firstVisible_, caretPos_) > room)
            ++firstVisible_;
    } else {
        firstVisible_ = std::max(caretPos_, 1);
    }
    Invalidate();
}

RECT TSkCustomEdit::GetSelectionRect()
{
    const RECT text = GetTextRect();
    RECT r = text;
    const int start = GetSelStart();
    r.left = CharPosToX(start);
    r.right = CharPosToX(start + GetSelLength());
    r.left = std::max(r.left, text.left);
    r.right = std::min(r.right, text.right);
    if (r.right < r.left)
        r.right = r.left;
    return r;
}

// -------------------------------------------------------------- painting

void TSkCustomEdit::PaintClient()
{
    RECT r = GetTextRect();
    r.bottom = BoundsHeight() - r.top;
    PaintBackground(r, Canvas());
    if (!DrawsOwnText())
        return;
    const bool showSelection = HasFocus() || !hideSelection_;
    if (showSelection && GetSelLength() > 0)
        FillRectColor(Canvas(), GetSelectionRect(), vcl::clHighlight);
    PaintText();
    if (showSelection && GetSelLength() > 0)
        PaintSelectedText();
}

void TSkCustomEdit::PaintBackground(RECT rect, vcl::TCanvas* canvas) { FillRectColor(canvas, rect, Color()); }

void TSkCustomEdit::PaintText()
{
    vcl::TCanvas* canvas = Canvas();
    RECT r = GetTextRect();
    const int length = static_cast<int>(text_.size());
    if (IsPassword()) {
        const int cell = GetPasswordCharWidth();
        int x = CharPosToX(0);
        for (int i = firstVisible_; i <= length && x < r.right; ++i, x += cell)
            PaintPasswordGlyph(RECT{x, r.top, x + cell, r.bottom}, false);
        return;
    }
    canvas->SetFont(PaintFont());
    canvas->Brush()->SetStyle(vcl::bsClear);
    const vcl::WideString shown = text_.substr(static_cast<std::size_t>(std::clamp(firstVisible_ - 1, 0, length)));
    SkDrawText(canvas, shown, r, DT_SINGLELINE | DT_NOPREFIX | AlignFlags(textAlignment_));
}

void TSkCustomEdit::PaintSelectedText()
{
    vcl::TCanvas* canvas = Canvas();
    RECT r = GetSelectionRect();
    if (RectIsEmpty(r))
        return;
    const int length = static_cast<int>(text_.size());
    const int start = std::max(GetSelStart(), firstVisible_ - 1);
    const int end = std::min(GetSelStart() + GetSelLength(), length);
    if (end <= start)
        return;
    if (IsPassword()) {
        const int cell = GetPasswordCharWidth();
        for (int i = start, x = r.left; i < end && x < r.right; ++i, x += cell)
            PaintPasswordGlyph(RECT{x, r.top, x + cell, r.bottom}, true);
        return;
    }
    canvas->SetFont(PaintFont());
    canvas->Font()->SetColor(vcl::clHighlightText);
    canvas->Brush()->SetStyle(vcl::bsClear);
    SkDrawText(canvas, text_.substr(static_cast<std::size_t>(start), static_cast<std::size_t>(end - start)), r,
               DT_SINGLELINE | DT_NOPREFIX);
}

void TSkCustomEdit::PaintPasswordGlyph(const RECT& cell, bool selected)
{
    vcl::TCanvas* canvas = Canvas();
    HDC dc = canvas->Handle();
    const int saved = SaveDC(dc);
    IntersectClipRect(dc, cell.left, cell.top, cell.right, cell.bottom);
    canvas->SetFont(PaintFont());
    if (selected)
        canvas->Font()->SetColor(vcl::clHighlightText);
    const vcl::TColor ink = canvas->Font()->Color();
    const RECT g{cell.left + 2, cell.top + 3, cell.right - 2, cell.bottom - 3};
    const int w = RectWidth(g);
    switch (passwordKind_) {
    case pkChar: {
        RECT r = cell;
        canvas->Brush()->SetStyle(vcl::bsClear);
        SkDrawText(canvas, vcl::WideString(1, passwordChar_), r, DT_SINGLELINE | DT_NOPREFIX);
        break;
    }
    case pkRect: FillRectColor(canvas, g, ink); break;
    case pkRoundRect: FillRoundRectColor(canvas, g, 2, ink); break;
    case pkCircle: {
        const RECT square = CenterRect(RECT{0, 0, w, w}, cell);
        FillRoundRectColor(canvas, square, w / 2 + 1, ink);
        break;
    }
    case pkTriangle: {
        const int side = w % 2 == 0 ? w + 1 : w;
        const RECT s = CenterRect(RECT{0, 0, side, side}, cell);
        canvas->Brush()->SetStyle(vcl::bsSolid);
        canvas->Brush()->SetColor(ink);
        canvas->Pen()->SetStyle(vcl::psSolid);
        canvas->Pen()->SetColor(ink);
        canvas->Polygon({POINT{side / 2 + s.left + 1, s.top}, POINT{s.right, s.bottom}, POINT{s.left, s.bottom}});
        break;
    }
    default: break;
    }
    RestoreDC(dc, saved);
}

}  // namespace skin
