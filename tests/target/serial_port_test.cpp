#include "target/serial_port.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "support/board_simulator.h"

namespace {

std::vector<std::string> g_errors;
void record_error(const char* context, uint32_t) { g_errors.emplace_back(context); }

class SerialPortTest : public ::testing::Test {
 protected:
  void SetUp() override {
    reset_serial_state();
    g_errors.clear();
    set_comm_error_watcher(record_error);
    set_port_opener(link.opener_for("\\\\.\\COM3"));
  }
  void TearDown() override {
    reset_serial_state();
    set_port_opener({});
    set_comm_error_watcher(nullptr);
  }
  SimulatedPort* port(int slot) { return static_cast<SimulatedPort*>(g_port_handles[static_cast<size_t>(slot)].get()); }

  SimulatedLink link;
};

TEST_F(SerialPortTest, SlotNamesAreTheParallelPortAndFifteenComPorts) {
  EXPECT_STREQ(g_port_names[0], "\\\\.\\LPT");
  EXPECT_STREQ(g_port_names[1], "\\\\.\\COM1");
  EXPECT_STREQ(g_port_names[9], "\\\\.\\COM9");
  EXPECT_STREQ(g_port_names[15], "\\\\.\\COM15");
  EXPECT_EQ(g_current_port, 1);
  EXPECT_EQ(g_baud_rate, 9600);
  EXPECT_EQ(g_com_number, 1);
  EXPECT_EQ(g_port_open, 0);
}

TEST_F(SerialPortTest, OpenConfiguresTheLineTimeoutsQueuesAndDtr) {
  ASSERT_EQ(open_port(3, 9600, 0), 1);
  SimulatedPort* p = port(3);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->line.baud_rate, 9600);
  EXPECT_EQ(p->line.byte_size, 8);
  EXPECT_EQ(p->line.parity, 0);
  EXPECT_EQ(p->line.stop_bits, 0);
  EXPECT_EQ(p->timeouts.read_interval, 1000u);
  EXPECT_EQ(p->timeouts.read_total_multiplier, 1u);
  EXPECT_EQ(p->timeouts.read_total_constant, 500u);
  EXPECT_EQ(p->timeouts.write_total_multiplier, 20u);
  EXPECT_EQ(p->timeouts.write_total_constant, 500u);
  EXPECT_EQ(p->input_queue, 65536u);
  EXPECT_EQ(p->output_queue, 512u);
  EXPECT_TRUE(p->dtr_cleared);
  EXPECT_TRUE(g_errors.empty());
}

TEST_F(SerialPortTest, ParityAndStopBitCodes) {
  struct Case {
    int parity;
    uint8_t stop_code;
    int want_parity;
    int want_stop;
  };
  for (const Case& c : {Case{1, 0, 1, 0}, Case{4, 2, 4, 2}, Case{5, 1, 0, 1}, Case{-1, 7, 0, 1}}) {
    g_stop_bits_code = c.stop_code;
    open_port(3, 4800, c.parity);
    ASSERT_NE(port(3), nullptr);
    EXPECT_EQ(port(3)->line.parity, c.want_parity) << c.parity;
    EXPECT_EQ(port(3)->line.stop_bits, c.want_stop) << int(c.stop_code);
    EXPECT_EQ(port(3)->line.baud_rate, 4800);
  }
  // Reopening closed the earlier handle of the slot each time.
  EXPECT_EQ(link.open_ports, 1);
}

TEST_F(SerialPortTest, SlotBeyondTableTouchesNothing) {
  EXPECT_EQ(open_port(16, 9600, 0), 0);
  EXPECT_EQ(open_port(-1, 9600, 0), 0);
  EXPECT_EQ(link.opens_count, 0);
  for (const auto& handle : g_port_handles) EXPECT_EQ(handle, nullptr);
}

TEST_F(SerialPortTest, FailedOpenKeepsNoHandleAndReportsCreateFile) {
  EXPECT_EQ(open_port(5, 9600, 0), 1);  // the caller checks the modem status
  EXPECT_EQ(g_port_handles[5], nullptr);
  EXPECT_FALSE(query_port_modem_status(5));
  ASSERT_EQ(g_errors.size(), 1u);
  EXPECT_EQ(g_errors[0], "In CreateFile");
  close_port(5);  // nothing to close: harmless
  EXPECT_EQ(g_port_handles[5], nullptr);
}

TEST_F(SerialPortTest, ReadZeroesTheCountAndRefusesLargeOrOversizedCounts) {
  std::vector<uint8_t> buffer(300, 0xAA);
  // Closed slot: zeroes n bytes, reads nothing.
  EXPECT_EQ(read_port(3, buffer, 10), 0);
  EXPECT_EQ(buffer[9], 0);
  EXPECT_EQ(buffer[10], 0xAA);

  open_port(3, 9600, 0);
  std::fill(buffer.begin(), buffer.end(), 0xAA);
  EXPECT_EQ(read_port(3, buffer, 256), 0);
  EXPECT_EQ(buffer[255], 0);
  EXPECT_EQ(buffer[256], 0xAA);

  // A count larger than the buffer zeroes only the buffer and reads nothing.
  std::array<uint8_t, 8> small;
  small.fill(0xAA);
  EXPECT_EQ(read_port(3, small, 20), 0);
  for (uint8_t b : small) EXPECT_EQ(b, 0);
}

