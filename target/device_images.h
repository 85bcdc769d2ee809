// The run-time state of the board's devices as the monitor screen shows it: the on/off
// image of the bit devices, the values of timers, counters, word devices and step
// counters, the active J steps and the interlock groups. The polls and the monitor's
// clicks write them, the monitor painter reads them. All of it is static memory that
// lives for the whole run and is zero at program start.
//
// Every accessor bounds its index: an operand beyond a table (a T number above 2046, a
// step index above 199, a word device above 32766) has no record, reads as 0 and is
// never written.
#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/ladder_model.h"

// ---- DeviceBitImage -------------------------------------------------------------------------
// Six words for 16 consecutive devices of one type: word 0 holds their states (bit n & 15
// of entry n >> 4); words 1-5 are cleared at start-up and carry nothing this program reads.
struct DeviceImageEntry {
  int32_t word[6];
};
static_assert(sizeof(DeviceImageEntry) == 24);

inline constexpr int IMAGE_TYPES = 37;        // room for 37 types; 0-16 (X to J) are used
inline constexpr int IMAGE_ENTRIES = 4096;    // per type
inline constexpr int CLEARED_IMAGE_ENTRIES = 768;
using DeviceBitImage = std::array<std::array<DeviceImageEntry, IMAGE_ENTRIES>, IMAGE_TYPES>;
extern DeviceBitImage& g_device_bit_image;

// ---- Value records --------------------------------------------------------------------------
struct TimerCounterRecord {
  int32_t word[5];  // word 0: the current value
};
static_assert(sizeof(TimerCounterRecord) == 20);

struct WordDeviceRecord {
  int32_t word[3];  // word 0: the value (the monitor shows its low 16 bits)
};
static_assert(sizeof(WordDeviceRecord) == 12);

struct StepRecord {
  int32_t word[3];  // word 0: the current count of a PULSE or STEP counter
};
static_assert(sizeof(StepRecord) == 12);

inline constexpr int TIMER_COUNTER_RECORDS = 2047;
inline constexpr int WORD_DEVICE_RECORDS = 32767;
inline constexpr int WORD_DEVICE_TYPES = 5;   // Q, R, W, D, V: DeviceIndex 10-14
inline constexpr int FIRST_WORD_DEVICE_TYPE = 10;
inline constexpr int STEP_RECORDS = 200;
inline constexpr int J_GROUPS = 100;
inline constexpr int32_t NO_ACTIVE_STEP = 255;

extern std::array<TimerCounterRecord, TIMER_COUNTER_RECORDS>& g_timer_records;
extern std::array<TimerCounterRecord, TIMER_COUNTER_RECORDS>& g_counter_records;
extern std::array<std::array<WordDeviceRecord, WORD_DEVICE_RECORDS>, WORD_DEVICE_TYPES>& g_word_records;
extern std::array<StepRecord, STEP_RECORDS>& g_step_records;
extern std::array<int32_t, J_GROUPS>& g_active_steps;  // the active step of each J group; 255 none

// ---- Interlock groups ---------------------------------------------------------------------
// Up to 11 device operands per group; a shorter group ends with INTERLOCK_END, and a
// group whose first word is INTERLOCK_END ends the table (256 groups with that one).
inline constexpr int INTERLOCK_GROUP_SIZE = 11;
inline constexpr int INTERLOCK_GROUPS = 256;
inline constexpr int32_t INTERLOCK_END = 0xFFFFFF;
using InterlockGroup = std::array<int32_t, INTERLOCK_GROUP_SIZE>;
extern std::array<InterlockGroup, INTERLOCK_GROUPS>& g_interlock_groups;

// ---- Special rows after END ---------------------------------------------------------------
inline constexpr uint32_t INITIALLY_ON_ROW = 0x3F0;
inline constexpr uint32_t INTERLOCK_ROW = 0x3F1;
inline constexpr uint32_t USED_DEVICE_LIST_END = 0xFFFF;

// The special relays set by the power-on reset: M9024-M9039 are entry 564 of M.
inline constexpr int SPECIAL_RELAY_ENTRY = 564;

// ---- Devices the polls cannot name ------------------------------------------------------------
// A bit query names its device by two decimal digits and a word query names D0-D15 only,
// so a device beyond them is never polled: asking would bring another device's answer.
// Such a device is marked as not polled, so that the monitor shows it as unknown rather
// than with a state or value that belongs to another device. Word 1 of the polled image
// entry holds one mark per device (bit n & 15); word 1 of a word device's record is 1.
// Both are cleared with the rest of words 1-5 at start-up.
inline constexpr int NOT_POLLED_WORD = 1;
inline constexpr uint32_t LAST_POLLED_BIT_NUMBER = 99;
inline constexpr uint32_t LAST_POLLED_D_NUMBER = 15;
void mark_bit_not_polled(uint32_t operand);
bool is_bit_not_polled(uint32_t operand);
void mark_word_not_polled(int device_index, uint32_t number);
bool is_word_not_polled(int device_index, uint32_t number);

// ---- Operations ------------------------------------------------------------------------------
// Words 1-5 of entries 0-767 of types 0-15 become 0; word 0 is left alone.
void clear_device_image();
// The power-on reset of the monitor screen. `used_device_list` holds words
// DeviceCode << 24 | entry index ended by 0xFFFF (the used-device list of the run-time
// tables); `grid` is the program read back from the operation file. Clears the used
// entries, makes every J group inactive, switches on the devices of the first block of
// 0x3F0 rows after END (and marks every cell that shows one with word 2 = 1), builds the
// interlock groups from the first block of 0x3F1 rows, and sets the special relays
// M9036 and M9038 on and M9037 and M9039 off.
void init_run_memory_from_design(std::span<const uint32_t> used_device_list, GridSpan grid);
// Device `operand` was switched on: every other member of each interlock group that
// holds it is switched off in the image.
void clear_interlocked_bits(uint32_t operand);

// The image entry of a device for the painters and the monitor's clicks (entry
// (number >> 4) & 0xFFF of the type in the operand's top four bits); nullptr for a type
// outside the image.
DeviceImageEntry* device_image_entry(uint32_t operand);
// The entry the bit poll writes and the monitor painter reads: one entry higher for Y.
DeviceImageEntry* polled_image_entry(uint32_t operand);
// The value record of a word device of type Q, R, W, D or V; nullptr outside the tables.
WordDeviceRecord* word_device_record(int device_index, uint32_t index);

// Returns every table here to zero (for tests).
void reset_device_images();
