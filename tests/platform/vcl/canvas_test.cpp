#include <gtest/gtest.h>

#include "platform/vcl/graphics.h"

using namespace vcl;

TEST(Canvas, PenModesCombineThePenWithWhatIsThere)
{
    struct Case {
        TPenMode mode;
        std::uint32_t expected;  // 0xRRGGBB over 0x0000FF with a 0x808080 pen
    };
    const Case cases[] = {{pmCopy, 0x808080}, {pmXor, 0x80807F}, {pmMask, 0x000080}, {pmMerge, 0x8080FF},
                          {pmNot, 0xFFFF00},  {pmBlack, 0x000000}, {pmWhite, 0xFFFFFF}, {pmNop, 0x0000FF}};
    for (const Case& c : cases) {
        TBitmap bitmap;
        bitmap.SetSize(4, 1);
        for (int x = 0; x < 4; ++x)
            bitmap.Pixels()[x] = 0xFF0000FF;
        TCanvas* canvas = bitmap.Canvas();
        canvas->Pen()->SetColor(static_cast<TColor>(RGB(0x80, 0x80, 0x80)));
        canvas->Pen()->SetMode(c.mode);
        canvas->MoveTo(0, 0);
        canvas->LineTo(4, 0);
        EXPECT_EQ(bitmap.Pixels()[1] & 0xFFFFFF, c.expected) << c.mode;
    }
}
