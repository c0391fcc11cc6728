#include "PipelineKernels.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__))
#define VEXO_IMAGING_X86 1
#include <immintrin.h>
#endif

namespace vexo::imaging::kernels {
namespace {

std::atomic<bool> forcePortable{false};

inline int avg(int a, int b)
{
    return (a + b + 1) >> 1;
}

inline uint8_t clampByte(int v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

void lookupPortable(const uint8_t* src, int from, int w, const uint8_t* evenTable,
                    const uint8_t* oddTable, uint8_t* dst)
{
    int x = from;
    if (x < w && (x & 1)) {
        dst[x] = oddTable[src[x]];
        ++x;
    }
    for (; x + 1 < w; x += 2) {
        dst[x] = evenTable[src[x]];
        dst[x + 1] = oddTable[src[x + 1]];
    }
    if (x < w)
        dst[x] = evenTable[src[x]];
}

// One pixel of the mosaic at column x (the even/odd and row-colour cases resolved by the
// caller, so the pair loop below has no branches).
template <bool RedRow, bool Even>
inline void demosaicAt(const uint8_t* u, const uint8_t* c, const uint8_t* d, int x, uint8_t* r,
                       uint8_t* g, uint8_t* b)
{
    const int h = avg(c[x - 1], c[x + 1]);
    const int v = avg(u[x], d[x]);
    if constexpr (RedRow && Even) {
        r[x] = c[x];
        g[x] = static_cast<uint8_t>(avg(h, v));
        b[x] = static_cast<uint8_t>(avg(avg(u[x - 1], u[x + 1]), avg(d[x - 1], d[x + 1])));
    } else if constexpr (RedRow) {
        r[x] = static_cast<uint8_t>(h);
        g[x] = c[x];
        b[x] = static_cast<uint8_t>(v);
    } else if constexpr (Even) {
        r[x] = static_cast<uint8_t>(v);
        g[x] = c[x];
        b[x] = static_cast<uint8_t>(h);
    } else {
        r[x] = static_cast<uint8_t>(avg(avg(u[x - 1], u[x + 1]), avg(d[x - 1], d[x + 1])));
        g[x] = static_cast<uint8_t>(avg(h, v));
        b[x] = c[x];
    }
}

template <bool RedRow>
void demosaicPairs(const uint8_t* u, const uint8_t* c, const uint8_t* d, int from, int w,
                   uint8_t* r, uint8_t* g, uint8_t* b)
{
    int x = from;
    if (x < w && (x & 1))
        demosaicAt<RedRow, false>(u, c, d, x++, r, g, b);
    for (; x + 1 < w; x += 2) {
        demosaicAt<RedRow, true>(u, c, d, x, r, g, b);
        demosaicAt<RedRow, false>(u, c, d, x + 1, r, g, b);
    }
    if (x < w)
        demosaicAt<RedRow, true>(u, c, d, x, r, g, b);
}

void demosaicPortable(const uint8_t* u, const uint8_t* c, const uint8_t* d, int from, int w,
                      bool redRow, uint8_t* r, uint8_t* g, uint8_t* b)
{
    if (redRow)
        demosaicPairs<true>(u, c, d, from, w, r, g, b);
    else
        demosaicPairs<false>(u, c, d, from, w, r, g, b);
}

// Packs three planes into interleaved triples; i0, i1, i2 is the byte order.
void packTriplesPortable(const uint8_t* p0, const uint8_t* p1, const uint8_t* p2, int from, int w,
                         bool mirror, uint8_t* dst)
{
    for (int x = from; x < w; ++x) {
        uint8_t* o = dst + 3 * (mirror ? w - 1 - x : x);
        o[0] = p0[x];
        o[1] = p1[x];
        o[2] = p2[x];
    }
}

// Loop bodies written for the vectoriser; compiled once for the baseline instruction set
// and once for AVX2 (same integer arithmetic, so the same bytes).
#if defined(__GNUC__) || defined(__clang__)
#define VEXO_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VEXO_ALWAYS_INLINE inline
#endif

// sat64: 64 = unchanged. 16-bit friendly: |r - y| * sat64 stays below 2^15.
VEXO_ALWAYS_INLINE void saturateBody(uint8_t* __restrict r, uint8_t* __restrict g,
                                     uint8_t* __restrict b, int w, int sat64)
{
    for (int x = 0; x < w; ++x) {
        const int y = (77 * r[x] + 150 * g[x] + 29 * b[x] + 128) >> 8;
        r[x] = clampByte(y + (((r[x] - y) * sat64) >> 6));
        g[x] = clampByte(y + (((g[x] - y) * sat64) >> 6));
        b[x] = clampByte(y + (((b[x] - y) * sat64) >> 6));
    }
}

VEXO_ALWAYS_INLINE void lumaBody(const uint8_t* __restrict r, const uint8_t* __restrict g,
                                 const uint8_t* __restrict b, int w, uint8_t* __restrict y)
{
    for (int x = 0; x < w; ++x)
        y[x] = static_cast<uint8_t>((77 * r[x] + 150 * g[x] + 29 * b[x] + 128) >> 8);
}

VEXO_ALWAYS_INLINE void sharpenBody(const uint8_t* __restrict up, const uint8_t* __restrict cur,
                                    const uint8_t* __restrict down, int n, int step, int amount16,
                                    uint8_t* __restrict dst)
{
    for (int i = 0; i < n; ++i) {
        const int c = cur[i];
        const int blur = (4 * c + 2 * (cur[i - step] + cur[i + step] + up[i] + down[i]) +
                          up[i - step] + up[i + step] + down[i - step] + down[i + step] + 8) >> 4;
        dst[i] = clampByte(c + (((c - blur) * amount16 + 8) >> 4));
    }
}

VEXO_ALWAYS_INLINE void defectBody(const uint8_t* __restrict up, const uint8_t* __restrict cur,
                                   const uint8_t* __restrict down, int from, int to, int step,
                                   int threshold, uint8_t* __restrict dst)
{
    for (int x = from; x < to; ++x) {
        const int a = cur[x - step], b = cur[x + step], c = up[x], d = down[x];
        const int lo = std::min(std::min(a, b), std::min(c, d));
        const int hi = std::max(std::max(a, b), std::max(c, d));
        const int v = cur[x];
        const bool defect = v > hi + threshold || v < lo - threshold;
        dst[x] = defect ? static_cast<uint8_t>((a + b + c + d + 2) >> 2) : static_cast<uint8_t>(v);
    }
}

void saturatePortable(uint8_t* r, uint8_t* g, uint8_t* b, int w, int sat64) { saturateBody(r, g, b, w, sat64); }
void lumaPortable(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, uint8_t* y) { lumaBody(r, g, b, w, y); }
void sharpenPortable(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int n, int step, int amount16, uint8_t* dst)
{
    sharpenBody(up, cur, down, n, step, amount16, dst);
}
void defectPortable(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int from, int to, int step, int threshold, uint8_t* dst)
{
    defectBody(up, cur, down, from, to, step, threshold, dst);
}

void packBgraPortable(const uint8_t* r, const uint8_t* g, const uint8_t* b, int from, int w,
                      bool mirror, uint8_t* dst)
{
    for (int x = from; x < w; ++x) {
        uint8_t* o = dst + 4 * (mirror ? w - 1 - x : x);
        o[0] = b[x];
        o[1] = g[x];
        o[2] = r[x];
        o[3] = 255;
    }
}

#ifdef VEXO_IMAGING_X86

bool cpuHasAvx2()
{
    static const bool has = __builtin_cpu_supports("avx2");
    return has;
}

bool cpuHasVbmi()
{
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                            __builtin_cpu_supports("avx512vbmi");
    return has;
}

__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int lookupVbmi(const uint8_t* src, int w,
                                                                    const uint8_t* te,
                                                                    const uint8_t* to, uint8_t* dst)
{
    const __m512i e0 = _mm512_loadu_si512(te), e1 = _mm512_loadu_si512(te + 64);
    const __m512i e2 = _mm512_loadu_si512(te + 128), e3 = _mm512_loadu_si512(te + 192);
    const __m512i o0 = _mm512_loadu_si512(to), o1 = _mm512_loadu_si512(to + 64);
    const __m512i o2 = _mm512_loadu_si512(to + 128), o3 = _mm512_loadu_si512(to + 192);
    const __mmask64 evenColumns = 0x5555555555555555ull;
    int x = 0;
    for (; x + 64 <= w; x += 64) {
        const __m512i v = _mm512_loadu_si512(src + x);
        const __mmask64 upper = _mm512_movepi8_mask(v);   // index bit 7
        const __m512i ev = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(e0, v, e1),
                                                  _mm512_permutex2var_epi8(e2, v, e3));
        const __m512i od = _mm512_mask_blend_epi8(upper, _mm512_permutex2var_epi8(o0, v, o1),
                                                  _mm512_permutex2var_epi8(o2, v, o3));
        _mm512_storeu_si512(dst + x, _mm512_mask_blend_epi8(evenColumns, od, ev));
    }
    return x;
}

__attribute__((target("avx2"))) int demosaicAvx2(const uint8_t* u, const uint8_t* c,
                                                 const uint8_t* d, int w, bool redRow, uint8_t* r,
                                                 uint8_t* g, uint8_t* b)
{
#define load(p) _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p))
#define store(p, v) _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v)
    const __m256i even = _mm256_set1_epi16(0x00FF);   // 0xFF in the bytes of even columns
    int x = 0;
    // The last block reads cur[x + 32], which is the padding sample at index w at most.
    for (; x + 32 <= w; x += 32) {
        const __m256i cC = load(c + x);
        const __m256i h = _mm256_avg_epu8(load(c + x - 1), load(c + x + 1));
        const __m256i v = _mm256_avg_epu8(load(u + x), load(d + x));
        const __m256i cross = _mm256_avg_epu8(h, v);
        const __m256i diag = _mm256_avg_epu8(_mm256_avg_epu8(load(u + x - 1), load(u + x + 1)),
                                             _mm256_avg_epu8(load(d + x - 1), load(d + x + 1)));
        if (redRow) {
            store(r + x, _mm256_blendv_epi8(h, cC, even));
            store(g + x, _mm256_blendv_epi8(cC, cross, even));
            store(b + x, _mm256_blendv_epi8(v, diag, even));
        } else {
            store(r + x, _mm256_blendv_epi8(diag, v, even));
            store(g + x, _mm256_blendv_epi8(cross, cC, even));
            store(b + x, _mm256_blendv_epi8(cC, h, even));
        }
    }
#undef load
#undef store
    return x;
}

struct TripleMasks {
    alignas(32) uint8_t m[3][3][32];   // [output vector][plane][byte]
    alignas(32) uint8_t reverse[32];
    TripleMasks()
    {
        for (int j = 0; j < 3; ++j)
            for (int p = 0; p < 3; ++p)
                for (int k = 0; k < 32; ++k) {
                    const int byte = 16 * j + (k & 15);
                    m[j][p][k] = static_cast<uint8_t>(byte % 3 == p ? byte / 3 : 0x80);
                }
        for (int k = 0; k < 32; ++k)
            reverse[k] = static_cast<uint8_t>(15 - (k & 15));
    }
};

__attribute__((target("avx2"))) int packTriplesAvx2(const uint8_t* p0, const uint8_t* p1,
                                                    const uint8_t* p2, int w, bool mirror,
                                                    uint8_t* dst)
{
    static const TripleMasks masks;
#define mask(p) _mm256_load_si256(reinterpret_cast<const __m256i*>(p))
    const __m256i m00 = mask(masks.m[0][0]), m01 = mask(masks.m[0][1]), m02 = mask(masks.m[0][2]);
    const __m256i m10 = mask(masks.m[1][0]), m11 = mask(masks.m[1][1]), m12 = mask(masks.m[1][2]);
    const __m256i m20 = mask(masks.m[2][0]), m21 = mask(masks.m[2][1]), m22 = mask(masks.m[2][2]);
    const __m256i rev = mask(masks.reverse);
#undef mask
    int x = 0;
    for (; x + 32 <= w; x += 32) {
        __m256i a = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p0 + x));
        __m256i b = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p1 + x));
        __m256i c = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p2 + x));
        if (mirror) {
            a = _mm256_shuffle_epi8(a, rev);
            a = _mm256_permute2x128_si256(a, a, 0x01);
            b = _mm256_shuffle_epi8(b, rev);
            b = _mm256_permute2x128_si256(b, b, 0x01);
            c = _mm256_shuffle_epi8(c, rev);
            c = _mm256_permute2x128_si256(c, c, 0x01);
        }
        // Each 128-bit lane turns 16 pixels into 48 bytes: v0, v1, v2.
        const __m256i v0 = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(a, m00), _mm256_shuffle_epi8(b, m01)),
                                           _mm256_shuffle_epi8(c, m02));
        const __m256i v1 = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(a, m10), _mm256_shuffle_epi8(b, m11)),
                                           _mm256_shuffle_epi8(c, m12));
        const __m256i v2 = _mm256_or_si256(_mm256_or_si256(_mm256_shuffle_epi8(a, m20), _mm256_shuffle_epi8(b, m21)),
                                           _mm256_shuffle_epi8(c, m22));
        uint8_t* o = dst + 3 * static_cast<size_t>(mirror ? w - x - 32 : x);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o), _mm256_permute2x128_si256(v0, v1, 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + 32), _mm256_permute2x128_si256(v2, v0, 0x30));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(o + 64), _mm256_permute2x128_si256(v1, v2, 0x31));
    }
    return x;
}

