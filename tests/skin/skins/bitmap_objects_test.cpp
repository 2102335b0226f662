#include <gtest/gtest.h>

#include <memory>

#include "platform/vcl/filer.h"
#include "skin/skins/sk_skin_filters.h"
#include "skin/skins/sk_system_buttons.h"
#include "tools/skin_writer.h"

using namespace skin;

namespace {

constexpr TPixel kBlack = 0xFF000000;

// A picture whose nine slices (by the given margins) each have their own
// colour, so that any painted pixel tells which slice it came from.
std::vector<std::uint32_t> SlicedPixels(int w, int h, int ml, int mt, int mr, int mb, std::uint32_t base)
{
    std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const int col = x < ml ? 0 : x >= w - mr ? 2 : 1;
            const int row = y < mt ? 0 : y >= h - mb ? 2 : 1;
            pixels[static_cast<size_t>(y) * w + x] = base + static_cast<std::uint32_t>(row * 3 + col + 1) * 0x10;
        }
    return pixels;
}

// A skin written by our writer and read back, the way a program gets it.
std::unique_ptr<TSkSkinSource> LoadedSkin(const char* description,
                                          const std::function<void(TSkSkinSource&)>& addBitmaps)
{
    TSkSkinSource written(nullptr);
    vls::tools::BuildSkinSource(description, "", written);
    addBitmaps(written);
    const std::vector<std::uint8_t> bytes = vls::tools::WriteSkinStream(written, "kskn");
    auto loaded = std::make_unique<TSkSkinSource>(nullptr);
    vcl::TMemoryStream s;
    s.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
    s.SetPosition(0);
    loaded->LoadFromStream(&s);
    return loaded;
}

struct Surface {
    TSkBitmap bitmap;
    vcl::TCanvas canvas;
    Surface(int w, int h, TPixel fill = kBlack)
    {
        bitmap.SetSize(w, h);
        bitmap.Fill(fill);
        canvas.SetHandle(bitmap.DC());
    }
    ~Surface() { canvas.SetHandle(nullptr); }
    TPixel At(int x, int y) const { return bitmap.GetPixel(x, y) & 0xFFFFFF; }
};

TSkSkinObject* Paint(TSkSkinSource& skin, const char* name, const RECT& bounds, Surface& surface,
                     std::uint8_t state = kStateNormal)
{
    TSkSkinObject* object = skin.FindObject(name);
    object->SetBounds(bounds);
    object->SetState(state);
    object->Paint(&surface.canvas);
    return object;
}

}  // namespace

