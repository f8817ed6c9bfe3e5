#pragma once

// The same bits as another type, as std::bit_cast gives them; the web
// build's standard library lacks std::bit_cast, and both compilers have the
// builtin behind it.
template <class To, class From>
constexpr To BitCast(const From& from) noexcept {
  static_assert(sizeof(To) == sizeof(From));
  return __builtin_bit_cast(To, from);
}
