#include "platform/win32/backend/headless/script_line.h"

#include <gtest/gtest.h>

using namespace vls::headless;
using vls::backend::MouseButton;

namespace {

struct GoodLine {
    const char* line;
    ScriptOp op;
    std::uint32_t ms;
    int vk;
    int x;
    int y;
    MouseButton button;
    int wheel;
    const char* text;
};

TEST(ScriptLine, ReadsEveryCommand)
{
    const GoodLine cases[] = {
        {"step 25", ScriptOp::Step, 25, 0, 0, 0, MouseButton::Left, 0, ""},
        {"  STEP\t0  ", ScriptOp::Step, 0, 0, 0, 0, MouseButton::Left, 0, ""},
        {"step 86400000", ScriptOp::Step, 86400000, 0, 0, 0, MouseButton::Left, 0, ""},
        {"keydown ESCAPE", ScriptOp::KeyDown, 0, 27, 0, 0, MouseButton::Left, 0, ""},
        {"keyup vk_escape", ScriptOp::KeyUp, 0, 27, 0, 0, MouseButton::Left, 0, ""},
        {"key m", ScriptOp::Key, 0, 'M', 0, 0, MouseButton::Left, 0, ""},
        {"key F8", ScriptOp::Key, 0, 0x77, 0, 0, MouseButton::Left, 0, ""},
        {"key 119", ScriptOp::Key, 0, 119, 0, 0, MouseButton::Left, 0, ""},
        {"key 0x1b", ScriptOp::Key, 0, 27, 0, 0, MouseButton::Left, 0, ""},
        {"key 7", ScriptOp::Key, 0, '7', 0, 0, MouseButton::Left, 0, ""},
        {"text Hällo  # not a comment ", ScriptOp::Text, 0, 0, 0, 0, MouseButton::Left, 0,
            "Hällo  # not a comment "},
        {"move 512 384", ScriptOp::Move, 0, 0, 512, 384, MouseButton::Left, 0, ""},
        {"move -5 32767", ScriptOp::Move, 0, 0, -5, 32767, MouseButton::Left, 0, ""},
        {"mousedown 10 20", ScriptOp::ButtonDown, 0, 0, 10, 20, MouseButton::Left, 0, ""},
        {"mouseup 10 20 right", ScriptOp::ButtonUp, 0, 0, 10, 20, MouseButton::Right, 0, ""},
        {"Click 1 2 MIDDLE", ScriptOp::Click, 0, 0, 1, 2, MouseButton::Middle, 0, ""},
        {"wheel 3 4 -120", ScriptOp::Wheel, 0, 0, 3, 4, MouseButton::Left, -120, ""},
        {"activate", ScriptOp::Activate, 0, 0, 0, 0, MouseButton::Left, 0, ""},
        {"deactivate", ScriptOp::Deactivate, 0, 0, 0, 0, MouseButton::Left, 0, ""},
        {"close", ScriptOp::Close, 0, 0, 0, 0, MouseButton::Left, 0, ""},
        {"screenshot shots/after menu.bmp  ", ScriptOp::Screenshot, 0, 0, 0, 0, MouseButton::Left, 0,
            "shots/after menu.bmp"},
    };
    for (const GoodLine& c : cases) {
        SCOPED_TRACE(c.line);
        ScriptCommand command;
        std::string error;
        ASSERT_EQ(ParseScriptLine(c.line, command, error), ScriptLineKind::Command) << error;
        EXPECT_EQ(command.op, c.op);
        EXPECT_EQ(command.ms, c.ms);
        EXPECT_EQ(command.vk, c.vk);
        EXPECT_EQ(command.x, c.x);
        EXPECT_EQ(command.y, c.y);
        EXPECT_EQ(command.button, c.button);
        EXPECT_EQ(command.wheel, c.wheel);
        EXPECT_EQ(command.text, c.text);
    }
}

TEST(ScriptLine, BlankLinesAndCommentsAreEmpty)
{
    for (const char* line : {"", "   \t ", "# a comment", "   #step 10", "#"}) {
        ScriptCommand command;
        std::string error;
        EXPECT_EQ(ParseScriptLine(line, command, error), ScriptLineKind::Empty) << line;
    }
}

TEST(ScriptLine, BadLinesSayWhy)
{
    const struct {
        const char* line;
        const char* reason;
    } cases[] = {
        {"jump 10", "unknown command \"jump\""},
        {"step", "expected a time in milliseconds"},
        {"step -1", "expected a time in milliseconds"},
        {"step +5", "expected a time in milliseconds"},
        {"step 86400001", "expected a time in milliseconds"},
        {"step 10ms", "expected a time in milliseconds"},
        {"step 99999999999999999999999", "expected a time in milliseconds"},
        {"step 1 2", "expected a time in milliseconds"},
        {"key", "expected one key"},
        {"key A B", "expected one key"},
        {"key ESC", "unknown key \"ESC\""},
        {"keydown 255", "unknown key \"255\""},
        {"keydown 00", "unknown key \"00\""},
        {"keyup F25", "unknown key \"F25\""},
        {"keyup NUMPAD10", "unknown key \"NUMPAD10\""},
        {"text", "expected the text"},
        {"text \xC3\x28", "not valid UTF-8"},
        {"move 1", "expected x and y"},
        {"move 1 2 3", "expected x and y"},
        {"move 40000 2", "expected a position"},
        {"move x y", "expected a position"},
        {"click 1", "expected x, y and an optional button"},
        {"click 1 2 left extra", "expected x, y and an optional button"},
        {"click 1 2 thumb", "unknown button \"thumb\""},
        {"wheel 1 2", "expected x, y and a wheel delta"},
        {"wheel 1 2 40000", "expected x, y and a wheel delta"},
        {"close now", "expected nothing after the command"},
        {"screenshot", "expected the name of the BMP file"},
        {"screenshot    ", "expected the name of the BMP file"},
    };
    for (const auto& c : cases) {
        ScriptCommand command;
        std::string error;
        const ScriptLineKind kind = ParseScriptLine(c.line, command, error);
        EXPECT_EQ(kind, ScriptLineKind::Bad) << c.line;
        EXPECT_NE(error.find(c.reason), std::string::npos) << c.line << " -> " << error;
    }
}

TEST(ScriptLine, TextMayNotHoldANul)
{
    const std::string line("text a\0b", 8);
    ScriptCommand command;
    std::string error;
    EXPECT_EQ(ParseScriptLine(line, command, error), ScriptLineKind::Bad);
}

}  // namespace