// Byte indices and masks for packing 64 pixels of three planes (and a constant alpha when
// Bpp is 4) with vpermt2b / vpermb: for output vector k and byte j, which sample of the
// first two planes (0..127) or of the third (0..63) it takes, straight or mirrored; which
// bytes take the third plane, and which the alpha.
template <int Bpp>
struct PackIndices {
    alignas(64) uint8_t index[2][Bpp][64];  // [mirror][output vector][byte]
    __mmask64 third[Bpp] = {}, alpha[Bpp] = {};
    // packusOrder: the planes hold their 64 samples as vpackuswb leaves the even and the
    // odd ones, 8 even then 8 odd in each 128-bit lane.
    explicit PackIndices(bool packusOrder = false)
    {
        auto position = [packusOrder](int pixel) {
            return packusOrder ? (pixel & ~15) + (pixel & 1) * 8 + (pixel & 15) / 2 : pixel;
        };
        for (int k = 0; k < Bpp; ++k)
            for (int j = 0; j < 64; ++j) {
                const int byte = 64 * k + j, pixel = byte / Bpp, channel = byte % Bpp;
                for (int m = 0; m < 2; ++m) {
                    const int source = position(m ? 63 - pixel : pixel);
                    index[m][k][j] = static_cast<uint8_t>(channel == 1 ? 64 + source : source);
                }
                if (channel == 2)
                    third[k] |= __mmask64(1) << j;
                if (channel == 3)
                    alpha[k] |= __mmask64(1) << j;
            }
    }
};

