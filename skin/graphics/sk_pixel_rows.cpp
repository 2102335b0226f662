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

// Each colour byte widens to a 16-bit lane, where source x alpha and
// destination x (255 - alpha) are rounded apart exactly as BlendPixel rounds
// them (x * a + 128 never passes 65153). The two terms of a channel add up
// to at most 255, so packing back with saturation changes nothing. A source
// alpha of 0 keeps the destination pixel and 255 takes the source pixel.

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

inline __m128i BlendHalf(__m128i s, __m128i d)
{
    const __m128i alpha = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m128i inverse = _mm_xor_si128(alpha, _mm_set1_epi16(0xFF));
    const __m128i half = _mm_set1_epi16(0x80);
    const __m128i st = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(s, alpha), half), 8);
    const __m128i dt = _mm_srli_epi16(_mm_add_epi16(_mm_mullo_epi16(d, inverse), half), 8);
    return _mm_add_epi16(st, dt);
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
    for (; i + 4 <= count; i += 4) {
        const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(source + i));
        const __m128i alpha = _mm_srli_epi32(s, 24);
        const __m128i keep = _mm_cmpeq_epi32(alpha, zero);
        const __m128i take = _mm_cmpeq_epi32(alpha, opaque);
        const int kept = _mm_movemask_epi8(keep);
        if (kept == 0xFFFF)
            continue;
        const __m128i d = _mm_loadu_si128(reinterpret_cast<const __m128i*>(dest + i));
        const __m128i low = BlendHalf(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero));
        const __m128i high = BlendHalf(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero));
        __m128i out = _mm_packus_epi16(low, high);
        out = _mm_or_si128(_mm_and_si128(take, s), _mm_andnot_si128(take, out));
        out = _mm_or_si128(_mm_and_si128(keep, d), _mm_andnot_si128(keep, out));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dest + i), out);
    }
    BlendRowPlain(source + i, dest + i, count - i);
}

__attribute__((target("avx2"))) inline __m256i BlendHalfAvx2(__m256i s, __m256i d)
{
    const __m256i alpha = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
    const __m256i inverse = _mm256_xor_si256(alpha, _mm256_set1_epi16(0xFF));
    const __m256i half = _mm256_set1_epi16(0x80);
    const __m256i st = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(s, alpha), half), 8);
    const __m256i dt = _mm256_srli_epi16(_mm256_add_epi16(_mm256_mullo_epi16(d, inverse), half), 8);
    return _mm256_add_epi16(st, dt);
}

// Unpacking and packing work within each 128-bit half, so the pixels come
// back in their own places.
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
        if (_mm256_movemask_epi8(keep) == -1)
            continue;
        if (_mm256_movemask_epi8(take) == -1) {
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), s);
            continue;
        }
        const __m256i d = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(dest + i));
        const __m256i low = BlendHalfAvx2(_mm256_unpacklo_epi8(s, zero), _mm256_unpacklo_epi8(d, zero));
        const __m256i high = BlendHalfAvx2(_mm256_unpackhi_epi8(s, zero), _mm256_unpackhi_epi8(d, zero));
        __m256i out = _mm256_packus_epi16(low, high);
        out = _mm256_blendv_epi8(out, s, take);
        out = _mm256_blendv_epi8(out, d, keep);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dest + i), out);
    }
    // The compiler leaves the upper halves dirty across the tail call, and
    // SSE code after that (ours or a caller's) pays for every instruction.
    _mm256_zeroupper();
    BlendRowSse2(source + i, dest + i, count - i);
}

}  // namespace

std::vector<TBlendRowLevel> BlendRowLevels()
{
    std::vector<TBlendRowLevel> levels{{"plain", BlendRowPlain}, {"sse2", BlendRowSse2}};
    if (__builtin_cpu_supports("avx2"))
        levels.push_back({"avx2", BlendRowAvx2});
    return levels;
}

#else

std::vector<TBlendRowLevel> BlendRowLevels() { return {{"plain", BlendRowPlain}}; }

#endif

void BlendRow(const TPixel* source, TPixel* dest, int count)
{
    static const TBlendRowFunction widest = BlendRowLevels().back().blend;
    widest(source, dest, count);
}

}  // namespace skin
