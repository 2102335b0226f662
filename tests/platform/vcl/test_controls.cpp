#include "test_controls.h"

namespace vcltest {

VCL_IMPLEMENT_CLASS(TTestButton, TCustomControl, [](auto& b) { b.Component(); })
VCL_IMPLEMENT_CLASS(TTestLabel, TGraphicControl, [](auto& b) { b.Component(); })
VCL_IMPLEMENT_CLASS(TTestCheckBox, TCustomControl, [](auto& b) { b.Component(); })
VCL_IMPLEMENT_CLASS(TSmallForm, TForm, [](auto& b) { b.Component(); })

}  // namespace vcltest
