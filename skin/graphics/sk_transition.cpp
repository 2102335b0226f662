#include "skin/graphics/sk_transition.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "skin/graphics/sk_timer.h"

namespace skin {

const vcl::TEnumInfo kEffectInfo{"TkeEffect",
                                 {"keRandomSelect", "keFade", "keDiagonal", "keDown", "keIn", "keOut", "keRectIn",
                                  "keRectOut", "kePixel", "kePixelLine", "keDiamondIn", "keDiamondOut",
                                  "keSmoothDiagonal", "keSmoothRectIn", "keSmoothRectOut"}};
const vcl::TEnumInfo kDirectionInfo{"TSkDirection", {"kdNone", "kdNoRotate", "kdRotate90", "kdRotate180", "kdRotate270"}};

namespace {

constexpr int kMaxStalledFrames = 1000;

std::uint32_t randSeed = 0;

int NextRandom(std::uint32_t& seed, int range)
{
    seed = seed * 134775813u + 1u;
    return static_cast<int>((static_cast<std::uint64_t>(seed) * static_cast<std::uint32_t>(range)) >> 32);
}

int R(double v) { return static_cast<int>(vcl::Round(v)); }

struct Mask {
    TSkMask& cells;
    int w, h;
    void Set(int x, int y, std::uint8_t v)
    {
        if (x >= 0 && y >= 0 && x < w && y < h)
            cells[static_cast<size_t>(y) * w + x] = v;
    }
    void Line(std::uint8_t v, int x0, int y0, int x1, int y1) { DrawMaskLine(cells, w, h, v, x0, y0, x1, y1); }
    void Row(int y, std::uint8_t v) { Line(v, 0, y, w - 1, y); }
    void RectOutline(std::uint8_t v, int cx, int cy, int rx, int ry)
    {
        Line(v, cx - rx, cy - ry, cx - rx, cy + ry);
        Line(v, cx - rx, cy - ry, cx + rx, cy - ry);
        Line(v, cx + rx, cy - ry, cx + rx, cy + ry);
        Line(v, cx - rx, cy + ry, cx + rx, cy + ry);
    }
    void Diamond(std::uint8_t v, int cx, int cy, int rx, int ry)
    {
        Line(v, cx, cy + ry, cx - rx, cy);
        Line(v, cx - rx, cy, cx, cy - ry);
        Line(v, cx, cy - ry, cx + rx, cy);
        Line(v, cx + rx, cy, cx, cy + ry);
    }
};

std::uint8_t ByteOf(int v) { return static_cast<std::uint8_t>(std::clamp(v, 0, 255)); }

void RectOut(Mask& m, int p, std::uint8_t value)
{
    int e;
    double xs = 1, ys = 1;
    if (m.h < m.w) {
        e = vcl::MulDiv(p, m.w, 100);
        ys = static_cast<double>(m.h) / m.w;
    } else {
        e = vcl::MulDiv(p, m.h, 100);
        xs = static_cast<double>(m.w) / m.h;
    }
    for (int i = 0; i <= e / 2; ++i)
        m.RectOutline(value, m.w / 2, m.h / 2, R(xs * i), R(ys * i));
}

// The soft shapes: rings from the centre outwards, the inner ones most opaque.
enum class Shape { Diamond, Rect };
void SoftRings(Mask& m, int p, double factor, Shape shape)
{
    int e;
    double xs = 1, ys = 1;
    if (m.h < m.w) {
        e = vcl::MulDiv(p, R(m.w * factor), 100);
        ys = static_cast<double>(m.h) / m.w;
    } else {
        e = vcl::MulDiv(p, R(m.h * factor), 100);
        xs = static_cast<double>(m.w) / m.h;
    }
    const int n = e / 2;
    const double s = n == 0 ? 2.0 * p : 2.0 * p / n;
    for (int i = 0; i <= n; ++i) {
        int v = vcl::MulDiv(R(2.0 * p - i * s), 255, 100);
        if (p == 100 || v > 255)
            v = 255;
        if (shape == Shape::Diamond)
            m.Diamond(ByteOf(v), m.w / 2, m.h / 2, R(xs * i), R(ys * i));
        else
            m.RectOutline(ByteOf(v), m.w / 2, m.h / 2, R(xs * i), R(ys * i));
    }
}

void Invert(Mask& m)
{
    for (auto& c : m.cells)
        c = static_cast<std::uint8_t>(255 - c);
}

}  // namespace

void TransitionRandomize(std::uint32_t seed) { randSeed = seed; }

int TransitionRandom(int range) { return NextRandom(randSeed, range); }

void DrawMaskLine(TSkMask& mask, int width, int height, std::uint8_t value, int x0, int y0, int x1, int y1)
{
    Mask m{mask, width, height};
    const int dx = std::abs(x1 - x0), dy = std::abs(y1 - y0);
    const int steps = std::max(dx, dy);
    const int sx = x1 > x0 ? 1 : -1, sy = y1 > y0 ? 1 : -1;
    int x = x0, y = y0, ax = 0, ay = 0;
    m.Set(x, y, value);
    for (int i = 0; i <= steps; ++i) {
        bool moved = false;
        ax += dx;
        if (ax > steps) {
            ax -= steps;
            x += sx;
            moved = true;
        }
        ay += dy;
        if (ay > steps) {
            ay -= steps;
            y += sy;
            moved = true;
        }
        if (moved)
            m.Set(x, y, value);
    }
}

void GenerateMask(TkeEffect effect, TSkMask& mask, int width, int height, int p)
{
    mask.assign(static_cast<size_t>(width) * height, 0);
    if (width <= 0 || height <= 0 || p <= 0)
        return;
    p = std::min(p, 100);
    Mask m{mask, width, height};
    const auto v = static_cast<std::uint8_t>(vcl::MulDiv(p, 255, 100));
    switch (effect) {
    case keFade:
        std::fill(mask.begin(), mask.end(), ByteOf(R(p / 100.0 * 255)));
        break;
    case keDiagonal: {
        const int c = vcl::MulDiv(width - 1, p, 100), d = vcl::MulDiv(height - 1, p, 100);
        if (d < c) {
            int j = 0;
            for (int i = 0; i <= 2 * c; ++i) {
                m.Line(v, 0, j, i, 0);
                if (j < 2 * d)
                    ++j;
            }
        } else {
            int i = 0;
            for (int j = 0; j <= 2 * d; ++j) {
                m.Line(v, 0, j, i, 0);
                if (i < 2 * c)
                    ++i;
            }
        }
        break;
    }
    case keDown:
        for (int y = 0; y <= vcl::MulDiv(p, height - 1, 100); ++y)
            m.Row(y, v);
        break;
    case keIn: {
        const int k = vcl::MulDiv(p, height / 2, 100);
        for (int y = height - 1; y >= height - 1 - k; --y)
            m.Row(y, v);
        for (int y = 0; y <= k; ++y)
            m.Row(y, v);
        break;
    }
    case keOut: {
        const int k = vcl::MulDiv(p, height / 2, 100), mid = height / 2;
        for (int i = 0; i <= k; ++i) {
            m.Row(mid - i, v);
            m.Row(mid + i, v);
        }
        break;
    }
    case keRectOut:
        RectOut(m, p, v);
        break;
    case keRectIn:
        RectOut(m, 100 - p, static_cast<std::uint8_t>(vcl::MulDiv(100 - p, 255, 100)));
        for (auto& c : mask)
            c = c != 0 ? 0 : v;
        break;
    case kePixel: {
        // The same seed every frame keeps the cells of earlier frames. It
        // is a generator of its own: reseeding the shared one would make
        // every later random pick of an effect the same in every run.
        std::uint32_t seed = static_cast<std::uint32_t>(width * height);
        const int n = R(static_cast<double>(width) * height * p / 100);
        for (int k = 0; k < n; ++k) {
            int cell;
            do
                cell = NextRandom(seed, width * height);
            while (mask[static_cast<size_t>(cell)] != 0);
            mask[static_cast<size_t>(cell)] = 255;
        }
        break;
    }
    case kePixelLine: {
        TSkMask marked(mask.size(), 0);
        const int n = R(static_cast<double>(width) * height * p / 100);
        for (int k = 0; k < n; ++k)
            marked[static_cast<size_t>(TransitionRandom(width * height))] = 1;
        const int last = R(p / 100.0 * (2 * width - 1));
        for (int i = 0; i <= last && i < width; ++i) {
            const int inner = std::max(R(2.0 * p - i * (width * 0.1 / p)), 0);
            const std::uint8_t value = ByteOf(std::min(R(inner / 100.0 * 255), 255));
            for (int y = 0; y < height; ++y)
                if (marked[static_cast<size_t>(y) * width + i])
                    mask[static_cast<size_t>(y) * width + i] = value;
        }
        break;
    }
    case keDiamondOut:
        SoftRings(m, p, 2.5, Shape::Diamond);
        break;
    case keDiamondIn:
        SoftRings(m, 100 - p, 2.5, Shape::Diamond);
        Invert(m);
        break;
    case keSmoothDiagonal: {
        const int n = vcl::MulDiv(p, R(std::sqrt(static_cast<double>(width) * width + static_cast<double>(height) * height) * 2.5), 100);
        const double s = n == 0 ? 2.0 * p : 2.0 * p / n;
        const bool wide = height < width;
        for (int i = 0; i <= n; ++i) {
            int value = vcl::MulDiv(R(2.0 * p - i * s), 255, 100);
            if (p == 100 || value > 255)
                value = 255;
            m.Line(ByteOf(value), 0, R(i * (wide ? static_cast<double>(height) / width : 1.0)),
                   R(i * (wide ? 1.0 : static_cast<double>(width) / height)), 0);
        }
        break;
    }
    case keSmoothRectOut:
        SoftRings(m, p, 1.6, Shape::Rect);
        break;
    case keSmoothRectIn:
        SoftRings(m, 100 - p, 1.6, Shape::Rect);
        Invert(m);
        break;
    default:
        break;
    }
}

void BuildTransitionFrame(const TSkTransition& t, TkeEffect effect, int progress, TSkBitmap* newPicture,
                          TSkBitmap* oldPicture, TSkBitmap* frame)
{
    const int w = oldPicture->Width(), h = oldPicture->Height();
    const int res = std::max(1, t.Resolution), tiles = std::max(1, t.TileCount);
    const int mw = w / res / tiles + 1, mh = h / res / tiles + 1;
    const int tw = w / tiles + 1, th = h / tiles + 1;
    const bool turned = t.Direction == kdRotate90 || t.Direction == kdRotate270;
    TSkMask mask;
    GenerateMask(effect, mask, turned ? mh : mw, turned ? mw : mh, progress);
    auto cell = [&](int d, int f) -> std::uint8_t {
        switch (t.Direction) {
        case kdRotate90: return mask[static_cast<size_t>(mw - 1 - d) * mh + f];
        case kdRotate180: return mask[static_cast<size_t>(mh - 1 - f) * mw + (mw - 1 - d)];
        case kdRotate270: return mask[static_cast<size_t>(d) * mh + (mh - 1 - f)];
        default: return mask[static_cast<size_t>(f) * mw + d];
        }
    };
    for (int ty = 0; ty < tiles; ++ty)
        for (int tx = 0; tx < tiles; ++tx)
            for (int f = 0; f < mh; ++f)
                for (int d = 0; d < mw; ++d) {
                    const std::uint8_t u = cell(d, f);
                    for (int y = f * res; y <= (f + 1) * res; ++y) {
                        const int py = y + ty * th;
                        if (py < 0 || py >= h)
                            continue;
                        for (int x = d * res; x <= (d + 1) * res; ++x) {
                            const int px = x + tx * tw;
                            if (px < 0 || px >= w)
                                continue;
                            TPixel* n = newPicture->PixelPtr(px, py);
                            const TPixel o = *oldPicture->PixelPtr(px, py);
                            TPixel* out = frame->PixelPtr(px, py);
                            if (IsKeyColor(*n) || u == 0)
                                *out = o;
                            else if (u == 255)
                                *out = *n;
                            else {
                                *n = (*n & 0x00FFFFFFu) | (static_cast<TPixel>(u) << 24);
                                *out = BlendPixel(*n, o);
                            }
                        }
                    }
                }
}

void PlayTransition(vcl::TCanvas* canvas, int x, int y, const TSkTransition& t, TSkBitmap* newPicture,
                    TSkBitmap* oldPicture)
{
    if (!newPicture || !oldPicture || newPicture->Empty() || oldPicture->Empty())
        return;
    // Frames read the new picture over the old one's whole area.
    if (newPicture->Width() < oldPicture->Width() || newPicture->Height() < oldPicture->Height())
        return;
    TkeEffect effect = t.Effect;
    if (effect == keRandomSelect)
        effect = static_cast<TkeEffect>(TransitionRandom(14) + 1);
    if (effect < keFade || effect > keSmoothRectOut)
        return;
    TSkBitmap frame;
    frame.SetSize(oldPicture->Width(), oldPicture->Height());
    TSkTimer* raw = nullptr;
    std::unique_ptr<TSkTimer> owner;
    double elapsed = 0;
    int stalledFrames = 0;
    HDC dc = canvas->Handle();
    while (t.Time > elapsed) {
        StartTimer(raw);
        if (!owner)
            owner.reset(raw);
        const int progress = std::min(100, R(elapsed / t.Time * 100));
        BuildTransitionFrame(t, effect, progress, newPicture, oldPicture, &frame);
        frame.Draw(dc, x, y, false);
        // Frames count the time they took. Only a clock that stands still
        // for many frames in a row makes each further frame count a
        // millisecond, so that it can't hold the loop forever.
        double step = static_cast<double>(StopTimer(raw)) * 1000.0;
        if (step > 0)
            stalledFrames = 0;
        else if (++stalledFrames > kMaxStalledFrames)
            step = 1.0;
        elapsed += step;
    }
    newPicture->Draw(dc, x, y, true);
}

}  // namespace skin
