#include "shell/com_dialog.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "target/monitor_protocol.h"

namespace {

void link_failed() { show_notice(MSG_LINK_FAILED, CAPTION_WARNING, NoticeStyle::OK); }

}  // namespace

const char* fixed_command_text(int id) {
  switch (id) {
    case ComControl::RUN:
      return "R";
    case ComControl::RESUME:
      return "^A";
    case ComControl::RESET:
      return "@";
    case ComControl::X04A:
      return "X04A";
    case ComControl::X04D:
      return "X04D";
    case ComControl::X05A:
      return "X05A";
    case ComControl::X05D:
      return "X05D";
    default:
      return nullptr;
  }
}

std::string reply_after_first_lf(std::string_view reply) {
  const size_t lf = reply.find('\n');
  return std::string(lf == std::string_view::npos ? reply : reply.substr(lf + 1));
}

ComResult com_send_command(const std::string& text) {
  ComResult result;
  if (send_echoed_command(text.substr(0, MAX_COMMAND_LENGTH).c_str()) == 0) {
    link_failed();
    return result;
  }
  std::array<char, REPLY_TEXT_SIZE> reply{};
  size_t length = 0;
  if (read_until_prompt(reply, length) == ReplyEnd::SILENT) {
    link_failed();
    return result;
  }
  result.ok = true;
  result.receive = reply_after_first_lf({reply.data(), length});
  return result;
}

std::string com_stop_program() {
  std::array<char, MAX_LINK_READ + 1> answer{};
  const int length = stop_target_program(answer);
  return std::string(answer.data(), static_cast<size_t>(length > 0 ? length : 0));
}

ComResult com_write_program(ConstTextSpan text) {
  ComResult result;
  if (text.empty()) {
    show_notice(COM_NO_PROGRAM, CAPTION_WARNING, NoticeStyle::OK);
    return result;
  }
  std::array<char, 16> end_answer{};
  // A failed write has shown its message.
  if (write_program_to_target(text, end_answer) != 0) return result;
  result.ok = true;
  result.receive = std::string(end_answer.data()) + MSG_WRITE_OK;
  return result;
}

ComResult com_verify_program(ConstTextSpan text) {
  ComResult result;
  int line = 0;
  switch (verify_program_on_target(text, line)) {
    case VERIFY_NO_TEXT:
      show_notice(COM_NO_PROGRAM, CAPTION_WARNING, NoticeStyle::OK);
      return result;
    case VERIFY_LINK_FAILED:
      link_failed();
      return result;
    case VERIFY_OK:
      result.receive = MSG_VERIFY_OK;
      break;
    case VERIFY_DIFFERS: {
      char text_line[64];
      std::snprintf(text_line, sizeof text_line, MSG_LINE_DIFFERS, line);
      result.receive = text_line;
      break;
    }
    default:
      result.receive = MSG_UNREADABLE;
      break;
  }
  result.ok = true;
  return result;
}

ComResult com_read_program() {
  ComResult result;
  std::array<char, REPLY_TEXT_SIZE> listing{};
  size_t length = 0;
  if (read_program_from_target(listing, length) != 0) {
    link_failed();
    return result;
  }
  result.ok = true;
  result.receive.assign(listing.data(), length);
  return result;
}

int com_paste_listing(std::string_view listing, TextSpan text, TextSpan saved) {
  if (text.empty()) return -1;
  if (listing.size() > static_cast<size_t>(REPLY_TEXT_SIZE)) listing = listing.substr(0, REPLY_TEXT_SIZE);
  const int lines = paste_listing_into_text(listing, text);
  if (lines >= 0 && !saved.empty()) {
    int count = 0;
    copy_text_to_saved(text, saved, &count);
  }
  return lines;
}
