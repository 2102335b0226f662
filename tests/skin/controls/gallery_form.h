#pragma once

// One of each control of the library on one form, in the plain look: shared
// by the gallery test and the gallery program that shows it on a screen.

#include "platform/vcl/forms.h"

namespace sktest {

constexpr int kGalleryWidth = 480;
constexpr int kGalleryHeight = 420;

// Sizes `form` and fills it; the controls belong to the form.
void BuildGallery(vcl::TForm* form);

}  // namespace sktest