// Interleaves p0, p1, p2 (and alpha 255 when Bpp is 4) 64 pixels a step; returns how many
// pixels it did.
template <int Bpp>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) int packVbmi(const uint8_t* p0, const uint8_t* p1,
                                                                  const uint8_t* p2, int w, bool mirror,
                                                                  uint8_t* dst)
{
    static const PackIndices<Bpp> tables;
    const int m = mirror ? 1 : 0;
    __m512i idx[Bpp];
    for (int k = 0; k < Bpp; ++k)
        idx[k] = _mm512_load_si512(tables.index[m][k]);
    const __m512i opaque = _mm512_set1_epi8(-1);
    int x = 0;
    for (; x + 64 <= w; x += 64) {
        const __m512i a = _mm512_loadu_si512(p0 + x), b = _mm512_loadu_si512(p1 + x);
        const __m512i c = _mm512_loadu_si512(p2 + x);
        uint8_t* o = dst + Bpp * static_cast<size_t>(mirror ? w - x - 64 : x);
        for (int k = 0; k < Bpp; ++k) {
            const __m512i ab = _mm512_permutex2var_epi8(a, idx[k], b);
            __m512i v = _mm512_mask_permutexvar_epi8(ab, tables.third[k], idx[k], c);
            if constexpr (Bpp == 4)
                v = _mm512_mask_mov_epi8(v, tables.alpha[k], opaque);
            _mm512_storeu_si512(o + 64 * k, v);
        }
    }
    return x;
}

// 16 pixels per step in 16-bit lanes; same arithmetic as saturateBody.
__attribute__((target("avx2"))) void saturateAvx2(uint8_t* r, uint8_t* g, uint8_t* b, int w, int sat64)
{
    const __m256i kR = _mm256_set1_epi16(77), kG = _mm256_set1_epi16(150), kB = _mm256_set1_epi16(29);
    const __m256i half = _mm256_set1_epi16(128), gain = _mm256_set1_epi16(static_cast<short>(sat64));
    int x = 0;
    for (; x + 16 <= w; x += 16) {
        const __m256i vr = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(r + x)));
        const __m256i vg = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(g + x)));
        const __m256i vb = _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(b + x)));
        // The weighted sum reaches 65408 at most: exact in unsigned 16-bit lanes.
        const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(_mm256_mullo_epi16(vr, kR), _mm256_mullo_epi16(vg, kG)),
                                             _mm256_add_epi16(_mm256_mullo_epi16(vb, kB), half));
        const __m256i y = _mm256_srli_epi16(sum, 8);
#define channel(v)                                                                                      \
    _mm256_permute4x64_epi64(                                                                           \
        _mm256_packus_epi16(                                                                            \
            _mm256_add_epi16(y, _mm256_srai_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(v, y), gain), 6)), \
            _mm256_setzero_si256()),                                                                    \
        0xD8)
        _mm_storeu_si128(reinterpret_cast<__m128i*>(r + x), _mm256_castsi256_si128(channel(vr)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(g + x), _mm256_castsi256_si128(channel(vg)));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(b + x), _mm256_castsi256_si128(channel(vb)));