TEST(SkBitmapObjects, EveryClassStreamsThroughEveryFormat)
{
    const char* names[] = {"TSkSkinObject", "TSkActiveObject", "TSkBitmapObject", "TSkActiveBitmap",
                           "TSkSystemButton", "TSkButtonObject", "TSkTextObject", "TSkLinkSkinObject",
                           "TSkBitmapSkinObject", "TSkFormBitmapSkinObject", "TSkSysButtonSkinObject",
                           "TSkActiveSkinObject", "TSkColorButtonObject", "TSkBitmapBoxObject",
                           "TSkActiveBitmapBoxObject", "TSkButtonBitmapBoxObject", "TSkRollPanelObject"};
    std::string description = "name \"All\"\nobject Root: TSkSkinObject\n  Width = 10\n";
    int i = 0;
    for (const char* n : names)
        description += "  object O" + std::to_string(i++) + ": " + n + "\n  end\n";
    description += R"(  object Sys: TSkSysButtonSkinObject
    Action = sbaRollPanel
    RollPanel = 'Panel'
    BitmapDown.Name = 'pic'
    BitmapDown.Right = 2
    BitmapDown.Bottom = 2
  end
  object Panel: TSkRollPanelObject
    RollKind = rkBottom
    RollValue = 7
  end
  object Box: TSkButtonBitmapBoxObject
    BorderTileStyle = tsStretch
    PressedBitmap.Name = 'PIC'
    PressedBitmap.Left = 1
    PressedBitmap.Right = 3
    PressedBitmap.Bottom = 1
  end
end
)";
    for (const char* format : {"uskn", "kskn", "xskn", "mskn"}) {
        SCOPED_TRACE(format);
        TSkSkinSource written(nullptr);
        vls::tools::BuildSkinSource(description, "", written);
        vls::tools::AddSkinBitmap(written, "pic", 4, 4, std::vector<std::uint32_t>(16, 0xFF204060));
        const auto bytes = vls::tools::WriteSkinStream(written, format);
        TSkSkinSource back(nullptr);
        vcl::TMemoryStream s;
        s.WriteBuffer(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        s.SetPosition(0);
        std::unique_ptr<TSkSkinFilter> filter(FindSkinFilter(std::string("x.") + format)->create());
        filter->Source = &back;
        filter->LoadFromStream(&s);
        ASSERT_EQ(back.GetObjectCount(), 1);
        TSkSkinObject* root = back.GetObject(0);
        ASSERT_EQ(root->GetCount(), 17 + 3);
        for (int k = 0; k < 17; ++k)
            EXPECT_EQ(root->GetObject(k)->ClassName(), names[k]);
        auto* sys = dynamic_cast<TSkSysButtonSkinObject*>(root->FindObject("Sys"));
        ASSERT_NE(sys, nullptr);
        EXPECT_EQ(sys->Action(), sbaRollPanel);
        EXPECT_EQ(sys->RollPanel(), "Panel");
        EXPECT_EQ(sys->Kind(), skSysButton);
        // Links are bound to the skin's bitmap by name, case aside.
        EXPECT_TRUE(sys->BitmapDown()->IsValid());
        EXPECT_FALSE(sys->BitmapHover()->IsValid());
        auto* box = dynamic_cast<TSkButtonBitmapBoxObject*>(root->FindObject("Box"));
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->BorderTileStyle(), tsStretch);
        EXPECT_EQ(box->PressedBitmap()->Image(), back.Bitmaps().GetBitmap(0));
        EXPECT_EQ(box->PressedBitmap()->Left(), 1);
        auto* panel = dynamic_cast<TSkRollPanelObject*>(root->FindObject("Panel"));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->RollKind(), rkBottom);
        EXPECT_EQ(panel->RollValue(), 7);

        // A clone copies the class, its own properties and its links.
        std::unique_ptr<TSkSkinObject> clone(CloneSkinObject(root, nullptr));
        auto* boxCopy = dynamic_cast<TSkButtonBitmapBoxObject*>(clone->FindObject("Box"));
        ASSERT_NE(boxCopy, nullptr);
        EXPECT_EQ(boxCopy->PressedBitmap()->Image(), box->PressedBitmap()->Image());
        EXPECT_NE(boxCopy->PressedBitmap(), box->PressedBitmap());
        EXPECT_EQ(dynamic_cast<TSkSysButtonSkinObject*>(clone->FindObject("Sys"))->RollPanel(), "Panel");
    }
}

TEST(SkBitmapObjects, NineSliceKeepsCornersAndScalesEdgesAndCentre)
{
    // A 98 x 41 face with 7-pixel margins painted at 200 x 30, stretched
    // and tiled: every pixel must come from the slice its position names.
    for (const char* style : {"tsStretch", "tsTile"}) {
        SCOPED_TRACE(style);
        const std::string description = std::string(R"(
object Face: TSkBitmapObject
  MarginLeft = 7
  MarginTop = 7
  MarginRight = 7
  MarginBottom = 7
  Bitmap.Name = 'face'
  Bitmap.Left = 2
  Bitmap.Top = 1
  Bitmap.Right = 100
  Bitmap.Bottom = 42
  TileStyle = )") + style + "\n  BorderTileStyle = " + style + "\nend\n";
        auto skin = LoadedSkin(description.c_str(), [](TSkSkinSource& s) {
            // The link starts at (2, 1) of a larger picture.
            auto pixels = SlicedPixels(98, 41, 7, 7, 7, 7, 0xFF400000);
            std::vector<std::uint32_t> big(102 * 44, 0xFF00FF00);
            for (int y = 0; y < 41; ++y)
                for (int x = 0; x < 98; ++x)
                    big[static_cast<size_t>(y + 1) * 102 + x + 2] = pixels[static_cast<size_t>(y) * 98 + x];
            vls::tools::AddSkinBitmap(s, "Face", 102, 44, big);
        });
        Surface surface(210, 40);
        Paint(*skin, "Face", RECT{5, 3, 205, 33}, surface);
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 210; ++x) {
                TPixel want = 0;
                if (x >= 5 && x < 205 && y >= 3 && y < 33) {
                    const int col = x < 12 ? 0 : x >= 198 ? 2 : 1;
                    const int row = y < 10 ? 0 : y >= 26 ? 2 : 1;
                    want = 0x400000 + static_cast<TPixel>(row * 3 + col + 1) * 0x10;
                }
                ASSERT_EQ(surface.At(x, y), want) << x << "," << y;
            }
    }
}

