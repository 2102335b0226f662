#pragma once

class cKestruneImage;

// A new image loaded from the named datafile resource; null, quietly, when the
// resource does not exist, or after the image reported why it did not load.
cKestruneImage* LoadImageResource(const char* name);
