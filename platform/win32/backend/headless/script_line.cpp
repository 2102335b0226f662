#include "platform/win32/backend/headless/script_line.h"

#include "platform/win32/kernel/code_pages.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <limits>
#include <vector>

namespace vls::headless {
namespace {

constexpr UINT kUtf8CodePage = 65001;

struct KeyName {
    const char* name;
    int vk;
};

// The Windows names of the keys a script can press, without their "VK_".
// Letters and digits are their own characters and F1 to F24 are computed.
constexpr KeyName kKeyNames[] = {
    {"LBUTTON", 0x01}, {"RBUTTON", 0x02}, {"CANCEL", 0x03}, {"MBUTTON", 0x04}, {"BACK", 0x08},
    {"TAB", 0x09}, {"CLEAR", 0x0C}, {"RETURN", 0x0D}, {"SHIFT", 0x10}, {"CONTROL", 0x11},
    {"MENU", 0x12}, {"PAUSE", 0x13}, {"CAPITAL", 0x14}, {"ESCAPE", 0x1B}, {"SPACE", 0x20},
    {"PRIOR", 0x21}, {"NEXT", 0x22}, {"END", 0x23}, {"HOME", 0x24}, {"LEFT", 0x25},
    {"UP", 0x26}, {"RIGHT", 0x27}, {"DOWN", 0x28}, {"SELECT", 0x29}, {"PRINT", 0x2A},
    {"EXECUTE", 0x2B}, {"SNAPSHOT", 0x2C}, {"INSERT", 0x2D}, {"DELETE", 0x2E}, {"HELP", 0x2F},
    {"LWIN", 0x5B}, {"RWIN", 0x5C}, {"APPS", 0x5D}, {"SLEEP", 0x5F}, {"MULTIPLY", 0x6A},
    {"ADD", 0x6B}, {"SEPARATOR", 0x6C}, {"SUBTRACT", 0x6D}, {"DECIMAL", 0x6E}, {"DIVIDE", 0x6F},
    {"NUMLOCK", 0x90}, {"SCROLL", 0x91}, {"LSHIFT", 0xA0}, {"RSHIFT", 0xA1}, {"LCONTROL", 0xA2},
    {"RCONTROL", 0xA3}, {"LMENU", 0xA4}, {"RMENU", 0xA5}, {"OEM_1", 0xBA}, {"OEM_PLUS", 0xBB},
    {"OEM_COMMA", 0xBC}, {"OEM_MINUS", 0xBD}, {"OEM_PERIOD", 0xBE}, {"OEM_2", 0xBF}, {"OEM_3", 0xC0},
    {"OEM_4", 0xDB}, {"OEM_5", 0xDC}, {"OEM_6", 0xDD}, {"OEM_7", 0xDE}, {"OEM_102", 0xE2},
};

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Upper(std::string_view text)
{
    std::string out(text);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

// A whole decimal (or, with `hex`, 0x-prefixed) integer within [low, high].
bool ParseInt(std::string_view text, long long low, long long high, long long& value, bool hex = false)
{
    int base = 10;
    if (hex && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
        base = 16;
    }
    if (text.empty() || text[0] == '+')
        return false;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value, base);
    return result.ec == std::errc() && result.ptr == end && value >= low && value <= high;
}

struct Words {
    std::vector<std::string_view> words;
    std::string_view rest;  // everything after the first word and its blanks
};

Words Split(std::string_view line)
{
    Words out;
    std::size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && IsBlank(line[i]))
            ++i;
        if (i == line.size())
            break;
        const std::size_t start = i;
        while (i < line.size() && !IsBlank(line[i]))
            ++i;
        out.words.push_back(line.substr(start, i - start));
        if (out.words.size() == 1) {
            std::size_t r = i;
            while (r < line.size() && IsBlank(line[r]))
                ++r;
            out.rest = line.substr(r);
        }
    }
    return out;
}

bool Fail(std::string& error, std::string message)
{
    error = std::move(message);
    return false;
}

bool ParseKey(const Words& w, ScriptCommand& command, std::string& error)
{
    if (w.words.size() != 2)
        return Fail(error, "expected one key, by name or virtual-key code");
    command.vk = VirtualKeyFromName(w.words[1]);
    if (command.vk == 0)
        return Fail(error, "unknown key \"" + std::string(w.words[1]) + "\"");
    return true;
}

bool ParsePoint(std::string_view xText, std::string_view yText, ScriptCommand& command, std::string& error)
{
    long long x = 0;
    long long y = 0;
    // Window messages carry positions as signed 16-bit values.
    if (!ParseInt(xText, -32768, 32767, x) || !ParseInt(yText, -32768, 32767, y))
        return Fail(error, "expected a position: x and y from -32768 to 32767");
    command.x = static_cast<int>(x);
    command.y = static_cast<int>(y);
    return true;
}

bool ParseButton(const Words& w, ScriptCommand& command, std::string& error)
{
    if (w.words.size() < 3 || w.words.size() > 4)
        return Fail(error, "expected x, y and an optional button (left, right or middle)");
    if (!ParsePoint(w.words[1], w.words[2], command, error))
        return false;
    if (w.words.size() == 3)
        return true;
    const std::string name = Upper(w.words[3]);
    if (name == "LEFT")
        command.button = backend::MouseButton::Left;
    else if (name == "RIGHT")
        command.button = backend::MouseButton::Right;
    else if (name == "MIDDLE")
        command.button = backend::MouseButton::Middle;
    else
        return Fail(error, "unknown button \"" + std::string(w.words[3]) + "\": left, right or middle");
    return true;
}

