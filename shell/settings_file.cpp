#include "shell/settings_file.h"

#include <charconv>
#include <cstdio>
#include <cstring>

AppSettings g_app_settings{};
char (&g_project_drive)[PATH_DRIVE_BYTES] = g_app_settings.project.drive;
char (&g_project_dir)[PATH_DIR_BYTES] = g_app_settings.project.dir;
char (&g_project_name)[PATH_NAME_BYTES] = g_app_settings.project.name;
char (&g_project_ext)[PATH_EXT_BYTES] = g_app_settings.project.ext;
char (&g_work_folder)[PATH_BYTES] = g_app_settings.work_folder;
std::array<int32_t, GUIDE_FLAG_COUNT>& g_guide_flags = g_app_settings.guide_flags;
int32_t& g_option_bits = g_app_settings.option_bits;
int32_t& g_picture_set = g_app_settings.picture_set;
int32_t& g_double_lines = g_app_settings.double_lines;
char (&g_font_name)[FONT_NAME_BYTES] = g_app_settings.font_name;
std::array<int32_t, 3>& g_ini_numbers = g_app_settings.ini_numbers;
char (&g_rom_writer_path)[PATH_BYTES] = g_app_settings.rom_writer_path;
RecentFileList& g_recent_files = g_app_settings.recent_files;
int g_recent_expanded = 0;

namespace {

constexpr std::array<int32_t, 3> DEFAULT_INI_NUMBERS{0, 125, 0};
constexpr std::string_view LINE_ENDING = "\r\n";
constexpr char END_OF_TEXT = 0x1A;  // a text stream ends reading here

std::string_view text_of(const char* buffer, std::size_t size) { return {buffer, strnlen(buffer, size)}; }

template <std::size_t N>
std::string_view text_of(const char (&buffer)[N]) {
  return text_of(buffer, N);
}

template <std::size_t N>
std::string_view text_of(const std::array<char, N>& buffer) {
  return text_of(buffer.data(), N);
}

bool is_blank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

std::string_view trim(std::string_view s) {
  while (!s.empty() && is_blank(s.front())) s.remove_prefix(1);
  while (!s.empty() && is_blank(s.back())) s.remove_suffix(1);
  return s;
}

// The lines of the file, as a text stream reads them: LF ends a line, the CR before it
// belongs to the line ending, and 0x1A ends the text.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text.substr(0, text.find(END_OF_TEXT))) {}
  bool next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const std::size_t end = text_.find('\n', pos_);
    if (end == std::string_view::npos) {
      line = text_.substr(pos_);
      pos_ = text_.size();
    } else {
      line = text_.substr(pos_, end - pos_);
      pos_ = end + 1;
    }
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
};

// Blank-separated words of a line, at most `limit`.
std::vector<std::string_view> split_words(std::string_view line, std::size_t limit) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < line.size() && words.size() < limit) {
    while (i < line.size() && is_blank(line[i])) ++i;
    if (i >= line.size()) break;
    const std::size_t start = i;
    while (i < line.size() && !is_blank(line[i])) ++i;
    words.push_back(line.substr(start, i - start));
  }
  return words;
}

// The text after the line's first word, without the blanks around it.
std::string_view rest_after_tag(std::string_view line) {
  line = trim(line);
  std::size_t i = 0;
  while (i < line.size() && !is_blank(line[i])) ++i;
  return trim(line.substr(i));
}

bool parse_number(std::string_view word, int base, int32_t& value) {
  if (word.empty()) return false;
  const char* first = word.data();
  const char* last = word.data() + word.size();
  if (*first == '+') ++first;
  int32_t v = 0;
  const auto [ptr, ec] = std::from_chars(first, last, v, base);
  if (ec != std::errc() || ptr != last || first == last || *first == '+') return false;
  value = v;
  return true;
}