#undef channel
    }
    saturateBody(r + x, g + x, b + x, w - x, sat64);
}
__attribute__((target("avx2"))) void lumaAvx2(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, uint8_t* y)
{
    lumaBody(r, g, b, w, y);
}
// 16 bytes per step in 16-bit lanes; same arithmetic as sharpenBody (the blur sum stays
// below 4096 and |c - blur| * amount16 below 2^15).
__attribute__((target("avx2"))) void sharpenAvx2(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int n,
                                                 int step, int amount16, uint8_t* dst)
{
#define widen(p) _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))
    const __m256i eight = _mm256_set1_epi16(8), gain = _mm256_set1_epi16(static_cast<short>(amount16));
    int i = 0;
    for (; i + 16 <= n; i += 16) {
        const __m256i c = widen(cur + i);
        const __m256i cross = _mm256_add_epi16(_mm256_add_epi16(widen(cur + i - step), widen(cur + i + step)),
                                               _mm256_add_epi16(widen(up + i), widen(down + i)));
        const __m256i corners = _mm256_add_epi16(_mm256_add_epi16(widen(up + i - step), widen(up + i + step)),
                                                 _mm256_add_epi16(widen(down + i - step), widen(down + i + step)));
        const __m256i sum = _mm256_add_epi16(_mm256_add_epi16(_mm256_slli_epi16(c, 2), _mm256_slli_epi16(cross, 1)),
                                             _mm256_add_epi16(corners, eight));
        const __m256i blur = _mm256_srli_epi16(sum, 4);
        const __m256i t = _mm256_srai_epi16(_mm256_add_epi16(_mm256_mullo_epi16(_mm256_sub_epi16(c, blur), gain), eight), 4);
        const __m256i out = _mm256_add_epi16(c, t);
        const __m256i packed = _mm256_permute4x64_epi64(_mm256_packus_epi16(out, out), 0xD8);
        _mm_storeu_si128(reinterpret_cast<__m128i*>(dst + i), _mm256_castsi256_si128(packed));
    }
#undef widen
    sharpenBody(up + i, cur + i, down + i, n - i, step, amount16, dst + i);
}
bool cpuHasAvx512bw()
{
    static const bool has = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    return has;
}

// Signed 16-bit lanes to bytes clamped to 0..255, as clampByte does.
__attribute__((target("avx512f,avx512bw"))) inline __m256i narrowClamped(__m512i v)
{
    return _mm512_maskz_cvtusepi16_epi8(~__mmask32(0), _mm512_max_epi16(v, _mm512_setzero_si512()));
}

// The AVX2 kernels' arithmetic in 32 lanes.
__attribute__((target("avx512f,avx512bw"))) void sharpenAvx512(const uint8_t* up, const uint8_t* cur,
                                                               const uint8_t* down, int n, int step,
                                                               int amount16, uint8_t* dst)
{
#define widen(p) _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(p)))
    const __m512i eight = _mm512_set1_epi16(8), gain = _mm512_set1_epi16(static_cast<short>(amount16));
    int i = 0;
    for (; i + 32 <= n; i += 32) {
        const __m512i c = widen(cur + i);
        const __m512i cross = _mm512_add_epi16(_mm512_add_epi16(widen(cur + i - step), widen(cur + i + step)),
                                               _mm512_add_epi16(widen(up + i), widen(down + i)));
        const __m512i corners = _mm512_add_epi16(_mm512_add_epi16(widen(up + i - step), widen(up + i + step)),
                                                 _mm512_add_epi16(widen(down + i - step), widen(down + i + step)));
        const __m512i sum = _mm512_add_epi16(_mm512_add_epi16(_mm512_slli_epi16(c, 2), _mm512_slli_epi16(cross, 1)),
                                             _mm512_add_epi16(corners, eight));
        const __m512i blur = _mm512_srli_epi16(sum, 4);
        const __m512i t = _mm512_srai_epi16(_mm512_add_epi16(_mm512_mullo_epi16(_mm512_sub_epi16(c, blur), gain), eight), 4);
        // Saturating narrowing gives clampByte's 0..255.
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(dst + i),
                            narrowClamped(_mm512_add_epi16(c, t)));
    }
#undef widen
    sharpenAvx2(up + i, cur + i, down + i, n - i, step, amount16, dst + i);
}

// 16-bit lane k: even = 1 2 1 sum around byte i + 2k of row, odd = around byte i + 2k + 1;
// vpmaddubsw on the row shifted by one gives the first two terms of each.
__attribute__((target("avx512f,avx512bw"))) inline void pairSums(const uint8_t* row, __m512i& even,
                                                                 __m512i& odd)
{
    const __m512i oneTwo = _mm512_set1_epi16(0x0201), lowBytes = _mm512_set1_epi16(0x00FF);
    const __m512i right = _mm512_loadu_si512(row + 1);
    even = _mm512_add_epi16(_mm512_maddubs_epi16(_mm512_loadu_si512(row - 1), oneTwo),
                            _mm512_and_si512(right, lowBytes));
    odd = _mm512_add_epi16(_mm512_maddubs_epi16(_mm512_loadu_si512(row), oneTwo), _mm512_srli_epi16(right, 8));
}

// sharpenBody's arithmetic for the 32 even (or odd) samples of a block, from the 1 2 1
// sums of the rows and c * (16 + amount16) in 16-bit lanes:
// c + (((c - blur) * a + 8) >> 4) is (c * (16 + a) - blur * a + 8) >> 4 exactly.
__attribute__((target("avx512f,avx512bw"))) inline __m512i unsharp(__m512i scaledC, __m512i upSum,
                                                                   __m512i curSum, __m512i downSum,
                                                                   __m512i gain)
{
    const __m512i eight = _mm512_set1_epi16(8);
    const __m512i sum = _mm512_add_epi16(_mm512_add_epi16(upSum, downSum), _mm512_slli_epi16(curSum, 1));
    const __m512i blur = _mm512_srli_epi16(_mm512_add_epi16(sum, eight), 4);
    return _mm512_srai_epi16(_mm512_add_epi16(_mm512_sub_epi16(scaledC, _mm512_mullo_epi16(blur, gain)), eight), 4);
}