bool ParseArguments(const Words& w, ScriptCommand& command, std::string& error)
{
    switch (command.op) {
    case ScriptOp::Step: {
        long long ms = 0;
        if (w.words.size() != 2 || !ParseInt(w.words[1], 0, kMaxStepMs, ms))
            return Fail(error, "expected a time in milliseconds from 0 to " + std::to_string(kMaxStepMs));
        command.ms = static_cast<std::uint32_t>(ms);
        return true;
    }
    case ScriptOp::KeyDown:
    case ScriptOp::KeyUp:
    case ScriptOp::Key:
        return ParseKey(w, command, error);
    case ScriptOp::Text:
        if (w.rest.empty())
            return Fail(error, "expected the text to type");
        if (w.rest.find('\0') != std::string_view::npos ||
            MultiByteToWideChar(kUtf8CodePage, MB_ERR_INVALID_CHARS, w.rest.data(), static_cast<int>(w.rest.size()),
                nullptr, 0) <= 0)
            return Fail(error, "the text is not valid UTF-8");
        command.text = w.rest;
        return true;
    case ScriptOp::Move:
        if (w.words.size() != 3)
            return Fail(error, "expected x and y");
        return ParsePoint(w.words[1], w.words[2], command, error);
    case ScriptOp::ButtonDown:
    case ScriptOp::ButtonUp:
    case ScriptOp::Click:
        return ParseButton(w, command, error);
    case ScriptOp::Wheel: {
        long long delta = 0;
        if (w.words.size() != 4 || !ParsePoint(w.words[1], w.words[2], command, error) ||
            !ParseInt(w.words[3], -32768, 32767, delta))
            return Fail(error, "expected x, y and a wheel delta from -32768 to 32767 (120 a notch)");
        command.wheel = static_cast<int>(delta);
        return true;
    }
    case ScriptOp::Activate:
    case ScriptOp::Deactivate:
    case ScriptOp::Close:
        if (w.words.size() != 1)
            return Fail(error, "expected nothing after the command");
        return true;
    case ScriptOp::Screenshot: {
        std::string_view name = w.rest;
        while (!name.empty() && IsBlank(name.back()))
            name.remove_suffix(1);
        if (name.empty() || name.find('\0') != std::string_view::npos)
            return Fail(error, "expected the name of the BMP file to write");
        command.text = name;
        return true;
    }
    }
    return false;
}

struct CommandName {
    const char* name;
    ScriptOp op;
};

constexpr CommandName kCommands[] = {
    {"STEP", ScriptOp::Step}, {"KEYDOWN", ScriptOp::KeyDown}, {"KEYUP", ScriptOp::KeyUp},
    {"KEY", ScriptOp::Key}, {"TEXT", ScriptOp::Text}, {"MOVE", ScriptOp::Move},
    {"MOUSEDOWN", ScriptOp::ButtonDown}, {"MOUSEUP", ScriptOp::ButtonUp}, {"CLICK", ScriptOp::Click},
    {"WHEEL", ScriptOp::Wheel}, {"ACTIVATE", ScriptOp::Activate}, {"DEACTIVATE", ScriptOp::Deactivate},
    {"CLOSE", ScriptOp::Close}, {"SCREENSHOT", ScriptOp::Screenshot},
};

}  // namespace

int VirtualKeyFromName(std::string_view name)
{
    long long code = 0;
    if (!name.empty() && std::isdigit(static_cast<unsigned char>(name[0])) && name.size() > 1)
        return ParseInt(name, 1, 254, code, true) ? static_cast<int>(code) : 0;
    std::string upper = Upper(name);
    if (upper.rfind("VK_", 0) == 0)
        upper.erase(0, 3);
    if (upper.size() == 1 && std::isalnum(static_cast<unsigned char>(upper[0])))
        return upper[0];
    long long n = 0;
    if (upper.size() > 1 && upper[0] == 'F' && ParseInt(std::string_view(upper).substr(1), 1, 24, n))
        return 0x70 + static_cast<int>(n) - 1;
    if (upper.rfind("NUMPAD", 0) == 0 && upper.size() == 7 && std::isdigit(static_cast<unsigned char>(upper[6])))
        return 0x60 + (upper[6] - '0');
    for (const KeyName& key : kKeyNames)
        if (upper == key.name)
            return key.vk;
    return 0;
}

ScriptLineKind ParseScriptLine(std::string_view line, ScriptCommand& command, std::string& error)
{
    const Words w = Split(line);
    if (w.words.empty() || w.words[0][0] == '#')
        return ScriptLineKind::Empty;
    command = ScriptCommand{};
    const std::string name = Upper(w.words[0]);
    const auto found = std::find_if(std::begin(kCommands), std::end(kCommands),
        [&](const CommandName& c) { return name == c.name; });
    if (found == std::end(kCommands)) {
        error = "unknown command \"" + std::string(w.words[0]) + "\"";
        return ScriptLineKind::Bad;
    }
    command.op = found->op;
    if (!ParseArguments(w, command, error))
        return ScriptLineKind::Bad;
    return ScriptLineKind::Command;
}

}  // namespace vls::headless
