#include <gtest/gtest.h>

#include <vector>

#include "platform/gdi/region.h"
#include "platform/gdi/wingdi.h"

namespace {

std::vector<RECT> RectsOf(HRGN rgn)
{
    const DWORD size = GetRegionData(rgn, 0, nullptr);
    std::vector<char> buffer(size);
    auto* data = reinterpret_cast<RGNDATA*>(buffer.data());
    EXPECT_EQ(GetRegionData(rgn, size, data), size);
    const RECT* first = reinterpret_cast<const RECT*>(buffer.data() + sizeof(RGNDATAHEADER));
    return std::vector<RECT>(first, first + data->rdh.nCount);
}

bool operator==(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct CombineCase {
    const char* name;
    int mode;
    int kind;
    std::vector<RECT> rects;
};

TEST(Regions, CombineTwoOverlappingSquares)
{
    // A = (0,0)-(10,10), B = (5,5)-(15,15).
    const std::vector<CombineCase> cases = {
        {"and", RGN_AND, SIMPLEREGION, {{5, 5, 10, 10}}},
        {"or", RGN_OR, COMPLEXREGION, {{0, 0, 10, 5}, {0, 5, 15, 10}, {5, 10, 15, 15}}},
        {"xor", RGN_XOR, COMPLEXREGION, {{0, 0, 10, 5}, {0, 5, 5, 10}, {10, 5, 15, 10}, {5, 10, 15, 15}}},
        {"diff", RGN_DIFF, COMPLEXREGION, {{0, 0, 10, 5}, {0, 5, 5, 10}}},
        {"copy", RGN_COPY, SIMPLEREGION, {{0, 0, 10, 10}}},
    };
    for (const CombineCase& c : cases) {
        SCOPED_TRACE(c.name);
        HRGN a = CreateRectRgn(0, 0, 10, 10);
        HRGN b = CreateRectRgn(5, 5, 15, 15);
        HRGN d = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(CombineRgn(d, a, b, c.mode), c.kind);
        const std::vector<RECT> got = RectsOf(d);
        ASSERT_EQ(got.size(), c.rects.size());
        for (size_t i = 0; i < got.size(); ++i)
            EXPECT_TRUE(got[i] == c.rects[i]) << i;
        DeleteObject(a);
        DeleteObject(b);
        DeleteObject(d);
    }
}

TEST(Regions, DisjointAndEmptyResults)
{
    HRGN a = CreateRectRgn(0, 0, 4, 4);
    HRGN b = CreateRectRgn(10, 0, 14, 4);
    HRGN d = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(CombineRgn(d, a, b, RGN_AND), NULLREGION);
    EXPECT_EQ(CombineRgn(d, a, a, RGN_DIFF), NULLREGION);
    // Two side-by-side rectangles that touch merge into one.
    HRGN c = CreateRectRgn(4, 0, 10, 4);
    EXPECT_EQ(CombineRgn(d, a, c, RGN_OR), SIMPLEREGION);
    RECT box;
    EXPECT_EQ(GetRgnBox(d, &box), SIMPLEREGION);
    EXPECT_TRUE(box == (RECT{0, 0, 10, 4}));
    EXPECT_EQ(CombineRgn(d, a, nullptr, RGN_OR), ERROR);
    EXPECT_EQ(CombineRgn(d, a, b, 99), ERROR);
    for (HRGN r : {a, b, c, d})
        DeleteObject(r);
}

TEST(Regions, PointTestsAndOffset)
{
    HRGN r = CreateRectRgn(10, 20, 30, 40);
    EXPECT_TRUE(PtInRegion(r, 10, 20));
    EXPECT_TRUE(PtInRegion(r, 29, 39));
    EXPECT_FALSE(PtInRegion(r, 30, 39));  // right and bottom edges are outside
    EXPECT_FALSE(PtInRegion(r, 29, 40));
    EXPECT_EQ(OffsetRgn(r, -10, 5), SIMPLEREGION);
    EXPECT_TRUE(PtInRegion(r, 0, 25));
    EXPECT_FALSE(PtInRegion(r, 0, 24));
    RECT probe{19, 44, 25, 50};
    EXPECT_TRUE(RectInRegion(r, &probe));
    DeleteObject(r);
    EXPECT_FALSE(PtInRegion(r, 0, 25));  // a deleted handle is refused
}

TEST(Regions, EllipseIsSymmetricAndInsideItsBox)
{
    HRGN e = CreateEllipticRgn(0, 0, 20, 10);
    RECT box;
    EXPECT_EQ(GetRgnBox(e, &box), COMPLEXREGION);
    EXPECT_TRUE(box == (RECT{0, 0, 20, 10}));
    EXPECT_TRUE(PtInRegion(e, 10, 5));
    EXPECT_FALSE(PtInRegion(e, 0, 0));
    EXPECT_FALSE(PtInRegion(e, 19, 9));
    for (int y = 0; y < 10; ++y)
        for (int x = 0; x < 20; ++x)
            EXPECT_EQ(PtInRegion(e, x, y), PtInRegion(e, 19 - x, 9 - y)) << x << "," << y;
    DeleteObject(e);
}

TEST(Regions, ExtCreateRegionFromRectanglesAndBadData)
{
    struct {
        RGNDATAHEADER h;
        RECT r[3];
    } data{};
    data.h.dwSize = sizeof(RGNDATAHEADER);
    data.h.iType = RDH_RECTANGLES;
    data.h.nCount = 3;
    data.r[0] = {0, 0, 2, 1};
    data.r[1] = {2, 0, 4, 1};  // touches the first: merged
    data.r[2] = {0, 1, 4, 2};  // same spans below: merged into one rectangle
    HRGN r = ExtCreateRegion(nullptr, sizeof data, reinterpret_cast<const RGNDATA*>(&data));
    ASSERT_NE(r, nullptr);
    const std::vector<RECT> rects = RectsOf(r);
    ASSERT_EQ(rects.size(), 1u);
    EXPECT_TRUE(rects[0] == (RECT{0, 0, 4, 2}));
    DeleteObject(r);

    // A count that runs past the buffer the caller gave is refused.
    data.h.nCount = 1000;
    EXPECT_EQ(ExtCreateRegion(nullptr, sizeof data, reinterpret_cast<const RGNDATA*>(&data)), nullptr);
    data.h.nCount = 3;
    data.h.iType = 7;
    EXPECT_EQ(ExtCreateRegion(nullptr, sizeof data, reinterpret_cast<const RGNDATA*>(&data)), nullptr);
    EXPECT_EQ(ExtCreateRegion(nullptr, 4, reinterpret_cast<const RGNDATA*>(&data)), nullptr);
}

TEST(Regions, CombinationsAgreeWithPointLogic)
{
    // Checked pixel by pixel against the set logic on a ring and a bar.
    const vls::gdi::Region ring = vls::gdi::Region::Combine(vls::gdi::Region(RECT{0, 0, 12, 12}),
                                                            vls::gdi::Region(RECT{3, 3, 9, 9}),
                                                            vls::gdi::Region::Op::Diff);
    const vls::gdi::Region bar(RECT{5, -2, 7, 14});
    using Op = vls::gdi::Region::Op;
    for (Op op : {Op::And, Op::Or, Op::Xor, Op::Diff}) {
        const vls::gdi::Region c = vls::gdi::Region::Combine(ring, bar, op);
        for (int y = -3; y < 15; ++y)
            for (int x = -1; x < 13; ++x) {
                const bool a = ring.Contains(x, y), b = bar.Contains(x, y);
                bool want = false;
                switch (op) {
                case Op::And: want = a && b; break;
                case Op::Or: want = a || b; break;
                case Op::Xor: want = a != b; break;
                case Op::Diff: want = a && !b; break;
                }
                ASSERT_EQ(c.Contains(x, y), want) << static_cast<int>(op) << " " << x << "," << y;
            }
    }
}

}  // namespace
