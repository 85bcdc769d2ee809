// Shift-JIS (CP932) text helpers shared by every reader and writer of texts.
//
// A double-byte character is a lead byte (0x81-0x9F or 0xE0-0xFC) and a trail byte
// (0x40-0xFC). Trail bytes include ASCII letters, digits and '\' (0x5C), so every byte
// scan that looks for a delimiter steps over whole characters, and every cut of a text
// to a field's size falls on a character boundary, so a character is never split.
#pragma once

#include <cstddef>
#include <span>
#include <string_view>

constexpr bool is_sjis_lead_byte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool is_sjis_lead_byte(char c) { return is_sjis_lead_byte(static_cast<unsigned char>(c)); }

// The byte length of the character at `i`: 2 for a lead byte followed by another byte,
// else 1 (a lead byte at the end of the text counts as one byte).
constexpr size_t sjis_char_length(std::string_view s, size_t i) {
  return (i + 1 < s.size() && is_sjis_lead_byte(s[i])) ? 2 : 1;
}

// The length of the longest prefix of `s` of at most `max_bytes` bytes that ends on a
// character boundary.
constexpr size_t sjis_cut_length(std::string_view s, size_t max_bytes) {
  size_t i = 0;
  while (i < s.size()) {
    size_t n = sjis_char_length(s, i);
    if (i + n > max_bytes) break;
    i += n;
  }
  return i;
}

// The position of the first single-byte character `c` at or after `from`, stepping
// over double-byte characters (whose trail byte may equal `c`); npos when none.
constexpr size_t sjis_find(std::string_view s, char c, size_t from = 0) {
  for (size_t i = from; i < s.size(); i += sjis_char_length(s, i))
    if (sjis_char_length(s, i) == 1 && s[i] == c) return i;
  return std::string_view::npos;
}

// The same for the first single-byte character that is one of `set`.
constexpr size_t sjis_find_first_of(std::string_view s, std::string_view set, size_t from = 0) {
  for (size_t i = from; i < s.size(); i += sjis_char_length(s, i)) {
    if (sjis_char_length(s, i) == 2) continue;
    if (set.find(s[i]) != std::string_view::npos) return i;
  }
  return std::string_view::npos;
}

// Copies `src` into `dest` as a NUL-terminated text, cut on a character boundary to at
// most dest.size() - 1 bytes; returns the bytes copied (without the NUL). An empty
// `dest` receives nothing.
inline size_t copy_text_bounded(std::span<char> dest, std::string_view src) {
  if (dest.empty()) return 0;
  size_t n = sjis_cut_length(src, dest.size() - 1);
  for (size_t i = 0; i < n; ++i) dest[i] = src[i];
  dest[n] = '\0';
  return n;
}

// The text of a fixed-size field: up to its first NUL, or the whole field when it has none.
constexpr std::string_view fixed_text(std::span<const char> field) {
  size_t n = 0;
  while (n < field.size() && field[n] != '\0') ++n;
  return std::string_view(field.data(), n);
}

// ASCII-only case conversion (device letters, header words).
constexpr char ascii_upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
constexpr char ascii_lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
// Case-insensitive for ASCII letters only; double-byte characters must match exactly
// (their trail bytes are never folded).
constexpr bool ascii_iequal(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size();) {
    size_t n = sjis_char_length(a, i);
    if (n == 2) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
    } else if (ascii_upper(a[i]) != ascii_upper(b[i])) {
      return false;
    }
    i += n;
  }
  return true;
}
