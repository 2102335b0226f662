#pragma once

// The printer: there is no print spooler here, so its device context is a
// memory context of the screen, and whoever measures or lists fonts "for
// the printer" gets the screen's answers instead of an error.

#include "platform/gdi/wingdi.h"

namespace vcl {

class TPrinter {
public:
    TPrinter() = default;
    ~TPrinter();
    TPrinter(const TPrinter&) = delete;
    TPrinter& operator=(const TPrinter&) = delete;
    HDC Handle();

private:
    HDC dc_ = nullptr;
};

TPrinter* Printer();

}  // namespace vcl
