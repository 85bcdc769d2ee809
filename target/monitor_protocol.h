// The dialogue with the board's resident monitor over the serial link.
//
// The monitor echoes every character it receives, executes a command at CR, answers in
// lines ending CR LF (the first line ends the echo of the command) and ends every answer
// with the prompt '>'. This file holds everything that goes over the wire: starting the
// link, echoed commands and their replies, stopping the board's program, writing a
// mnemonic program as numbered lines, verifying and reading it back, and the two live
// polls of the monitor screen with the way their answers are applied.
//
// All dialogue runs on slot g_com_number of the serial port layer, synchronously. Every
// wait for an answer is bounded three ways: by a number of reads in a row that bring
// nothing (each lasts at most its time-out), by the size of the buffer it fills, and by
// time on the port's clock (wait_bound_ms), so a silent board, a board that never stops
// sending and a board that sends a byte now and then but never its prompt all end the
// wait. After every CR the board's answer is awaited to its prompt (the probe's "??" has
// none), however late or in however many pieces it comes, so that the next exchange never
// starts on the rest of it. An answer ends as soon
// as it is complete (the expected echo, or the prompt), never on a time-out, with one
// exception: the echo of a line that ends in bytes above 0x7E is the line's printable
// ASCII from a 7-bit board only once the board has fallen silent after it (a board that
// echoes every byte would have sent the rest); a write learns the board's echo form from
// the first such line and waits no more after that. Each
// exchange starts by purging the port, so bytes left over from an earlier exchange are
// never taken as part of its reply.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "core/ladder_model.h"
#include "core/mnemonic_text.h"  // END_LINE_WORD, END_LINE_TEXT

// ---- Buffers and limits ---------------------------------------------------------------------
inline constexpr int LINK_BUFFER_SIZE = 256;
extern std::array<uint8_t, LINK_BUFFER_SIZE> g_tx_buffer;  // the bytes being sent
extern std::array<uint8_t, LINK_BUFFER_SIZE> g_rx_buffer;  // the last read
inline constexpr int MAX_LINK_READ = 64;         // no read asks for more
inline constexpr int REPLY_TEXT_SIZE = 4096;     // a reply collected up to the prompt
inline constexpr int MAX_COMMAND_LENGTH = 99;    // characters of an echoed command
inline constexpr int POLL_OPERAND_LIST_SIZE = 500;
inline constexpr int POLL_REPLY_SIZE = 64;       // a poll answer longer than this is cut
inline constexpr int LINE_ANSWER_SIZE = 256;     // the answer to one program line
// A listing ("L") is read whole, up to the prompt, whatever its length: at most one line
// for every line a program can have, each no longer than a line the program sends (with
// its CR LF). A reply beyond either bound is no listing of a program this system wrote:
// its reading stops there.
inline constexpr int MAX_LISTING_LINES = MAX_TEXT_LINES - 1;
inline constexpr int MAX_LISTING_LINE = LINK_BUFFER_SIZE + 2;

// Reads in a row that bring nothing, after which a wait gives up (a read waits at most
// n + 500 ms for n bytes).
inline constexpr int POLL_EMPTY_READS = 2;
inline constexpr int LINE_EMPTY_READS = 4;     // echo and answer of a program line
inline constexpr int REPLY_EMPTY_READS = 4;    // reply collection, listing
inline constexpr int FINAL_EMPTY_READS = 20;   // the prompt after the program's end line
inline constexpr int STOP_EMPTY_READS = 1;     // the answer to 0x03: one read, as it comes
// The answer after a half-typed command is cleared, when the board did not echo at all (a
// board that echoed wrong is awaited LINE_EMPTY_READS, to its prompt).
inline constexpr int LINE_CLEAR_EMPTY_READS = 1;

// How long a wait may last on the port's clock: 1 s for each empty read it allows, and
// 10 ms for each byte of one line of its answer and for each byte that has come in it (ten
// times a byte's time at 9600 baud). One read waits at most 501 ms for a byte, so a silent
// board always ends a wait by its empty reads first; a board that answers late, in pieces,
// or slowly but steadily is never cut, and one that keeps sending a byte now and then
// without ever completing its answer is cut within seconds (ReplyEnd::SLOW).
inline constexpr uint64_t WAIT_MS_PER_EMPTY_READ = 1000;
inline constexpr uint64_t WAIT_MS_PER_BYTE = 10;
uint64_t wait_bound_ms(int empty_reads, size_t line_bytes, size_t bytes_come);

