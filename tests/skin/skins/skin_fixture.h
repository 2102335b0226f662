#pragma once

#include <string>

#include "tools/skin_writer.h"

namespace skin::test {

// A small skin in the shape of the launcher's: nested objects of the text
// and binary forms, two bitmaps of one name, magenta for transparency.
inline const char* kSkinDescription = R"(
name "Test Skin"
version "3.2.2"
author "Skin Tests"
email "tests@example.invalid"
url "https://example.invalid"
object Form: TSkSkinObject
  Kind = skForm
  Color = clNavy
  Width = 300
  Height = 200
  object Caption: TSkSkinObject
    Align = saTop
    Height = 22
    Kind = skCaption
    object Title: TSkTextObject
      Align = saClient
      Kind = skTitle
      FontHot.Color = clRed
    end
  end
  object Client: TSkSkinObject
    Align = saClient
    Kind = skClient
  end
end
object Button: TSkActiveObject
  Width = 80
  Height = 24
  ActiveColor = clYellow
  object Text: TSkSkinObject
    Align = saClient
    TextAlign = taCenter
  end
end
)";

inline void AddTestBitmaps(TSkSkinSource& source)
{
    // Magenta becomes the key colour when read back.
    vls::tools::AddSkinBitmap(source, "Face", 2, 2, {0xFFFF00FF, 0xFF112233, 0x80445566, 0xFFFA05FA});
    vls::tools::AddSkinBitmap(source, "face", 3, 1, {0xFF010101, 0xFF020202, 0xFF030303});
}

inline void BuildTestSkin(TSkSkinSource& source)
{
    vls::tools::BuildSkinSource(kSkinDescription, "", source);
    AddTestBitmaps(source);
}

}  // namespace skin::test
