#pragma once

namespace sonvale::test {

// Whether this test program was built with the address or thread sanitizer, whose
// runtimes slow the heaviest cases down and take address space of their own.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace sonvale::test
