#include "engine/render/kestrune_fonts.h"

#include "engine/base/engine_link.h"
#include "engine/base/kestrune_file_system.h"
#include "engine/render/kestrune_graphics.h"
#include "engine/render/kestrune_image.h"
#include "engine/base/kestrune_string.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {
cKestruneFonts* gCurrent = nullptr;
}

cKestruneFonts* cKestruneFonts::Current() { return gCurrent; }

cKestruneFonts::cKestruneFonts() { gCurrent = this; }

cKestruneFonts::~cKestruneFonts()
{
    for (Font& font : fonts) ClearFont(font);
    ReleaseAllTexts();
    if (gCurrent == this) gCurrent = nullptr;
}

void cKestruneFonts::ClearFont(Font& font)
{
    for (cKestruneImage*& page : font.pages) {
        delete page;
        page = nullptr;
    }
    delete[] font.glyphs;
    font = Font{};
}

void cKestruneFonts::LoadFont(int32_t index, const char* fileName)
{
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    if (!files) return;
    // A missing font is reported by Open and left without pages.
    const int32_t slot = files->Open(fileName);
    if (slot <= 0) return;
    Font& font = fonts[index];
    uint8_t bytes[kFontHeaderSize];
    KestruneFontHeader header;
    if (files->Read(slot, bytes, kFontHeaderSize) != 0) {
        files->Close(slot);
        return;
    }
    ParseFontHeader(bytes, header);
    // A page count outside 1..4 would overrun the page table, and glyph
    // records past the entry are not there to read: refuse the font.
    const int64_t glyphBytes = static_cast<int64_t>(header.glyphCount) * kGlyphRecordSize;
    if (header.pageCount < 1 || header.pageCount > kFontMaxPages || glyphBytes > files->GetRemaining(slot)) {
        ReportError("font", fileName, 0, "File reading failed.");
        files->Close(slot);
        return;
    }
    std::vector<uint8_t> records(static_cast<std::size_t>(glyphBytes));
    if (glyphBytes > 0 && files->Read(slot, records.data(), static_cast<int32_t>(glyphBytes)) != 0) {
        files->Close(slot);
        return;
    }
    font.glyphCount = header.glyphCount;
    font.pageCount = header.pageCount;
    font.lineHeight = header.lineHeight;
    font.glyphs = new KestruneGlyph[header.glyphCount > 0 ? header.glyphCount : 1];
    for (uint16_t i = 0; i < header.glyphCount; ++i) ParseGlyph(records.data() + i * kGlyphRecordSize, font.glyphs[i]);
    // The pages are only walked over here (a damaged one is reported now, as
    // reading it would); their pixels are read when a text is first drawn.
    font.pagesAt = files->PositionInEntry(slot);
    while (font.wholePages < header.pageCount && cKestruneImage::Skip(slot) == 0) ++font.wholePages;
    if (font.wholePages > 0) font.pagesFile = fileName;
    files->Close(slot);
}

const cKestruneImage* cKestruneFonts::FirstPage(int32_t index)
{
    if (index < 0 || index >= kFontCount) return nullptr;
    Font& font = fonts[index];
    cKestruneFileSystem* files = cKestruneFileSystem::Current();
    if (!font.pagesFile.empty() && files) {
        const std::string fileName = std::move(font.pagesFile);
        font.pagesFile.clear();
        const int32_t slot = files->Open(fileName.c_str());
        if (slot > 0 && files->Seek(slot, font.pagesAt) == 0) {
            for (int32_t page = 0; page < font.wholePages; ++page) {
                auto* image = new cKestruneImage(0);
                if (image->Load(slot) != 0) {
                    delete image;
                    break;
                }
                font.pages[page] = image;
            }
        }
        if (slot > 0) files->Close(slot);
    }
    return font.pages[0];
}

int32_t cKestruneFonts::Load()
{
    LoadFont(0, "font1");
    LoadFont(1, "font2");
    return 0;
}

const KestruneGlyph* cKestruneFonts::FindGlyph(const Font& font, int32_t index, char16_t code) const
{
    for (uint16_t i = 0; i < font.glyphCount; ++i) {
        if (font.glyphs[i].code == code) return &font.glyphs[i];
    }
    std::printf("Warning! No glyph in Font %d for character 0x%.4x. Please report so we cann add it.", index,
                static_cast<unsigned>(code));
    return nullptr;
}

