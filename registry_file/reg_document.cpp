// Reading a registry file into lines and the index of its keys, and writing
// it back: decoding by byte-order mark, splitting lines where reg import
// does (CRLF, LF or a lone CR; it reads nothing after a NUL), reading every
// line, recording each block under its key and each line it skips.
#include "reg_document.h"

#include <algorithm>

#include "text_encoding.h"

const char *const line_ends[4] = { "", "\n", "\r\n", "\r" };

const char *const form_headers[2] = {
    /* REGEDIT4_FORM */ "REGEDIT4",
    /* VERSION5_FORM */ "Windows Registry Editor Version 5.00",
};

namespace {

// Room for the lines one operation adds, so that a large file's text and
// lines are never copied to grow.
enum { EDIT_ROOM_BYTES = 4096, EDIT_ROOM_LINES = 64 };

bool fail(size_t line, const std::string &words, size_t *fault_line, std::string &what)
{
    *fault_line = line;
    what = words;
    return false;
}

size_t lines_in(std::string_view text)
{
    size_t count = 1;
    for (size_t i = 0; i < text.size(); i++)
        if (text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n')))
            count++;
    return count;
}

// The text of the file in UTF-8, UTF-16 by its byte-order mark.
bool decode(const std::string &bytes, RegDocument &doc, size_t *fault_line, std::string &what)
{
    doc.wide = bytes.size() >= 2 && (unsigned char)bytes[0] == 0xFF && (unsigned char)bytes[1] == 0xFE;
    if (!doc.wide) {
        ansi_to_utf8(bytes, doc.text, EDIT_ROOM_BYTES);
        return true;
    }
    size_t bad_at = 0;
    if (utf16le_to_utf8(bytes.data() + 2, bytes.size() - 2, doc.text, &bad_at, EDIT_ROOM_BYTES))
        return true;
    std::string before;
    utf16le_to_utf8(bytes.data() + 2, bad_at, before, &bad_at);
    bool odd = bytes.size() % 2 != 0 && bad_at + 3 >= bytes.size();
    return fail(lines_in(before),
                odd ? "UTF-16 text with an odd number of bytes" : "UTF-16 text with an unpaired surrogate",
                fault_line, what);
}

// The lines; a line with a NUL is two, the text before it without a line
// end, and from the NUL on, where reg import stops reading: first_unread_line.
void split_lines(RegDocument &doc)
{
    const char *text = doc.text.data();
    size_t size = doc.text.size(), start = 0, nul = doc.text.find('\0');
    doc.lines.reserve(std::count(text, text + size, '\n') + EDIT_ROOM_LINES);
    doc.first_unread_line = NO_BLOCK;
    while (start < size) {
        size_t end = start;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            end++;
        RegLine line = { (uint32_t)start, (uint32_t)(end - start), 0, ROLE_OTHER };
        if (nul >= start && nul < end) {
            line.length = (uint32_t)(nul - start);
            doc.lines.push_back(line);
            doc.first_unread_line = (uint32_t)doc.lines.size();
            line.start = (uint32_t)nul, line.length = (uint32_t)(end - nul);
        }
        if (end == size)
            start = size;
        else if (text[end] == '\r' && end + 1 < size && text[end + 1] == '\n')
            line.end = 2, start = end + 2;
        else
            line.end = text[end] == '\n' ? 1 : 3, start = end + 1;
        doc.lines.push_back(line);
    }
    if (doc.lines.empty())
        doc.lines.push_back({ 0, 0, 0, ROLE_OTHER });
    doc.first_unread_line = std::min(doc.first_unread_line, (uint32_t)doc.lines.size());
}

bool read_header(RegDocument &doc, size_t *fault_line, std::string &what)
{
    std::string_view first = line_text(doc, 0);
    first.remove_prefix(std::min(first.find_first_not_of(" \t"), first.size()));
    for (RegForm form : { REGEDIT4_FORM, VERSION5_FORM }) {
        if (first == form_headers[form]) {
            doc.form = form;
            if (doc.lines[0].end != 0)
                doc.newline = doc.lines[0].end;
            return true;
        }
    }
    if (!doc.wide && first.substr(0, 6) == "\xC3\xAF\xC2\xBB\xC2\xBF")  // EF BB BF read as code page 1252
        return fail(1, "UTF-8 byte-order mark, which reg import does not read", fault_line, what);
    return fail(1, "first line is neither REGEDIT4 nor Windows Registry Editor Version 5.00", fault_line,
                what);
}

// Lines first to last mean nothing, for what; the report names the line.
void skip(RegDocument &doc, uint32_t first, uint32_t last, size_t line, const std::string &what)
{
    for (uint32_t n = first; n <= last; n++)
        doc.lines[n].role = ROLE_OTHER;
    doc.skipped.push_back({ first, last, line, what });
}

// Lines first to last (before any NUL, so numbered as the file numbers them).
void skip_lines(RegDocument &doc, uint32_t first, uint32_t last, const std::string &what)
{
    std::string lines = " lines " + std::to_string(first + 1) + " to " + std::to_string(last + 1);
    skip(doc, first, last, last + 1, what + ";" + (first == last ? "" : lines) + " ignored");
}

// A value read whole, from line first to last, that reg import still cannot
// store.
void end_value(RegDocument &doc, const ValueLine &value, uint32_t first, uint32_t last)
{
    if (utf16_units(value.name) > 16383)
        skip_lines(doc, first, last, "value name longer than 16383 characters");
    else if (doc.block_line.empty())
        skip_lines(doc, first, last, "value before the first key");
}

// Every line after the first that reg import reads: its role, its block
// under its key, or why it means nothing. A hex list that cannot be read
// takes the lines read so far with it; reg import goes on after them.
void read_lines(RegDocument &doc)
{
    ValueLine value;
    value.continues = false;
    uint32_t value_line = 0;  // the first line of the value being read
    std::string path, what;
    for (uint32_t n = 1; n < doc.first_unread_line; n++) {
        std::string_view text = line_text(doc, n);
        RegLine &line = doc.lines[n];
        bool skipped = false, deletion = false;
        if (value.continues) {
            if (!read_hex_continuation(text, value, &skipped, what)) {
                value.continues = false;
                skip_lines(doc, value_line, n, what);
                continue;
            }
            line.role = skipped ? ROLE_OTHER : ROLE_HEX_CONTINUATION;
            doc.unfinished_list_line = skipped ? doc.unfinished_list_line : n;
            if (!value.continues)
                end_value(doc, value, value_line, n);
        } else if (line_kind(text) == LINE_KEY) {
            KeyLine kind = read_key_line(text, path, &deletion, what);
            if (kind == KEY_NOT_A_KEY) {
                skip_lines(doc, n, n, what);
                continue;
            }
            line.role = deletion || kind == KEY_UNUSABLE ? ROLE_DELETION : ROLE_KEY;
            add_block(doc, n, kind == KEY_READ ? key_index(path) : "", deletion);
            if (kind == KEY_UNUSABLE)
                doc.skipped.push_back(
                    { n, n, n + 1, what + (deletion ? "; ignored" : "; ignored, with the values under it") });
        } else if (line_kind(text) == LINE_VALUE) {
            if (!read_value_line(text, value, what)) {
                value.continues = false;
                skip_lines(doc, n, n, what);
                continue;
            }
            line.role = ROLE_VALUE;
            value_line = doc.unfinished_list_line = n;
            if (!value.continues)
                end_value(doc, value, n, n);
        } else {
            size_t first = text.find_first_not_of(" \t");
            if (first != std::string_view::npos && text[first] != ';' && text[first] != '#')
                skip_lines(doc, n, n, "neither a key, a value nor a comment");
        }
    }
    if (value.continues)  // a hex list the file ends within ends with it
        end_value(doc, value, value_line, doc.unfinished_list_line);
    else
        doc.unfinished_list_line = NO_BLOCK;
    if (doc.first_unread_line < doc.lines.size())
        skip(doc, doc.first_unread_line, (uint32_t)doc.lines.size() - 1, doc.first_unread_line,
             "NUL character, after which reg import reads nothing; the rest of the file ignored");
}

}  // namespace

void add_block(RegDocument &doc, uint32_t line, const std::string &key, bool deletion)
{
    uint32_t block = (uint32_t)doc.block_line.size();
    doc.block_line.push_back(line);
    if (deletion || key.empty()) {
        doc.previous_block.push_back(NO_BLOCK);
        if (!key.empty())
            doc.deleted_at[key] = line;
        return;
    }
    auto found = doc.last_block.emplace(key, block);
    doc.previous_block.push_back(found.second ? NO_BLOCK : found.first->second);
    found.first->second = block;
}

std::string key_index(std::string_view path)
{
    static const std::string classes = "HKEY_CLASSES_ROOT",
                             classes_in_machine = "HKEY_LOCAL_MACHINE\\SOFTWARE\\CLASSES";
    std::string key = folded(path);
    if (key.compare(0, classes.size(), classes) == 0 &&
        (key.size() == classes.size() || key[classes.size()] == '\\'))
        key.replace(0, classes.size(), classes_in_machine);
    return key;
}

std::string_view line_text(const RegDocument &doc, uint32_t line)
{
    return std::string_view(doc.text).substr(doc.lines[line].start, doc.lines[line].length);
}

bool read_document(const std::string &bytes, RegDocument &doc, size_t *fault_line, std::string &what)
{
    doc.form = REGEDIT4_FORM;
    doc.wide = false;
    doc.newline = 1;
    doc.unfinished_list_line = NO_BLOCK;
    doc.first_unread_line = 0;
    doc.skipped.clear();
    doc.text.clear();
    doc.lines.clear();
    doc.block_line.clear();
    doc.previous_block.clear();
    doc.last_block.clear();
    doc.deleted_at.clear();
    if (bytes.empty())
        return true;
    if (bytes.size() > 0x7FFFFFFF)
        return fail(1, "file too large", fault_line, what);
    if (!decode(bytes, doc, fault_line, what))
        return false;
    if (doc.wide)
        doc.newline = 2;
    split_lines(doc);
    if (!read_header(doc, fault_line, what))
        return false;
    read_lines(doc);
    return true;
}

void write_document(const RegDocument &doc, std::string &out)
{
    size_t size = 2;  // at most the bytes a form takes, so that the text is never copied to grow
    for (const RegLine &line : doc.lines)
        size += line.length + 2;
    out.clear();
    out.reserve(doc.wide ? 2 * size : size);
    if (doc.wide)
        out = "\xFF\xFE";
    for (uint32_t n = 0; n < doc.lines.size(); n++) {
        if (doc.lines[n].role == ROLE_REMOVED)
            continue;
        std::string_view text = line_text(doc, n), end = line_ends[doc.lines[n].end];
        if (doc.wide) {
            append_utf16le(out, text);
            append_utf16le(out, end);
        } else {
            append_ansi(out, text);
            out.append(end);
        }
    }
}