inline constexpr uint8_t STOP_BYTE = 0x03;
inline constexpr char PROMPT = '>';

// ---- Messages -------------------------------------------------------------------------------
inline constexpr char MSG_NO_BOARD[] = "通信ができませんでした。";
inline constexpr char MSG_LINK_FAILED[] = "通信が成立していません！";
inline constexpr char MSG_UNREADABLE[] = "正しく読み取れません";
inline constexpr char MSG_LINE_DIFFERS[] = "%d行目に違いがあります！";
inline constexpr char MSG_VERIFY_OK[] = "Verify OK";
inline constexpr char MSG_WRITE_OK[] = "\r\n Write OK!";
inline constexpr char CAPTION_WARNING[] = "警告";
// A board that keeps only printable ASCII holds a statement with bytes above 0x7E as
// another statement: the write stops before it (%d: the line number).
inline constexpr char MSG_STATEMENT_NOT_ASCII[] = "%d行目の命令にASCII以外の文字が有るため、\nこのボードには書き込めません！";
// The line that follows a write or a verify whose comments were taken by their ASCII part
// (%d: the number of such lines), so that success never hides it.
inline constexpr char MSG_ASCII_COMMENTS_WRITTEN[] = "コメント%d行は、ASCII部分だけが書き込まれました";
inline constexpr char MSG_ASCII_COMMENTS_VERIFIED[] = "コメント%d行は、ASCII部分だけを照合しました";
// The note for `lines` comment lines taken by their ASCII part (MSG_ASCII_COMMENTS_WRITTEN or
// MSG_ASCII_COMMENTS_VERIFIED); empty for none.
std::string ascii_comment_note(const char* format, int lines);

// ---- Waiting for an answer --------------------------------------------------------------------
enum class ReplyEnd {
  PROMPT,  // the prompt arrived
  FULL,    // the buffer filled before the prompt came: the reply is cut there
  QUIET,   // bytes came, then a read brought nothing: the answer is over without a prompt
  SILENT,  // the wait gave up: nothing came (or, when the prompt is required, it never came)
  SLOW,    // the wait ran out of its time (wait_bound_ms) before the answer was complete
};

// Reads from the board into `out` until the prompt arrives, `out` is full, the board
// falls silent, or the wait's time is up (wait_bound_ms with `empty_reads` and a line of
// at most MAX_LISTING_LINE bytes, no more than `out` holds). With `need_prompt` a pause
// after some bytes does not end the wait: only `empty_reads` empty reads in a row do.
// `length` gets the bytes stored.
ReplyEnd await_reply(std::span<uint8_t> out, size_t& length, int empty_reads, bool need_prompt);

// ---- Link set-up and commands ---------------------------------------------------------------
// Starts the link on the port chosen in the toolbar's list ("COM%d"): probes it (failure:
// the message MSG_NO_BOARD and 0), opens it, and greets the board twice with CR LF; the
// link is on (g_port_open = 1, result 1) when the first greeting was answered.
int connect_target_link(const char* entry_text);
// Greets the board on the open link as the probe does (CR LF, which the board answers
// with "??" and no prompt): true when it answered so. Nothing is executed on the board.
bool greet_target();
// Sends the text one character at a time, comparing each echo, then CR. 1 when every
// character came back; 0 at the first difference, for a text longer than 99 characters,
// and when the link is not open (no CR is sent then). After a difference the characters
// the board already holds are dropped with the stop byte 0x03 (which also stops the
// board's program), so that the next command does not run into them.
int send_echoed_command(const char* text);
// Collects a reply up to and including the prompt into `reply` (NUL-terminated; at most
// its size minus one bytes). PROMPT, FULL when the reply did not reach the prompt within
// the buffer, SILENT when the wait gave up, SLOW when it ran out of its time.
ReplyEnd read_until_prompt(std::span<char> reply, size_t& length);
// Writes the stop byte 0x03 alone and returns the board's answer of one read as it came
// (NUL-terminated in `answer`); its length.
int stop_target_program(std::span<char> answer);

// ---- The program on the board -----------------------------------------------------------------
// The first two words of a statement (blank-separated; the statement ends at its NUL or
// at the end of its field).
struct LineWords {
  std::string_view first;
  std::string_view second;
};
LineWords split_line_words(std::string_view statement);
std::string_view statement_of(const MnemonicLine& line);
// "%d %s %s", or "%d %s" with one word, or "%d" with none, into `out` (NUL-terminated);
// its length, or 0 when it does not fit.
int format_program_line(int number, const LineWords& words, std::span<char> out);