// The unsharp mask of a planar row (step 1), 64 bytes a step without widening; rows
// must be readable at -1 .. n. Returns how many bytes it did.
__attribute__((target("avx512f,avx512bw"))) int sharpenPlaneAvx512(const uint8_t* up, const uint8_t* cur,
                                                                   const uint8_t* down, int n, int amount16,
                                                                   uint8_t* dst)
{
    const __m512i gain = _mm512_set1_epi16(static_cast<short>(amount16));
    const short scale = static_cast<short>(16 + amount16);   // at most 64: a signed byte
    const __m512i scaleEven = _mm512_set1_epi16(scale), scaleOdd = _mm512_set1_epi16(static_cast<short>(scale << 8));
    // packus leaves each 128-bit lane as 8 even then 8 odd results; this interleaves them.
    // Bytes 0 8 1 9 2 10 ... 7 15 in each lane.
    const __m512i interleave = _mm512_set4_epi32(0x0F070E06, 0x0D050C04, 0x0B030A02, 0x09010800);
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        __m512i ue, uo, ce, co, de, dO;
        pairSums(up + i, ue, uo);
        pairSums(cur + i, ce, co);
        pairSums(down + i, de, dO);
        const __m512i c = _mm512_loadu_si512(cur + i);
        const __m512i even = unsharp(_mm512_maddubs_epi16(c, scaleEven), ue, ce, de, gain);
        const __m512i odd = unsharp(_mm512_maddubs_epi16(c, scaleOdd), uo, co, dO, gain);
        _mm512_storeu_si512(dst + i, _mm512_shuffle_epi8(_mm512_packus_epi16(even, odd), interleave));
    }
    return i;
}

__attribute__((target("avx512f,avx512bw"))) int planeRowSumsAvx512(const uint8_t* row, int n, uint16_t* sums)
{
    int i = 0;
    for (; i + 64 <= n; i += 64) {
        __m512i even, odd;
        pairSums(row + i, even, odd);
        _mm512_store_si512(sums + i, even);
        _mm512_store_si512(sums + i + 32, odd);
    }
    return i;
}

__attribute__((target("avx512f,avx512bw"))) void sharpenFromSumsAvx512(const uint16_t* up, const uint16_t* cur,
                                                                       const uint16_t* down, const uint8_t* row,
                                                                       int n, int amount16, uint8_t* dst)
{
    const __m512i gain = _mm512_set1_epi16(static_cast<short>(amount16));
    const short scale = static_cast<short>(16 + amount16);
    const __m512i scaleEven = _mm512_set1_epi16(scale), scaleOdd = _mm512_set1_epi16(static_cast<short>(scale << 8));
    const __m512i interleave = _mm512_set4_epi32(0x0F070E06, 0x0D050C04, 0x0B030A02, 0x09010800);
    for (int i = 0; i + 64 <= n; i += 64) {
        const __m512i c = _mm512_loadu_si512(row + i);
        const __m512i even = unsharp(_mm512_maddubs_epi16(c, scaleEven), _mm512_load_si512(up + i),
                                     _mm512_load_si512(cur + i), _mm512_load_si512(down + i), gain);
        const __m512i odd = unsharp(_mm512_maddubs_epi16(c, scaleOdd), _mm512_load_si512(up + i + 32),
                                    _mm512_load_si512(cur + i + 32), _mm512_load_si512(down + i + 32), gain);
        _mm512_storeu_si512(dst + i, _mm512_shuffle_epi8(_mm512_packus_epi16(even, odd), interleave));
    }
}

// The constants of unsharp() for a gain.
struct UnsharpGain {
    __m512i gain, scaleEven, scaleOdd;
    __attribute__((target("avx512f,avx512bw"))) explicit UnsharpGain(int amount16)
    {
        const short scale = static_cast<short>(16 + amount16);   // at most 64: a signed byte
        gain = _mm512_set1_epi16(static_cast<short>(amount16));
        scaleEven = _mm512_set1_epi16(scale);
        scaleOdd = _mm512_set1_epi16(static_cast<short>(scale << 8));
    }
};

// Stores the 64 samples of three planes, each as vpackuswb leaves the even and the odd
// ones, packed as packVbmi does, mirrored if asked.
template <int Bpp>
struct PackusOrderPacker {
    const PackIndices<Bpp>& tables;
    __m512i idx[Bpp];
    __m512i opaque;
    __attribute__((target("avx512f,avx512bw,avx512vbmi"))) explicit PackusOrderPacker(bool mirror)
        : tables(indices())
    {
        for (int k = 0; k < Bpp; ++k)
            idx[k] = _mm512_load_si512(tables.index[mirror ? 1 : 0][k]);
        opaque = _mm512_set1_epi8(-1);
    }
    static const PackIndices<Bpp>& indices()
    {
        static const PackIndices<Bpp> packusOrder(true);
        return packusOrder;
    }
    __attribute__((target("avx512f,avx512bw,avx512vbmi"))) void store(const __m512i v[3], uint8_t* o) const
    {
        for (int k = 0; k < Bpp; ++k) {
            const __m512i ab = _mm512_permutex2var_epi8(v[0], idx[k], v[1]);
            __m512i out = _mm512_mask_permutexvar_epi8(ab, tables.third[k], idx[k], v[2]);
            if constexpr (Bpp == 4)
                out = _mm512_mask_mov_epi8(out, tables.alpha[k], opaque);
            _mm512_storeu_si512(o + 64 * k, out);
        }
    }
};

// sharpenPlaneAvx512 of three planes and packVbmi of the results in one pass: the
// sharpened samples stay in registers in vpackuswb order, which the packing indices undo.
template <int Bpp>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void sharpenPackPlanesVbmi(const PlaneRows& rows, int n,
                                                                               int amount16, int w, bool mirror,
                                                                               uint8_t* dst)
{
    const PackusOrderPacker<Bpp> packer(mirror);
    const UnsharpGain k(amount16);
    for (int i = 0; i + 64 <= n; i += 64) {
        __m512i v[3];
        for (int c = 0; c < 3; ++c) {
            __m512i ue, uo, ce, co, de, dO;
            pairSums(rows.up[c] + i, ue, uo);
            pairSums(rows.cur[c] + i, ce, co);
            pairSums(rows.down[c] + i, de, dO);
            const __m512i cur = _mm512_loadu_si512(rows.cur[c] + i);
            const __m512i even = unsharp(_mm512_maddubs_epi16(cur, k.scaleEven), ue, ce, de, k.gain);
            const __m512i odd = unsharp(_mm512_maddubs_epi16(cur, k.scaleOdd), uo, co, dO, k.gain);
            v[c] = _mm512_packus_epi16(even, odd);
        }
        packer.store(v, dst + Bpp * static_cast<size_t>(mirror ? w - i - 64 : i));
    }
}

