#include "platform/vcl/printers.h"

namespace vcl {

TPrinter::~TPrinter()
{
    if (dc_)
        DeleteDC(dc_);
}

HDC TPrinter::Handle()
{
    if (!dc_)
        dc_ = CreateCompatibleDC(nullptr);
    return dc_;
}

TPrinter* Printer()
{
    // Never destroyed: the device layer may be gone by the time statics end.
    static TPrinter* printer = new TPrinter();
    return printer;
}

}  // namespace vcl