// Writes the program of `text` into the board: the numbered lines 1, 2, ... up to the end
// line "0FFFF0", each written whole, its echo awaited and compared to its last byte, then
// CR and the board's answer awaited to its prompt; then the line-count line "N%d" (the end line's
// index + 1) and the final prompt. Results: 0 when every line was echoed and answered and
// the prompt came (`end_answer` gets the character before the prompt and the prompt);
// -1 when the board failed to echo or answer, or did not in time (the message MSG_LINK_FAILED was shown,
// nothing more was sent; a line whose echo failed was dropped from the board's line with
// 0x03); -2 when there is no text; -3 when the board keeps only printable ASCII and a
// statement holds bytes above 0x7E (MSG_STATEMENT_NOT_ASCII was shown; that line was
// dropped, unexecuted, and nothing more was sent). `ascii_comment_lines`, when given,
// gets the number of lines whose comment text the board took as its ASCII part only.
int write_program_to_target(ConstTextSpan text, std::span<char> end_answer, int* ascii_comment_lines = nullptr);

// How a board echoes a program line: every byte, or only its printable ASCII (a 7-bit
// board: the bytes above 0x7E are missing from the echo, everything else comes back as it
// went). One write learns it from the first line whose echo shows it and holds the board
// to it for the rest of the program.
enum class EchoForm { UNKNOWN, EVERY_BYTE, PRINTABLE_ASCII };
// The echo of a program line, as far as it has come. COMPLETE only when it is the whole
// line, or exactly its printable ASCII from a board that may echo so: never while the echo
// so far is only the start of the whole line (a line ending in bytes above 0x7E) and the
// board may still send them; `board_silent` says that it has stopped sending. The ASCII
// form stands only for the comment text (from the line's first ';'): when the statement
// before it holds a byte above 0x7E, that echo is NOT_ASCII_STATEMENT. Any other echo, an
// ASCII byte that differs above all, DIFFERS.
enum class EchoMatch { PARTIAL, COMPLETE, DIFFERS, NOT_ASCII_STATEMENT };
EchoMatch match_line_echo(std::string_view sent, std::string_view echo, EchoForm form = EchoForm::UNKNOWN,
                          bool board_silent = false);
// The line without its bytes above 0x7E: what a board that keeps only printable ASCII holds of it.
std::string ascii_part(std::string_view line);
// True when the statement of a sent line (its text before the first ';') holds no byte
// above 0x7E: only then may its ASCII part stand in for it, the comment text losing bytes.
bool statement_is_ascii(std::string_view line);

enum VerifyResult : int {
  VERIFY_NO_TEXT = -2,      // there is no document
  VERIFY_LINK_FAILED = -1,  // the echo of "L" failed or the listing never came: MSG_LINK_FAILED
  VERIFY_OK = 0,            // MSG_VERIFY_OK
  VERIFY_DIFFERS = 1,       // MSG_LINE_DIFFERS with `line`
  VERIFY_UNREADABLE = 2,    // MSG_UNREADABLE
};
// Lists the board's program ("L"), read whole up to the prompt, and compares it line by
// line with `text`; on a difference `line` gets the local line number (from 1). Board
// lines beyond the local end line are not compared. A board line equals a local one when
// it holds the same number and words (match_listing_line), or the same statement and only
// the ASCII part of the comment text; `ascii_comment_lines`, when given, gets the number
// of lines that matched so.
int verify_program_on_target(ConstTextSpan text, int& line, int* ascii_comment_lines = nullptr);

// How a board listing line compares with local line `number` of `words`: the same line
// (formatted as the program write formats it), the same but for the bytes above 0x7E of
// the comment text (the board line holds none; the statement before the ';' is the same
// and holds none either), or another line.
enum class ListingLineMatch { DIFFERS, SAME, ASCII_COMMENT };
ListingLineMatch match_listing_line(std::string_view board_line, int number, const LineWords& words);

// Reading a listing. It ends at the prompt: a '>' at the start of a line; a '>' inside a
// line, such as one in a comment, is listing text. It stops early, TOO_LONG, when the
// reply holds more lines than MAX_LISTING_LINES or a line longer than MAX_LISTING_LINE.
// A reply that falls silent before its prompt is CUT when some of it came, SILENT when
// nothing did; one that does not reach its prompt in time is SLOW. Its time is that of
// a wait of REPLY_EMPTY_READS (wait_bound_ms), which grows with every line that comes.
enum class ListingEnd { PROMPT, TOO_LONG, CUT, SILENT, SLOW };
class ListingReader {
 public:
  enum Step { MORE, AT_PROMPT, TOO_LONG };
  // Takes the next byte of the reply (after the echo of "L"); once it has returned
  // AT_PROMPT or TOO_LONG it takes nothing more.
  Step take(uint8_t byte);
  const std::string& reply() const { return reply_; }

