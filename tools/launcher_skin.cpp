#include "tools/launcher_skin.h"

#include <algorithm>
#include <cmath>

#include "tools/archive_builder.h"
#include "tools/skin_writer.h"

namespace vls::tools {

namespace {

constexpr std::uint32_t kKey = 0xFFFF00FF;  // magenta: transparent once loaded

struct Picture {
    int w, h;
    std::vector<std::uint32_t> px;
    Picture(int width, int height, std::uint32_t fill = kKey) : w(width), h(height), px(size_t(width) * height, fill) {}
    void Set(int x, int y, std::uint32_t c)
    {
        if (x >= 0 && y >= 0 && x < w && y < h)
            px[size_t(y) * w + x] = c;
    }
};

std::uint32_t Rgb(int r, int g, int b)
{
    auto c = [](int v) { return static_cast<std::uint32_t>(std::clamp(v, 0, 255)); };
    return 0xFF000000u | c(r) << 16 | c(g) << 8 | c(b);
}

std::uint32_t Mix(std::uint32_t a, std::uint32_t b, double t)
{
    auto ch = [&](int shift) {
        const double x = ((a >> shift) & 0xFF) * (1 - t) + ((b >> shift) & 0xFF) * t;
        return static_cast<int>(std::lround(x));
    };
    return Rgb(ch(16), ch(8), ch(0));
}

// A rounded box with a one-pixel border and a vertical gradient, drawn at
// (x, y) of the picture; the cut corners stay transparent.
void Box(Picture& p, int x, int y, int w, int h, std::uint32_t border, std::uint32_t top, std::uint32_t bottom)
{
    for (int j = 0; j < h; ++j)
        for (int i = 0; i < w; ++i) {
            const bool cornerX = i == 0 || i == w - 1, cornerY = j == 0 || j == h - 1;
            if (cornerX && cornerY)
                continue;
            const bool edge = cornerX || cornerY || ((i == 1 || i == w - 2) && (j == 1 || j == h - 2));
            p.Set(x + i, y + j, edge ? border : Mix(top, bottom, h > 1 ? double(j) / (h - 1) : 0));
        }
}

void Add(skin::TSkSkinSource& source, const char* name, const Picture& p) { AddSkinBitmap(source, name, p.w, p.h, p.px); }

// Five button faces stacked: normal, hot, pressed, focused, disabled.
Picture ButtonFaces()
{
    Picture p(48, 24 * 5);
    Box(p, 0, 0, 48, 24, Rgb(150, 120, 60), Rgb(40, 64, 84), Rgb(14, 28, 42));
    Box(p, 0, 24, 48, 24, Rgb(230, 190, 100), Rgb(62, 96, 122), Rgb(22, 44, 64));
    Box(p, 0, 48, 48, 24, Rgb(230, 190, 100), Rgb(10, 22, 34), Rgb(36, 60, 80));
    Box(p, 0, 72, 48, 24, Rgb(250, 214, 120), Rgb(46, 72, 94), Rgb(16, 32, 48));
    Box(p, 0, 96, 48, 24, Rgb(90, 90, 90), Rgb(60, 64, 68), Rgb(40, 42, 46));
    return p;
}

// A sunken field: dark border and fill.
Picture Field()
{
    Picture p(16, 16);
    Box(p, 0, 0, 16, 16, Rgb(150, 120, 60), Rgb(8, 16, 26), Rgb(14, 26, 38));
    return p;
}

Picture Bar()
{
    Picture p(8, 16);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 8; ++x)
            p.Set(x, y, Mix(Rgb(250, 220, 130), Rgb(170, 110, 30), y / 15.0));
    return p;
}

// The drop-down button, normal and hot side by side.
Picture Arrows()
{
    Picture p(32, 20);
    for (int s = 0; s < 2; ++s) {
        Box(p, s * 16, 0, 16, 20, Rgb(150, 120, 60), s ? Rgb(62, 96, 122) : Rgb(40, 64, 84), Rgb(14, 28, 42));
        for (int row = 0; row < 4; ++row)
            for (int i = row; i < 9 - row; ++i)
                p.Set(s * 16 + 4 + i - 1, 8 + row, Rgb(240, 210, 130));
    }
    return p;
}

Picture Item()
{
    Picture p(8, 15);
    for (int y = 0; y < 15; ++y)
        for (int x = 0; x < 8; ++x)
            p.Set(x, y, Mix(Rgb(90, 70, 30), Rgb(150, 110, 40), y / 14.0));
    return p;
}

// Unchecked, checked and mixed boxes of 13 x 13.
Picture Checks()
{
    Picture p(39, 13);
    for (int s = 0; s < 3; ++s) {
        Box(p, s * 13, 0, 13, 13, Rgb(150, 120, 60), Rgb(8, 16, 26), Rgb(20, 34, 48));
        for (int i = 0; i < 5; ++i) {
            if (s == 1) {
                p.Set(s * 13 + 3 + i, 5 + (i < 2 ? i : 4 - i) + (i < 2 ? 0 : 2), Rgb(250, 214, 120));
                p.Set(s * 13 + 3 + i, 6 + (i < 2 ? i : 4 - i) + (i < 2 ? 0 : 2), Rgb(250, 214, 120));
            }
            if (s == 2)
                for (int j = 0; j < 5; ++j)
                    p.Set(s * 13 + 4 + i, 4 + j, Rgb(170, 140, 70));
        }
    }
    return p;
}

const char* kDescription = R"(
name "Veilstrand Launcher"
author "Quarrybend"
object Form: TSkSkinObject
  Kind = skForm
  Color = 2760713
  Font.Color = 1322044
  Font.Height = -10
  Width = 620
  Height = 400
  object Caption: TSkSkinObject
    Align = saTop
    Height = 20
    Kind = skCaption
    Color = 2760713
    object Title: TSkTextObject
      Align = saClient
      Kind = skTitle
      Color = 2760713
      TextAlign = taCenter
      Font.Color = 8442106
      Font.Style = [fsBold]
    end
  end
  object Left: TSkSkinObject
    Align = saLeft
    Width = 3
    Kind = skLeft
    Color = 4227200
  end
  object Right: TSkSkinObject
    Align = saRight
    Width = 3
    Kind = skRight
    Color = 4227200
  end
  object Bottom: TSkSkinObject
    Align = saBottom
    Height = 3
    Kind = skBottom
    Color = 4227200
  end
  object Client: TSkSkinObject
    Align = saClient
    Kind = skClient
    Color = 13690092
  end
end
object Button: TSkSkinObject
  Width = 120
  Height = 25
  object Face: TSkButtonObject
    Align = saClient
    MarginLeft = 6
    MarginTop = 6
    MarginRight = 6
    MarginBottom = 6
    TileStyle = tsStretch
    BorderTileStyle = tsStretch
    Bitmap.Name = 'button'
    Bitmap.Right = 48
    Bitmap.Bottom = 24
    BitmapHot.Name = 'button'
    BitmapHot.Top = 24
    BitmapHot.Right = 48
    BitmapHot.Bottom = 48
    BitmapPressed.Name = 'button'
    BitmapPressed.Top = 48
    BitmapPressed.Right = 48
    BitmapPressed.Bottom = 72
    BitmapFocused.Name = 'button'
    BitmapFocused.Top = 72
    BitmapFocused.Right = 48
    BitmapFocused.Bottom = 96
    BitmapDisabled.Name = 'button'
    BitmapDisabled.Top = 96
    BitmapDisabled.Right = 48
    BitmapDisabled.Bottom = 120
  end
  object Text: TSkTextObject
    Align = saClient
    TextAlign = taCenter
    Font.Color = 12114160
    Font.Name = 'DejaVu Sans'
    Font.Height = -11
    FontHot.Color = 8442106
    FontHot.Name = 'DejaVu Sans'
    FontHot.Height = -11
    FontPressed.Color = 8442106
    FontPressed.Name = 'DejaVu Sans'
    FontPressed.Height = -11
    FontFocused.Color = 8442106
    FontFocused.Name = 'DejaVu Sans'
    FontFocused.Height = -11
    FontDisabled.Color = 8421504
    FontDisabled.Name = 'DejaVu Sans'
    FontDisabled.Height = -11
  end
end
object ProgressBar: TSkSkinObject
  Width = 100
  Height = 20
  object Frame: TSkBitmapObject
    MarginLeft = 2
    MarginTop = 2
    MarginRight = 3
    MarginBottom = 3
    TileStyle = tsStretch
    BorderTileStyle = tsStretch
    Bitmap.Name = 'field'
    Bitmap.Right = 16
    Bitmap.Bottom = 16
  end
  object BarHorz: TSkBitmapObject
    TileStyle = tsStretch
    Bitmap.Name = 'bar'
    Bitmap.Right = 8
    Bitmap.Bottom = 16
  end
  object BarVert: TSkBitmapObject
    TileStyle = tsStretch
    Bitmap.Name = 'bar'
    Bitmap.Right = 8
    Bitmap.Bottom = 16
  end
end
object ComboBox: TSkSkinObject
  Width = 120
  Height = 23
  object Frame: TSkBitmapObject
    MarginLeft = 2
    MarginTop = 2
    MarginRight = 2
    MarginBottom = 2
    TileStyle = tsStretch
    BorderTileStyle = tsStretch
    Bitmap.Name = 'field'
    Bitmap.Right = 16
    Bitmap.Bottom = 16
  end
  object Button: TSkButtonObject
    Width = 16
    Height = 20
    TileStyle = tsStretch
    Bitmap.Name = 'arrow'
    Bitmap.Right = 16
    Bitmap.Bottom = 20
    BitmapHot.Name = 'arrow'
    BitmapHot.Left = 16
    BitmapHot.Right = 32
    BitmapHot.Bottom = 20
  end
  object Text: TSkSkinObject
    Font.Color = 12114160
    Font.Name = 'DejaVu Sans'
    Font.Height = -11
  end
end
object ListBox: TSkSkinObject
  Width = 120
  Height = 60
  object Frame: TSkBitmapObject
    MarginLeft = 2
    MarginTop = 2
    MarginRight = 2
    MarginBottom = 2
    TileStyle = tsStretch
    BorderTileStyle = tsStretch
    Bitmap.Name = 'field'
    Bitmap.Right = 16
    Bitmap.Bottom = 16
  end
  object Item: TSkButtonObject
    Color = clNone
    Font.Color = 12114160
    Font.Name = 'DejaVu Sans'
    Font.Height = -11
    TileStyle = tsStretch
    BitmapFocused.Name = 'item'
    BitmapFocused.Right = 8
    BitmapFocused.Bottom = 15
    BitmapPressed.Name = 'item'
    BitmapPressed.Right = 8
    BitmapPressed.Bottom = 15
  end
end
object CheckBox: TSkSkinObject
  Width = 120
  Height = 17
  object Unchecked: TSkBitmapObject
    Width = 13
    Height = 13
    Bitmap.Name = 'check'
    Bitmap.Right = 13
    Bitmap.Bottom = 13
  end
  object Checked: TSkBitmapObject
    Width = 13
    Height = 13
    Bitmap.Name = 'check'
    Bitmap.Left = 13
    Bitmap.Right = 26
    Bitmap.Bottom = 13
  end
  object Mixed: TSkBitmapObject
    Width = 13
    Height = 13
    Bitmap.Name = 'check'
    Bitmap.Left = 26
    Bitmap.Right = 39
    Bitmap.Bottom = 13
  end
  object Text: TSkSkinObject
    Font.Color = 12114160
    Font.Name = 'DejaVu Sans'
    Font.Height = -11
  end
end
)";

}  // namespace