TEST_F(SerialPortTest, ReadTerminatesAfterTheBytesRead) {
  open_port(3, 9600, 0);
  std::array<uint8_t, 16> buffer;
  buffer.fill('x');
  link.inject_stale("ab");
  EXPECT_EQ(read_port(3, buffer, 8), 2);
  EXPECT_EQ(buffer[0], 'a');
  EXPECT_EQ(buffer[1], 'b');
  EXPECT_EQ(buffer[2], 0);
  // A read that gets fewer than it asked for waits out its total time-out: n + 500 ms.
  const int64_t before = link.now_us;
  EXPECT_EQ(read_port(3, buffer, 8), 0);
  EXPECT_EQ(link.now_us - before, 508000);
}

TEST_F(SerialPortTest, WriteOnClosedSlotIsZero) {
  const uint8_t bytes[] = {'A'};
  EXPECT_EQ(write_port(3, bytes, 1), 0);
  open_port(3, 9600, 0);
  EXPECT_EQ(write_port(3, bytes, 1), 1);
  EXPECT_EQ(write_port(3, bytes, 2), 0);  // more than the buffer holds
  EXPECT_EQ(link.host_sent, "A");
}

TEST_F(SerialPortTest, WritePortLineAppendsTheConfiguredLineEnd) {
  open_port(3, 9600, 0);
  char text[16] = "\r\n";
  EXPECT_EQ(write_port_line(3, text), 2);
  EXPECT_EQ(link.host_sent, "\r\n");

  g_line_end_flags = 3;
  char line[8] = "AB";
  EXPECT_EQ(write_port_line(3, line), 4);
  EXPECT_STREQ(line, "AB\r\n");
  // No room for the line end: the text is written as it is.
  char full[3] = "AB";
  EXPECT_EQ(write_port_line(3, full), 2);
  EXPECT_EQ(link.host_sent, "\r\nAB\r\nAB");
}

struct ProbeCase {
  const char* name;
  int slot;
  const char* probe_answer;
  bool silent;
  bool modem_ok;
  int result;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

class ProbeTest : public SerialPortTest, public ::testing::WithParamInterface<ProbeCase> {};

TEST_P(ProbeTest, ProbeAnswersAndLeavesTheSlotClosed) {
  const ProbeCase& c = GetParam();
  link.board.probe_answer = c.probe_answer;
  link.board.silent = c.silent;
  link.modem_ok = c.modem_ok;
  g_com_number = 9;
  // The probe closes the port that was current first.
  link.opens = true;
  g_current_port = 3;
  open_port(3, 9600, 0);
  ASSERT_EQ(link.open_ports, 1);

  EXPECT_EQ(probe_target_port(c.slot), c.result);
  EXPECT_EQ(link.open_ports, 0);
  for (const auto& handle : g_port_handles) EXPECT_EQ(handle, nullptr);
  EXPECT_EQ(g_com_number, c.result ? c.slot : 9);
  EXPECT_EQ(g_current_port, c.slot);
}

INSTANTIATE_TEST_SUITE_P(
    Probe, ProbeTest,
    ::testing::Values(ProbeCase{"answers", 3, "??", false, true, 1},
                      ProbeCase{"wrong_answer", 3, "?x", false, true, 0},
                      ProbeCase{"one_byte", 3, "?", false, true, 0},
                      ProbeCase{"silent", 3, "??", true, true, 0},
                      ProbeCase{"not_a_serial_port", 3, "??", false, false, 0},
                      ProbeCase{"parallel_port", 0, "??", false, true, 0},
                      ProbeCase{"missing_device", 7, "??", false, true, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SerialPortTest, ProbeBeyondTheTableTouchesNothing) {
  open_port(3, 9600, 0);
  g_current_port = 3;
  EXPECT_EQ(probe_target_port(16), 0);
  EXPECT_EQ(g_current_port, 3);
  EXPECT_EQ(link.open_ports, 1);
  EXPECT_EQ(link.host_sent, "");
}

TEST_F(SerialPortTest, ProbeSendsCrLfTwice) {
  EXPECT_EQ(probe_target_port(3), 1);
  EXPECT_EQ(link.host_sent, "\r\n\r\n");
  EXPECT_EQ(g_baud_rate, 9600);
}

TEST_F(SerialPortTest, SilentProbeGivesUpAfterOneReadTimeout) {
  link.board.silent = true;
  EXPECT_EQ(probe_target_port(3), 0);
  EXPECT_EQ(link.host_sent, "\r\n");
  EXPECT_EQ(link.now_us, 502000);
}

}  // namespace