 private:
  std::string reply_;
  Step state_ = MORE;
  int lines_ = 0;
  size_t line_length_ = 0;
};
// True when the reply ends at the prompt: its last byte is a '>' at the start of a line.
bool reply_ends_at_prompt(std::string_view reply);
// The listing lines of a reply: after the echo line, cut before the line end that precedes
// the prompt. A reply that does not end at the prompt keeps all it has after the echo line.
std::string_view listing_of_reply(std::string_view reply);

// Results of read_program_from_target besides 0 (the whole listing).
inline constexpr int LISTING_TOO_LONG = 1;
inline constexpr int LISTING_CUT = 2;
// Lists the board's program into `listing`: the lines after the echo line, up to the line
// end before the prompt. 0 when the whole listing came; LISTING_TOO_LONG when it was
// longer than a program can be, LISTING_CUT when the board fell silent before its prompt
// (`listing` holds the lines read, which are not the whole program: they are never to be
// pasted); -1 when the echo of "L" failed, nothing of the listing came or it did not come
// in time (ListingEnd::SLOW; MSG_LINK_FAILED is the caller's).
int read_program_from_target(std::string& listing);
// The program lines paste_listing_into_text stores from a listing (up to and with the
// first "END" line), without the end line.
int listing_program_lines(std::string_view listing);
// Turns a listing into the text: each listing line (up to LF, a CR before it removed)
// with a line number gives the statement of its first two words and a line feed; the
// lines stop after a line whose first word is "END" or at the end of the listing, and
// the end line follows. A statement longer than its field is cut at a character
// boundary; the text is never filled past its last line, which is kept for the end
// line. The number of program lines stored, or -1 when there is no text.
int paste_listing_into_text(std::string_view listing, TextSpan text);

// One board listing line: its number and up to two words, reformatted as the program
// write formats a line (false when the line does not start with a number).
bool format_listing_line(std::string_view line, std::span<char> out, int& length);

// ---- Live polls -----------------------------------------------------------------------------
// What a poll needs of the monitor window: the rows it shows and the design screen's
// cell invalidation (which ignores rows outside the view).
struct MonitorPollView {
  int top_row = 0;
  int visible_rows = 0;
  std::function<void(int row, int column)> invalidate_cell;
};

// Queries every distinct X, Y, M, T and C operand of the visible contacts (and of the
// SET, PLS, PLF and RST outputs) once and applies the answers; an operand numbered above
// 99 is marked as not polled instead. 0, or -1 when an echo failed or an answer did not
// end with the prompt, in its time (no message). A query whose echo failed is ended with CR, which
// the board answers with '?', so the next query starts on an empty line.
int poll_target_bits(MonitorPollView& view, GridSpan grid);
// Queries every distinct D operand marked as a value in the visible cells and stores the
// answers in the D records; D16 and above are marked as not polled instead. 0, or -1
// after the message MSG_LINK_FAILED.
int poll_target_words(MonitorPollView& view, GridSpan grid);
// Sets the polled state in the image and in word 2 bit 0 of the cells that show the
// operand, from the polled cell's row to the last visible row; a cell whose bit changed
// is redrawn. `cell_position` is column << 20 | row.
void apply_polled_bit(MonitorPollView& view, GridSpan grid, uint32_t operand, uint32_t cell_position, int state);
// Redraws every cell of rows 0 to the last visible row whose word 3 equals the D operand.
void redraw_word_cells(MonitorPollView& view, GridSpan grid, uint32_t operand);

// The query of a bit device: its letter, the tens and units digits of (number & 0xFF) and
// '?' ("X26?" for X 0x1A). The query of a D device: "D0", '0' + (number & 15), '?'.
void format_bit_query(uint32_t operand, std::span<char, 8> out);
void format_word_query(uint32_t operand, std::span<char, 8> out);
// The state in a bit answer: the character before the first CR after the first LF;
// 1 for '1', 0 for '0', -1 when the answer holds neither there.
int parse_bit_reply(std::span<const uint8_t> reply);
// The hexadecimal value between the first ':' and the following '(' of a word answer;
// false when there is none.
bool parse_word_reply(std::span<const uint8_t> reply, uint32_t& value);