void BuildLauncherSkin(skin::TSkSkinSource& source)
{
    BuildSkinSource(kDescription, "", source);
    Add(source, "button", ButtonFaces());
    Add(source, "field", Field());
    Add(source, "bar", Bar());
    Add(source, "arrow", Arrows());
    Add(source, "item", Item());
    Add(source, "check", Checks());
    // The links were bound before the bitmaps came; bind them now, as a
    // reader of the stream would.
    for (int i = 0; i < source.GetObjectCount(); ++i) {
        source.GetObject(i)->SetBitmapList(&source.Bitmaps());
        source.GetObject(i)->ResolveLinks();
    }
}

std::vector<std::uint32_t> LauncherPicturePixels()
{
    constexpr int kW = 620, kH = 400;
    std::vector<std::uint32_t> px(size_t(kW) * kH);
    const std::uint32_t skyTop = Rgb(6, 12, 30), skyLow = Rgb(52, 60, 96), sea = Rgb(10, 30, 46),
                        sand = Rgb(120, 100, 70), glow = Rgb(240, 190, 110);
    for (int y = 0; y < kH; ++y)
        for (int x = 0; x < kW; ++x) {
            // The shore line waves across the lower third.
            const double shore = 300 + 14 * std::sin(x / 47.0) + 6 * std::sin(x / 13.0);
            std::uint32_t c;
            if (y < 210) {
                c = Mix(skyTop, skyLow, y / 210.0);
                // A low sun behind the veil of mist.
                const double d = std::hypot(x - 440.0, y - 205.0);
                if (d < 120)
                    c = Mix(c, glow, std::pow(1 - d / 120, 2) * 0.8);
            } else if (y < shore) {
                c = Mix(sea, skyLow, std::max(0.0, 0.5 - (y - 210) / 180.0));
                if ((x * 7 + y * 13) % 97 == 0)
                    c = Mix(c, glow, 0.5);
            } else {
                c = Mix(sand, Rgb(50, 40, 30), (y - shore) / (kH - shore));
            }
            // A few stars.
            if (y < 150 && ((x * 2654435761u) ^ (y * 40503u)) % 1500 == 0)
                c = Rgb(230, 230, 255);
            px[size_t(y) * kW + x] = c;
        }
    return px;
}

