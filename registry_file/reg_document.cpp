// Reading a registry file into lines and the index of its keys, and writing
// it back: decoding by form, splitting lines where regedit does (CRLF, LF or
// a lone CR), checking every line, and recording each block under its key.
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

// The text of the file in UTF-8, and its form by its byte-order mark.
bool decode(const std::string &bytes, RegDocument &doc, size_t *fault_line, std::string &what)
{
    if (bytes.size() < 2 || (unsigned char)bytes[0] != 0xFF || (unsigned char)bytes[1] != 0xFE) {
        doc.form = REGEDIT4_FORM;
        ansi_to_utf8(bytes, doc.text, EDIT_ROOM_BYTES);
        return true;
    }
    doc.form = VERSION5_FORM;
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

void split_lines(RegDocument &doc)
{
    const char *text = doc.text.data();
    size_t size = doc.text.size(), start = 0;
    doc.lines.reserve(std::count(text, text + size, '\n') + EDIT_ROOM_LINES);
    while (start < size) {
        size_t end = start;
        while (end < size && text[end] != '\n' && text[end] != '\r')
            end++;
        RegLine line = { (uint32_t)start, (uint32_t)(end - start), 0, ROLE_OTHER };
        if (end == size)
            start = size;
        else if (text[end] == '\r' && end + 1 < size && text[end + 1] == '\n')
            line.end = 2, start = end + 2;
        else
            line.end = text[end] == '\n' ? 1 : 3, start = end + 1;
        doc.lines.push_back(line);
    }
}

bool read_header(RegDocument &doc, size_t *fault_line, std::string &what)
{
    std::string_view first = line_text(doc, 0);
    first.remove_prefix(std::min(first.find_first_not_of(" \t"), first.size()));
    if (first == form_headers[doc.form]) {
        if (doc.lines[0].end != 0)
            doc.newline = doc.lines[0].end;
        return true;
    }
    const char *other = form_headers[doc.form == REGEDIT4_FORM ? VERSION5_FORM : REGEDIT4_FORM];
    if (first == other)
        return fail(1,
                    std::string(other) +
                        (doc.form == REGEDIT4_FORM ? " in a file that is not UTF-16" : " in a UTF-16 file"),
                    fault_line, what);
    return fail(1, "first line is neither REGEDIT4 nor Windows Registry Editor Version 5.00", fault_line,
                what);
}

// Every line after the first: its role, and its block under its key.
bool read_lines(RegDocument &doc, size_t *fault_line, std::string &what)
{
    ValueLine value;
    value.continues = false;
    std::string path;
    for (uint32_t n = 1; n < doc.lines.size(); n++) {
        std::string_view text = line_text(doc, n);
        RegLine &line = doc.lines[n];
        bool ok = true, skipped = false, deletion = false;
        if (text.find('\0') != std::string_view::npos) {
            ok = false, what = "NUL character in a line";
        } else if (value.continues) {
            ok = read_hex_continuation(text, value, &skipped, what);
            line.role = skipped ? ROLE_OTHER : ROLE_MORE;
            doc.open_list = skipped ? doc.open_list : n;
        } else if (line_kind(text) == LINE_KEY) {
            ok = read_key_line(text, path, &deletion, what);
            line.role = deletion ? ROLE_DELETION : ROLE_KEY;
            if (ok)
                add_block(doc, n, key_index(path), deletion);
        } else if (line_kind(text) == LINE_VALUE) {
            if (doc.block_line.empty())
                ok = false, what = "value before the first key";
            else
                ok = read_value_line(text, value, what);
            line.role = ROLE_VALUE;
            doc.open_list = n;
        } else {
            size_t first = text.find_first_not_of(" \t");
            if (first != std::string_view::npos && text[first] != ';' && text[first] != '#')
                ok = false, what = "neither a key, a value nor a comment";
        }
        if (!ok)
            return fail(n + 1, what, fault_line, what);
    }
    if (!value.continues)
        doc.open_list = NO_BLOCK;
    return true;  // a hex list the file ends within ends with it, as regedit reads it
}

}  // namespace

void add_block(RegDocument &doc, uint32_t line, const std::string &key, bool deletion)
{
    uint32_t block = (uint32_t)doc.block_line.size();
    doc.block_line.push_back(line);
    if (deletion) {
        doc.previous_block.push_back(NO_BLOCK);
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
    doc.newline = 1;
    doc.open_list = NO_BLOCK;
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
    if (doc.form == VERSION5_FORM)
        doc.newline = 2;
    split_lines(doc);
    if (doc.lines.empty())
        doc.lines.push_back({ 0, 0, 0, ROLE_OTHER });
    return read_header(doc, fault_line, what) && read_lines(doc, fault_line, what);
}

void write_document(const RegDocument &doc, std::string &out)
{
    size_t size = 2;  // at most the bytes a form takes, so that the text is never copied to grow
    for (const RegLine &line : doc.lines)
        size += line.length + 2;
    out.clear();
    out.reserve(doc.form == VERSION5_FORM ? 2 * size : size);
    if (doc.form == VERSION5_FORM)
        out = "\xFF\xFE";
    for (uint32_t n = 0; n < doc.lines.size(); n++) {
        if (doc.lines[n].role == ROLE_GONE)
            continue;
        std::string_view text = line_text(doc, n), end = line_ends[doc.lines[n].end];
        if (doc.form == VERSION5_FORM) {
            append_utf16le(out, text);
            append_utf16le(out, end);
        } else {
            append_ansi(out, text);
            out.append(end);
        }
    }
}
