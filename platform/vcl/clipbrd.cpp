#include "platform/vcl/clipbrd.h"

#include <cstring>

#include "platform/vcl/controls.h"

namespace vcl {

VCL_IMPLEMENT_CLASS(TClipboard, TPersistent, [](auto&) {})

TClipboard* Clipboard()
{
    static TClipboard* clipboard = new TClipboard();
    return clipboard;
}

TClipboard::~TClipboard()
{
    if (window_)
        DeallocateHWnd(window_);
}

void TClipboard::Open()
{
    if (openCount_ == 0) {
        if (!window_)
            window_ = AllocateHWnd([this](TMessage& m) { m.Result = DefWindowProcA(window_, m.Msg, m.WParam, m.LParam); });
        if (!OpenClipboard(window_))
            throw Exception(consts::SCannotOpenClipboard);
        emptied_ = false;
    }
    ++openCount_;
}

void TClipboard::Close()
{
    if (openCount_ == 0)
        return;
    if (--openCount_ == 0)
        CloseClipboard();
}

void TClipboard::Clear()
{
    Open();
    EmptyClipboard();
    emptied_ = true;
    Close();
}

bool TClipboard::HasFormat(UINT format) const { return IsClipboardFormatAvailable(format) != 0; }

void TClipboard::SetBuffer(UINT format, const void* data, size_t size)
{
    Open();
    try {
        if (!emptied_) {
            EmptyClipboard();
            emptied_ = true;
        }
        HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, size);
        if (!mem)
            throw EOutOfMemory(consts::SOutOfMemory);
        std::memcpy(GlobalLock(mem), data, size);
        GlobalUnlock(mem);
        SetClipboardData(format, mem);
    } catch (...) {
        Close();
        throw;
    }
    Close();
}

void TClipboard::SetAsText(const AnsiString& text)
{
    SetBuffer(CF_TEXT, text.c_str(), text.size() + 1);
}

void TClipboard::SetAsWideText(const WideString& text)
{
    SetBuffer(CF_UNICODETEXT, text.c_str(), (text.size() + 1) * sizeof(char16_t));
}

namespace {

// The data up to its terminator, never past the block's size.
template <class C>
std::basic_string<C> ReadTerminated(HANDLE mem)
{
    const SIZE_T size = GlobalSize(mem);
    const auto* p = static_cast<const C*>(GlobalLock(mem));
    std::basic_string<C> s;
    if (p) {
        const size_t count = size / sizeof(C);
        size_t n = 0;
        while (n < count && p[n] != 0)
            ++n;
        s.assign(p, n);
    }
    GlobalUnlock(mem);
    return s;
}

}  // namespace

AnsiString TClipboard::AsText()
{
    Open();
    AnsiString result;
    if (HANDLE h = GetClipboardData(CF_TEXT))
        result = ReadTerminated<char>(h);
    else if (HANDLE w = GetClipboardData(CF_UNICODETEXT))
        result = WideToAnsi(ReadTerminated<char16_t>(w));
    Close();
    return result;
}

WideString TClipboard::AsWideText()
{
    Open();
    WideString result;
    if (HANDLE w = GetClipboardData(CF_UNICODETEXT))
        result = ReadTerminated<char16_t>(w);
    else if (HANDLE h = GetClipboardData(CF_TEXT))
        result = AnsiToWide(ReadTerminated<char>(h));
    Close();
    return result;
}

HANDLE TClipboard::GetAsHandle(UINT format)
{
    Open();
    HANDLE h = GetClipboardData(format);
    Close();
    return h;
}

void TClipboard::SetAsHandle(UINT format, HANDLE value)
{
    Open();
    if (!emptied_) {
        EmptyClipboard();
        emptied_ = true;
    }
    SetClipboardData(format, value);
    Close();
}

}  // namespace vcl
