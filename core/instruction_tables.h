// The instruction vocabulary: the numbering shared by grid cells, instruction records
// and every table below, the names of the grid side (shown in boxes) and of the
// mnemonic side (words of mnemonic text), the attributes that say which instructions
// have D and P forms and how many operand cells their box has, and the operand-kind
// bytes that say which devices and constants each operand accepts.
//
// All tables are constant, 512 entries indexed by InstructionCode; an entry without a
// name holds the empty string (never a null pointer).
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// ---- Instruction codes --------------------------------------------------------------------
// Codes 0-511 index the tables. The record codes of the D-form contacts are
// 0x201-0x206 (the mnemonic-table entries 257-262 plus 256).
using InstructionCode = int;

inline constexpr int INSTRUCTION_TABLE_SIZE = 512;
inline constexpr int GRID_NAME_SEARCH_SIZE = 256;      // typed grid names are looked up among codes 0-255
inline constexpr int MNEMONIC_NAME_SEARCH_SIZE = 272;  // mnemonic words among entries 0-271
inline constexpr int D_CONTACT_RECORD_OFFSET = 256;    // mnemonic entry 257 (LDD) is record code 0x201

namespace Instr {
inline constexpr InstructionCode LD = 1;
inline constexpr InstructionCode LDI = 2;
inline constexpr InstructionCode AND = 3;
inline constexpr InstructionCode ANI = 4;
inline constexpr InstructionCode OR = 5;
inline constexpr InstructionCode ORI = 6;
inline constexpr InstructionCode ANB = 7;
inline constexpr InstructionCode ORB = 8;
inline constexpr InstructionCode MPS = 12;
inline constexpr InstructionCode MRD = 13;
inline constexpr InstructionCode MPP = 14;
inline constexpr InstructionCode OUT = 15;
inline constexpr InstructionCode END = 16;
inline constexpr InstructionCode OUTD = 17;
inline constexpr InstructionCode MC = 18;
inline constexpr InstructionCode FEND = 19;
inline constexpr InstructionCode IEND = 20;
inline constexpr InstructionCode STC = 21;
inline constexpr InstructionCode CLC = 22;
inline constexpr InstructionCode MCR = 23;
inline constexpr InstructionCode JMP = 25;
inline constexpr InstructionCode CJ = 26;
inline constexpr InstructionCode JME = 27;
inline constexpr InstructionCode SET = 28;
inline constexpr InstructionCode PLS = 29;
inline constexpr InstructionCode PLF = 30;
inline constexpr InstructionCode RST = 31;
inline constexpr InstructionCode COMMENT = 32;  // comment record 0x9020, cell 12 of a comment row
inline constexpr InstructionCode BTONJ = 33;
inline constexpr InstructionCode SETS = 34;
inline constexpr InstructionCode RSTS = 35;
inline constexpr InstructionCode RCR = 36;
inline constexpr InstructionCode RCL = 37;
inline constexpr InstructionCode INCB = 38;
inline constexpr InstructionCode INC = 39;
inline constexpr InstructionCode DEC = 40;
inline constexpr InstructionCode DECB = 41;
inline constexpr InstructionCode JMS = 43;
inline constexpr InstructionCode JMI = 44;
inline constexpr InstructionCode INT = 45;
inline constexpr InstructionCode SCALL = 46;
inline constexpr InstructionCode RETRN = 47;
inline constexpr InstructionCode ROR = 48;
inline constexpr InstructionCode ROL = 49;
inline constexpr InstructionCode ADCO2 = 51;
inline constexpr InstructionCode TIM = 53;
inline constexpr InstructionCode CNT = 54;
inline constexpr InstructionCode ADCO = 55;
inline constexpr InstructionCode SERI = 56;
inline constexpr InstructionCode SERO = 57;
inline constexpr InstructionCode SRGO = 58;
inline constexpr InstructionCode DACO = 59;
inline constexpr InstructionCode TTMR = 63;
inline constexpr InstructionCode HCTR = 64;
inline constexpr InstructionCode PULSE = 65;
inline constexpr InstructionCode ENCOD = 66;
inline constexpr InstructionCode MC1 = 69;
inline constexpr InstructionCode MC100 = 70;
inline constexpr InstructionCode LCDH = 74;
inline constexpr InstructionCode LCDL = 75;
inline constexpr InstructionCode SRIN = 78;
inline constexpr InstructionCode SROT = 79;
inline constexpr InstructionCode DECO = 80;
inline constexpr InstructionCode MOV = 81;
inline constexpr InstructionCode CMP = 82;
inline constexpr InstructionCode NEG = 83;
inline constexpr InstructionCode XCH = 84;
inline constexpr InstructionCode BCD = 85;
inline constexpr InstructionCode BIN = 86;
inline constexpr InstructionCode MOVD = 87;
inline constexpr InstructionCode SFTR = 89;
inline constexpr InstructionCode SFTL = 90;
inline constexpr InstructionCode BCDDA = 91;
inline constexpr InstructionCode SUP0 = 92;
inline constexpr InstructionCode SEG = 93;
inline constexpr InstructionCode SFR = 94;
inline constexpr InstructionCode SFL = 95;
inline constexpr InstructionCode ADD = 98;      // "+"
inline constexpr InstructionCode SUB = 99;      // "-"
inline constexpr InstructionCode B_ADD = 100;   // "B+"
inline constexpr InstructionCode B_SUB = 101;   // "B-"
inline constexpr InstructionCode B_MUL = 102;   // "B*"
inline constexpr InstructionCode B_DIV = 103;   // "B/"
inline constexpr InstructionCode WAND = 104;
inline constexpr InstructionCode WOR = 105;
inline constexpr InstructionCode WXOR = 106;
inline constexpr InstructionCode WXNR = 107;
inline constexpr InstructionCode SFT = 108;
inline constexpr InstructionCode MUL = 110;     // "*"
inline constexpr InstructionCode DIV = 111;     // "/"
inline constexpr InstructionCode STEP = 113;
inline constexpr InstructionCode ADD_TO = 114;    // "+="
inline constexpr InstructionCode SUB_FROM = 115;  // "-="
inline constexpr InstructionCode B_ADD_TO = 116;  // "B+="
inline constexpr InstructionCode B_SUB_FROM = 117;  // "B-="
inline constexpr InstructionCode WAND_TO = 120;   // "WAND="
inline constexpr InstructionCode WOR_TO = 121;    // "WOR="
inline constexpr InstructionCode WXOR_TO = 122;   // "WXOR="
inline constexpr InstructionCode WXNR_TO = 123;   // "WXNR="
inline constexpr InstructionCode RDTBL = 125;
inline constexpr InstructionCode ASM = 127;
inline constexpr InstructionCode TABL = 128;
inline constexpr InstructionCode SEND = 129;
inline constexpr InstructionCode W2CO = 130;
inline constexpr InstructionCode R2CO = 131;   // the mnemonic side names this code CONTU
inline constexpr InstructionCode CONTU = 131;
inline constexpr InstructionCode AC2CI = 132;  // mnemonic side: BREAK
inline constexpr InstructionCode BREAK = 132;
inline constexpr InstructionCode NA2CI = 133;  // mnemonic side: WHILE
inline constexpr InstructionCode WHILE = 133;
inline constexpr InstructionCode W2CDO = 134;
inline constexpr InstructionCode DAND = 136;
inline constexpr InstructionCode DOR = 137;
inline constexpr InstructionCode DXOR = 138;
inline constexpr InstructionCode DXNR = 139;
inline constexpr InstructionCode STA2C = 140;
inline constexpr InstructionCode STP2C = 141;
inline constexpr InstructionCode CHK = 144;
inline constexpr InstructionCode STOP = 145;
inline constexpr InstructionCode BMOV = 146;
inline constexpr InstructionCode FMOV = 147;
inline constexpr InstructionCode SCJ = 148;
inline constexpr InstructionCode CALL = 149;
inline constexpr InstructionCode RET = 150;
inline constexpr InstructionCode EI = 151;
inline constexpr InstructionCode DI = 152;
inline constexpr InstructionCode IRET = 153;
inline constexpr InstructionCode LOOP = 154;
inline constexpr InstructionCode CHG = 155;
inline constexpr InstructionCode COM = 156;
inline constexpr InstructionCode SINT = 157;
inline constexpr InstructionCode MIVK = 158;
inline constexpr InstructionCode MOVK = 159;
inline constexpr InstructionCode BSFR = 162;
inline constexpr InstructionCode BSFL = 163;
inline constexpr InstructionCode DSFR = 164;
inline constexpr InstructionCode DSFL = 165;
// Comparison contacts (grid names "=" ... "<=", "D=" ... "D<="; mnemonic LD= ... LDD<=).
inline constexpr InstructionCode CMP_EQ = 193;
inline constexpr InstructionCode CMP_NE = 194;
inline constexpr InstructionCode CMP_GT = 195;
inline constexpr InstructionCode CMP_GE = 196;
inline constexpr InstructionCode CMP_LT = 197;
inline constexpr InstructionCode CMP_LE = 198;
inline constexpr InstructionCode CMP_D_EQ = 201;
inline constexpr InstructionCode CMP_D_NE = 202;
inline constexpr InstructionCode CMP_D_GT = 203;
inline constexpr InstructionCode CMP_D_GE = 204;
inline constexpr InstructionCode CMP_D_LT = 205;
inline constexpr InstructionCode CMP_D_LE = 206;
inline constexpr InstructionCode INI = 240;
inline constexpr InstructionCode IPX = 241;
// Record codes of the D-form contacts (a contact on one bit of a data register).
inline constexpr InstructionCode LDD = 0x201;
inline constexpr InstructionCode LDID = 0x202;
inline constexpr InstructionCode ANDD = 0x203;
inline constexpr InstructionCode ANID = 0x204;
inline constexpr InstructionCode ORD = 0x205;
inline constexpr InstructionCode ORID = 0x206;
}  // namespace Instr

