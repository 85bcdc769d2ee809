// Copies a C++ source file, rewriting every non-ASCII character of its narrow string and
// character literals as the octal escapes of its CP932 bytes:
//   cp932_literals IN OUT
// The clang build compiles these copies because clang has no -fexec-charset=CP932: the program's
// texts are then the same bytes as in the g++ and mingw builds. Literals with an encoding prefix
// (u8, u, U, L) stay as they are, and so do comments. \u and \U escapes in narrow literals are
// converted too, as g++ does. A "#line 1" names the original file, so diagnostics and sanitizer
// reports point at the real source. Line breaks are kept, so line numbers stay right.
#include <iconv.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>

namespace {

struct Converter {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  ~Converter() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
};

std::string g_input_path;
int g_line = 1;
bool g_failed = false;

void fail(const std::string& what) {
  std::cerr << g_input_path << ":" << g_line << ": " << what << "\n";
  g_failed = true;
}

// UTF-8 text to CP932 octal escapes ("\223\372").
std::string to_cp932_escapes(Converter& conv, const std::string& utf8) {
  std::string out(utf8.size() * 2 + 8, '\0');
  char* in_ptr = const_cast<char*>(utf8.data());
  size_t in_left = utf8.size();
  char* out_ptr = out.data();
  size_t out_left = out.size();
  iconv(conv.cd, nullptr, nullptr, nullptr, nullptr);
  if (iconv(conv.cd, &in_ptr, &in_left, &out_ptr, &out_left) == static_cast<size_t>(-1)) {
    fail("text has no CP932 form: " + utf8);
    return {};
  }
  out.resize(out.size() - out_left);
  std::string escaped;
  for (unsigned char b : out) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\%03o", b);
    escaped += buf;
  }
  return escaped;
}

std::string utf8_of(unsigned long cp) {
  std::string s;
  if (cp < 0x80) {
    s += static_cast<char>(cp);
  } else if (cp < 0x800) {
    s += static_cast<char>(0xC0 | (cp >> 6));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    s += static_cast<char>(0xE0 | (cp >> 12));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    s += static_cast<char>(0xF0 | (cp >> 18));
    s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (cp & 0x3F));
  }
  return s;
}