// The COM number: a hexadecimal word 0-15 (the writer writes 10-15 as "a"-"f");
// any other word keeps the older reading, its first character's low four bits.
int32_t parse_com_number(std::string_view word) {
  int32_t value = 0;
  if (parse_number(word, 16, value) && value >= 0 && value <= MAX_COM_NUMBER) return value;
  return static_cast<unsigned char>(word.front()) & 0x0F;
}

bool equals_ascii_nocase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'a' && x <= 'z') x = static_cast<char>(x - 'a' + 'A');
    if (y >= 'a' && y <= 'z') y = static_cast<char>(y - 'a' + 'A');
    if (x != y) return false;
  }
  return true;
}

std::string project_path(const AppSettings& s) {
  std::string path;
  path += text_of(s.project.drive);
  path += text_of(s.project.dir);
  path += text_of(s.project.name);
  path += text_of(s.project.ext);
  return path;
}

std::string first_word(std::string_view text) {
  const auto words = split_words(text, 1);
  return words.empty() ? std::string() : std::string(words[0]);
}

// "Writing the defaults": the default lines replace the file, and the memory follows
// them: the numbers, the COM number, the "\Sample" folder, no ROM writer, no recent file.
void take_default_lines(AppSettings& s, SettingsReadOutcome& outcome) {
  s.ini_numbers = DEFAULT_INI_NUMBERS;
  std::string sample_folder(text_of(s.work_folder));
  if (!ends_with_separator(sample_folder)) sample_folder += '\\';
  sample_folder += "Sample";
  char line2[96];
  std::snprintf(line2, sizeof line2, "[SETUF] 1 1 1 1 11 Courier %d %d %d", s.ini_numbers[0], s.ini_numbers[1],
                s.ini_numbers[2]);
  outcome.write_defaults = true;
  outcome.default_text = "iDirectory " + sample_folder + std::string(LINE_ENDING) + line2 + std::string(LINE_ENDING) +
                         "[RS232C] 1" + std::string(LINE_ENDING) + "[ROMWRT] " + std::string(LINE_ENDING);
  // The folder stays as it was when "\Sample" does not fit.
  if (sample_folder.size() < sizeof s.work_folder) copy_text(s.work_folder, sample_folder);
  s.com_number = 1;
  s.rom_writer_path[0] = '\0';
  empty_recent_files(s.recent_files);
}

// Line 1: the project path. A path that cannot be held leaves the project empty.
void read_project_line(std::string_view line, AppSettings& s, SettingsReadOutcome& outcome) {
  const std::string_view path = rest_after_tag(line);
  if (path.empty() || path.size() >= static_cast<std::size_t>(PATH_BYTES)) return;
  PathParts parts{};
  if (split_path(path, parts) != 0) return;
  std::string folder = std::string(text_of(parts.drive)) + std::string(text_of(parts.dir));
  s.project = parts;
  if (!folder.empty() && copy_text(s.work_folder, folder)) outcome.change_directory = true;
}

// Line 2, read word by word as a formatted scan would: the reading stops at the first
// word that does not convert, and what it reached decides which settings change.
void read_setup_line(const std::vector<std::string_view>& words, AppSettings& s, SettingsReadOutcome& outcome) {
  int read = 1;  // the tag
  int32_t option_bits = 0;
  std::array<int32_t, 7> numbers{};  // the three kept numbers, left, top, width, height
  for (int i = 1; i < static_cast<int>(words.size()); ++i) {
    bool ok = true;
    if (i == 5) ok = parse_number(words[i], 16, option_bits);
    if (i >= 7) ok = parse_number(words[i], 10, numbers[i - 7]);
    if (!ok) break;
    read = i + 1;
  }
  for (int g = 0; g < GUIDE_FLAG_COUNT; ++g) {
    if (read > 1 + g) s.guide_flags[g] = words[1 + g] == "0" ? 0 : 1;
  }
  if (read > 5) {
    s.option_bits = option_bits & OPTION_BITS_MASK;
    s.picture_set = (s.option_bits & OptionBit::SECOND_PICTURE_SET) ? 1 : 0;
    s.double_lines = (s.option_bits & OptionBit::DOUBLE_LINES) ? 1 : 0;
  }
  if (read > 6) copy_text(s.font_name, words[6] == "Arial" ? "Arial" : "Courier New");
  for (int k = 0; k < 3; ++k) s.ini_numbers[k] = read > 7 + k ? numbers[k] : DEFAULT_INI_NUMBERS[k];
  // Only a whole rectangle of positive size moves the frame.
  if (read == 14 && numbers[5] > 0 && numbers[6] > 0) {
    outcome.move_frame = true;
    outcome.frame = {numbers[3], numbers[4], numbers[5], numbers[6]};
  }
}

}  // namespace