inline constexpr bool is_comparison_code(InstructionCode code) {
  return (code >= Instr::CMP_EQ && code <= Instr::CMP_LE) || (code >= Instr::CMP_D_EQ && code <= Instr::CMP_D_LE);
}

// ---- Attribute and flag bits -------------------------------------------------------------
namespace InstrAttr {
inline constexpr int32_t OPERAND_CELLS_MASK = 0xF;  // low nibble: operand cells n of the box (n + 1 cells)
inline constexpr int32_t D_FORM = 0x800;            // D form allowed (mnemonic side: D prefix)
inline constexpr int32_t P_FORM = 0x2000;           // P form allowed (mnemonic side: P suffix)
inline constexpr int32_t TEXT_BOX = 10;             // ASM and TABL: the box spans columns 1-11
}  // namespace InstrAttr

// One operand-kind byte per operand, operand 1 in the low byte; an encoder shifts the
// kind word right by 8 after each operand. Other bits are not consulted.
namespace OperandKind {
inline constexpr uint32_t BIT_DEVICE = 0x01;   // X, Y, M, S, L, B or J
inline constexpr uint32_t X_DEVICE = 0x08;     // an X device (with 0x01) or an X digit group (with 0x10)
inline constexpr uint32_t DIGIT_GROUP = 0x10;  // K, the digit count, a device
inline constexpr uint32_t WORD_DEVICE = 0x20;  // Q, W, D or V
inline constexpr uint32_t H_CONSTANT = 0x40;
inline constexpr uint32_t K_CONSTANT = 0x80;
inline constexpr int BYTE_SHIFT = 8;
}  // namespace OperandKind