// sharpenPackPlanesVbmi of two output rows from four plane rows.
template <int Bpp>
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void sharpenPackPlanePairVbmi(
    const PlaneRows& rows, const uint8_t* const fourth[3], int n, int amount16, int w, bool mirror, uint8_t* first,
    uint8_t* second)
{
    const PackusOrderPacker<Bpp> packer(mirror);
    const UnsharpGain k(amount16);
    for (int i = 0; i + 64 <= n; i += 64) {
        __m512i v1[3], v2[3];
        for (int c = 0; c < 3; ++c) {
            __m512i ae, ao, be, bo, ce, co, de, dO;
            pairSums(rows.up[c] + i, ae, ao);
            pairSums(rows.cur[c] + i, be, bo);
            pairSums(rows.down[c] + i, ce, co);
            pairSums(fourth[c] + i, de, dO);
            const __m512i top = _mm512_loadu_si512(rows.cur[c] + i);
            const __m512i bottom = _mm512_loadu_si512(rows.down[c] + i);
            v1[c] = _mm512_packus_epi16(unsharp(_mm512_maddubs_epi16(top, k.scaleEven), ae, be, ce, k.gain),
                                        unsharp(_mm512_maddubs_epi16(top, k.scaleOdd), ao, bo, co, k.gain));
            v2[c] = _mm512_packus_epi16(unsharp(_mm512_maddubs_epi16(bottom, k.scaleEven), be, ce, de, k.gain),
                                        unsharp(_mm512_maddubs_epi16(bottom, k.scaleOdd), bo, co, dO, k.gain));
        }
        const size_t at = Bpp * static_cast<size_t>(mirror ? w - i - 64 : i);
        packer.store(v1, first + at);
        packer.store(v2, second + at);
    }
}

// saturateBody for 64 pixels in registers with sat64 at most 127 (a signed byte): the
// luma and v * sat64 come from vpmaddubsw on the even and the odd bytes.
struct SaturateWeights {
    __m512i redEven, redOdd, greenEven, greenOdd, blueEven, blueOdd, satEven, satOdd, rest, half, interleave;
    __attribute__((target("avx512f,avx512bw"))) explicit SaturateWeights(int sat64)
    {
        // Weights in the low (even pixels) or the high byte (odd pixels) of each 16-bit lane;
        // green's 150 does not fit a signed byte and is 2 * 75.
        redEven = _mm512_set1_epi16(77);
        redOdd = _mm512_set1_epi16(77 << 8);
        greenEven = _mm512_set1_epi16(75);
        greenOdd = _mm512_set1_epi16(75 << 8);
        blueEven = _mm512_set1_epi16(29);
        blueOdd = _mm512_set1_epi16(29 << 8);
        satEven = _mm512_set1_epi16(static_cast<short>(sat64));
        satOdd = _mm512_set1_epi16(static_cast<short>(sat64 << 8));
        rest = _mm512_set1_epi16(static_cast<short>(64 - sat64));
        half = _mm512_set1_epi16(128);
        // packus leaves each 128-bit lane as 8 even then 8 odd results; this interleaves them.
        interleave = _mm512_set4_epi32(0x0F070E06, 0x0D050C04, 0x0B030A02, 0x09010800);
    }
};

__attribute__((target("avx512f,avx512bw"))) inline void saturateBlock(const SaturateWeights& k, __m512i& vr,
                                                                      __m512i& vg, __m512i& vb)
{
    // The weighted sum reaches 65408 at most: exact in unsigned 16-bit lanes.
    auto luma = [&](__m512i wr, __m512i wg, __m512i wb) __attribute__((target("avx512f,avx512bw"))) {
        const __m512i rb = _mm512_add_epi16(_mm512_maddubs_epi16(vr, wr), _mm512_maddubs_epi16(vb, wb));
        const __m512i gg = _mm512_slli_epi16(_mm512_maddubs_epi16(vg, wg), 1);
        return _mm512_srli_epi16(_mm512_add_epi16(_mm512_add_epi16(rb, gg), k.half), 8);
    };
    const __m512i yEven = luma(k.redEven, k.greenEven, k.blueEven), yOdd = luma(k.redOdd, k.greenOdd, k.blueOdd);
    // y + ((v - y) * s >> 6) is (v * s + y * (64 - s)) >> 6 exactly (64 y is a multiple of
    // 64); the sum lies in -16065 .. 32385 for s up to 127.
    const __m512i yRestEven = _mm512_mullo_epi16(yEven, k.rest);
    const __m512i yRestOdd = _mm512_mullo_epi16(yOdd, k.rest);
    auto channel = [&](__m512i v) __attribute__((target("avx512f,avx512bw"))) {
        const __m512i even = _mm512_srai_epi16(_mm512_add_epi16(_mm512_maddubs_epi16(v, k.satEven), yRestEven), 6);
        const __m512i odd = _mm512_srai_epi16(_mm512_add_epi16(_mm512_maddubs_epi16(v, k.satOdd), yRestOdd), 6);
        return _mm512_shuffle_epi8(_mm512_packus_epi16(even, odd), k.interleave);
    };
    vr = channel(vr);
    vg = channel(vg);
    vb = channel(vb);
}

// saturateBlock over a row, 64 pixels a step; returns how many pixels it did.
__attribute__((target("avx512f,avx512bw"))) int saturateBytesAvx512(uint8_t* r, uint8_t* g, uint8_t* b, int w,
                                                                    int sat64)
{
    const SaturateWeights weights(sat64);
    int x = 0;
    for (; x + 64 <= w; x += 64) {
        __m512i vr = _mm512_loadu_si512(r + x), vg = _mm512_loadu_si512(g + x), vb = _mm512_loadu_si512(b + x);
        saturateBlock(weights, vr, vg, vb);
        _mm512_storeu_si512(r + x, vr);
        _mm512_storeu_si512(g + x, vg);
        _mm512_storeu_si512(b + x, vb);
    }
    return x;
}