TEST(SkBitmapObjects, WholePictureTilesStretchesOrCentres)
{
    const char* description = R"(
object Tile: TSkBitmapObject
  Bitmap.Name = 'stripe'
  Bitmap.Right = 2
  Bitmap.Bottom = 1
  TileStyle = tsTile
end
object Stretch: TSkBitmapObject
  Bitmap.Name = 'stripe'
  Bitmap.Right = 2
  Bitmap.Bottom = 1
  TileStyle = tsStretch
end
object Centre: TSkBitmapSkinObject
  Bitmap.Name = 'block'
  Bitmap.Right = 7
  Bitmap.Bottom = 9
  TileStyle = tsCenter
end
)";
    auto skin = LoadedSkin(description, [](TSkSkinSource& s) {
        vls::tools::AddSkinBitmap(s, "stripe", 2, 1, {0xFF0000AA, 0xFF0000BB});
        vls::tools::AddSkinBitmap(s, "block", 7, 9, std::vector<std::uint32_t>(63, 0xFF123456));
    });
    Surface surface(30, 30);
    Paint(*skin, "Tile", RECT{0, 0, 5, 2}, surface);
    Paint(*skin, "Stretch", RECT{0, 2, 4, 3}, surface);
    const TPixel tiled[5] = {0xAA, 0xBB, 0xAA, 0xBB, 0xAA};
    const TPixel stretched[4] = {0xAA, 0xAA, 0xBB, 0xBB};
    for (int x = 0; x < 5; ++x) {
        EXPECT_EQ(surface.At(x, 0), tiled[x]);
        EXPECT_EQ(surface.At(x, 1), tiled[x]);
    }
    for (int x = 0; x < 4; ++x)
        EXPECT_EQ(surface.At(x, 2), stretched[x]);

    // 7 x 9 centred in 20 x 20 at (10, 10) lands at (16, 15).
    Paint(*skin, "Centre", RECT{10, 10, 30, 30}, surface);
    EXPECT_EQ(surface.At(15, 15), 0u);
    EXPECT_EQ(surface.At(16, 15), 0x123456u);
    EXPECT_EQ(surface.At(22, 23), 0x123456u);
    EXPECT_EQ(surface.At(23, 23), 0u);
    EXPECT_EQ(surface.At(16, 24), 0u);
}

