#include <gtest/gtest.h>

#include <cstdlib>

#include "control_fixture.h"
#include "gallery_form.h"
#include "platform/vcl/streams.h"

using namespace skin;

namespace {

class SkGallery : public sktest::ControlTest {};

// One of each control on one form. With VLS_GALLERY_BMP set, the painted
// form is also written to that file for a person to look at.
TEST_F(SkGallery, OneOfEachControlPaintsInItsPlace)
{
    sktest::BuildGallery(form);
    vcl::Application->ProcessMessages();

    TSkBitmap& shot = Snapshot();
    if (const char* path = std::getenv("VLS_GALLERY_BMP")) {
        vcl::TBitmap bmp;
        bmp.SetSize(shot.Width(), shot.Height());
        for (int y = 0; y < shot.Height(); ++y)
            for (int x = 0; x < shot.Width(); ++x)
                bmp.Pixels()[y * shot.Width() + x] = shot.GetPixel(x, y) & 0xFFFFFF;
        bmp.SaveToFile(path);
    }
    // Each control painted its own face where it stands.
    EXPECT_EQ(Rgb(12 + 2, 110 + 12), Px(vcl::clHighlight));          // the first progress block
    EXPECT_EQ(Rgb(270, 12), Px(vcl::clBtnShadow));                   // the panel's etched frame
    EXPECT_EQ(Rgb(110, 40), Px(vcl::clBtnHighlight));                // the cancel button's raised edge
    EXPECT_EQ(Rgb(100, 160), Px(vcl::clBtnFace));                    // the container shows the form
    EXPECT_EQ(Rgb(2, form->ClientHeight() - 20), Px(vcl::clBtnShadow));  // the status bar's first panel frame
}

}  // namespace
