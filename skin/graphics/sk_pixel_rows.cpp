#include "skin/graphics/sk_pixel_rows.h"

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define SK_PIXEL_ROWS_X86 1
#endif

namespace skin {

namespace {

// Both halves of the word carry a weight of 0..256: x * w + 128 stays below
// 65536 in each, so blue with red and green with alpha are rounded in one
// multiply each, as BlendPixel does.
inline std::uint32_t WeighBytes(TPixel p, std::uint32_t weight)
{
    const std::uint32_t rb = (((p & 0x00FF00FFu) * weight + 0x00800080u) >> 8) & 0x00FF00FFu;
    const std::uint32_t ga = (((p >> 8) & 0x00FF00FFu) * weight + 0x00800080u) & 0xFF00FF00u;
    return rb | ga;
}

void PrepareColumnsPlain(const TPixel* line, int, const int* columns, TPixel* shares, std::uint32_t* weights, int count)
{
    for (int k = 0; k < count; ++k) {
        const TPixel s = line[columns[k]];
        const std::uint32_t a = s >> 24;
        const std::uint32_t own = a + (a == 255);
        const std::uint32_t other = 255 - a + (a == 0);
        shares[k] = WeighBytes(s, own);
        weights[k] = other | (other << 16);
    }
}

void BlendColumnsPlain(const TPixel* line, int, const int* columns, TPixel* dest, int count)
{
    for (int k = 0; k < count; ++k)
        dest[k] = BlendPixel(line[columns[k]], dest[k]);
}

void BlendPreparedPlain(const TPixel* shares, const std::uint32_t* weights, TPixel* dest, int count)
{
    for (int k = 0; k < count; ++k)
        dest[k] = shares[k] + WeighBytes(dest[k], weights[k] & 0xFFFF);
}

}  // namespace

void BlendRowPlain(const TPixel* source, TPixel* dest, int count)
{
    for (int i = 0; i < count; ++i)
        dest[i] = BlendPixel(source[i], dest[i]);
}

#ifdef SK_PIXEL_ROWS_X86

// The vector loops do BlendPixel's arithmetic on whole registers of pixels:
// blue with red and green with alpha each sit in a 16-bit lane (green and
// alpha by a 16-bit shift, which drops blue and red), where x * w + 128
// never passes 65408 for a weight up to 256, so source x alpha and
// destination x (255 - alpha) are rounded apart exactly as BlendPixel rounds
// them. The two terms of a channel add up to at most 255, so nothing carries
// into the next channel. Green and alpha are summed with each term's low
// byte masked off instead of shifted down: the sum lands in place, one byte
// up. BlendPixel's shortcuts for alpha 0 and 255 become the weights 0 and
// 256, which give the destination and the source byte whole.

namespace {

// Whether writing dest in groups could read a source pixel that an earlier
// group already wrote: the plain loop reads each one just before it writes.
bool Overlaps(const TPixel* source, const TPixel* dest, int count)
{
    const auto s = reinterpret_cast<std::uintptr_t>(source);
    const auto d = reinterpret_cast<std::uintptr_t>(dest);
    const std::uintptr_t bytes = static_cast<std::uintptr_t>(count) * sizeof(TPixel);
    return s != d && s < d + bytes && d < s + bytes;
}

inline __m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
inline void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }

// Each pixel's alpha in both of its lanes, from the lanes that hold green
// and alpha.
inline __m128i AlphaLanes(__m128i greenAlpha)
{
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(greenAlpha, 0xF5), 0xF5);
}

// (x * w + 128) per lane, the rounded byte in the upper half.
inline __m128i Weigh(__m128i lanes, __m128i weight)
{
    return _mm_add_epi16(_mm_mullo_epi16(lanes, weight), _mm_set1_epi16(0x80));
}

// The upper byte of each lane: an "and" with the mask, not an "and not" of
// the low mask, since SSE2's two-operand form would copy the mask each time.
inline __m128i UpperBytes(__m128i lanes)
{
    return _mm_and_si128(lanes, _mm_set1_epi16(static_cast<short>(0xFF00)));
}

