// What a board holds after the program of a mnemonic file, as its listing shows it: one
// numbered line "n w1 w2" per line sent, up to the end mark 0FFFF0. The tests compare the
// board's listing with it.
#pragma once

#include <functional>
#include <sstream>
#include <string>

namespace board_listing {

// Which comments a line sends. The link sends a whole-line comment as a statement (';' and
// its text) and never a comment behind a statement; some tests count the lines only.
enum class Comments { WHOLE_LINE_SENT, NONE_SENT };

// The two words line `line` of a mnemonic file sends; false at the end mark.
inline bool sent_words(std::string line, Comments comments, std::string& a, std::string& b) {
  if (!line.empty() && line.back() == '\r') line.pop_back();
  const size_t semicolon = line.find(';');
  if (semicolon != std::string::npos &&
      (comments == Comments::NONE_SENT || line.find_first_not_of(" \t") != semicolon))
    line.resize(semicolon);
  std::stringstream words(line);
  a.clear();
  b.clear();
  words >> a >> b;
  return a != "0FFFF0";
}

// The listing of `nic`; `keep`, when given, turns the two words into what the board keeps
// of them (the printable ASCII on a 7-bit board, say).
inline std::string listing_of(const std::string& nic, Comments comments = Comments::WHOLE_LINE_SENT,
                              const std::function<void(std::string&, std::string&)>& keep = {}) {
  std::stringstream in(nic);
  std::string line;
  std::string out;
  std::string a;
  std::string b;
  int n = 0;
  while (std::getline(in, line) && sent_words(line, comments, a, b)) {
    if (keep) keep(a, b);
    out += std::to_string(++n);
    if (!a.empty()) out += " " + a;
    if (!b.empty()) out += " " + b;
    out += "\n";
  }
  return out;
}

}  // namespace board_listing