void empty_recent_files(RecentFileList& list) {
  for (auto& entry : list) entry.fill('\0');
  copy_text(list[0], RECENT_LIST_END);
}

int recent_file_count(const RecentFileList& list) {
  for (int i = 0; i < RECENT_FILE_MAX; ++i) {
    if (text_of(list[i]) == RECENT_LIST_END) return i;
  }
  return RECENT_FILE_MAX;
}

std::string_view recent_file_entry(const RecentFileList& list, int index) {
  if (index < 0 || index >= recent_file_count(list)) return {};
  return text_of(list[index]);
}

void push_recent_file(RecentFileList& list, std::string_view path) {
  if (path.empty() || path.size() >= static_cast<std::size_t>(RECENT_ENTRY_BYTES) || path == RECENT_LIST_END) return;
  int found = RECENT_FILE_MAX;
  bool grows = true;
  for (int i = 0; i <= RECENT_FILE_MAX; ++i) {
    const std::string_view entry = text_of(list[i]);
    if (entry == path) {
      found = i;
      grows = false;
      break;
    }
    if (entry == RECENT_LIST_END) {
      found = i;
      break;
    }
  }
  for (int i = found; i > 0; --i) list[i] = list[i - 1];
  copy_text(list[0], path);
  if (grows) copy_text(list[found < RECENT_FILE_MAX ? found + 1 : RECENT_FILE_MAX], RECENT_LIST_END);
}

void set_default_settings(AppSettings& s, std::string_view start_folder) {
  s.project = PathParts{};
  copy_text(s.work_folder, start_folder);
  s.guide_flags = {1, 1, 1, 1};
  s.option_bits = DEFAULT_OPTION_BITS;
  s.picture_set = 0;
  s.double_lines = 1;
  copy_text(s.font_name, "Courier New");
  s.ini_numbers = DEFAULT_INI_NUMBERS;
  s.com_number = 0;
  s.rom_writer_path[0] = '\0';
  empty_recent_files(s.recent_files);
}

SettingsReadOutcome settings_for_missing_file(AppSettings& s) {
  SettingsReadOutcome outcome;
  s.com_number = 1;
  take_default_lines(s, outcome);
  return outcome;
}

