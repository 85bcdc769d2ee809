#include "core/instruction_tables.h"

namespace {

// One row per code that has any entry; codes without a row are empty (names "", words 0).
struct InstructionRow {
  int code;
  const char* grid_name;
  const char* grid_name_lower;
  const char* mnemonic_name;
  const char* mnemonic_name_lower;
  int32_t attributes;
  uint32_t operand_kinds;
  int32_t operand_line_count;
  int32_t mnemonic_flags;
  int32_t mnemonic_operand_count;
  uint32_t mnemonic_operand_kinds;
};

// The lower-case twins are the upper-case names in lower case, except:
//  - grid codes 9, 10, 25, 114-117 and 157 have lower-case names only ("sets", "rsts",
//    "jmp", "+=", "-=", "b+=", "b-=", "sint"), so only those spellings are recognised;
//  - mnemonic code 45 "INT" has no lower-case twin, 148 "SCJ" has "sch", 262 "ORID" has "ordd".
// Names that exist on one side only belong to that side (131-133 are "R2CO", "AC2CI",
// "NA2CI" on the grid and "CONTU", "BREAK", "WHILE" in mnemonic text), and the operand
// counts of the two sides differ for some codes (130 W2CO: 2 on the grid, 3 in text).
constexpr InstructionRow kRows[] = {
    {1, "", "", "LD", "ld", 0x1, 0x9, 1, 0x1, 1, 0x9},
    {2, "", "", "LDI", "ldi", 0x1, 0x9, 1, 0x1, 1, 0x9},
    {3, "", "", "AND", "and", 0x1, 0x9, 1, 0x1, 1, 0x9},
    {4, "", "", "ANI", "ani", 0x1, 0x9, 1, 0x1, 1, 0x9},
    {5, "", "", "OR", "or", 0x1, 0x9, 1, 0x1, 1, 0x9},
    {6, "", "", "ORI", "ori", 0x1, 0x9, 1, 0x1, 1, 0x9},
    {7, "", "", "ANB", "anb", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {8, "", "", "ORB", "orb", 0x0, 0x0, 1, 0x0, 0, 0x0},
    {9, "", "sets", "", "", 0x0, 0x0, 1, 0x0, 0, 0x0},
    {10, "", "rsts", "", "", 0x0, 0x0, 1, 0x0, 1, 0x1},
    {11, "", "", "", "", 0x0, 0x1, 1, 0x0, 1, 0x1},
    {12, "", "", "MPS", "mps", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {13, "", "", "MRD", "mrd", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {14, "", "", "MPP", "mpp", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {15, "", "", "OUT", "out", 0x1, 0x1, 1, 0x1, 1, 0x1},
    {16, "END", "end", "END", "end", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {17, "OUTD", "outd", "OUTD", "outd", 0x2001, 0x1, 1, 0x2001, 1, 0x1},
    {18, "MC", "mc", "MC", "mc", 0x2, 0x101, 2, 0x2, 2, 0x101},
    {19, "FEND", "fend", "FEND", "fend", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {20, "IEND", "iend", "IEND", "iend", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {21, "STC", "stc", "STC", "stc", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {22, "CLC", "clc", "CLC", "clc", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {23, "MCR", "mcr", "MCR", "mcr", 0x1, 0x1, 1, 0x1, 1, 0x1},
    {25, "", "jmp", "JMP", "jmp", 0x1, 0x1, 1, 0x1, 1, 0x1},
    {26, "CJ", "cj", "CJ", "cj", 0x1, 0x1, 1, 0x1, 1, 0x1},
    {27, "JME", "jme", "JME", "jme", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {28, "SET", "set", "SET", "set", 0x2001, 0x1, 1, 0x1, 1, 0x1},
    {29, "PLS", "pls", "PLS", "pls", 0x1, 0x1, 1, 0x1, 1, 0x1},
    {30, "PLF", "plf", "PLF", "plf", 0x1, 0x1, 1, 0x1, 1, 0x1},
    {31, "RST", "rst", "RST", "rst", 0x2001, 0x21, 1, 0x1, 1, 0x21},
    {33, "BTONJ", "btonj", "BTONJ", "btonj", 0x1, 0x1, 1, 0x1, 1, 0x1},
    {34, "SETS", "sets", "SETS", "sets", 0x2001, 0x1, 1, 0x2001, 1, 0x1},
    {35, "RSTS", "rsts", "RSTS", "rsts", 0x2001, 0x1, 1, 0x2002, 1, 0x1},
    {36, "RCR", "rcr", "RCR", "rcr", 0x2802, 0x8030, 2, 0x2802, 2, 0x8030},
    {37, "RCL", "rcl", "RCL", "rcl", 0x2802, 0x8030, 2, 0x2802, 2, 0x8030},
    {38, "INCB", "incb", "", "", 0x2801, 0x38, 1, 0x0, 0, 0x0},
    {39, "INC", "inc", "INC", "inc", 0x2801, 0x38, 1, 0x2801, 1, 0x38},
    {40, "DEC", "dec", "DEC", "dec", 0x2801, 0x38, 1, 0x2801, 1, 0x38},
    {41, "DECB", "decb", "", "", 0x2801, 0x38, 1, 0x1, 1, 0x9},
    {42, "", "", "", "", 0x3, 0x1F8F8, 3, 0x3, 3, 0x1F8F8},
    {43, "JMS", "jms", "JMS", "jms", 0x1, 0x0, 0, 0x0, 0, 0x0},
    {44, "JMI", "jmi", "JMI", "jmi", 0x1, 0x0, 0, 0x0, 0, 0x0},
    {45, "INT", "int", "INT", "", 0x2001, 0x1, 1, 0x0, 1, 0x0},
    {46, "SCALL", "scall", "SCALL", "scall", 0x2001, 0x1, 1, 0x2001, 1, 0x1},
    {47, "RETRN", "retrn", "RETRN", "retrn", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {48, "ROR", "ror", "ROR", "ror", 0x2802, 0x8030, 2, 0x2802, 2, 0x8030},
    {49, "ROL", "rol", "ROL", "rol", 0x2802, 0x8030, 2, 0x2802, 2, 0x8030},
    {50, "", "", "", "", 0x0, 0x38, 1, 0x0, 1, 0x38},
    {51, "ADCO2", "adco2", "", "", 0x2002, 0x3809, 2, 0x0, 0, 0xE80102},
    {52, "", "", "", "", 0x0, 0xA801, 2, 0x2, 2, 0xA801},
    {53, "TIM", "tim", "TIM", "tim", 0x1, 0xF801, 2, 0x2, 2, 0xF801},
    {54, "CNT", "cnt", "CNT", "cnt", 0x1, 0xF801, 2, 0x2, 2, 0xF801},
    {55, "ADCO", "adco", "ADCO", "adco", 0x2002, 0x3809, 2, 0x2002, 2, 0x3009},
    {56, "SERI", "seri", "SERI", "seri", 0x2, 0x3880, 2, 0x2, 2, 0x3880},
    {57, "SERO", "sero", "SERO", "sero", 0x2, 0x7880, 2, 0x2, 2, 0x7880},
    {58, "SRGO", "srgo", "SRGO", "srgo", 0x2000, 0x0, 0, 0x2000, 0, 0x0},
    {59, "DACO", "daco", "DACO", "daco", 0x2, 0x978, 2, 0x2, 2, 0x978},
    {63, "TTMR", "ttmr", "", "", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {64, "HCTR", "hctr", "", "", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {65, "PULSE", "pulse", "PULSE", "pulse", 0x3, 0xA08001, 3, 0x3, 3, 0xA08001},
    {66, "ENCOD", "encod", "ENCOD", "encod", 0x1, 0x30, 1, 0x1, 1, 0x30},
    {67, "", "", "", "", 0x2, 0xF8F8, 2, 0x2, 2, 0xF8F8},
    {68, "", "", "", "", 0x2, 0xF8F8, 2, 0x2, 2, 0xF8F8},
    {69, "MC1", "mc1", "MC1", "mc1", 0x1, 0x80, 1, 0x1, 1, 0x80},
    {70, "MC100", "mc100", "MC100", "mc100", 0x1, 0x80, 1, 0x1, 1, 0x80},
    {74, "LCDH", "lcdh", "LCDH", "lcdh", 0x2003, 0x102080, 3, 0x2003, 3, 0x102080},
    {75, "LCDL", "lcdl", "LCDL", "lcdl", 0x2003, 0x102080, 3, 0x2003, 3, 0x102080},
    {78, "SRIN", "srin", "SRIN", "srin", 0x2003, 0x120F0, 3, 0x2003, 3, 0x12080},
    {79, "SROT", "srot", "SROT", "srot", 0x2003, 0x120F0, 3, 0x2003, 3, 0x12080},
    {80, "", "", "DECO", "deco", 0x2003, 0xC00120, 3, 0x2003, 3, 0xC00120},
    {81, "MOV", "mov", "MOV", "mov", 0x2802, 0x30F8, 2, 0x2802, 2, 0xF8F8},
    {82, "CMP", "cmp", "CMP", "cmp", 0x2802, 0xF8F8, 2, 0x2802, 2, 0xF8F8},
    {83, "NEG", "neg", "NEG", "neg", 0x2001, 0x38, 1, 0x801, 1, 0x38},
    {84, "XCH", "xch", "XCH", "xch", 0x2802, 0x3030, 2, 0x2802, 2, 0x3030},
    {85, "BCD", "bcd", "BCD", "bcd", 0x2802, 0x3078, 2, 0x2802, 2, 0x3078},
    {86, "BIN", "bin", "BIN", "bin", 0x2802, 0x30B8, 2, 0x2802, 2, 0x30B8},
    {87, "MOVD", "movd", "MOVD", "movd", 0x2002, 0x30F8, 2, 0x2002, 2, 0x30F8},
    {88, "", "", "", "", 0x2002, 0x3078, 2, 0x2002, 2, 0x3078},
    {89, "", "", "SFTR", "sftr", 0x2004, 0x80800109, 4, 0x2004, 4, 0x80800109},
    {90, "", "", "SFTL", "sftl", 0x2004, 0x80800109, 4, 0x2004, 4, 0x80800109},
    {91, "BCDDA", "bcdda", "BCDDA", "bcdda", 0x2002, 0x20F0, 2, 0x2002, 2, 0x20F0},
    {92, "SUP0", "sup0", "", "", 0x2002, 0xC020, 2, 0x0, 0, 0x1F838},
    {93, "SEG", "seg", "SEG", "seg", 0x2802, 0x30F8, 2, 0x2802, 2, 0x30F8},
    {94, "SFR", "sfr", "SFR", "sfr", 0x2002, 0x8030, 2, 0x2002, 2, 0x8030},
    {95, "SFL", "sfl", "SFL", "sfl", 0x2002, 0x8030, 2, 0x2002, 2, 0x8030},
    {96, "", "", "", "", 0x2002, 0xC038, 2, 0x2002, 2, 0xC038},
    {97, "", "", "", "", 0x2002, 0xC038, 2, 0x2002, 2, 0xC038},
    {98, "+", "+", "+", "+", 0x2803, 0x30B8B8, 3, 0x2803, 3, 0x30B8B8},
    {99, "-", "-", "-", "-", 0x2803, 0x30B8B8, 3, 0x2803, 3, 0x30B8B8},
    {100, "B+", "b+", "B+", "b+", 0x2803, 0x307878, 3, 0x2803, 3, 0x307878},
    {101, "B-", "b-", "B-", "b-", 0x2803, 0x307878, 3, 0x2803, 3, 0x307878},
    {102, "B*", "b*", "B*", "b*", 0x2803, 0x307878, 3, 0x2803, 3, 0x307878},
    {103, "B/", "b/", "B/", "b/", 0x2803, 0x307878, 3, 0x2803, 3, 0x307878},
    {104, "WAND", "wand", "WAND", "wand", 0x2003, 0x307878, 3, 0x2003, 3, 0x307878},
    {105, "WOR", "wor", "WOR", "wor", 0x2003, 0x307878, 3, 0x2003, 3, 0x307878},
    {106, "WXOR", "wxor", "WXOR", "wxor", 0x2003, 0x307878, 3, 0x2003, 3, 0x307878},
    {107, "WXNR", "wxnr", "WXNR", "wxnr", 0x2003, 0x307878, 3, 0x2003, 3, 0x307878},
    {108, "SFT", "sft", "SFT", "sft", 0x2001, 0x11, 1, 0x2001, 1, 0x11},
    {109, "", "", "", "", 0x0, 0x0, 2, 0x0, 0, 0x0},
    {110, "*", "*", "*", "*", 0x2803, 0x30B8B8, 3, 0x2803, 3, 0x30B8B8},
    {111, "/", "/", "/", "/", 0x2803, 0x30B8B8, 3, 0x2803, 3, 0x30B8B8},
    {113, "STEP", "step", "STEP", "step", 0x3, 0xA08001, 3, 0x3, 3, 0xA08001},
    {114, "", "+=", "+=", "+=", 0x2802, 0x30B8, 2, 0x2802, 2, 0x30B8},
    {115, "", "-=", "-=", "-=", 0x2802, 0x30B8, 2, 0x2802, 2, 0x30B8},
    {116, "", "b+=", "B+=", "b+=", 0x2802, 0x3078, 2, 0x2802, 2, 0x3078},
    {117, "", "b-=", "B-=", "b-=", 0x2802, 0x3078, 2, 0x2802, 2, 0x3078},
    {118, "", "", "", "", 0x2801, 0x30, 1, 0x2802, 1, 0x30F8},
    {119, "", "", "", "", 0x2802, 0x30F8, 2, 0x2802, 2, 0x30F8},
    {120, "WAND=", "wand=", "WAND=", "wand=", 0x2002, 0x3078, 2, 0x2002, 2, 0x3078},
    {121, "WOR=", "wor=", "WOR=", "wor=", 0x2002, 0x3078, 2, 0x2002, 2, 0x3078},
    {122, "WXOR=", "wxor=", "WXOR=", "wxor=", 0x2002, 0x3078, 2, 0x2002, 2, 0x3078},
    {123, "WXNR=", "wxnr=", "WXNR=", "wxnr=", 0x2002, 0x3078, 2, 0x2002, 2, 0x3078},
    {124, "", "", "", "", 0x0, 0x0, 0, 0x2003, 0, 0x0},
    {125, "RDTBL", "rdtbl", "RDTBL", "rdtbl", 0x2003, 0x30F880, 3, 0x0, 3, 0x30F880},
    {126, "", "", "", "", 0x2002, 0x8001, 2, 0x0, 2, 0x30F8},
    {127, "ASM", "asm", "ASM", "asm", 0x200A, 0x80, 1, 0x2001, 1, 0x80},
    {128, "TABL", "tabl", "TABL", "tabl", 0x200A, 0x80, 1, 0x2001, 1, 0x80},
    {129, "SEND", "send", "SEND", "send", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {130, "W2CO", "w2co", "", "", 0x2002, 0x1070, 2, 0x2003, 3, 0xF83030},
    {131, "R2CO", "r2co", "CONTU", "contu", 0x2002, 0x1070, 2, 0x0, 0, 0x0},
    {132, "AC2CI", "ac2ci", "BREAK", "break", 0x2002, 0x7010, 2, 0x1, 1, 0x1},
    {133, "NA2CI", "na2ci", "WHILE", "while", 0x2002, 0x7010, 2, 0x2002, 2, 0x101},
    {134, "W2CDO", "w2cdo", "", "", 0x2002, 0x1070, 2, 0x2002, 2, 0x101},
    {136, "DAND", "dand", "DAND", "dand", 0x2003, 0x307878, 3, 0x2003, 3, 0x307878},
    {137, "DOR", "dor", "DOR", "dor", 0x2003, 0x307878, 3, 0x2003, 3, 0x307878},
    {138, "DXOR", "dxor", "DXOR", "dxor", 0x2003, 0x307878, 3, 0x2003, 3, 0x307878},
    {139, "DXNR", "dxnr", "DXNR", "dxnr", 0x2003, 0x307878, 3, 0x2003, 3, 0x307878},
    {140, "STA2C", "sta2c", "", "", 0x2001, 0x10, 1, 0x0, 0, 0x0},
    {141, "STP2C", "stp2c", "", "", 0x2001, 0x10, 1, 0x0, 0, 0x0},
    {144, "CHK", "chk", "CHK", "chk", 0x2, 0x0, 2, 0x2, 2, 0x0},
    {145, "STOP", "stop", "STOP", "stop", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {146, "BMOV", "bmov", "BMOV", "bmov", 0x2003, 0x803038, 3, 0x2003, 3, 0x803038},
    {147, "FMOV", "fmov", "FMOV", "fmov", 0x2003, 0x8030F8, 3, 0x2003, 3, 0x8030F8},
    {148, "SCJ", "scj", "SCJ", "sch", 0x1, 0x0, 1, 0x1, 1, 0x0},
    {149, "CALL", "call", "CALL", "call", 0x2001, 0x0, 1, 0x2001, 1, 0x0},
    {150, "RET", "ret", "RET", "ret", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {151, "EI", "ei", "EI", "ei", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {152, "DI", "di", "DI", "di", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {153, "IRET", "iret", "IRET", "iret", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {154, "LOOP", "loop", "LOOP", "loop", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {155, "CHG", "chg", "CHG", "chg", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {156, "COM", "com", "COM", "com", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {157, "", "sint", "", "", 0x2001, 0xC0, 1, 0x0, 1, 0x0},
    {158, "MIVK", "mivk", "MIVK", "mivk", 0x2002, 0x3018, 2, 0x2801, 0, 0x0},
    {159, "MOVK", "movk", "MOVK", "movk", 0x2002, 0x10F8, 2, 0x2001, 2, 0x10F0},
    {160, "", "", "", "", 0x2801, 0x0, 0, 0x0, 1, 0x0},
    {161, "", "", "", "", 0x2801, 0x0, 0, 0x0, 1, 0x0},
    {162, "", "", "BSFR", "bsfr", 0x2002, 0x0, 0, 0x0, 2, 0x0},
    {163, "", "", "BSFL", "bsfl", 0x2002, 0x0, 0, 0x0, 2, 0x0},
    {164, "", "", "DSFR", "dsfr", 0x2002, 0x0, 0, 0x0, 2, 0x0},
    {165, "", "", "DSFL", "dsfl", 0x2002, 0x0, 0, 0x0, 2, 0x0},
    {177, "", "", "OR=", "or=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {178, "", "", "OR<>", "or<>", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {179, "", "", "OR>", "or>", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {180, "", "", "OR>=", "or>=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {181, "", "", "OR<", "or<", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {182, "", "", "OR<=", "or<=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {185, "", "", "ORD=", "ord=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {186, "", "", "ORD<>", "ord<>", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {187, "", "", "ORD>", "ord>", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {188, "", "", "ORD>=", "ord>=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {189, "", "", "ORD<", "ord<", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {190, "", "", "ORD<=", "ord<=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {193, "=", "=", "LD=", "ld=", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {194, "<>", "<>", "LD<>", "ld<>", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {195, ">", ">", "LD>", "ld>", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {196, ">=", ">=", "LD>=", "ld>=", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {197, "<", "<", "LD<", "ld<", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {198, "<=", "<=", "LD<=", "ld<=", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {201, "D=", "d=", "LDD=", "ldd=", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {202, "D<>", "d<>", "LDD<>", "ldd<>", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {203, "D>", "d>", "LDD>", "ldd>", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {204, "D>=", "d>=", "LDD>=", "ldd>=", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {205, "D<", "d<", "LDD<", "ldd<", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {206, "D<=", "d<=", "LDD<=", "ldd<=", 0x802, 0xF8F8, 2, 0x802, 2, 0xF8F8},
    {209, "", "", "AND=", "and=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {210, "", "", "AND<>", "and<>", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {211, "", "", "AND>", "and>", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {212, "", "", "AND>=", "and>=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {213, "", "", "AND<", "and<", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {214, "", "", "AND<=", "and<=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {217, "", "", "ANDD=", "andd=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {218, "", "", "ANDD<>", "andd<>", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {219, "", "", "ANDD>", "andd>", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {220, "", "", "ANDD>=", "andd>=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {221, "", "", "ANDD<", "andd<", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {222, "", "", "ANDD<=", "andd<=", 0x0, 0x0, 0, 0x802, 2, 0xF8F8},
    {224, "-->>", "-->>", "-->>", "-->>", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {225, ">>--", ">>--", ">>--", ">>--", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {240, "INI", "ini", "INI", "ini", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {241, "IPX", "ipx", "IPX", "ipx", 0x0, 0x0, 0, 0x0, 0, 0x0},
    {250, "", "", "", "", 0x0, 0x1, 1, 0x0, 1, 0x0},
    {251, "", "", "", "", 0x0, 0x1, 1, 0x0, 1, 0x1},
    {257, "", "", "LDD", "ldd", 0x0, 0x0, 0, 0x1, 0, 0x9},
    {258, "", "", "LDID", "ldid", 0x0, 0x0, 0, 0x1, 0, 0x9},
    {259, "", "", "ANDD", "andd", 0x0, 0x0, 0, 0x1, 0, 0x9},
    {260, "", "", "ANID", "anid", 0x0, 0x0, 0, 0x1, 0, 0x9},
    {261, "", "", "ORD", "ord", 0x0, 0x0, 0, 0x1, 0, 0x9},
    {262, "", "", "ORID", "ordd", 0x0, 0x0, 0, 0x1, 0, 0x9},
    {263, "", "", "", "", 0x0, 0x0, 0, 0x1, 0, 0x0},
    {267, "", "", "", "", 0x0, 0x0, 0, 0x0, 0, 0x1},
};

template <typename T, typename F>
constexpr std::array<T, INSTRUCTION_TABLE_SIZE> build(T empty, F field) {
  std::array<T, INSTRUCTION_TABLE_SIZE> table{};
  for (auto& e : table) e = empty;
  for (const InstructionRow& row : kRows) table[static_cast<size_t>(row.code)] = field(row);
  return table;
}

bool in_table(InstructionCode code) { return code >= 0 && code < INSTRUCTION_TABLE_SIZE; }

InstructionCode find_exact(const InstructionNameTable& upper, const InstructionNameTable& lower, int count,
                           std::string_view name) {
  if (name.empty()) return -1;
  for (int i = 0; i < count; ++i)
    if (name == upper[static_cast<size_t>(i)]) return i;
  for (int i = 0; i < count; ++i)
    if (name == lower[static_cast<size_t>(i)]) return i;
  return -1;
}

}  // namespace

constexpr InstructionNameTable g_instruction_names =
    build<const char*>("", [](const InstructionRow& r) { return r.grid_name; });
constexpr InstructionNameTable g_instruction_names_lower =
    build<const char*>("", [](const InstructionRow& r) { return r.grid_name_lower; });
constexpr InstructionWordTable g_instruction_attributes =
    build<int32_t>(0, [](const InstructionRow& r) { return r.attributes; });
constexpr OperandKindTable g_operand_kinds =
    build<uint32_t>(0, [](const InstructionRow& r) { return r.operand_kinds; });
constexpr InstructionWordTable g_operand_line_counts =
    build<int32_t>(0, [](const InstructionRow& r) { return r.operand_line_count; });
constexpr InstructionNameTable g_mnemonic_names =
    build<const char*>("", [](const InstructionRow& r) { return r.mnemonic_name; });
constexpr InstructionNameTable g_mnemonic_names_lower =
    build<const char*>("", [](const InstructionRow& r) { return r.mnemonic_name_lower; });
constexpr InstructionWordTable g_mnemonic_flags =
    build<int32_t>(0, [](const InstructionRow& r) { return r.mnemonic_flags; });
constexpr InstructionWordTable g_mnemonic_operand_counts =
    build<int32_t>(0, [](const InstructionRow& r) { return r.mnemonic_operand_count; });
constexpr OperandKindTable g_mnemonic_operand_kinds =
    build<uint32_t>(0, [](const InstructionRow& r) { return r.mnemonic_operand_kinds; });

InstructionCode find_instruction_code(std::string_view name) {
  return find_exact(g_instruction_names, g_instruction_names_lower, GRID_NAME_SEARCH_SIZE, name);
}

InstructionCode find_mnemonic_code(std::string_view name) {
  InstructionCode entry = find_exact(g_mnemonic_names, g_mnemonic_names_lower, MNEMONIC_NAME_SEARCH_SIZE, name);
  if (entry > 255) return entry + D_CONTACT_RECORD_OFFSET;
  return entry;
}

const char* instruction_name(InstructionCode code) {
  return in_table(code) ? g_instruction_names[static_cast<size_t>(code)] : "";
}

const char* mnemonic_name(InstructionCode code) {
  if (code >= Instr::LDD && code <= Instr::ORID) code -= D_CONTACT_RECORD_OFFSET;
  return in_table(code) ? g_mnemonic_names[static_cast<size_t>(code)] : "";
}

int box_operand_cells(InstructionCode code) {
  return in_table(code) ? g_instruction_attributes[static_cast<size_t>(code)] & InstrAttr::OPERAND_CELLS_MASK : 0;
}
