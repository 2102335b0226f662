#pragma once

// The list box's TrueType mark ("SK_LIST_TRUETYPE"): a 12 x 12 picture
// drawn from a small pattern in the source and registered as the program's
// bitmap resource, magenta where it is see-through. The drawing unit loads
// it at its start, so it is registered while the program loads.

namespace skin {

void RegisterListPicture();

}  // namespace skin
