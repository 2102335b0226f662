// Hint marks: their fade states over time and what each state draws.

#include "render_fixture.h"

#include "engine/render/kestrune_hints.h"

namespace vls::test {
namespace {

class FakeHintsHost : public cKestruneNullHintsHost {
public:
    float Seconds() override { return now; }
    bool CurrentView(int32_t& id) override
    {
        id = view;
        return true;
    }
    bool RunSceneHints() override
    {
        ++runs;
        for (const HintRecord& r : marks)
            hints->AddHint(r.view, r.x, r.y, r.kind + 1, r.arrow);
        return true;
    }

    float now = 100.0f;
    int32_t view = 3;
    int runs = 0;
    std::vector<HintRecord> marks;
    cKestruneHints* hints = nullptr;
};

// One drawn quad: its left edge and its colour's alpha (-1 in an expectation:
// drawn without fade, the alpha is not looked at).
struct Drawn {
    float left;
    int alpha;
};

class Hints : public RenderWorld {
protected:
    Hints()
    {
        hintsHost.hints = &hints;
        SetHintsHost(&hintsHost);
    }
    ~Hints() override { SetHintsHost(nullptr); }

    void StartWithImages(bool withHand = true)
    {
        for (const char* name : {"hint_exit", "hint_hand", "hint_speak", "hint_direct01", "hint_direct02"}) {
            if (withHand || std::string(name) != "hint_hand")
                data.Add(std::string(name) + ".image", ImageBytes(Solid(32, 32, 0xFF102030)));
        }
        Start();
        hints.LoadImages();
    }

    // Renders at the given time and returns the quads drawn.
    std::vector<Drawn> RenderAt(float now)
    {
        hintsHost.now = now;
        Device().ClearRecord();
        hints.Render();
        std::vector<Drawn> out;
        for (const auto& call : Device().Calls()) {
            if (call.vertices.size() < sizeof(KestruneImageVertex))
                continue;
            KestruneImageVertex v;
            std::memcpy(&v, call.vertices.data(), sizeof v);
            float left = v.x;
            for (std::size_t k = 1; k < call.vertices.size() / sizeof v; ++k) {
                std::memcpy(&v, call.vertices.data() + k * sizeof v, sizeof v);
                left = std::min(left, v.x);
            }
            out.push_back({left, int(v.colour >> 24)});
        }
        return out;
    }

    cKestruneHints hints;
    FakeHintsHost hintsHost;
};

TEST_F(Hints, MissingImagesMoveTheLaterOnesDown)
{
    StartWithImages(false);
    EXPECT_EQ(hints.icons.count, 2);
    EXPECT_EQ(hints.arrows.count, 2);
    hints.AddHint(3, 500, 200, 2, 0);
    EXPECT_EQ(hints.records.data[0].kind, 1);
}

TEST_F(Hints, NoMarksLeaveTheHintsHiddenAndTheNextPressAsksAgain)
{
    StartWithImages();
    hints.Show(1);
    EXPECT_EQ(hints.state, cKestruneHints::kHidden);
    hintsHost.marks = {{0, 0, 3, 100, 100}};
    hints.Show(1);
    EXPECT_EQ(hintsHost.runs, 2);
    EXPECT_EQ(hints.state, cKestruneHints::kFirstFadeIn);
    hints.Show(1); // held: nothing new
    EXPECT_EQ(hintsHost.runs, 2);
}

TEST_F(Hints, ExitsFadeInFirstAndTheOtherMarksTwoSecondsLater)
{
    StartWithImages();
    // An exit with an arrow, a use mark, and an exit of another view.
    hintsHost.marks = {{0, 1, 3, 100, 50}, {1, 0, 3, 600, 50}, {0, 0, 4, 300, 50}};
    hints.Show(1); // at 100
    const float exitIcon = 84, exitArrow = 68, useIcon = 584;
    struct Step {
        float at;
        int32_t state;
        std::vector<Drawn> drawn;
    };
    const Step steps[] = {
        {100.25f, cKestruneHints::kFirstFadeIn, {{exitArrow, 128}, {exitIcon, 128}}},
        {100.5f, cKestruneHints::kExitsShown, {{exitArrow, -1}, {exitIcon, -1}}},
        {101.9f, cKestruneHints::kExitsShown, {{exitArrow, -1}, {exitIcon, -1}}},
        {102.0f, cKestruneHints::kSecondFadeIn, {{exitArrow, -1}, {exitIcon, -1}, {useIcon, 255}}},
        {102.1f, cKestruneHints::kSecondFadeIn, {{exitArrow, -1}, {exitIcon, -1}, {useIcon, 51}}},
        {102.5f, cKestruneHints::kAllShown, {{exitArrow, -1}, {exitIcon, -1}, {useIcon, -1}}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.at);
        const std::vector<Drawn> drawn = RenderAt(step.at);
        EXPECT_EQ(hints.state, step.state);
        ASSERT_EQ(drawn.size(), step.drawn.size());
        for (std::size_t i = 0; i < drawn.size(); ++i) {
            EXPECT_FLOAT_EQ(drawn[i].left, step.drawn[i].left);
            if (step.drawn[i].alpha >= 0) {
                EXPECT_EQ(drawn[i].alpha, step.drawn[i].alpha);
            }
        }
    }
    for (int i = 0; i < hints.icons.count; ++i)
        EXPECT_EQ(hints.icons.data[i]->vertexAlpha, 0);
    hintsHost.now = 103.0f;
    hints.Show(0);
    EXPECT_EQ(hints.state, cKestruneHints::kSecondFadeOut);
    EXPECT_EQ(RenderAt(103.25f).back().alpha, 128);
    EXPECT_TRUE(RenderAt(103.5f).empty());
    EXPECT_EQ(hints.state, cKestruneHints::kHidden);
}

TEST_F(Hints, ReleasingDuringTheFirstFadeInFadesOutFromAboveHalf)
{
    StartWithImages();
    hintsHost.marks = {{0, 0, 3, 100, 50}};
    hints.Show(1); // at 100
    RenderAt(100.4f);
    hintsHost.now = 100.4f;
    hints.Show(0);
    EXPECT_EQ(hints.state, cKestruneHints::kFirstFadeOut);
    EXPECT_FLOAT_EQ(hints.fadeStart, 100.8f);
    // e = -0.4: f = 0.9, alpha capped at 255; the fade-out lasts 0.9 s.
    EXPECT_EQ(RenderAt(100.4f).at(0).alpha, 255);
    EXPECT_EQ(RenderAt(101.2f).at(0).alpha, 1 + int(509 * 0.1f));
    // Pressing again turns back with the fade's start unchanged.
    hintsHost.now = 101.2f;
    hints.Show(1);
    EXPECT_EQ(hints.state, cKestruneHints::kFirstFadeIn);
    EXPECT_FLOAT_EQ(hints.fadeStart, 100.8f);
    EXPECT_EQ(hintsHost.runs, 1);
    EXPECT_TRUE(RenderAt(101.3f).size() == 1);
    EXPECT_EQ(hints.state, cKestruneHints::kExitsShown);
}

} // namespace
} // namespace vls::test