TEST(SkBitmapObjects, KeyColourIsTransparentOnlyWhereMasked)
{
    // Corners, edges and centre all hold magenta, which loading makes the
    // key colour; each part's own mask flag decides.
    const char* description = R"(
object Masked: TSkBitmapObject
  MarginLeft = 1
  MarginTop = 1
  MarginRight = 1
  MarginBottom = 1
  Bitmap.Name = 'm'
  Bitmap.Right = 3
  Bitmap.Bottom = 3
end
object Angles: TSkBitmapObject
  MarginLeft = 1
  MarginTop = 1
  MarginRight = 1
  MarginBottom = 1
  Masked = False
  MaskedBorder = False
  MaskedAngles = True
  Bitmap.Name = 'm'
  Bitmap.Right = 3
  Bitmap.Bottom = 3
end
)";
    auto skin = LoadedSkin(description, [](TSkSkinSource& s) {
        vls::tools::AddSkinBitmap(s, "m", 3, 3, std::vector<std::uint32_t>(9, 0xFFFF00FF));
    });
    Surface surface(8, 4, 0xFF0000CC);
    Paint(*skin, "Masked", RECT{0, 0, 4, 4}, surface);
    Paint(*skin, "Angles", RECT{4, 0, 8, 4}, surface);
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(surface.At(x, y), 0xCCu);
    const TPixel key = KeyColor & 0xFFFFFF;
    EXPECT_EQ(surface.At(4, 0), 0xCCu);  // corner: masked
    EXPECT_EQ(surface.At(7, 3), 0xCCu);
    EXPECT_EQ(surface.At(5, 0), key);  // edge: drawn
    EXPECT_EQ(surface.At(4, 2), key);
    EXPECT_EQ(surface.At(5, 1), key);  // centre: drawn
}

TEST(SkBitmapObjects, OversizedMarginsAndLinksPastTheBitmapDrawWhatExists)
{
    const char* description = R"(
object Wide: TSkBitmapObject
  MarginLeft = 3
  MarginTop = 3
  MarginRight = 3
  MarginBottom = 3
  Bitmap.Name = 'small'
  Bitmap.Right = 4
  Bitmap.Bottom = 4
end
object Past: TSkBitmapObject
  TileStyle = tsStretch
  Bitmap.Name = 'small'
  Bitmap.Left = 2
  Bitmap.Top = 2
  Bitmap.Right = 40
  Bitmap.Bottom = 40
end
object Tiled: TSkBitmapObject
  Bitmap.Name = 'small'
  Bitmap.Right = 1
  Bitmap.Bottom = 1
end
)";
    auto skin = LoadedSkin(description, [](TSkSkinSource& s) {
        vls::tools::AddSkinBitmap(s, "small", 4, 4, std::vector<std::uint32_t>(16, 0xFF00AA00));
    });
    Surface surface(20, 20);
    Paint(*skin, "Wide", RECT{0, 0, 4, 4}, surface);
    EXPECT_EQ(surface.At(0, 0), 0xAA00u);  // a 3 x 3 corner
    Paint(*skin, "Past", RECT{10, 10, 20, 20}, surface);
    EXPECT_EQ(surface.At(10, 10), 0xAA00u);

    // Tiling a huge object costs only what the canvas shows; a damaged size
    // beyond any bitmap paints nothing.
    Surface small(20, 20);
    Paint(*skin, "Tiled", RECT{-8001, -8001, 8000, 8000}, small);
    EXPECT_EQ(small.At(5, 5), 0xAA00u);
    Surface other(20, 20);
    Paint(*skin, "Past", RECT{0, 0, 2000000000, 20}, other);
    EXPECT_EQ(other.At(5, 5), 0u);
}