// Every byte of p rounded by its lane's weight, as WeighBytes.
inline __m128i WeighBytes(__m128i p, __m128i pGreenAlpha, __m128i weight)
{
    return _mm_or_si128(_mm_srli_epi16(Weigh(_mm_and_si128(p, _mm_set1_epi16(0x00FF)), weight), 8),
                        UpperBytes(Weigh(pGreenAlpha, weight)));
}

// s x own + d x other per channel; the sum of the two rounded terms.
inline __m128i BlendLanes(__m128i s, __m128i sGreenAlpha, __m128i d, __m128i own, __m128i other)
{
    const __m128i low = _mm_set1_epi16(0x00FF);
    const __m128i rb = _mm_add_epi16(_mm_srli_epi16(Weigh(_mm_and_si128(s, low), own), 8),
                                     _mm_srli_epi16(Weigh(_mm_and_si128(d, low), other), 8));
    // One term's low byte cleared is enough for nothing to carry up into
    // the sum's upper byte; the other's is cleared from the sum.
    const __m128i ga =
        UpperBytes(_mm_add_epi16(UpperBytes(Weigh(sGreenAlpha, own)), Weigh(_mm_srli_epi16(d, 8), other)));
    return _mm_or_si128(rb, ga);
}

// alpha -> alpha, except 255 -> 256 (a lane equal to 255 compares to -1).
inline __m128i WholeAt255(__m128i weight)
{
    return _mm_sub_epi16(weight, _mm_cmpeq_epi16(weight, _mm_set1_epi16(0x00FF)));
}

// Four pixels; where one of them may have alpha 0 or 255, the weights are
// corrected for it.
inline void BlendFour(__m128i s, TPixel* dest, bool special)
{
    const __m128i ga = _mm_srli_epi16(s, 8);
    __m128i own = AlphaLanes(ga);
    __m128i other = _mm_xor_si128(own, _mm_set1_epi16(0x00FF));
    if (special) {
        own = WholeAt255(own);
        other = WholeAt255(other);
    }
    Store(dest, BlendLanes(s, ga, Load(dest), own, other));
}

// Eight pixels a turn: where none of them has alpha 0 or 255, as along a
// soft edge or a shadow, the weights need no correction.
inline void BlendEight(__m128i s0, __m128i s1, TPixel* dest)
{
    // Adding this moves alpha 1..254 to the bottom of the signed range and
    // 0 and 255 to its top, so one signed compare of the upper 16 bits finds
    // either.
    const __m128i shift = _mm_set1_epi32(0x7F000000);
    const __m128i highest = _mm_max_epi16(_mm_add_epi32(s0, shift), _mm_add_epi32(s1, shift));
    const bool special = (_mm_movemask_epi8(_mm_cmpgt_epi16(highest, _mm_set1_epi32(0x7DFFFFFF))) & 0xCCCC) != 0;
    BlendFour(s0, dest, special);
    BlendFour(s1, dest + 4, special);
}

void BlendRowSse2(const TPixel* source, TPixel* dest, int count)
{
    if (Overlaps(source, dest, count)) {
        BlendRowPlain(source, dest, count);
        return;
    }
    int i = 0;
    for (; i + 8 <= count; i += 8)
        BlendEight(Load(source + i), Load(source + i + 4), dest + i);
    if (i + 4 <= count) {
        BlendFour(Load(source + i), dest + i, true);
        i += 4;
    }
    BlendRowPlain(source + i, dest + i, count - i);
}

// Four gathered pixels' shares and weights.
inline void PrepareLanes(__m128i s, __m128i& share, __m128i& weight)
{
    const __m128i ga = _mm_srli_epi16(s, 8);
    const __m128i alpha = AlphaLanes(ga);
    weight = WholeAt255(_mm_xor_si128(alpha, _mm_set1_epi16(0x00FF)));
    share = WeighBytes(s, ga, WholeAt255(alpha));
}

inline __m128i Gather(const TPixel* line, const int* c)
{
    return _mm_setr_epi32(static_cast<int>(line[c[0]]), static_cast<int>(line[c[1]]), static_cast<int>(line[c[2]]),
                          static_cast<int>(line[c[3]]));
}

