#include "board/com_dialog.h"

#include <array>
#include <cstdio>
#include <cstring>

#include "core/mnemonic_text.h"
#include "core/notice.h"
#include "shell/compile_chain.h"
#include "target/board_link.h"
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

const char* com_link_state_text(ComLinkState state) {
  switch (state) {
    case ComLinkState::ON:
      return COM_LINK_ON;
    case ComLinkState::SILENT:
      return COM_BOARD_SILENT;
    case ComLinkState::FAILED:
      return COM_LINK_BROKEN;
    default:
      return COM_LINK_CLOSED;
  }
}

ComLinkState com_open_link() {
  if (!reopen_link_for_dialog()) return ComLinkState::CLOSED;
  return greet_target() ? ComLinkState::ON : ComLinkState::SILENT;
}

ComResult com_send_command(const std::string& text) {
  ComResult result;
  if (send_echoed_command(text.substr(0, MAX_COMMAND_LENGTH).c_str()) == 0) {
    link_failed();
    result.link_failed = true;
    return result;
  }
  std::array<char, REPLY_TEXT_SIZE> reply{};
  size_t length = 0;
  // A reply cut at the reply text is shown as far as it came; one that never came, or did
  // not come in time, is a failed link.
  const ReplyEnd end = read_until_prompt(reply, length);
  if (end == ReplyEnd::SILENT || end == ReplyEnd::SLOW) {
    link_failed();
    result.link_failed = true;
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
  int ascii_lines = 0;
  // A failed write has shown its message; only -1 is the link's.
  const int written = write_program_to_target(text, end_answer, &ascii_lines);
  if (written != 0) {
    result.link_failed = written == -1;
    return result;
  }
  result.ok = true;
  // The end answer without the prompt and its line end: the prompt is the board's, not
  // part of what the write reports.
  for (const char* c = end_answer.data(); *c; ++c)
    if (*c != PROMPT && *c != '\r' && *c != '\n') result.receive.push_back(*c);
  result.receive += MSG_WRITE_OK;
  if (ascii_lines > 0) result.receive += "\r\n" + ascii_comment_note(MSG_ASCII_COMMENTS_WRITTEN, ascii_lines);
  return result;
}

ComResult com_verify_program(ConstTextSpan text) {
  ComResult result;
  int line = 0;
  int ascii_lines = 0;
  switch (verify_program_on_target(text, line, &ascii_lines)) {
    case VERIFY_NO_TEXT:
      show_notice(COM_NO_PROGRAM, CAPTION_WARNING, NoticeStyle::OK);
      return result;
    case VERIFY_LINK_FAILED:
      link_failed();
      result.link_failed = true;
      return result;
    case VERIFY_OK:
      result.receive = MSG_VERIFY_OK;
      if (ascii_lines > 0) result.receive += "\r\n" + ascii_comment_note(MSG_ASCII_COMMENTS_VERIFIED, ascii_lines);
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
  const int read = read_program_from_target(result.receive);
  if (read < 0) {
    link_failed();
    result.receive.clear();
    result.link_failed = true;
    return result;
  }
  result.ok = true;
  if (read > 0) {
    result.whole = false;
    show_notice(read == LISTING_CUT ? MSG_LISTING_CUT : MSG_LISTING_TOO_LONG, CAPTION_WARNING, NoticeStyle::OK);
  }
  return result;
}

int com_paste_listing(std::string_view listing, TextSpan& text, SavedSpan saved, bool as_board_sent) {
  if (text.empty()) return -1;
  const size_t needed = static_cast<size_t>(listing_program_lines(listing)) + 1;  // and the end line
  if (needed > text.size()) text = grow_frame_mnemonic_text(text, needed);
  if (needed > text.size()) {
    show_notice(MSG_PASTE_TOO_LONG, CAPTION_WARNING, NoticeStyle::OK);
    return -2;
  }
  const int lines = paste_listing_into_text(listing, text);
  if (lines >= 0 && as_board_sent && !saved.empty()) {
    int count = 0;
    copy_text_to_saved(text, saved, &count);
  }
  return lines;
}
