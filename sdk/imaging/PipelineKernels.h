#pragma once
// Row kernels of the image pipeline. Each has a portable version and, where the machine
// has them, AVX2 / AVX-512 versions picked at run time; all versions give identical
// bytes. Rows passed as "padded" have one valid sample before index 0 and one at index w.
#include <cstdint>

namespace vexo::imaging::kernels {

// dst[x] = (x even ? evenTable : oddTable)[src[x]] for x in 0..w-1.
void lookupRow(const uint8_t* src, int w, const uint8_t* evenTable, const uint8_t* oddTable,
               uint8_t* dst);

// Bilinear demosaic of one RGGB row into planar r, g, b (w samples each). up, cur, down
// are padded rows; redRow says whether cur is an R G R G row (else G B G B). Averages
// round half up; four-sample means are means of two pair means. With sat64 other than
// 64 the planes then get saturateRow()'s saturation (done on the samples still in
// registers where the machine allows).
void demosaicRow(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int w,
                 bool redRow, uint8_t* r, uint8_t* g, uint8_t* b, int sat64 = 64);

// Saturation around the pixel's luma (sat64: 64 = unchanged, 0 = grey, at most 128), in
// place.
void saturateRow(uint8_t* r, uint8_t* g, uint8_t* b, int w, int sat64);

// y = (77 r + 150 g + 29 b + 128) >> 8.
void lumaRow(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, uint8_t* y);

// Unsharp mask of one row of n bytes with a 3x3 Gaussian; neighbours of byte i are at
// i +- step in the same row and at i in the rows above and below (which must be readable
// at -step .. n - 1 + step). amount16 is the gain in 1/16.
void sharpenRow(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int n, int step,
                int amount16, uint8_t* dst);

// The unsharp mask of planar rows (step 1) in two steps, so that the horizontal sums of a
// row are made once for the three output rows that use them. planeRowSums() stores them for
// the leading whole blocks of a row readable at -1 .. n and returns how many samples it
// covered (a multiple of 64; 0 where the machine lacks the kernel); sums holds n 16-bit
// words and is 64-byte aligned. sharpenFromSums() then gives sharpenRow()'s bytes for those
// n samples of row from the sums of the rows above, at and below; sharpenRow() does the rest.
int planeRowSums(const uint8_t* row, int n, uint16_t* sums);
void sharpenFromSums(const uint16_t* up, const uint16_t* cur, const uint16_t* down, const uint8_t* row, int n,
                     int amount16, uint8_t* dst);

// How many leading samples of a row of w sharpenPackPlanes() does: whole 64-sample
// blocks, or 0 where the machine lacks the kernel.
int sharpenPackWidth(int w);
// The padded planes of the rows above, at and below the row to sharpen, in the byte
// order of the output.
struct PlaneRows {
    const uint8_t* up[3] = {};
    const uint8_t* cur[3] = {};
    const uint8_t* down[3] = {};
};
// sharpenRow() (step 1) of the first n samples (n from sharpenPackWidth()) of three planes,
// packed as packRgbRow() does (bpp 3) or with a fourth byte 255 (bpp 4) into the row of w
// pixels at dst, mirrored if asked, in one pass.
void sharpenPackPlanes(const PlaneRows& rows, int n, int amount16, int bpp, int w, bool mirror, uint8_t* dst);
// sharpenPackPlanes() of two rows at once: rows.cur into first and rows.down into second,
// the row below that being `fourth`; the sums of the two middle rows are made once.
void sharpenPackPlanePair(const PlaneRows& rows, const uint8_t* const fourth[3], int n, int amount16, int bpp, int w,
                          bool mirror, uint8_t* first, uint8_t* second);
// Packs samples from..w-1 of three planes as sharpenPackPlanes() does.
void packTail(const uint8_t* p0, const uint8_t* p1, const uint8_t* p2, int from, int w, int bpp, bool mirror,
              uint8_t* dst);

// Defect test for x in from..to-1, whose four same-colour neighbours (x +- step in cur, x in
// up and down) all exist: a sample more than threshold above or below all of them is
// replaced by their mean, others are copied.
void defectRow(const uint8_t* up, const uint8_t* cur, const uint8_t* down, int from, int to,
               int step, int threshold, uint8_t* dst);

// Packs planar samples into RGB8 / BGR8 / BGRA8 (alpha 255), mirrored if asked.
void packRgbRow(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, bool mirror,
                uint8_t* dst);
void packBgrRow(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, bool mirror,
                uint8_t* dst);
void packBgraRow(const uint8_t* r, const uint8_t* g, const uint8_t* b, int w, bool mirror,
                 uint8_t* dst);
// Copies one plane, mirrored if asked.
void copyRow(const uint8_t* src, int w, bool mirror, uint8_t* dst);

// The instruction set the kernels use now: "avx512vbmi", "avx2" or "portable".
const char* kernelLevel();
// Forces the portable kernels (tests compare them with the fast ones).
void usePortableKernels(bool portable);

}  // namespace vexo::imaging::kernels
