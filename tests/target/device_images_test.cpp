#include "target/device_images.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "core/device_tables.h"

namespace {

constexpr uint32_t CONTACT_A = 0x18;        // relay contact: part code 1, present
constexpr uint32_t LISTED = 0x20000008;     // a device cell of a special row

uint32_t dev(DeviceIndex index, uint32_t number) { return make_device_operand(index, number); }
int32_t image_word(DeviceIndex type, int entry) { return g_device_bit_image[static_cast<size_t>(type)][static_cast<size_t>(entry)].word[0]; }
bool image_bit(uint32_t operand) {
  return (device_image_entry(operand)->word[0] >> (operand & 15)) & 1;
}

// A small compiled program: contact rows, the END row, special rows and the end mark.
class ProgramGrid {
 public:
  ProgramGrid() : grid(make_ladder_grid(40)) {}
  void contact(int row, int column, uint32_t operand) {
    grid[row].cell[column].word[0] = CONTACT_A;
    grid[row].cell[column].word[1] = operand;
  }
  void end_row(int row) { grid[row].cell[11].word[0] = 0x6C08; }
  void special_row(int row, uint32_t code, std::initializer_list<uint32_t> devices) {
    int c = 0;
    for (uint32_t d : devices) {
      grid[row].cell[c].word[0] = LISTED;
      grid[row].cell[c].word[1] = d;
      ++c;
    }
    grid[row].cell[c].word[0] = 0x20000000;  // no part: the list ends here
    grid[row].cell[12].word[0] = 0x20000000 | code;
  }
  void end_mark(int row) {
    for (auto& cell : grid[row].cell) cell.word[0] = END_MARK_CELL;
  }
  LadderGrid grid;
};

class DeviceImagesTest : public ::testing::Test {
 protected:
  void SetUp() override { reset_device_images(); }
  void TearDown() override { reset_device_images(); }
  const std::vector<uint32_t> no_used_devices{USED_DEVICE_LIST_END};
};

TEST_F(DeviceImagesTest, InitiallyOnDevicesAreOnAndMarkedInEveryCellShowingThem) {
  ProgramGrid p;
  p.contact(0, 0, dev(Device::X, 0x1A));
  p.contact(0, 1, dev(Device::X, 0x1B));
  p.contact(2, 4, dev(Device::X, 0x1A));
  p.contact(2, 5, dev(Device::M, 100));
  p.end_row(3);
  p.special_row(4, INITIALLY_ON_ROW, {dev(Device::X, 0x1A), dev(Device::M, 100), dev(Device::Y, 0x25)});
  p.end_mark(5);

  init_run_memory_from_design(no_used_devices, p.grid);

  EXPECT_TRUE(image_bit(dev(Device::X, 0x1A)));
  EXPECT_FALSE(image_bit(dev(Device::X, 0x1B)));
  EXPECT_TRUE(image_bit(dev(Device::M, 100)));
  // Y devices are switched on at entry n >> 4 here, like every other type.
  EXPECT_EQ(image_word(Device::Y, 2), 1 << 5);
  EXPECT_EQ(p.grid[0].cell[0].word[2], 1u);
  EXPECT_EQ(p.grid[0].cell[1].word[2], 0u);
  EXPECT_EQ(p.grid[2].cell[4].word[2], 1u);
  EXPECT_EQ(p.grid[2].cell[5].word[2], 1u);
}

TEST_F(DeviceImagesTest, UsedEntriesStartOffAndOthersAreLeftAlone) {
  ProgramGrid p;
  p.end_row(0);
  p.end_mark(1);
  g_device_bit_image[Device::X][1].word[0] = 0xFFFF;
  g_device_bit_image[Device::X][2].word[0] = 0x00F0;
  g_device_bit_image[Device::M][40].word[0] = 0x1234;
  const std::vector<uint32_t> used{0x00000001, 0x20000028, USED_DEVICE_LIST_END, 0x00000002};

  init_run_memory_from_design(used, p.grid);

  EXPECT_EQ(image_word(Device::X, 1), 0);
  EXPECT_EQ(image_word(Device::M, 40), 0);
  EXPECT_EQ(image_word(Device::X, 2), 0x00F0);  // after the end word: not used
}

TEST_F(DeviceImagesTest, SpecialRelaysAndStepsAfterReset) {
  ProgramGrid p;
  p.end_row(0);
  p.end_mark(1);
  g_device_bit_image[Device::M][SPECIAL_RELAY_ENTRY].word[0] = 0xA001;
  g_active_steps[7] = 3;

  init_run_memory_from_design(no_used_devices, p.grid);

  EXPECT_EQ(image_word(Device::M, SPECIAL_RELAY_ENTRY), 0x5001);
  EXPECT_TRUE(image_bit(dev(Device::M, 9036)));
  EXPECT_TRUE(image_bit(dev(Device::M, 9038)));
  EXPECT_FALSE(image_bit(dev(Device::M, 9037)));
  EXPECT_FALSE(image_bit(dev(Device::M, 9039)));
  for (int32_t step : g_active_steps) EXPECT_EQ(step, NO_ACTIVE_STEP);
}

TEST_F(DeviceImagesTest, PressingAMemberOfAGroupOfThreeSwitchesTheOtherTwoOff) {
  ProgramGrid p;
  p.end_row(0);
  p.special_row(1, INTERLOCK_ROW, {dev(Device::X, 0), dev(Device::X, 1), dev(Device::X, 2)});
  p.special_row(2, INTERLOCK_ROW, {dev(Device::X, 3), dev(Device::X, 4)});
  p.special_row(3, INTERLOCK_ROW, {dev(Device::B, 5), dev(Device::X, 2)});
  p.end_mark(4);
  init_run_memory_from_design(no_used_devices, p.grid);
  g_device_bit_image[Device::X][0].word[0] = 0x1F;
  g_device_bit_image[Device::B][0].word[0] = 0x20;

  clear_interlocked_bits(dev(Device::X, 1));
  EXPECT_EQ(image_word(Device::X, 0), 0x1A);  // X0 and X2 off; X1, X3, X4 on
  EXPECT_EQ(image_word(Device::B, 0), 0x20);

  // X2 is in two groups: it switches off the members of both.
  g_device_bit_image[Device::X][0].word[0] = 0x1F;
  clear_interlocked_bits(dev(Device::X, 2));
  EXPECT_EQ(image_word(Device::X, 0), 0x1C);
  EXPECT_EQ(image_word(Device::B, 0), 0);
}

TEST_F(DeviceImagesTest, GroupTableLayout) {
  ProgramGrid p;
  p.end_row(0);
  p.special_row(1, INTERLOCK_ROW, {dev(Device::X, 0), dev(Device::X, 1)});
  p.special_row(2, INTERLOCK_ROW,
                {dev(Device::M, 0), dev(Device::M, 1), dev(Device::M, 2), dev(Device::M, 3), dev(Device::M, 4),
                 dev(Device::M, 5), dev(Device::M, 6), dev(Device::M, 7), dev(Device::M, 8), dev(Device::M, 9),
                 dev(Device::M, 10)});
  p.end_mark(3);
  init_run_memory_from_design(no_used_devices, p.grid);
  EXPECT_EQ(g_interlock_groups[0][0], static_cast<int32_t>(dev(Device::X, 0)));
  EXPECT_EQ(g_interlock_groups[0][1], static_cast<int32_t>(dev(Device::X, 1)));
  EXPECT_EQ(g_interlock_groups[0][2], INTERLOCK_END);
  EXPECT_EQ(g_interlock_groups[1][10], static_cast<int32_t>(dev(Device::M, 10)));  // a full group has no end word
  EXPECT_EQ(g_interlock_groups[2][0], INTERLOCK_END);
}

TEST_F(DeviceImagesTest, OnlyTheFirstBlockOfEachKindCounts) {
  ProgramGrid p;
  p.end_row(0);
  p.special_row(1, INITIALLY_ON_ROW, {dev(Device::X, 1)});
  p.special_row(2, INTERLOCK_ROW, {dev(Device::X, 5), dev(Device::X, 6)});
  p.special_row(3, INITIALLY_ON_ROW, {dev(Device::X, 2)});
  p.special_row(4, INTERLOCK_ROW, {dev(Device::X, 7), dev(Device::X, 8)});
  p.end_mark(5);
  init_run_memory_from_design(no_used_devices, p.grid);
  EXPECT_TRUE(image_bit(dev(Device::X, 1)));
  EXPECT_FALSE(image_bit(dev(Device::X, 2)));
  EXPECT_EQ(g_interlock_groups[0][0], static_cast<int32_t>(dev(Device::X, 5)));
  EXPECT_EQ(g_interlock_groups[1][0], INTERLOCK_END);
}

TEST_F(DeviceImagesTest, GridWithoutEndRowKeepsNoGroupsOfAnEarlierProgram) {
  ProgramGrid earlier;
  earlier.end_row(0);
  earlier.special_row(1, INTERLOCK_ROW, {dev(Device::X, 0), dev(Device::X, 1)});
  earlier.end_mark(2);
  init_run_memory_from_design(no_used_devices, earlier.grid);
  ASSERT_NE(g_interlock_groups[0][0], INTERLOCK_END);

  LadderGrid no_end = make_ladder_grid(10);  // 10 rows without END, end mark or empty row
  init_run_memory_from_design(no_used_devices, no_end);
  EXPECT_EQ(g_interlock_groups[0][0], INTERLOCK_END);
  g_device_bit_image[Device::X][0].word[0] = 3;
  clear_interlocked_bits(dev(Device::X, 0));
  EXPECT_EQ(image_word(Device::X, 0), 3);
  EXPECT_EQ(image_word(Device::M, SPECIAL_RELAY_ENTRY), 0x5000);
}

TEST_F(DeviceImagesTest, AtMost255GroupsAreKept) {
  LadderGrid grid = make_ladder_grid(400);
  ProgramGrid p;
  p.grid = std::move(grid);
  p.end_row(0);
  for (int r = 1; r <= 300; ++r) p.special_row(r, INTERLOCK_ROW, {dev(Device::M, static_cast<uint32_t>(r))});
  p.end_mark(301);
  init_run_memory_from_design(no_used_devices, p.grid);
  EXPECT_EQ(g_interlock_groups[254][0], static_cast<int32_t>(dev(Device::M, 255)));
  EXPECT_EQ(g_interlock_groups[255][0], INTERLOCK_END);
}

TEST_F(DeviceImagesTest, ClearDeviceImageClearsWordsOneToFiveOfTheFirst768Entries) {
  g_device_bit_image[0][0].word[0] = 7;
  g_device_bit_image[0][0].word[1] = 1;
  g_device_bit_image[15][767].word[5] = 2;
  g_device_bit_image[15][768].word[5] = 3;
  g_device_bit_image[16][0].word[1] = 4;
  clear_device_image();
  EXPECT_EQ(g_device_bit_image[0][0].word[0], 7);
  EXPECT_EQ(g_device_bit_image[0][0].word[1], 0);
  EXPECT_EQ(g_device_bit_image[15][767].word[5], 0);
  EXPECT_EQ(g_device_bit_image[15][768].word[5], 3);
  EXPECT_EQ(g_device_bit_image[16][0].word[1], 4);
}

TEST_F(DeviceImagesTest, AccessorsStayInsideTheTables) {
  EXPECT_EQ(polled_image_entry(dev(Device::Y, 0x25)), &g_device_bit_image[Device::Y][3]);
  EXPECT_EQ(polled_image_entry(dev(Device::X, 0x25)), &g_device_bit_image[Device::X][2]);
  EXPECT_EQ(device_image_entry(dev(Device::Y, 0x25)), &g_device_bit_image[Device::Y][2]);
  EXPECT_NE(word_device_record(Device::D, 32766), nullptr);
  EXPECT_EQ(word_device_record(Device::D, 32767), nullptr);
  EXPECT_EQ(word_device_record(Device::T, 0), nullptr);
  EXPECT_EQ(word_device_record(Device::D, 5), &g_word_records[3][5]);
  EXPECT_EQ(word_device_record(Device::Q, 0), &g_word_records[0][0]);
}

}  // namespace