bool is_ident_start(unsigned char c) { return c == '_' || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool is_ident(unsigned char c) { return is_ident_start(c) || (c >= '0' && c <= '9'); }
bool is_digit(unsigned char c) { return c >= '0' && c <= '9'; }
bool is_hex(unsigned char c) { return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

class Rewriter {
 public:
  Rewriter(const std::string& src, Converter& conv) : s_(src), conv_(conv) {}

  std::string run() {
    while (i_ < s_.size()) step();
    return out_;
  }

 private:
  const std::string& s_;
  Converter& conv_;
  size_t i_ = 0;
  std::string out_;

  char at(size_t k) const { return k < s_.size() ? s_[k] : '\0'; }

  void copy(size_t n = 1) {
    for (size_t k = 0; k < n && i_ < s_.size(); ++k) {
      if (s_[i_] == '\n') ++g_line;
      out_ += s_[i_++];
    }
  }

  void step() {
    const unsigned char c = static_cast<unsigned char>(s_[i_]);
    if (c == '/' && at(i_ + 1) == '/') {
      line_comment();
    } else if (c == '/' && at(i_ + 1) == '*') {
      copy(2);
      while (i_ < s_.size() && !(s_[i_] == '*' && at(i_ + 1) == '/')) copy();
      copy(2);
    } else if (is_ident_start(c)) {
      identifier();
    } else if (is_digit(c) || (c == '.' && is_digit(static_cast<unsigned char>(at(i_ + 1))))) {
      pp_number();
    } else if (c == '"' || c == '\'') {
      quoted(true);
    } else {
      copy();
    }
  }

  void line_comment() {
    while (i_ < s_.size() && s_[i_] != '\n') {
      if (s_[i_] == '\\' && at(i_ + 1) == '\n') copy();  // continued on the next line
      copy();
    }
  }

  // Digit separators (1'000) must not open a character literal.
  void pp_number() {
    copy();
    while (i_ < s_.size()) {
      const unsigned char c = static_cast<unsigned char>(s_[i_]);
      if ((c == 'e' || c == 'E' || c == 'p' || c == 'P') && (at(i_ + 1) == '+' || at(i_ + 1) == '-')) {
        copy(2);
      } else if (c == '\'' && is_ident(static_cast<unsigned char>(at(i_ + 1)))) {
        copy(2);
      } else if (is_ident(c) || c == '.') {
        copy();
      } else {
        break;
      }
    }
  }

  void identifier() {
    const size_t start = i_;
    while (i_ < s_.size() && is_ident(static_cast<unsigned char>(s_[i_]))) ++i_;
    const std::string word = s_.substr(start, i_ - start);
    out_ += word;
    const char next = at(i_);
    if (next == '"' && (word == "R" || word == "u8R" || word == "uR" || word == "UR" || word == "LR")) {
      raw_string(word == "R");
    } else if ((next == '"' || next == '\'') && (word == "u8" || word == "u" || word == "U" || word == "L")) {
      quoted(false);
    }
  }

  // A string or character literal from its opening quote; `convert` for narrow ones.
  void quoted(bool convert) {
    const char quote = s_[i_];
    copy();
    std::string pending;  // a run of non-ASCII bytes
    auto flush = [&] {
      if (!pending.empty()) out_ += to_cp932_escapes(conv_, pending);
      pending.clear();
    };
    while (i_ < s_.size()) {
      const unsigned char c = static_cast<unsigned char>(s_[i_]);
      if (c == '\n') break;  // unterminated (an apostrophe in #error text, say): leave it
      if (convert && c >= 0x80) {
        pending += s_[i_++];
        continue;
      }
      flush();
      if (c == '\\') {
        const char e = at(i_ + 1);
        const size_t digits = e == 'u' ? 4 : e == 'U' ? 8 : 0;
        if (convert && digits != 0 && hex_run(i_ + 2, digits)) {
          const unsigned long cp = std::stoul(s_.substr(i_ + 2, digits), nullptr, 16);
          if (cp >= 0x80) {
            out_ += to_cp932_escapes(conv_, utf8_of(cp));
            i_ += 2 + digits;
            continue;
          }
        }
        copy(2);
        continue;
      }
      copy();
      if (c == static_cast<unsigned char>(quote)) return;
    }
    flush();
  }

  bool hex_run(size_t from, size_t n) const {
    for (size_t k = 0; k < n; ++k) {
      if (!is_hex(static_cast<unsigned char>(at(from + k)))) return false;
    }
    return true;
  }

  // R"delim(...)delim". A narrow raw string with non-ASCII text becomes ordinary literals
  // (adjacent ones are joined by the compiler), one per source line.
  void raw_string(bool narrow) {
    const size_t open = s_.find('(', i_);
    if (open == std::string::npos) {
      copy();
      return;
    }
    const std::string delim = s_.substr(i_ + 1, open - i_ - 1);
    const std::string closing = ")" + delim + "\"";
    const size_t close = s_.find(closing, open + 1);
    if (close == std::string::npos) {
      fail("unterminated raw string");
      copy();
      return;
    }
    const std::string body = s_.substr(open + 1, close - open - 1);
    const size_t end = close + closing.size();
    bool ascii = true;
    for (unsigned char c : body) ascii = ascii && c < 0x80;
    if (!narrow || ascii) {
      copy(end - i_);
      return;
    }
    out_.pop_back();  // the R prefix
    std::string text = "\"";
    std::string pending;
    auto flush = [&] {
      if (!pending.empty()) text += to_cp932_escapes(conv_, pending);
      pending.clear();
    };
    for (unsigned char c : body) {
      if (c >= 0x80) {
        pending += static_cast<char>(c);
        continue;
      }
      flush();
      if (c == '\n') {
        text += "\\n\"\n\"";
        ++g_line;
      } else if (c == '"' || c == '\\') {
        text += '\\';
        text += static_cast<char>(c);
      } else if (c < 0x20 || c == 0x7F) {
        char buf[8];
        std::snprintf(buf, sizeof buf, "\\%03o", c);
        text += buf;
      } else {
        text += static_cast<char>(c);
      }
    }
    flush();
    text += "\"";
    out_ += text;
    i_ = end;
  }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: cp932_literals IN OUT\n";
    return 2;
  }
  g_input_path = argv[1];
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::cerr << "cp932_literals: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::stringstream buffer;
  buffer << in.rdbuf();
  const std::string source = buffer.str();

  Converter conv;
  if (conv.cd == reinterpret_cast<iconv_t>(-1)) {
    std::cerr << "cp932_literals: no UTF-8 to CP932 conversion in this C library\n";
    return 1;
  }
  const std::string body = Rewriter(source, conv).run();
  if (g_failed) return 1;

  std::string line_path;
  for (char c : g_input_path) {
    if (c == '\\' || c == '"') line_path += '\\';
    line_path += c;
  }
  const std::filesystem::path folder = std::filesystem::path(argv[2]).parent_path();
  std::error_code error;
  if (!folder.empty()) std::filesystem::create_directories(folder, error);
  std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
  out << "#line 1 \"" << line_path << "\"\n" << body;
  out.close();
  if (!out) {
    std::cerr << "cp932_literals: cannot write " << argv[2] << "\n";
    return 1;
  }
  return 0;
}
