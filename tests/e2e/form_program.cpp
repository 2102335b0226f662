// A program with a form and the class library's message loop, the kind of
// program the launcher is: it writes what its form receives to "events.txt",
// so an end-to-end test can see input arrive between the steps of a script.

#include "platform/vcl/forms.h"

#include <cstdio>

using namespace vcl;

namespace {

void Note(const char* format, int a, int b = 0)
{
    if (std::FILE* file = std::fopen("events.txt", "a")) {
        std::fprintf(file, format, a, b);
        std::fclose(file);
    }
}

}  // namespace

int main()
{
    Application->Initialize();
    TForm* form = nullptr;
    Application->CreateForm(form);
    form->SetBorderStyle(bsNone);
    form->SetBounds(100, 80, 300, 200);
    form->OnMouseDown = [](TObject*, TMouseButton button, TShiftState, int x, int y) {
        Note(button == mbRight ? "right %d %d\n" : "left %d %d\n", x, y);
    };
    form->OnKeyDown = [](TObject*, WORD& key, TShiftState) { Note("key %d\n", key); };
    Application->Run();
    Note("closed\n", 0);
    return 0;
}
