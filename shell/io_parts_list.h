// The list of I/O parts that the print command hands to the printing library: text lines
// of 100 bytes ended by an entry "QQQQQQ". This program keeps no I/O parts, so the list
// holds only its end entry; it is made so while the frame is created.
#pragma once

#include <array>
#include <string_view>

inline constexpr int IO_PARTS_LINE_BYTES = 100;
inline constexpr int IO_PARTS_LINES = 100;
inline constexpr std::string_view IO_PARTS_LIST_END = "QQQQQQ";

using IoPartLine = std::array<char, IO_PARTS_LINE_BYTES>;
using IoPartsList = std::array<IoPartLine, IO_PARTS_LINES>;
extern IoPartsList g_io_parts_list;

// Empties the list: every line cleared, the first one the end entry.
void empty_io_parts_list(IoPartsList& list);
