// A registry file in memory, read from its bytes and written back: every
// line as it was read, in the form it was read in, and an index of the
// keys' blocks and deletions that the lookups and edits (reg_edit.h) use.
#ifndef REGISTRY_REG_DOCUMENT_H
#define REGISTRY_REG_DOCUMENT_H

#include <stdint.h>

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "reg_syntax.h"

// The first line; the text is UTF-16LE with a byte-order mark or code page
// 1252 in either form (RegDocument::wide).
enum RegForm {
    REGEDIT4_FORM,  // "REGEDIT4"
    VERSION5_FORM,  // "Windows Registry Editor Version 5.00"
};

enum LineRole : uint8_t {
    ROLE_OTHER,     // the first line, blank lines, comments, lines reg import skips
    ROLE_KEY,       // [KEY]: starts a block of the key
    ROLE_DELETION,  // [-KEY], or a key reg import cannot open: starts a block whose values nobody reads
    ROLE_VALUE,     // a value's first line
    ROLE_HEX_CONTINUATION,  // a hex list's continuation
    ROLE_REMOVED,           // taken out by an edit: not written
};

struct RegLine {
    uint32_t start, length;  // the text, in RegDocument::text
    uint8_t end;             // index into line_ends
    LineRole role;
};

extern const char *const line_ends[4];     // "", "\n", "\r\n", "\r"
extern const char *const form_headers[2];  // each form's first line

enum : uint32_t { NO_BLOCK = 0xFFFFFFFF };

// Lines that mean nothing to reg import, first to last (0-based), and the
// report: the line it names (1-based, as the file numbers it) and what.
struct SkippedLines {
    uint32_t first, last;
    size_t line;
    std::string what;
};

struct RegDocument {
    RegForm form = REGEDIT4_FORM;
    bool wide = false;    // UTF-16, its hex(1), hex(2) and hex(7) data too
    uint8_t newline = 1;  // the line end of new lines: the first line's
    std::string text;     // the lines' UTF-8 text; edits append theirs
    std::vector<RegLine> lines;
    std::vector<uint32_t> block_line;      // the line every block starts at, in file order
    std::vector<uint32_t> previous_block;  // per block: the one before of the same key, or NO_BLOCK
    std::unordered_map<std::string, uint32_t> last_block;  // folded key path: its last block
    std::unordered_map<std::string, uint32_t> deleted_at;  // folded key path: line of its last [-KEY]
    uint32_t unfinished_list_line = NO_BLOCK;              // the last line of a hex list the file ends within
    uint32_t first_unread_line = 0;  // reg import reads no further: the text from a NUL on, else lines.size()
    std::vector<SkippedLines> skipped;
};

// Reads a file's bytes into doc, whatever it held (its buffers are used
// again); empty bytes are an empty registry, to be written as REGEDIT4.
// False, with the 1-based line and what is wrong, for a file in neither
// form or torn UTF-16. The lines reg import skips are in doc.skipped, each
// with what is wrong, ending "ignored".
bool read_document(const std::string &bytes, RegDocument &doc, size_t *fault_line, std::string &what);

// The file's bytes, in the form it was read in, into bytes (whose buffer is
// used again).
void write_document(const RegDocument &doc, std::string &bytes);

std::string_view line_text(const RegDocument &doc, uint32_t line);

// Records that a block of the key (folded path; "" for a key reg import
// cannot open) or its deletion starts at line, the last line so far.
void add_block(RegDocument &doc, uint32_t line, const std::string &key, bool deletion);

// A key's name in the index: its path folded, and HKEY_CLASSES_ROOT as the
// HKEY_LOCAL_MACHINE\SOFTWARE\Classes it stands for, as regedit imports it.
std::string key_index(std::string_view path);

#endif