void PrepareColumnsSse2(const TPixel* line, int lineWidth, const int* columns, TPixel* shares, std::uint32_t* weights,
                        int count)
{
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        __m128i share, weight;
        PrepareLanes(Gather(line, columns + k), share, weight);
        Store(shares + k, share);
        Store(weights + k, weight);
    }
    PrepareColumnsPlain(line, lineWidth, columns + k, shares + k, weights + k, count - k);
}

void BlendColumnsSse2(const TPixel* line, int lineWidth, const int* columns, TPixel* dest, int count)
{
    int k = 0;
    for (; k + 8 <= count; k += 8)
        BlendEight(Gather(line, columns + k), Gather(line, columns + k + 4), dest + k);
    BlendColumnsPlain(line, lineWidth, columns + k, dest + k, count - k);
}

void BlendPreparedSse2(const TPixel* shares, const std::uint32_t* weights, TPixel* dest, int count)
{
    int k = 0;
    for (; k + 4 <= count; k += 4) {
        const __m128i d = Load(dest + k);
        const __m128i w = Load(weights + k);
        Store(dest + k, _mm_add_epi8(Load(shares + k), WeighBytes(d, _mm_srli_epi16(d, 8), w)));
    }
    BlendPreparedPlain(shares + k, weights + k, dest + k, count - k);
}

// ------------------------------------------------------------------ AVX2

#define SK_AVX2 __attribute__((target("avx2")))

SK_AVX2 inline __m256i Load256(const void* p) { return _mm256_loadu_si256(static_cast<const __m256i*>(p)); }
SK_AVX2 inline void Store256(void* p, __m256i v) { _mm256_storeu_si256(static_cast<__m256i*>(p), v); }

SK_AVX2 inline __m256i WeighAvx2(__m256i lanes, __m256i weight)
{
    return _mm256_add_epi16(_mm256_mullo_epi16(lanes, weight), _mm256_set1_epi16(0x80));
}

SK_AVX2 inline __m256i WeighBytesAvx2(__m256i p, __m256i pGreenAlpha, __m256i weight)
{
    const __m256i low = _mm256_set1_epi16(0x00FF);
    return _mm256_or_si256(_mm256_srli_epi16(WeighAvx2(_mm256_and_si256(p, low), weight), 8),
                           _mm256_andnot_si256(low, WeighAvx2(pGreenAlpha, weight)));
}

SK_AVX2 inline __m256i BlendLanesAvx2(__m256i s, __m256i d, __m256i alpha)
{
    const __m256i byteMask = _mm256_set1_epi16(0x00FF);
    const __m256i half = _mm256_set1_epi16(0x80);
    const __m256i a = _mm256_or_si256(alpha, _mm256_slli_epi32(alpha, 16));
    const __m256i na = _mm256_xor_si256(a, byteMask);
    const __m256i rb = _mm256_add_epi16(
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(s, byteMask), a), half), 8),
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_and_si256(d, byteMask), na), half), 8));
    const __m256i ga = _mm256_add_epi16(
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(s, 8), a), half), 8),
        _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_srli_epi16(d, 8), na), half), 8));
    return _mm256_or_si256(rb, _mm256_slli_epi16(ga, 8));
}

SK_AVX2 inline void BlendEightAvx2(__m256i s, TPixel* dest)
{
    const __m256i alpha = _mm256_srli_epi32(s, 24);
    const __m256i keep = _mm256_cmpeq_epi32(alpha, _mm256_setzero_si256());
    const __m256i take = _mm256_cmpeq_epi32(alpha, _mm256_set1_epi32(255));
    const int kept = _mm256_movemask_epi8(keep);
    if (kept == -1)
        return;
    const int taken = _mm256_movemask_epi8(take);
    if (taken == -1) {
        Store256(dest, s);
        return;
    }
    const __m256i d = Load256(dest);
    __m256i out = BlendLanesAvx2(s, d, alpha);
    if ((kept | taken) != 0) {
        out = _mm256_blendv_epi8(out, s, take);
        out = _mm256_blendv_epi8(out, d, keep);
    }
    Store256(dest, out);
}