SettingsReadOutcome read_settings_text(std::string_view text, AppSettings& s) {
  SettingsReadOutcome outcome;
  LineReader reader(text);
  std::string_view line;
  const auto with_default_lines = [&]() {
    take_default_lines(s, outcome);
    return outcome;
  };

  // Line 1: the project.
  if (!reader.next(line)) return with_default_lines();
  auto words = split_words(line, 2);
  if (words.empty() || words[0] != "iDirectory") return with_default_lines();
  read_project_line(line, s, outcome);

  // Line 2: guides, options, face, numbers, frame.
  if (!reader.next(line)) return with_default_lines();
  words = split_words(line, 14);
  if (words.empty() || words[0] != "[SETUF]") return with_default_lines();
  read_setup_line(words, s, outcome);

  // Line 3: the board's COM number.
  if (!reader.next(line)) return with_default_lines();
  words = split_words(line, 2);
  if (words.empty() || words[0] != "[RS232C]") return with_default_lines();
  if (words.size() > 1) s.com_number = parse_com_number(words[1]);

  // Line 4: the ROM-writer path.
  if (!reader.next(line)) return with_default_lines();
  words = split_words(line, 1);
  if (words.empty() || words[0] != "[ROMWRT]") return with_default_lines();
  copy_text(s.rom_writer_path, rest_after_tag(line));

  // The recent design files; lines that hold no usable path are passed over.
  empty_recent_files(s.recent_files);
  int entries = 0;
  for (int n = 0; n < RECENT_FILE_MAX && reader.next(line); ++n) {
    const std::string_view path = trim(line);
    if (path.empty() || path == RECENT_LIST_END || path.size() >= static_cast<std::size_t>(RECENT_ENTRY_BYTES)) continue;
    copy_text(s.recent_files[entries], path);
    ++entries;
    copy_text(s.recent_files[entries], RECENT_LIST_END);
  }
  // Without any entry the project itself heads the list.
  if (entries == 0 && s.project.name[0] != '\0') {
    std::string path = std::string(text_of(s.work_folder)) + std::string(text_of(s.project.name)) +
                       std::string(text_of(s.project.ext));
    if (path.size() < static_cast<std::size_t>(RECENT_ENTRY_BYTES)) {
      copy_text(s.recent_files[0], path);
      copy_text(s.recent_files[1], RECENT_LIST_END);
    }
  }
  return outcome;
}

std::string format_settings_file(AppSettings& s, const FramePlacement& frame) {
  if (equals_ascii_nocase(text_of(s.project.ext), ".MBS")) push_recent_file(s.recent_files, project_path(s));

  std::string text = "iDirectory " + project_path(s) + std::string(LINE_ENDING);
  char line[160];
  std::snprintf(line, sizeof line, "[SETUF] %x %x %x %x %x %s %d %d %d %d %d %d %d",
                static_cast<unsigned>(s.guide_flags[0]), static_cast<unsigned>(s.guide_flags[1]),
                static_cast<unsigned>(s.guide_flags[2]), static_cast<unsigned>(s.guide_flags[3]),
                static_cast<unsigned>(s.option_bits), first_word(text_of(s.font_name)).c_str(), s.ini_numbers[0],
                s.ini_numbers[1], s.ini_numbers[2], frame.left, frame.top, frame.width, frame.height);
  text += line;
  text += LINE_ENDING;
  std::snprintf(line, sizeof line, "[RS232C] %x", static_cast<unsigned>(s.com_number));
  text += line;
  text += LINE_ENDING;
  text += "[ROMWRT] " + std::string(text_of(s.rom_writer_path)) + std::string(LINE_ENDING);
  const int count = recent_file_count(s.recent_files);
  for (int i = 0; i < count; ++i) text += std::string(text_of(s.recent_files[i])) + std::string(LINE_ENDING);
  return text;
}

RecentMenuPlan recent_menu_plan(const RecentFileList& list, bool expanded) {
  RecentMenuPlan plan;
  const int count = recent_file_count(list);
  if (expanded) {
    plan.change = true;
    plan.delete_first_id = CMD_RECENT_FILE;
    plan.delete_last_id = CMD_RECENT_FILE_LAST;
    for (int i = 0; i < count; ++i) plan.append.push_back({CMD_RECENT_FILE + i, std::string(text_of(list[i]))});
  } else if (count > 0) {
    plan.change = true;
    plan.delete_first_id = CMD_RECENT_FILE;
    plan.delete_last_id = CMD_RECENT_EXPAND;
    plan.append.push_back({CMD_RECENT_FILE, std::string(text_of(list[0]))});
    plan.append.push_back({CMD_RECENT_EXPAND, std::string(RECENT_EXPAND_TEXT)});
  }
  return plan;
}

std::vector<RecentMenuItem> recent_expand_items(const RecentFileList& list) {
  std::vector<RecentMenuItem> items;
  const int count = recent_file_count(list);
  for (int i = 1; i < count; ++i) items.push_back({CMD_RECENT_FILE + i, std::string(text_of(list[i]))});
  return items;
}