// demosaicAvx2's arithmetic 64 pixels a step, saturated in registers (saturateBlock) when
// sat64 is not 64; returns how many pixels it did.
__attribute__((target("avx512f,avx512bw"))) int demosaicAvx512(const uint8_t* u, const uint8_t* c, const uint8_t* d,
                                                               int w, bool redRow, int sat64, uint8_t* r, uint8_t* g,
                                                               uint8_t* b)
{
    const SaturateWeights weights(sat64);
    const bool saturate = sat64 != 64;
    const __mmask64 even = 0x5555555555555555ull;   // the even columns
    int x = 0;
    // The last block reads cur[x + 64], which is the padding sample at index w at most.
    for (; x + 64 <= w; x += 64) {
        // Masked averages: each plane takes the mean only in the columns that need it.
        const __m512i cC = _mm512_loadu_si512(c + x);
        const __m512i h = _mm512_avg_epu8(_mm512_loadu_si512(c + x - 1), _mm512_loadu_si512(c + x + 1));
        const __m512i v = _mm512_avg_epu8(_mm512_loadu_si512(u + x), _mm512_loadu_si512(d + x));
        const __m512i upPair = _mm512_avg_epu8(_mm512_loadu_si512(u + x - 1), _mm512_loadu_si512(u + x + 1));
        const __m512i downPair = _mm512_avg_epu8(_mm512_loadu_si512(d + x - 1), _mm512_loadu_si512(d + x + 1));
        __m512i vr, vg, vb;
        if (redRow) {   // R G R G: red in the even columns
            vr = _mm512_mask_mov_epi8(h, even, cC);
            vg = _mm512_mask_avg_epu8(cC, even, h, v);
            vb = _mm512_mask_avg_epu8(v, even, upPair, downPair);
        } else {        // G B G B: blue in the odd columns
            vr = _mm512_mask_avg_epu8(v, ~even, upPair, downPair);
            vg = _mm512_mask_avg_epu8(cC, ~even, h, v);
            vb = _mm512_mask_mov_epi8(h, ~even, cC);
        }
        if (saturate)
            saturateBlock(weights, vr, vg, vb);
        _mm512_storeu_si512(r + x, vr);
        _mm512_storeu_si512(g + x, vg);
        _mm512_storeu_si512(b + x, vb);
    }
    return x;
}

__attribute__((target("avx512f,avx512bw"))) void saturateAvx512(uint8_t* r, uint8_t* g, uint8_t* b, int w, int sat64)
{
    const __m512i kR = _mm512_set1_epi16(77), kG = _mm512_set1_epi16(150), kB = _mm512_set1_epi16(29);
    const __m512i half = _mm512_set1_epi16(128), gain = _mm512_set1_epi16(static_cast<short>(sat64));
    int x = 0;
    for (; x + 32 <= w; x += 32) {
        const __m512i vr = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + x)));
        const __m512i vg = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(g + x)));
        const __m512i vb = _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + x)));
        const __m512i sum = _mm512_add_epi16(_mm512_add_epi16(_mm512_mullo_epi16(vr, kR), _mm512_mullo_epi16(vg, kG)),
                                             _mm512_add_epi16(_mm512_mullo_epi16(vb, kB), half));
        const __m512i y = _mm512_srli_epi16(sum, 8);
#define channel(v) \
    narrowClamped(_mm512_add_epi16(y, _mm512_srai_epi16(_mm512_mullo_epi16(_mm512_sub_epi16(v, y), gain), 6)))
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(r + x), channel(vr));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(g + x), channel(vg));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(b + x), channel(vb));
#undef channel
    }
    saturateAvx2(r + x, g + x, b + x, w - x, sat64);
}

__attribute__((target("avx2"))) void defectAvx2(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int from,
                                                int to, int step, int threshold, uint8_t* dst)
{
    defectBody(up, cur, down, from, to, step, threshold, dst);
}

__attribute__((target("avx2"))) int packBgraAvx2(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w,
                                                 bool mirror, uint8_t* dst)
{
    static const TripleMasks masks;
    const __m256i rev = _mm256_load_si256(reinterpret_cast<const __m256i*>(masks.reverse));
    const __m256i opaque = _mm256_set1_epi8(-1);
    int x = 0;
    for (; x + 32 <= w; x += 32) {
        __m256i vb = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(b + x));
        __m256i vg = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(g + x));
        __m256i vr = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(r + x));
        if (mirror) {
            vb = _mm256_permute2x128_si256(_mm256_shuffle_epi8(vb, rev), _mm256_shuffle_epi8(vb, rev), 0x01);
            vg = _mm256_permute2x128_si256(_mm256_shuffle_epi8(vg, rev), _mm256_shuffle_epi8(vg, rev), 0x01);
            vr = _mm256_permute2x128_si256(_mm256_shuffle_epi8(vr, rev), _mm256_shuffle_epi8(vr, rev), 0x01);
        }
        const __m256i bgLo = _mm256_unpacklo_epi8(vb, vg), bgHi = _mm256_unpackhi_epi8(vb, vg);
        const __m256i raLo = _mm256_unpacklo_epi8(vr, opaque), raHi = _mm256_unpackhi_epi8(vr, opaque);
        // Per lane: q0 pixels 0-3, q1 4-7, q2 8-11, q3 12-15 (lane 1: +16).
        const __m256i q0 = _mm256_unpacklo_epi16(bgLo, raLo), q1 = _mm256_unpackhi_epi16(bgLo, raLo);
        const __m256i q2 = _mm256_unpacklo_epi16(bgHi, raHi), q3 = _mm256_unpackhi_epi16(bgHi, raHi);
        __m256i* o = reinterpret_cast<__m256i*>(dst + 4 * static_cast<size_t>(mirror ? w - x - 32 : x));
        _mm256_storeu_si256(o, _mm256_permute2x128_si256(q0, q1, 0x20));
        _mm256_storeu_si256(o + 1, _mm256_permute2x128_si256(q2, q3, 0x20));
        _mm256_storeu_si256(o + 2, _mm256_permute2x128_si256(q0, q1, 0x31));
        _mm256_storeu_si256(o + 3, _mm256_permute2x128_si256(q2, q3, 0x31));
    }
    return x;
}

#else

bool cpuHasAvx2() { return false; }
bool cpuHasVbmi() { return false; }

#endif

inline bool fast()
{
    return !forcePortable.load(std::memory_order_relaxed);
}

}  // namespace

void lookupRow(const uint8_t* src, int w, const uint8_t* evenTable, const uint8_t* oddTable,
               uint8_t* dst)
{
    int x = 0;
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasVbmi())
        x = lookupVbmi(src, w, evenTable, oddTable, dst);
#endif
    lookupPortable(src, x, w, evenTable, oddTable, dst);
}

