// AVX-512 variant: four frames per register. Compiled with -mavx512f; the project's
// -ffp-contract=off keeps every multiply and add separate.
#include <immintrin.h>

#include "engine/products_kernel.h"

namespace sonvale::engine {
namespace {

struct Avx512 {
  using Reg = __m512d;
  static constexpr int kFrames = 4;
  static constexpr int kAccumulators = 16;
  static constexpr int kUnroll = 2;
  // Each tap is stored eight times over, so that broadcasting it is a plain load: a
  // broadcast from memory would take a cycle from the arithmetic on some processors.
  static constexpr int kTapStride = 8;
  static Reg zero() { return _mm512_setzero_pd(); }
  static Reg load(const double* p) { return _mm512_load_pd(p); }
  static Reg broadcast(const double* p) { return _mm512_load_pd(p); }
  static Reg add(Reg a, Reg b) { return _mm512_add_pd(a, b); }
  static Reg mul(Reg a, Reg b) { return _mm512_mul_pd(a, b); }
  // The masked form with a defined pass-through keeps GCC's uninitialised-value
  // warning about _mm512_cvtpd_ps quiet; every lane is converted.
  static __m256 round(Reg a) { return _mm512_mask_cvtpd_ps(_mm256_setzero_ps(), 0xFF, a); }
  static void round_to_floats(Reg a, float* out) { _mm256_storeu_ps(out, round(a)); }
};

// Full-width units: twelve accumulators and three taps a turn leave room in the 32
// registers for the entries that the three taps share, so nothing is spilled; the
// taps are broadcast straight from the table, which keeps the 8 KiB table instead
// of a 64 KiB spread copy beside the widened frames in the caches. The copies in
// and out are vectors too: at this speed their scalar forms cost several percent.
struct Avx512FullWidth : Avx512 {
  static constexpr int kAccumulators = 12;
  static constexpr int kUnroll = 3;
  static constexpr int kTapStride = 1;
  static Reg broadcast(const double* p) { return _mm512_set1_pd(*p); }

  // Entries 0 .. count-1 of the four lanes, for sources of every frame or every
  // second frame: four entries of each lane are loaded, widened and transposed in
  // 128-bit (one frame) pieces. Returns how many entries it wrote.
  static std::int64_t widen_entries(const float* const (&lane)[kFrames], std::ptrdiff_t source_stride,
                                    std::int64_t count, double* widened) {
    if (source_stride != 1 && source_stride != 2) return 0;
    const std::int64_t whole = count - count % 4;
    for (std::int64_t e = 0; e < whole; e += 4) {
      Reg f[kFrames];
      for (int q = 0; q < kFrames; ++q) f[q] = _mm512_maskz_cvtps_pd(0xFF, four_frames(lane[q] + e * 2 * source_stride, source_stride));
      const Reg t0 = shuffle<0x44>(f[0], f[1]);  // f0 frames 0 1, f1 frames 0 1
      const Reg t1 = shuffle<0xEE>(f[0], f[1]);  // frames 2 3
      const Reg t2 = shuffle<0x44>(f[2], f[3]);
      const Reg t3 = shuffle<0xEE>(f[2], f[3]);
      double* out = widened + e * 8;
      _mm512_store_pd(out, shuffle<0x88>(t0, t2));       // frame 0 of each lane
      _mm512_store_pd(out + 8, shuffle<0xDD>(t0, t2));   // frame 1
      _mm512_store_pd(out + 16, shuffle<0x88>(t1, t3));  // frame 2
      _mm512_store_pd(out + 24, shuffle<0xDD>(t1, t3));  // frame 3
    }
    return whole;
  }

  // GCC's unmasked forms of these start from an undefined register and draw
  // uninitialised-value warnings; with a full mask they are the same instructions.
  template <int kBlocks>
  static Reg shuffle(Reg a, Reg b) { return _mm512_maskz_shuffle_f64x2(0xFF, a, b, kBlocks); }

  // Four frames as eight floats from every frame or every second one. The masked
  // load never touches the frame after the seventh, which the run may not own.
  static __m256 four_frames(const float* y, std::ptrdiff_t source_stride) {
    if (source_stride == 1) return _mm256_loadu_ps(y);
    const __m256d low = _mm256_loadu_pd(reinterpret_cast<const double*>(y));  // frames 0 1 2 3
    const __m256d high = _mm256_maskload_pd(reinterpret_cast<const double*>(y + 8), _mm256_set_epi64x(0, -1, -1, -1));
    // frames 0 4 2 6, then in order
    return _mm256_castpd_ps(_mm256_permute4x64_pd(_mm256_unpacklo_pd(low, high), 0xD8));
  }

  // Four accumulators, rounded, become four consecutive outputs of each lane: a
  // transpose of 64-bit frames, then one store per lane, or one per frame when the
  // destination has gaps between its outputs.
  static constexpr int kStoreGroup = 4;
  static void store_group(const Reg* acc, float* const (&lane)[kFrames], std::ptrdiff_t destination_stride) {
    __m256d r[4];
    for (int j = 0; j < 4; ++j) r[j] = _mm256_castps_pd(round(acc[j]));
    const __m256d u0 = _mm256_unpacklo_pd(r[0], r[1]);  // lane 0 of r0 r1, lane 2 of r0 r1
    const __m256d u1 = _mm256_unpackhi_pd(r[0], r[1]);  // lanes 1 and 3
    const __m256d u2 = _mm256_unpacklo_pd(r[2], r[3]);
    const __m256d u3 = _mm256_unpackhi_pd(r[2], r[3]);
    const __m256d out[kFrames] = {_mm256_permute2f128_pd(u0, u2, 0x20), _mm256_permute2f128_pd(u1, u3, 0x20),
                                  _mm256_permute2f128_pd(u0, u2, 0x31), _mm256_permute2f128_pd(u1, u3, 0x31)};
    for (int q = 0; q < kFrames; ++q) {
      if (destination_stride == 1) {
        _mm256_storeu_ps(lane[q], _mm256_castpd_ps(out[q]));
        continue;
      }
      // Frame-sized stores through the may-alias vector types: the memory holds floats.
      float* d = lane[q];
      const std::ptrdiff_t gap = 2 * destination_stride;
      const __m128 low = _mm_castpd_ps(_mm256_castpd256_pd128(out[q]));
      const __m128 high = _mm_castpd_ps(_mm256_extractf128_pd(out[q], 1));
      _mm_storel_pi(reinterpret_cast<__m64*>(d), low);
      _mm_storeh_pi(reinterpret_cast<__m64*>(d + gap), low);
      _mm_storel_pi(reinterpret_cast<__m64*>(d + 2 * gap), high);
      _mm_storeh_pi(reinterpret_cast<__m64*>(d + 3 * gap), high);
    }
  }
};

}  // namespace

bool compute_products_avx512(const ProductRun& run, std::span<std::byte> scratch, const StopFlag& stop,
                             Avx512Tuning tuning) {
  if (tuning == Avx512Tuning::FullWidth) return products_detail::Products<Avx512FullWidth>::run(run, scratch, stop);
  return products_detail::Products<Avx512>::run(run, scratch, stop);
}

}  // namespace sonvale::engine
