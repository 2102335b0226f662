#include "platform/user/msgbox_window.h"
#include "platform/user/user_control.h"
#include "platform/user/user_state.h"

#include <cstdio>
#include <vector>

namespace vls::user {
namespace {

MessageBoxHook& AnswerHook()
{
    static auto* hook = new MessageBoxHook;  // outlives exit handlers
    return *hook;
}

struct Button {
    const char* label;
    int id;
};

std::vector<Button> ButtonsOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_OKCANCEL: return {{"OK", IDOK}, {"Cancel", IDCANCEL}};
    case MB_ABORTRETRYIGNORE: return {{"Abort", IDABORT}, {"Retry", IDRETRY}, {"Ignore", IDIGNORE}};
    case MB_YESNOCANCEL: return {{"Yes", IDYES}, {"No", IDNO}, {"Cancel", IDCANCEL}};
    case MB_YESNO: return {{"Yes", IDYES}, {"No", IDNO}};
    case MB_RETRYCANCEL: return {{"Retry", IDRETRY}, {"Cancel", IDCANCEL}};
    default: return {{"OK", IDOK}};
    }
}

// A box nobody can see still tells whoever started the program why it stops.
void SayOnTerminal(const std::string& title, const std::string& body)
{
    std::fprintf(stderr, "MessageBox \"%s\": %s\n", title.c_str(), body.c_str());
    std::fflush(stderr);
}

}  // namespace

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook)
{
    MessageBoxHook old = std::move(AnswerHook());
    AnswerHook() = std::move(hook);
    return old;
}

}  // namespace vls::user

using namespace vls::user;

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    State& s = Get();
    const std::string body = text ? text : "";
    const std::string title = caption ? caption : "Error";
    const std::vector<Button> buttons = ButtonsOf(type);
    if (AnswerHook()) {
        SayOnTerminal(title, body);
        return AnswerHook()(owner, body, title, type);
    }
    if (s.headless) {
        SayOnTerminal(title, body);
        return buttons.front().id;
    }
    vls::backend::MessageBoxRequest request;
    request.caption = title;
    request.text = body;
    for (const Button& b : buttons)
        request.buttons.push_back(b.label);
    const int def = static_cast<int>((type & MB_DEFMASK) >> 8);
    request.defaultButton = def < static_cast<int>(buttons.size()) ? def : 0;
    request.icon = static_cast<int>(type & MB_ICONMASK);
    // The owner takes no input while the box is up.
    const bool disable = owner && IsWindowEnabled(owner);
    if (disable)
        EnableWindow(owner, FALSE);
    int chosen = s.backend->ShowMessageBox(request);
    if (chosen == vls::backend::Backend::kMessageBoxNoDialog) {
        // The desktop has no box of its own: ours is drawn instead, and the
        // terminal gets the text as well.
        SayOnTerminal(title, body);
        int cancel = -1;
        for (std::size_t i = 0; i < buttons.size(); ++i)
            if (buttons[i].id == IDCANCEL)
                cancel = static_cast<int>(i);
        chosen = ShowOwnMessageBox(title, body, request.buttons, request.defaultButton, cancel);
        if (chosen == kOwnBoxNotShown)
            std::fprintf(stderr, "MessageBox \"%s\": no window could be made for it either\n", title.c_str());
    } else if (chosen == vls::backend::Backend::kMessageBoxNotShown) {
        SayOnTerminal(title, body);
    }
    if (disable)
        EnableWindow(owner, TRUE);
    if (chosen == kOwnBoxNotShown || chosen == vls::backend::Backend::kMessageBoxNotShown) {
        // Nobody saw it: the terminal has the text, the box its default answer.
        return buttons[static_cast<std::size_t>(request.defaultButton)].id;
    }
    if (chosen < 0 || chosen >= static_cast<int>(buttons.size())) {
        // Closed without a choice: the box's cancel answer, else its only one.
        for (const Button& b : buttons)
            if (b.id == IDCANCEL)
                return IDCANCEL;
        return buttons.size() == 1 ? buttons.front().id : IDNO;
    }
    return buttons[static_cast<std::size_t>(chosen)].id;
}

BOOL MessageBeep(UINT) { return TRUE; }