void demosaicRow(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int w, bool redRow,
                 uint8_t* r, uint8_t* g, uint8_t* b, int sat64)
{
    int x = 0, saturated = 0;
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasAvx512bw() && sat64 < 128)
        saturated = x = demosaicAvx512(up, cur, down, w, redRow, sat64, r, g, b);
    if (fast() && cpuHasAvx2())
        x += demosaicAvx2(up + x, cur + x, down + x, w - x, redRow, r + x, g + x, b + x);
#endif
    demosaicPortable(up, cur, down, x, w, redRow, r, g, b);
    if (sat64 != 64 && saturated < w)
        saturateRow(r + saturated, g + saturated, b + saturated, w - saturated, sat64);
}

void saturateRow(uint8_t* r, uint8_t* g, uint8_t* b, int w, int sat64)
{
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasAvx512bw()) {
        const int done = sat64 < 128 ? saturateBytesAvx512(r, g, b, w, sat64) : 0;
        return saturateAvx512(r + done, g + done, b + done, w - done, sat64);
    }
    if (fast() && cpuHasAvx2())
        return saturateAvx2(r, g, b, w, sat64);
#endif
    saturatePortable(r, g, b, w, sat64);
}

void lumaRow(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, uint8_t* y)
{
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasAvx2())
        return lumaAvx2(r, g, b, w, y);
#endif
    lumaPortable(r, g, b, w, y);
}

void sharpenRow(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int n, int step,
                int amount16, uint8_t* dst)
{
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasAvx512bw()) {
        const int done = step == 1 ? sharpenPlaneAvx512(up, cur, down, n, amount16, dst) : 0;
        return sharpenAvx512(up + done, cur + done, down + done, n - done, step, amount16, dst + done);
    }
    if (fast() && cpuHasAvx2())
        return sharpenAvx2(up, cur, down, n, step, amount16, dst);
#endif
    sharpenPortable(up, cur, down, n, step, amount16, dst);
}

int planeRowSums(const uint8_t* row, int n, uint16_t* sums)
{
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasAvx512bw())
        return planeRowSumsAvx512(row, n, sums);
#endif
    (void)row;
    (void)n;
    (void)sums;
    return 0;
}

void sharpenFromSums(const uint16_t* up, const uint16_t* cur, const uint16_t* down, const uint8_t* row, int n,
                     int amount16, uint8_t* dst)
{
#ifdef VEXO_IMAGING_X86
    if (n > 0)
        sharpenFromSumsAvx512(up, cur, down, row, n, amount16, dst);
#else
    (void)up, (void)cur, (void)down, (void)row, (void)n, (void)amount16, (void)dst;
#endif
}

int sharpenPackWidth(int w)
{
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasVbmi())
        return w / 64 * 64;
#endif
    (void)w;
    return 0;
}

void sharpenPackPlanes(const PlaneRows& rows, int n, int amount16, int bpp, int w, bool mirror, uint8_t* dst)
{
#ifdef VEXO_IMAGING_X86
    if (n <= 0)
        return;
    (bpp == 4 ? sharpenPackPlanesVbmi<4> : sharpenPackPlanesVbmi<3>)(rows, n, amount16, w, mirror, dst);
#else
    (void)rows, (void)n, (void)amount16, (void)bpp, (void)w, (void)mirror, (void)dst;
#endif
}

void sharpenPackPlanePair(const PlaneRows& rows, const uint8_t* const fourth[3], int n, int amount16, int bpp, int w,
                          bool mirror, uint8_t* first, uint8_t* second)
{
#ifdef VEXO_IMAGING_X86
    if (n <= 0)
        return;
    (bpp == 4 ? sharpenPackPlanePairVbmi<4> : sharpenPackPlanePairVbmi<3>)(rows, fourth, n, amount16, w, mirror,
                                                                          first, second);
#else
    (void)rows, (void)fourth, (void)n, (void)amount16, (void)bpp, (void)w, (void)mirror, (void)first, (void)second;
#endif
}

void packTail(const uint8_t* p0, const uint8_t* p1, const uint8_t* p2, int from, int w, int bpp, bool mirror,
              uint8_t* dst)
{
    if (bpp == 4)
        packBgraPortable(p2, p1, p0, from, w, mirror, dst);   // writes its b, g, r: p0, p1, p2
    else
        packTriplesPortable(p0, p1, p2, from, w, mirror, dst);
}

void defectRow(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int from, int to,
               int step, int threshold, uint8_t* dst)
{
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasAvx2())
        return defectAvx2(up, cur, down, from, to, step, threshold, dst);
#endif
    defectPortable(up, cur, down, from, to, step, threshold, dst);
}

void packRgbRow(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, bool mirror, uint8_t* dst)
{
    int x = 0;
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasVbmi())
        x = packVbmi<3>(r, g, b, w, mirror, dst);
    if (fast() && cpuHasAvx2())
        x += packTriplesAvx2(r + x, g + x, b + x, w - x, mirror, mirror ? dst : dst + 3 * static_cast<size_t>(x));
#endif
    packTriplesPortable(r, g, b, x, w, mirror, dst);
}

void packBgrRow(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, bool mirror, uint8_t* dst)
{
    packRgbRow(b, g, r, w, mirror, dst);
}

void packBgraRow(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, bool mirror, uint8_t* dst)
{
    int x = 0;
#ifdef VEXO_IMAGING_X86
    if (fast() && cpuHasVbmi())
        x = packVbmi<4>(b, g, r, w, mirror, dst);
    if (fast() && cpuHasAvx2())
        x += packBgraAvx2(r + x, g + x, b + x, w - x, mirror, mirror ? dst : dst + 4 * static_cast<size_t>(x));
#endif
    packBgraPortable(r, g, b, x, w, mirror, dst);
}

void copyRow(const uint8_t* src, int w, bool mirror, uint8_t* dst)
{
    if (!mirror) {
        std::memcpy(dst, src, static_cast<size_t>(w));
        return;
    }
    for (int x = 0; x < w; ++x)
        dst[w - 1 - x] = src[x];
}

const char* kernelLevel()
{
    if (!fast())
        return "portable";
    if (cpuHasVbmi())
        return "avx512vbmi";
    return cpuHasAvx2() ? "avx2" : "portable";
}

void usePortableKernels(bool portable)
{
    forcePortable.store(portable);
}

}  // namespace vexo::imaging::kernels