// Margins and link rectangles of a damaged skin reach far past the picture
// and the object; every piece is cut to the link, its bitmap and the object
// before anything is drawn, so the paint neither fails nor sizes a scratch
// bitmap by them, and what exists is still drawn in its place.
TEST(SkBitmapObjects, HostileMarginsAndLinksAreCutBeforeAnythingIsDrawn)
{
    const char* description = R"(
object Huge: TSkBitmapObject
  MarginLeft = 100000
  MarginTop = 100000
  MarginRight = 100000
  MarginBottom = 100000
  Bitmap.Name = 'small'
  Bitmap.Right = 4
  Bitmap.Bottom = 4
end
object Extreme: TSkBitmapObject
  MarginLeft = 2147483647
  MarginTop = -2147483647
  MarginRight = -2147483647
  MarginBottom = 2147483647
  TileStyle = tsStretch
  BorderTileStyle = tsStretch
  Bitmap.Name = 'small'
  Bitmap.Left = -2147483647
  Bitmap.Top = -2147483647
  Bitmap.Right = 2147483647
  Bitmap.Bottom = 2147483647
end
object Centred: TSkBitmapObject
  TileStyle = tsCenter
  Bitmap.Name = 'small'
  Bitmap.Right = 2000000000
  Bitmap.Bottom = 2000000000
end
object CentredPiece: TSkBitmapObject
  MarginLeft = 1
  MarginTop = 1
  MarginRight = 1
  MarginBottom = 1
  TileStyle = tsCenter
  Bitmap.Name = 'small'
  Bitmap.Left = -1000000
  Bitmap.Top = -1000000
  Bitmap.Right = 1000000
  Bitmap.Bottom = 1000000
end
)";
    auto skin = LoadedSkin(description, [](TSkSkinSource& s) {
        vls::tools::AddSkinBitmap(s, "small", 4, 4, std::vector<std::uint32_t>(16, 0xFF00AA00));
    });
    Surface huge(20, 20);
    EXPECT_NO_THROW(Paint(*skin, "Huge", RECT{2, 2, 18, 18}, huge));
    // The top-left corner is the whole 4 x 4 picture; nothing else exists.
    EXPECT_EQ(huge.At(2, 2), 0xAA00u);
    EXPECT_EQ(huge.At(5, 5), 0xAA00u);
    EXPECT_EQ(huge.At(6, 6), 0u);
    EXPECT_EQ(huge.At(1, 1), 0u);

    Surface extreme(20, 20);
    EXPECT_NO_THROW(Paint(*skin, "Extreme", RECT{0, 0, 20, 20}, extreme));
    EXPECT_NO_THROW(Paint(*skin, "Extreme", RECT{-2000000000, -2000000000, 2000000000, 2000000000}, extreme));

    // A centred picture larger than its bitmap is placed by its own size and
    // shows only the pixels the bitmap has, here off the surface.
    Surface centred(20, 20);
    EXPECT_NO_THROW(Paint(*skin, "Centred", RECT{0, 0, 20, 20}, centred));
    EXPECT_EQ(centred.At(10, 10), 0u);
    Surface piece(20, 20);
    EXPECT_NO_THROW(Paint(*skin, "CentredPiece", RECT{0, 0, 20, 20}, piece));
}

TEST(SkBitmapObjects, StatePicturesReplaceTheNormalOneWhenUsable)
{
    const char* description = R"(
object Button: TSkButtonObject
  Bitmap.Name = 'states'
  Bitmap.Right = 1
  Bitmap.Bottom = 1
  BitmapFocused.Name = 'states'
  BitmapFocused.Left = 1
  BitmapFocused.Right = 2
  BitmapFocused.Bottom = 1
  BitmapPressed.Name = 'states'
  BitmapPressed.Left = 2
  BitmapPressed.Right = 3
  BitmapPressed.Bottom = 1
  BitmapDisabled.Name = 'states'
  BitmapDisabled.Left = 3
  BitmapDisabled.Right = 4
  BitmapDisabled.Bottom = 1
end
object Active: TSkActiveBitmap
  Bitmap.Name = 'states'
  Bitmap.Right = 1
  Bitmap.Bottom = 1
  ActiveBitmap.Name = 'states'
  ActiveBitmap.Left = 1
  ActiveBitmap.Right = 2
  ActiveBitmap.Bottom = 1
end
object Box: TSkActiveBitmapBoxObject
  Bitmap.Name = 'states'
  Bitmap.Right = 1
  Bitmap.Bottom = 1
  FocusedBitmap.Name = 'states'
  FocusedBitmap.Left = 1
  FocusedBitmap.Right = 2
  FocusedBitmap.Bottom = 1
end
object Frame: TSkFormBitmapSkinObject
  Bitmap.Name = 'states'
  Bitmap.Right = 1
  Bitmap.Bottom = 1
  InactiveBitmap.Name = 'states'
  InactiveBitmap.Left = 2
  InactiveBitmap.Right = 3
  InactiveBitmap.Bottom = 1
end
)";
    // normal, focused, pressed, disabled
    auto skin = LoadedSkin(description, [](TSkSkinSource& s) {
        vls::tools::AddSkinBitmap(s, "states", 4, 1, {0xFF000010, 0xFF000020, 0xFF000030, 0xFF000040});
    });
    struct Case {
        const char* object;
        std::uint8_t state;
        bool active;
        TPixel want;
    };
    const Case cases[] = {
        {"Button", kStateNormal, false, 0x10}, {"Button", kStateFocused, false, 0x20},
        {"Button", kStatePressed, false, 0x30}, {"Button", kStateDisabled, false, 0x40},
        {"Button", kStateHot, false, 0x10},  // no usable hot picture: the normal one
        {"Active", kStateNormal, false, 0x10}, {"Active", kStateNormal, true, 0x20},
        {"Active", kStateHot, false, 0x20},    {"Active", kStateFocused, false, 0x20},
        {"Active", kStatePressed, false, 0x10}, {"Box", kStateHot, false, 0x20},
        {"Box", kStatePressed, false, 0x10},   {"Frame", kStateNormal, true, 0x10},
        {"Frame", kStateNormal, false, 0x30},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.object) + " state " + std::to_string(c.state));
        Surface surface(2, 2);
        skin->FindObject(c.object)->SetActive(c.active);
        Paint(*skin, c.object, RECT{0, 0, 2, 2}, surface, c.state);
        EXPECT_EQ(surface.At(1, 1), c.want);
    }
}