bool WriteLauncherPicture(const std::filesystem::path& file)
{
    constexpr int kW = 620, kH = 400;
    const auto px = LauncherPicturePixels();
    const int stride = (kW * 3 + 3) & ~3;
    const std::uint32_t dataSize = std::uint32_t(stride) * kH;
    std::vector<std::uint8_t> out;
    auto u16 = [&](std::uint32_t v) { out.push_back(v & 0xFF); out.push_back((v >> 8) & 0xFF); };
    auto u32 = [&](std::uint32_t v) { u16(v & 0xFFFF); u16(v >> 16); };
    out.push_back('B');
    out.push_back('M');
    u32(54 + dataSize);
    u32(0);
    u32(54);
    u32(40);
    u32(kW);
    u32(kH);
    u16(1);
    u16(24);
    u32(0);
    u32(dataSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = kH - 1; y >= 0; --y) {
        for (int x = 0; x < kW; ++x) {
            const std::uint32_t c = px[size_t(y) * kW + x];
            out.push_back(c & 0xFF);
            out.push_back((c >> 8) & 0xFF);
            out.push_back((c >> 16) & 0xFF);
        }
        out.resize(out.size() + size_t(stride - kW * 3), 0);
    }
    return WriteFileReplacing(file, out);
}

bool WriteLauncherTable(const std::filesystem::path& file, const std::vector<std::u16string>& lines)
{
    std::u16string text = u"\xFEFF";
    for (const auto& l : lines)
        text += l + u"\r\n";
    std::vector<std::uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<std::uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    return WriteFileReplacing(file, bytes);
}

}  // namespace vls::tools