SK_AVX2 void BlendRowAvx2(const TPixel* source, TPixel* dest, int count)
{
    if (Overlaps(source, dest, count)) {
        BlendRowPlain(source, dest, count);
        return;
    }
    int i = 0;
    for (; i + 8 <= count; i += 8)
        BlendEightAvx2(Load256(source + i), dest + i);
    // The compiler leaves the upper halves dirty across the tail call, and
    // SSE code after that (ours or a caller's) pays for every instruction.
    _mm256_zeroupper();
    BlendRowSse2(source + i, dest + i, count - i);
}

// A stretch that enlarges, or shrinks a little, samples each group of
// target columns from a window of source pixels no wider than the group: one
// load of the window and a permute gather them. Other groups, and those whose
// window would run past the line, gather pixel by pixel.
SK_AVX2 inline __m256i GatherAvx2(const TPixel* line, int lineWidth, const int* c)
{
    const int base = c[0];
    if (c[7] - base < 8 && base + 8 <= lineWidth)
        return _mm256_permutevar8x32_epi32(Load256(line + base),
                                           _mm256_sub_epi32(Load256(c), _mm256_set1_epi32(base)));
    return _mm256_setr_epi32(static_cast<int>(line[c[0]]), static_cast<int>(line[c[1]]), static_cast<int>(line[c[2]]),
                             static_cast<int>(line[c[3]]), static_cast<int>(line[c[4]]), static_cast<int>(line[c[5]]),
                             static_cast<int>(line[c[6]]), static_cast<int>(line[c[7]]));
}

SK_AVX2 void PrepareColumnsAvx2(const TPixel* line, int lineWidth, const int* columns, TPixel* shares,
                                std::uint32_t* weights, int count)
{
    const __m256i low = _mm256_set1_epi16(0x00FF);
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i s = GatherAvx2(line, lineWidth, columns + k);
        const __m256i ga = _mm256_srli_epi16(s, 8);
        const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(ga, 0xF5), 0xF5);
        const __m256i own = _mm256_sub_epi16(alpha, _mm256_cmpeq_epi16(alpha, low));
        const __m256i other = _mm256_xor_si256(alpha, low);
        Store256(weights + k, _mm256_sub_epi16(other, _mm256_cmpeq_epi16(other, low)));
        Store256(shares + k, WeighBytesAvx2(s, ga, own));
    }
    _mm256_zeroupper();
    PrepareColumnsSse2(line, lineWidth, columns + k, shares + k, weights + k, count - k);
}

SK_AVX2 void BlendColumnsAvx2(const TPixel* line, int lineWidth, const int* columns, TPixel* dest, int count)
{
    int k = 0;
    for (; k + 8 <= count; k += 8)
        BlendEightAvx2(GatherAvx2(line, lineWidth, columns + k), dest + k);
    _mm256_zeroupper();
    BlendColumnsSse2(line, lineWidth, columns + k, dest + k, count - k);
}

SK_AVX2 void BlendPreparedAvx2(const TPixel* shares, const std::uint32_t* weights, TPixel* dest, int count)
{
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m256i d = Load256(dest + k);
        const __m256i w = Load256(weights + k);
        Store256(dest + k, _mm256_add_epi8(Load256(shares + k), WeighBytesAvx2(d, _mm256_srli_epi16(d, 8), w)));
    }
    _mm256_zeroupper();
    BlendPreparedSse2(shares + k, weights + k, dest + k, count - k);
}

#undef SK_AVX2

// --------------------------------------------------------------- AVX-512

#define SK_AVX512 __attribute__((target("avx512f,avx512bw")))

