#include "platform/win32/backend/sdl/sdl_keys.h"

namespace vls::backend {
namespace {

struct KeyPair {
    SDL_Keycode sdl;
    int vk;
    bool extended;
};

constexpr KeyPair kKeys[] = {
    {SDLK_BACKSPACE, 0x08, false}, {SDLK_TAB, 0x09, false},       {SDLK_RETURN, 0x0D, false},
    {SDLK_ESCAPE, 0x1B, false},    {SDLK_SPACE, 0x20, false},     {SDLK_PAGEUP, 0x21, true},
    {SDLK_PAGEDOWN, 0x22, true},   {SDLK_END, 0x23, true},        {SDLK_HOME, 0x24, true},
    {SDLK_LEFT, 0x25, true},       {SDLK_UP, 0x26, true},         {SDLK_RIGHT, 0x27, true},
    {SDLK_DOWN, 0x28, true},       {SDLK_PRINTSCREEN, 0x2C, true}, {SDLK_INSERT, 0x2D, true},
    {SDLK_DELETE, 0x2E, true},     {SDLK_LSHIFT, 0x10, false},    {SDLK_RSHIFT, 0x10, false},
    {SDLK_LCTRL, 0x11, false},     {SDLK_RCTRL, 0x11, true},      {SDLK_LALT, 0x12, false},
    {SDLK_RALT, 0x12, true},       {SDLK_PAUSE, 0x13, false},     {SDLK_CAPSLOCK, 0x14, false},
    {SDLK_LGUI, 0x5B, true},       {SDLK_RGUI, 0x5C, true},       {SDLK_APPLICATION, 0x5D, true},
    {SDLK_KP_0, 0x60, false},      {SDLK_KP_1, 0x61, false},      {SDLK_KP_2, 0x62, false},
    {SDLK_KP_3, 0x63, false},      {SDLK_KP_4, 0x64, false},      {SDLK_KP_5, 0x65, false},
    {SDLK_KP_6, 0x66, false},      {SDLK_KP_7, 0x67, false},      {SDLK_KP_8, 0x68, false},
    {SDLK_KP_9, 0x69, false},      {SDLK_KP_MULTIPLY, 0x6A, false}, {SDLK_KP_PLUS, 0x6B, false},
    {SDLK_KP_MINUS, 0x6D, false},  {SDLK_KP_PERIOD, 0x6E, false}, {SDLK_KP_DIVIDE, 0x6F, true},
    {SDLK_KP_ENTER, 0x0D, true},   {SDLK_NUMLOCKCLEAR, 0x90, true}, {SDLK_SCROLLLOCK, 0x91, false},
    {SDLK_SEMICOLON, 0xBA, false}, {SDLK_EQUALS, 0xBB, false},    {SDLK_COMMA, 0xBC, false},
    {SDLK_MINUS, 0xBD, false},     {SDLK_PERIOD, 0xBE, false},    {SDLK_SLASH, 0xBF, false},
    {SDLK_BACKQUOTE, 0xC0, false}, {SDLK_LEFTBRACKET, 0xDB, false}, {SDLK_BACKSLASH, 0xDC, false},
    {SDLK_RIGHTBRACKET, 0xDD, false}, {SDLK_QUOTE, 0xDE, false},
};

}  // namespace

int VirtualKeyFromSdl(SDL_Keycode key, SDL_Scancode scan, bool* extended)
{
    if (extended)
        *extended = false;
    if (key >= SDLK_a && key <= SDLK_z)
        return 'A' + (key - SDLK_a);
    if (key >= SDLK_0 && key <= SDLK_9)
        return '0' + (key - SDLK_0);
    if (key >= SDLK_F1 && key <= SDLK_F12)
        return 0x70 + (key - SDLK_F1);
    for (const KeyPair& k : kKeys) {
        if (k.sdl == key) {
            if (extended)
                *extended = k.extended;
            return k.vk;
        }
    }
    // Keys of other layouts that print a letter we lack: go by position.
    if (scan >= SDL_SCANCODE_A && scan <= SDL_SCANCODE_Z)
        return 'A' + (scan - SDL_SCANCODE_A);
    return 0;
}

}  // namespace vls::backend
