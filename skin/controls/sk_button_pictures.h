#pragma once

// The pictures of the button kinds ("SK_BTN_OK" ... "SK_BTN_ALL"), drawn
// from the small patterns in the source and registered as the program's
// bitmap resources: 32 x 16, a normal and a disabled 16 x 16 cell, magenta
// where they are see-through.

namespace skin {

void RegisterButtonPictures();

}  // namespace skin
