// What the monitor needs to know about the program that became current last (a monitor
// window loaded its operation file, the design screen or the one-click command compiled):
// which devices the program uses, the reset of its timer, counter and step values, the
// output-usage words of the active CpuSettings, and the marks in word 3 of the output
// cells that tell the monitor which cells show a value.
//
// Everything is rebuilt from scratch by build_runtime_tables and changed by nothing else.
// Every index into a run-time table (timers, counters, steps, data registers) is checked
// against the table's size: an operand beyond a table has no record there, so its value is
// never reset, read or shown (the monitor shows it as out of range).
#pragma once

#include <array>
#include <cstdint>

#include "core/device_tables.h"
#include "core/instruction_tables.h"
#include "core/ladder_model.h"
#include "target/device_images.h"

// ---- Device-usage image ----------------------------------------------------------------------
// The geometry of DeviceBitImage: bit b of word 0 of entry e is set when device 16e + b is
// used by the program. X and Y entries carry a second mark per device in bits 16-31: a Y
// written in a section after LD M9050-M9089 (up to RETRN or IRET), by OUTD, SETS or RSTS,
// by MOVD or by MOVK, and an X or Y digit group written there.
extern DeviceBitImage& g_device_usage_image;

// The entries whose usage word 0 is not zero, as DeviceCode << 24 | entry index, types 0-16
// in order (entries 0-32 of each, 0-255 of M), ended by USED_DEVICE_LIST_END.
inline constexpr int USED_LIST_ENTRIES = 33;      // per type other than M
inline constexpr int USED_LIST_M_ENTRIES = 256;
inline constexpr int USED_LIST_TYPES = 17;        // X to J
inline constexpr int USED_DEVICE_LIST_SIZE = 16 * USED_LIST_ENTRIES + USED_LIST_M_ENTRIES + 1;  // 784 and the end
using UsedDeviceList = std::array<uint32_t, USED_DEVICE_LIST_SIZE>;
extern UsedDeviceList& g_used_device_list;

// ---- The operand an instruction writes ---------------------------------------------------------
// Per InstructionCode, the number (from 1) of the operand the instruction writes; 0 when it
// writes none. Derived from g_operand_kinds: an operand can be written when its kind byte
// accepts no constant (neither K nor H) and, for a single-bit operand, no X input either
// (contacts read X; OUT, SET and RST write their bit). The destination is the last such
// operand: 2 for MOV, 3 for +, 1 for SET and INC, 0 for CMP and the comparison contacts.
extern const InstructionWordTable g_destination_operands;

// ---- Value marks in word 3 of a cell --------------------------------------------------------------
namespace ValueMark {
inline constexpr uint32_t TIMER = 0x200000;
inline constexpr uint32_t COUNTER = 0x400000;
inline constexpr uint32_t WORD = 0x800000;      // a word device (Q, R, W, D, V), or the J of an OUT coil
inline constexpr uint32_t STEP = 0x90000;       // the step counter of STEP or PULSE
inline constexpr uint32_t DOUBLE = 0x10000;     // added for a double-word instruction
inline constexpr uint32_t SHOWN = 0x880000;     // the marks whose value the monitor shows
}  // namespace ValueMark

// ---- Building -------------------------------------------------------------------------------------
// The usage image (cleared first, whole) from the records of `list` up to the END record,
// the end record or the end of the span; then the output-usage words of g_cpu_settings:
// output_usage_words cleared, interrupt_words[i] = usage word 0 of Y entry i.
void build_device_usage_maps(ConstListSpan list);

// Builds everything for the program of g_instruction_list drawn in `grid`: the usage maps,
// the reset of the timer, counter and step values of its TIM, CNT, PULSE and STEP records,
// g_used_device_list, and the value marks in word 3 of the output rows' cells (from row 0 up
// to the end-mark row; cells of other rows and operands that are constants are left alone).
void build_runtime_tables(GridSpan grid);

// ---- Bounded access to the value tables -----------------------------------------------------------
// The record of a device number; nullptr when the number is beyond the table.
TimerCounterRecord* timer_record(uint32_t number);
TimerCounterRecord* counter_record(uint32_t number);
StepRecord* step_record(uint32_t number);
// True when the operand names a T, C, S, J or word device that has no record (or J group)
// in the run-time tables: T or C from 2047, S from 200, a J group from 100, Q, R, W, D or V
// from 32767. Constants and digit groups are never beyond.
bool operand_beyond_runtime_tables(DeviceOperand operand);

// Empties the usage image and the used-device list (for tests).
void reset_runtime_tables();