cKestruneText* cKestruneFonts::CreateText(int32_t font, const char* text, int32_t x, int32_t y, DWORD colour,
                                          uint32_t flags)
{
    char16_t* const wide = cString(text ? text : "").ToWide();
    cKestruneText* const made = CreateTextW(font, wide, x, y, colour, flags);
    std::free(wide);
    return made;
}

int32_t cKestruneFonts::GetTextWidth(int32_t font, const char16_t* text)
{
    if (font < 0 || font >= kFontCount || !text) return 0;
    int32_t width = 0;
    for (const char16_t* p = text; *p; ++p) {
        if (*p < 0x20) continue;
        if (const KestruneGlyph* glyph = FindGlyph(fonts[font], font, *p)) width += glyph->advance;
    }
    return width;
}

int32_t cKestruneFonts::GetTextHeight(int32_t font, const char16_t*)
{
    return font >= 0 && font < kFontCount ? fonts[font].lineHeight : 0;
}

void cKestruneFonts::SetTextColor(cKestruneText* text, DWORD colour)
{
    if (!text) return;
    for (int32_t i = 0; i < text->quadCount * 6; ++i) text->vertices[i].colour = colour;
}

void cKestruneFonts::MoveText(cKestruneText* text, int32_t x, int32_t y)
{
    if (!text) return;
    const float dx = static_cast<float>(x - text->x), dy = static_cast<float>(y - text->y);
    for (int32_t i = 0; i < text->quadCount * 6; ++i) {
        text->vertices[i].x += dx;
        text->vertices[i].y += dy;
    }
    text->x = x;
    text->y = y;
}

cKestruneText* LiveText(ObjectHandle handle) { return ResolveObjectAs<cKestruneText>(handle, ObjectKind::Text); }

void ReleaseLiveText(ObjectHandle& handle)
{
    cKestruneText* const text = LiveText(handle);
    if (text && cKestruneFonts::Current()) cKestruneFonts::Current()->ReleaseText(text);
    handle = kNoObject;
}

void cKestruneFonts::ReleaseText(cKestruneText* text)
{
    if (!text) return;
    for (int32_t i = 0; i < texts.count; ++i) {
        if (texts.data[i] == text) {
            texts.RemoveAt(i);
            delete text;
            return;
        }
    }
}

void cKestruneFonts::ReleaseAllTexts()
{
    for (int32_t i = 0; i < texts.count; ++i) delete texts.data[i];
    while (texts.count > 0) texts.RemoveAt(texts.count - 1);
}

int32_t cKestruneFonts::DrawTexts(uint8_t layer)
{
    if (texts.count == 0) return 0;
    cKestruneGraphics* graphics = cKestruneGraphics::Current();
    if (!graphics || !graphics->device) return 0;
    IDirect3DDevice8* device = graphics->device;
    if (graphics->multisampleType > 0) device->SetRenderState(D3DRS_MULTISAMPLEANTIALIAS, FALSE);
    device->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    device->SetTextureStageState(0, D3DTSS_MAGFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MINFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(0, D3DTSS_MIPFILTER, D3DTEXF_POINT);
    device->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_DISABLE);
    device->SetTextureStageState(1, D3DTSS_ALPHAOP, D3DTOP_DISABLE);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, TRUE);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, TRUE);
    device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    for (int32_t i = 0; i < texts.count; ++i) {
        const cKestruneText* text = texts.data[i];
        if (text->hidden || text->layer != layer) continue;
        if (text->translucent) {
            device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        } else {
            device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
        }
        // A font whose file was missing has no page to draw with.
        const cKestruneImage* page = FirstPage(text->font);
        if (!page || text->quadCount == 0) continue;
        device->SetTexture(0, page->FirstTexture());
        device->SetVertexShader(kTextFvf);
        device->DrawPrimitiveUP(D3DPT_TRIANGLELIST, static_cast<UINT>(2 * text->quadCount), text->vertices,
                                sizeof(KestruneTextVertex));
    }
    return 0;
}
