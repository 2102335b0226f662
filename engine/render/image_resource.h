#pragma once

class cKestruneImage;

// A new image loaded from the named datafile resource; null, quietly, when the
// resource does not exist, or after the image reported why it did not load.
// A video that may never play can leave its stream unopened until first used
// (cKestruneImage::OpenVideoOnFirstUse).
cKestruneImage* LoadImageResource(const char* name, bool openVideoOnFirstUse = false);
