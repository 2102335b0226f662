#pragma once

#include "engine/base/dynarray.h"
#include "engine/base/object_handles.h"
#include "engine/render/font_format.h"
#include "platform/d3d8/d3d8types.h"

#include <cstdint>
#include <string>

class cKestruneImage;

// A text vertex: x, y, z, rhw, colour, u, v (28 bytes).
struct KestruneTextVertex {
    float x, y, z, rhw;
    DWORD colour;
    float u, v;
};

constexpr DWORD kTextFvf = D3DFVF_XYZRHW | D3DFVF_DIFFUSE | D3DFVF_TEX1;
constexpr uint32_t kTextCentre = 0x1;
constexpr uint32_t kTextWrap = 0x10;

// A laid-out text: two textured triangles per character that has a glyph.
class cKestruneText {
public:
    cKestruneText() = default;
    ~cKestruneText() { delete[] vertices; }
    cKestruneText(const cKestruneText&) = delete;
    cKestruneText& operator=(const cKestruneText&) = delete;

    uint8_t hidden = 0;
    uint8_t translucent = 0;
    uint8_t layer = 0;
    int32_t x = 0;
    int32_t y = 0;
    int32_t width = 0;
    int32_t height = 0;
    int32_t lineCount = 0;
    int32_t font = 0;
    int32_t quadCount = 0;
    KestruneTextVertex* vertices = nullptr;

    // Holders that outlive a scene change (the dialogue's lines) keep this,
    // not the pointer: releasing all texts on leaving a scene frees theirs too.
    ObjectHandle Handle() const { return entry_.Handle(); }

private:
    cObjectHandleEntry entry_{this, ObjectKind::Text};
};

// The live text a handle names; null once the text has been released (by
// its holder or by ReleaseAllTexts on leaving a scene).
cKestruneText* LiveText(ObjectHandle handle);
// Releases the text the handle names when it is still alive, and clears the
// handle; a stale handle is only cleared.
void ReleaseLiveText(ObjectHandle& handle);

// The two bitmap fonts and the list of live texts.
class cKestruneFonts {
public:
    static constexpr int32_t kFontCount = 2;

    struct Font {
        uint16_t glyphCount = 0;
        int8_t pageCount = 0;
        int8_t lineHeight = 0;
        KestruneGlyph* glyphs = nullptr;
        cKestruneImage* pages[kFontMaxPages] = {};
        // The pages wait in the font's file until a text of the font is
        // drawn: the file to read them from (empty once read), where they
        // start and how many were found whole.
        std::string pagesFile;
        int32_t pagesAt = 0;
        int8_t wholePages = 0;
    };

    cKestruneFonts();
    ~cKestruneFonts();
    cKestruneFonts(const cKestruneFonts&) = delete;
    cKestruneFonts& operator=(const cKestruneFonts&) = delete;

    // The fonts object the engine created (the newest one alive).
    static cKestruneFonts* Current();

    int32_t Load();
    cKestruneText* CreateText(int32_t font, const char* text, int32_t x, int32_t y, DWORD colour, uint32_t flags);
    cKestruneText* CreateTextW(int32_t font, const char16_t* text, int32_t x, int32_t y, DWORD colour, uint32_t flags);
    void SetTextColor(cKestruneText* text, DWORD colour);
    void MoveText(cKestruneText* text, int32_t x, int32_t y);
    int32_t GetTextWidth(int32_t font, const char16_t* text);
    int32_t GetTextHeight(int32_t font, const char16_t* text);
    void ReleaseText(cKestruneText* text);
    void ReleaseAllTexts();
    int32_t DrawTexts(uint8_t layer);
    // The font's first page, read from its file on first use; null when the
    // font has none.
    const cKestruneImage* FirstPage(int32_t font);

    Font fonts[kFontCount];
    DynArray<cKestruneText*> texts;

private:
    void LoadFont(int32_t index, const char* fileName);
    void ClearFont(Font& font);
    const KestruneGlyph* FindGlyph(const Font& font, int32_t index, char16_t code) const;
};