TEST(SkBitmapObjects, RegionsFollowThePaintedPixels)
{
    const char* description = R"(
object Shape: TSkBitmapObject
  Bitmap.Name = 'shape'
  Bitmap.Right = 2
  Bitmap.Bottom = 2
  TileStyle = tsStretch
end
object Hole: TSkBitmapSkinObject
  Masked = False
  Bitmap.Name = 'hole'
  Bitmap.Right = 2
  Bitmap.Bottom = 2
end
object Client: TSkBitmapObject
  Kind = skClient
  Bitmap.Name = 'hole'
  Bitmap.Right = 2
  Bitmap.Bottom = 2
end
object NoLink: TSkBitmapObject
end
)";
    auto skin = LoadedSkin(description, [](TSkSkinSource& s) {
        vls::tools::AddSkinBitmap(s, "shape", 2, 2, {0xFF101010, 0xFFFF00FF, 0xFFFF00FF, 0xFF101010});
        vls::tools::AddSkinBitmap(s, "hole", 2, 2, std::vector<std::uint32_t>(4, 0xFFFF00FF));
    });
    TSkSkinObject* shape = skin->FindObject("Shape");
    shape->SetBounds(RECT{10, 20, 14, 24});
    HRGN r = shape->CreateRegion();
    ASSERT_NE(r, nullptr);
    EXPECT_TRUE(PtInRegion(r, 10, 20));
    EXPECT_TRUE(PtInRegion(r, 13, 23));
    EXPECT_FALSE(PtInRegion(r, 13, 20));
    EXPECT_EQ(shape->Left(), 10);  // bounds restored after the off-screen paint
    DeleteObject(r);

    // A picture that is all key colour gives an empty region, whatever
    // Masked says for this class.
    TSkSkinObject* hole = skin->FindObject("Hole");
    hole->SetBounds(RECT{0, 0, 5, 5});
    r = hole->CreateRegion();
    RECT box{};
    EXPECT_EQ(GetRgnBox(r, &box), NULLREGION);
    DeleteObject(r);

    TSkSkinObject* client = skin->FindObject("Client");
    client->SetBounds(RECT{0, 0, 5, 5});
    r = client->CreateRegion();
    EXPECT_TRUE(PtInRegion(r, 4, 4));
    DeleteObject(r);

    TSkSkinObject* none = skin->FindObject("NoLink");
    none->SetBounds(RECT{0, 0, 5, 5});
    EXPECT_EQ(none->CreateRegion(), nullptr);
}
