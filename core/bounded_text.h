// A text in a fixed-size field: the field's bytes up to its first NUL, or all of them when
// it holds none, so a full field is never read past its end.
#pragma once

#include <cstddef>
#include <cstring>
#include <string_view>

inline std::string_view bounded(const char* text, size_t size) { return {text, strnlen(text, size)}; }
