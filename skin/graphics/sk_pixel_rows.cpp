#include "skin/graphics/sk_pixel_rows.h"

#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define SK_PIXEL_ROWS_X86 1
#endif

namespace skin {

void BlendRowPlain(const TPixel* source, TPixel* dest, int count)
{
    for (int i = 0; i < count; ++i)
        dest[i] = BlendPixel(source[i], dest[i]);
}

#ifdef SK_PIXEL_ROWS_X86

// The vector loops do BlendPixel's arithmetic on whole registers of pixels:
// blue with red and green with alpha each sit in a 16-bit lane (green and
// alpha by a 16-bit shift, which drops blue and red), where x * a + 128
// never passes 65153, so source x alpha and destination x (255 - alpha) are
// rounded apart exactly as BlendPixel rounds them. The two terms of a channel
// add up to at most 255, so nothing carries into the next channel. Lanes
// whose source alpha is 0 keep the destination pixel and 255 take the source
// pixel, as BlendPixel's own shortcuts do.

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

// s x alpha + d x (255 - alpha) per channel, alpha being each pixel's own
// in both of its lanes. Green and alpha are summed with each term's low byte
// masked off instead of shifted down: the two terms add up to at most 255,
// so the sum lands in place, one byte up, with nothing to carry.
inline __m128i BlendLanes(__m128i s, __m128i d, __m128i alpha)
{
    const __m128i byteMask = _mm_set1_epi16(0x00FF);
    const __m128i highMask = _mm_set1_epi16(static_cast<short>(0xFF00));
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i a = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
    const __m128i na = _mm_xor_si128(a, byteMask);
    const auto term = [half](__m128i channels, __m128i weight) {
        return _mm_add_epi16(_mm_mullo_epi16(channels, weight), half);
    };
    const __m128i rb = _mm_add_epi16(_mm_srli_epi16(term(_mm_and_si128(s, byteMask), a), 8),
                                     _mm_srli_epi16(term(_mm_and_si128(d, byteMask), na), 8));
    const __m128i ga = _mm_add_epi16(_mm_and_si128(term(_mm_srli_epi16(s, 8), a), highMask),
                                     _mm_and_si128(term(_mm_srli_epi16(d, 8), na), highMask));
    return _mm_or_si128(rb, ga);
}

inline __m128i Select(__m128i mask, __m128i yes, __m128i no)
{
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
}

// Four pixels with BlendPixel's shortcuts: a group wholly transparent is
// left alone and one wholly opaque is copied.
inline void BlendGroupSse2(const TPixel* source, TPixel* dest)
{
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source));
    const __m128i alpha = _mm_srli_epi32(s, 24);
    const __m128i keep = _mm_cmpeq_epi32(alpha, _mm_setzero_si128());
    const __m128i take = _mm_cmpeq_epi32(alpha, _mm_set1_epi32(255));
    if (_mm_movemask_epi8(keep) == 0xFFFF)
        return;
    if (_mm_movemask_epi8(take) == 0xFFFF) {
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest), s);
        return;
    }
    const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest));
    const __m128i out = Select(keep, d, Select(take, s, BlendLanes(s, d, alpha)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dest), out);
}

void BlendRowSse2(const TPixel* source, TPixel* dest, int count)
{
    if (Overlaps(source, dest, count)) {
        BlendRowPlain(source, dest, count);
        return;
    }
    const __m128i zero = _mm_setzero_si128();
    const __m128i opaque = _mm_set1_epi32(255);
    int i = 0;
    // Eight pixels a turn: where none of them is wholly transparent or
    // opaque, as along a soft edge or a shadow, both groups blend without
    // a branch between them.
    for (; i + 8 <= count; i += 8) {
        const __m128i s0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i s1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i + 4));
        const __m128i a0 = _mm_srli_epi32(s0, 24);
        const __m128i a1 = _mm_srli_epi32(s1, 24);
        const __m128i special = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi32(a0, zero), _mm_cmpeq_epi32(a0, opaque)),
                                             _mm_or_si128(_mm_cmpeq_epi32(a1, zero), _mm_cmpeq_epi32(a1, opaque)));
        if (_mm_movemask_epi8(special) != 0) {
            BlendGroupSse2(source + i, dest + i);
            BlendGroupSse2(source + i + 4, dest + i + 4);
            continue;
        }
        const __m128i d0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + i));
        const __m128i d1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + i + 4));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), BlendLanes(s0, d0, a0));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i + 4), BlendLanes(s1, d1, a1));
    }
    if (i + 4 <= count) {
        BlendGroupSse2(source + i, dest + i);
        i += 4;
    }
    BlendRowPlain(source + i, dest + i, count - i);
}

__attribute__((target("avx2"))) inline __m256i BlendLanesAvx2(__m256i s, __m256i d, __m256i alpha)
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

__attribute__((target("avx2"))) void BlendRowAvx2(const TPixel* source, TPixel* dest, int count)
{
    if (Overlaps(source, dest, count)) {
        BlendRowPlain(source, dest, count);
        return;
    }
    const __m256i zero = _mm256_setzero_si256();
    const __m256i opaque = _mm256_set1_epi32(255);
    int i = 0;
    for (; i + 8 <= count; i += 8) {
        const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(source + i));
        const __m256i alpha = _mm256_srli_epi32(s, 24);
        const __m256i keep = _mm256_cmpeq_epi32(alpha, zero);
        const __m256i take = _mm256_cmpeq_epi32(alpha, opaque);
        const int kept = _mm256_movemask_epi8(keep);
        if (kept == -1)
            continue;
        const int taken = _mm256_movemask_epi8(take);
        if (taken == -1) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), s);
            continue;
        }
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dest + i));
        __m256i out = BlendLanesAvx2(s, d, alpha);
        if ((kept | taken) != 0) {
            out = _mm256_blendv_epi8(out, s, take);
            out = _mm256_blendv_epi8(out, d, keep);
        }
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), out);
    }
    // The compiler leaves the upper halves dirty across the tail call, and
    // SSE code after that (ours or a caller's) pays for every instruction.
    _mm256_zeroupper();
    BlendRowSse2(source + i, dest + i, count - i);
}

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
    std::vector<TBlendRowLevel> levels{{"plain", BlendRowPlain}, {"sse2", BlendRowSse2}};
    if (__builtin_cpu_supports("avx2"))
        levels.push_back({"avx2", BlendRowAvx2});
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw"))
        levels.push_back({"avx512bw", BlendRowAvx512});
    return levels;
}

#else

std::vector<TBlendRowLevel> BlendRowLevels() { return {{"plain", BlendRowPlain}}; }

#endif

namespace {

TBlendRowFunction g_blendRow = nullptr;

}  // namespace

void UseBlendRowLevel(TBlendRowFunction blend)
{
    g_blendRow = blend ? blend : BlendRowLevels().back().blend;
}

void BlendRow(const TPixel* source, TPixel* dest, int count)
{
    if (!g_blendRow)
        UseBlendRowLevel(nullptr);
    g_blendRow(source, dest, count);
}

}  // namespace skin
