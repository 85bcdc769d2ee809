// A notice handler for tests: records every notice the core shows and answers from a
// script (OK when the script is empty). Installs itself on construction and restores the
// default handler when it goes.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "core/notice.h"

struct RecordedNotice {
  std::string text;     // CP932 bytes
  std::string caption;  // CP932 bytes
  unsigned style;
  void* owner;
};

class NoticeRecorder {
 public:
  NoticeRecorder() {
    set_notice_handler([this](void* owner, const char* text, const char* caption, unsigned style) {
      notices.push_back(RecordedNotice{text, caption, style, owner});
      if (answers.empty()) return NoticeAnswer::OK;
      const int answer = answers.front();
      answers.pop_front();
      return answer;
    });
  }
  ~NoticeRecorder() { set_notice_handler({}); }
  NoticeRecorder(const NoticeRecorder&) = delete;
  NoticeRecorder& operator=(const NoticeRecorder&) = delete;

  std::vector<RecordedNotice> notices;
  std::deque<int> answers;
};
