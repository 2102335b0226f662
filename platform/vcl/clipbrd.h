#pragma once

// The clipboard of the class library over the window manager's clipboard.

#include "platform/vcl/classes.h"

namespace vcl {

class TClipboard : public TPersistent {
    VCL_DECLARE_CLASS(TClipboard, TPersistent)
public:
    TClipboard() = default;
    ~TClipboard() override;
    void Open();   // nested calls are counted
    void Close();
    void Clear();
    bool HasFormat(UINT format) const;
    // Text in the ANSI code page (CF_TEXT), and as UTF-16 (CF_UNICODETEXT).
    AnsiString AsText();
    void SetAsText(const AnsiString& text);
    WideString AsWideText();
    void SetAsWideText(const WideString& text);
    HANDLE GetAsHandle(UINT format);
    void SetAsHandle(UINT format, HANDLE value);

private:
    void SetBuffer(UINT format, const void* data, size_t size);
    int openCount_ = 0;
    HWND window_ = nullptr;
    bool emptied_ = false;
};

// The one clipboard object, made on first use.
TClipboard* Clipboard();

}  // namespace vcl
