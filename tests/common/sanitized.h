// Whether the tests run in a sanitized build, where some cases are cut down or skipped.
#pragma once

// Built under AddressSanitizer (clang or gcc): its shadow memory rules out runs that take
// much memory or a small address space.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KELVANE_TEST_SANITIZED 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define KELVANE_TEST_SANITIZED 1
#endif
#ifdef KELVANE_TEST_SANITIZED
inline constexpr bool Sanitized = true;
#else
inline constexpr bool Sanitized = false;
#endif
