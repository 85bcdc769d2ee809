// The uses of a device in a ladder written as text, as the Space key's highlight finds them.
#include "design/device_uses.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "shell/view_state.h"
#include "support/ladder_text.h"

namespace {

struct Hit {
  int row, column, kind;
  friend bool operator==(const Hit&, const Hit&) = default;
};
void PrintTo(const Hit& h, std::ostream* out) { *out << "{" << h.row << ", " << h.column << ", " << h.kind << "}"; }

std::vector<Hit> uses(const LadderGrid& grid, const char* text) {
  std::array<int32_t, VIEW_HIT_SLOTS> hits;
  hits.fill(7);  // not an end value: a text that names no device leaves the array alone
  list_device_uses(grid, text, hits);
  std::vector<Hit> found;
  if (hits[0] == 7) return {{-1, -1, -1}};
  for (int32_t h : hits) {
    if (h == HIT_LIST_END) break;
    found.push_back({h & 0xFFFFF, (h >> 20) & 0xF, static_cast<int>(static_cast<uint32_t>(h) >> 28)});
  }
  return found;
}

TEST(DeviceUses, FindsContactsComparisonsAndOutputOperands) {
  const LadderGrid grid = ladder_from_text({
      "X1 /X2 ~ (Y0)",
      "; X1 in a comment row is no use",
      "^X1#3 {= D0 D5} ~ (M1)",
      "X0 ~ [MOV D5 D0]",
      "X1 ~ (T3 K10)",
      "X1 ~ [MOV K5 D7]",
  });
  struct Case {
    const char* text;
    std::vector<Hit> hits;
  };
  const Case cases[] = {
      {"X1", {{0, 0, 0}, {2, 0, 0}, {4, 0, 0}, {5, 0, 0}}},
      {"x1", {{0, 0, 0}, {2, 0, 0}, {4, 0, 0}, {5, 0, 0}}},
      {"D5", {{2, 1, 10}, {3, 11, 1}}},
      {"D0", {{2, 1, 9}, {3, 11, 0}}},
      {"D7", {{5, 11, 0}}},
      {"T3 K10", {{4, 11, 1}}},
      {"SET M1", {{2, 11, 0}}},
      {"Y0", {{0, 11, 0}}},
      {"Y9", {}},
      {"", {{-1, -1, -1}}},
      {"X1 X2", {{-1, -1, -1}}},
      {"MOV D5 D0", {{-1, -1, -1}}},
      {"Q", {{-1, -1, -1}}},
      {"X1G", {{-1, -1, -1}}},
      {"M1A", {{-1, -1, -1}}},
  };
  for (const Case& c : cases) EXPECT_EQ(uses(grid, c.text), c.hits) << c.text;
}

TEST(DeviceUses, ReadsDeviceNumbers) {
  struct Case {
    const char* text;
    bool ok;
    uint32_t device;
  };
  const Case cases[] = {
      {"X1F", true, 0x0000001F}, {"M100", true, 0x20000064}, {"J102", true, 0xF0000102},
      {"M5T", true, 0x20000005}, {"X", false, 0},            {"Z3", false, 0},
      {"M70000", false, 0},      {"D1E", false, 0},
  };
  for (const Case& c : cases) {
    uint32_t device = 0;
    EXPECT_EQ(parse_use_device(c.text, device), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(device, c.device) << c.text;
    }
  }
}

TEST(DeviceUses, HitsStopShortOfTheArray) {
  std::vector<std::string> rows(150, "X1 ~ (Y0)");
  const LadderGrid grid = ladder_from_text(rows);
  std::array<int32_t, 10> hits{};
  list_device_uses(grid, "X1", hits);
  EXPECT_EQ(hits[8], 8);
  EXPECT_EQ(hits[9], HIT_LIST_END);
}

}  // namespace
