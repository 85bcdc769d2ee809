// Operation file (.SEQ) to mnemonic file (.NIC): the instruction-list text of every
// record of the operation file, written to the file of the same drive, folder and name
// with the extension ".NIC".
//
// The records are read by their fixed columns, up to the end record or the 18,000
// records an instruction list holds. Each record gives its lines through the printer of
// its instruction code; a code without a text form gives the line
// ";Not Support Command <code in hex>", so no record leaves the text without a trace.
// Comment records take their texts by their comment number from the comment rows of the
// operation file's own design part, or from g_line_comments when the file has none.
// Every line of a comment starts with ';'.
//
// The mnemonic file is written only after the operation file has been read whole, and then
// through the gate and the staged write of core/file_replace.h: an existing mnemonic file is
// kept when the operation file cannot be opened or read, when the target is refused (read-only,
// locked, a folder) and when the new file cannot be written whole.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/ladder_model.h"

// Results of convert_seq_to_nic.
inline constexpr int SEQ_TO_NIC_OK = 0;
inline constexpr int SEQ_TO_NIC_NO_SEQ = 2;  // the operation file cannot be opened or is not one
inline constexpr int SEQ_TO_NIC_NO_NIC = 4;  // the mnemonic file cannot be created or written
inline constexpr int SEQ_TO_NIC_TOO_LONG = 6;  // the program prints more lines than a mnemonic
                                               // text holds (17,999): nothing is written

// Converts seq_path into the mnemonic file beside it and tells the user the outcome
// through the notice handler (owner passed through): "SEQ to NICが終了しました" ("確認")
// and 0, or "<path>.SEQ ファイルが、開けません" ("警告") and 2, or
// "<path>.NIC ファイルが、開けません\n共用をチェックして下さい" ("警告") and 4 when the .NIC
// cannot be made (a folder, a locked file, a missing folder), "読取り専用ファイルです" (the
// .NIC's path) and 4 for a read-only .NIC, "書込みエラ－が発生しました！" (the .NIC's path) and 4
// when it could not be written whole, or
// "<path>.NIC ファイルが17999行を超えます！\nプログラムを短くして下さい" ("警告") and 6 when
// the program prints more lines than a mnemonic text holds (nothing is written), <path>
// being seq_path less its extension. settings and the last argument are not used. Whenever
// the result is not 0 the old .NIC is as it was.
int convert_seq_to_nic(void* owner, const CpuSettings* settings, const char* seq_path, int unused);

// seq_path less its extension (the extension is what follows the last '.' of the last
// path component; a double-byte character's trail byte is never taken for a separator).
std::string path_without_extension(std::string_view path);

// Decodes one record line of an operation file by its columns (word k at column
// 7 + 9k, eight hexadecimal digits of either case). Words 0-3 must be there; words 4
// and 5 are 0 when the line stops before them. false for a line that holds no record.
bool parse_seq_record_line(std::string_view line, InstructionRecord& record);

// Appends the mnemonic lines of one record to out, each ended by "\n". A comment record
// takes comment_texts[its number] (no text when the number is beyond the span).
void append_record_mnemonic(const InstructionRecord& record, std::span<const std::string_view> comment_texts,
                            std::string& out);