SK_AVX512 inline __m512i BlendLanesAvx512(__m512i s, __m512i d, __m512i alpha)
{
    const __m512i byteMask = _mm512_set1_epi16(0x00FF);
    const __m512i half = _mm512_set1_epi16(0x80);
    // The masked shifts: GCC takes the unmasked ones' undefined pass-through
    // for an uninitialized read.
    const __m512i a = _mm512_or_si512(alpha, _mm512_maskz_slli_epi32(0xFFFF, alpha, 16));
    const __m512i na = _mm512_xor_si512(a, byteMask);
    const __m512i rb = _mm512_add_epi16(
        _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(_mm512_and_si512(s, byteMask), a), half), 8),
        _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(_mm512_and_si512(d, byteMask), na), half), 8));
    const __m512i ga = _mm512_add_epi16(
        _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(_mm512_srli_epi16(s, 8), a), half), 8),
        _mm512_srli_epi16(_mm512_add_epi16(_mm512_mullo_epi16(_mm512_srli_epi16(d, 8), na), half), 8));
    return _mm512_or_si512(rb, _mm512_slli_epi16(ga, 8));
}

SK_AVX512 void BlendRowAvx512(const TPixel* source, TPixel* dest, int count)
{
    if (Overlaps(source, dest, count)) {
        BlendRowPlain(source, dest, count);
        return;
    }
    const __m512i opaque = _mm512_set1_epi32(255);
    int i = 0;
    for (; i + 16 <= count; i += 16) {
        const __m512i s = _mm512_loadu_si512(source + i);
        const __m512i alpha = _mm512_maskz_srli_epi32(0xFFFF, s, 24);
        const __mmask16 keep = _mm512_cmpeq_epi32_mask(alpha, _mm512_setzero_si512());
        const __mmask16 take = _mm512_cmpeq_epi32_mask(alpha, opaque);
        if (keep == 0xFFFF)
            continue;
        if (take == 0xFFFF) {
            _mm512_storeu_si512(dest + i, s);
            continue;
        }
        const __m512i d = _mm512_loadu_si512(dest + i);
        __m512i out = BlendLanesAvx512(s, d, alpha);
        out = _mm512_mask_blend_epi32(take, out, s);
        out = _mm512_mask_blend_epi32(keep, out, d);
        _mm512_storeu_si512(dest + i, out);
    }
    BlendRowAvx2(source + i, dest + i, count - i);
}

#undef SK_AVX512

}  // namespace

std::vector<TBlendRowLevel> BlendRowLevels()
{
    std::vector<TBlendRowLevel> levels{
        {"plain", BlendRowPlain, BlendColumnsPlain, PrepareColumnsPlain, BlendPreparedPlain},
        {"sse2", BlendRowSse2, BlendColumnsSse2, PrepareColumnsSse2, BlendPreparedSse2}};
    if (__builtin_cpu_supports("avx2"))
        levels.push_back({"avx2", BlendRowAvx2, BlendColumnsAvx2, PrepareColumnsAvx2, BlendPreparedAvx2});
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        // The stretch's loops gain nothing measurable at 512 bits over 256
        // (the processors measured run the wide operations as two halves).
        levels.push_back({"avx512bw", BlendRowAvx512, BlendColumnsAvx2, PrepareColumnsAvx2, BlendPreparedAvx2});
    return levels;
}

#else

std::vector<TBlendRowLevel> BlendRowLevels()
{
    return {{"plain", BlendRowPlain, BlendColumnsPlain, PrepareColumnsPlain, BlendPreparedPlain}};
}

#endif

namespace {

TBlendRowLevel g_level{};

const TBlendRowLevel& Level()
{
    if (!g_level.blend)
        UseBlendRowLevel(nullptr);
    return g_level;
}

}  // namespace

void UseBlendRowLevel(const TBlendRowLevel* level)
{
    g_level = level ? *level : BlendRowLevels().back();
}

void BlendRow(const TPixel* source, TPixel* dest, int count)
{
    Level().blend(source, dest, count);
}

void BlendColumns(const TPixel* line, int lineWidth, const int* columns, TPixel* dest, int count)
{
    Level().blendColumns(line, lineWidth, columns, dest, count);
}

void PrepareColumns(const TPixel* line, int lineWidth, const int* columns, TPixel* shares, std::uint32_t* weights,
                    int count)
{
    Level().prepare(line, lineWidth, columns, shares, weights, count);
}

void BlendPreparedRow(const TPixel* shares, const std::uint32_t* weights, TPixel* dest, int count)
{
    Level().blendPrepared(shares, weights, dest, count);
}

}  // namespace skin