// ---- The tables -----------------------------------------------------------------------------
using InstructionNameTable = std::array<const char*, INSTRUCTION_TABLE_SIZE>;
using InstructionWordTable = std::array<int32_t, INSTRUCTION_TABLE_SIZE>;
using OperandKindTable = std::array<uint32_t, INSTRUCTION_TABLE_SIZE>;

// Grid side.
extern const InstructionNameTable g_instruction_names;        // upper case; comparison operators
extern const InstructionNameTable g_instruction_names_lower;  // lower-case twin (exact-match lookup)
extern const InstructionWordTable g_instruction_attributes;   // InstrAttr bits
extern const OperandKindTable g_operand_kinds;                 // OperandKind bytes
extern const InstructionWordTable g_operand_line_counts;      // operands of the textual form
// Mnemonic side.
extern const InstructionNameTable g_mnemonic_names;
extern const InstructionNameTable g_mnemonic_names_lower;
extern const InstructionWordTable g_mnemonic_flags;           // InstrAttr::D_FORM, InstrAttr::P_FORM
extern const InstructionWordTable g_mnemonic_operand_counts;  // low nibble: operand count
extern const OperandKindTable g_mnemonic_operand_kinds;

// ---- Name lookups -----------------------------------------------------------------------------
// An instruction name is recognised all in upper case or all in lower case: the name is
// compared exactly against the upper-case table, then against the lower-case table.
// Empty table entries never match, so an empty name is not found.
//
// Grid side: the first code 0-255 whose name equals `name`; -1 when none.
InstructionCode find_instruction_code(std::string_view name);
// Mnemonic side: the first of the 272 entries whose mnemonic word equals `name`; an entry
// above 255 gives the record code entry + 256 (LDD is 0x201). -1 when none.
InstructionCode find_mnemonic_code(std::string_view name);

// The name of a code on either side; the empty string for a code outside 0-511.
const char* instruction_name(InstructionCode code);
const char* mnemonic_name(InstructionCode code);
// The number of operand cells n of a code's box (low nibble of its attribute); 0 outside 0-511.
int box_operand_cells(InstructionCode code);
