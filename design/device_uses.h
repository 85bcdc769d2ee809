// The uses of one device in a ladder grid (the cross-reference behind the Space key's
// highlight and the search dialog's list): every contact, comparison operand and output
// operand that names the device, as hit words row | column << 20 | kind << 28.
//
// Kinds: 0 a contact (or coil) in columns 0-10; 9 and 10 the first and second operand of a
// comparison contact, with the comparison's first column; n - 1 - k for operand k of the
// output in column 11 whose textual operand count is n.
#pragma once

#include <cstdint>
#include <span>

#include "core/ladder_model.h"

// Reads the device text (a device, a T or C output with its set value, or SET, RST, PLS or
// PLF with their device) and fills `hits` with its uses in grid order, each followed by
// HIT_LIST_END, never past the array. A text that names no device leaves `hits` as it was.
// Rows are read up to the END row or the end mark, within the grid and MAX_GRID_ROWS;
// comment rows are skipped.
void list_device_uses(ConstGridSpan grid, const char* text, std::span<int32_t> hits);

// The device word of a device text (DeviceCode << 24 | number): X, Y, B and R in
// hexadecimal, J as group and step digits, the others decimal; one trailing 'T' or 't' is
// dropped. False for a text that is no device.
bool parse_use_device(const char* text, uint32_t& device);
