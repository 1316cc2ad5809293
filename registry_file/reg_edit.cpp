// Keys and values by what the file means, and the smallest edits that make
// it mean something more: a value replaced in its own line, a new value at
// the end of its key's last block, a new key in a block of its own at the end.
#include "reg_edit.h"
#include "text_encoding.h"

namespace {

const int64_t NEVER = -1;

struct FoundValue {
    ValueLine value;
    uint32_t line, last;  // its first and last line
};

// The key's last block that a deletion has not undone, or NO_BLOCK.
uint32_t live_block(const RegDocument &doc, const std::string &key)
{
    auto found = doc.last_block.find(key);
    if (found == doc.last_block.end() || doc.block_line[found->second] <= deleted_since(doc, key))
        return NO_BLOCK;
    return found->second;
}

uint32_t block_end(const RegDocument &doc, uint32_t block)
{
    return block + 1 < doc.block_line.size() ? doc.block_line[block + 1] : (uint32_t)doc.lines.size();
}

// The whole value that starts at line: its hex list may go on for lines.
void read_whole_value(const RegDocument &doc, uint32_t line, FoundValue &found)
{
    std::string what;
    bool skipped;
    found.line = found.last = line;
    read_value_line(line_text(doc, line), found.value, what);
    for (uint32_t n = line + 1; found.value.continues && n < doc.lines.size(); n++) {
        if (doc.lines[n].role == ROLE_HEX_CONTINUATION) {
            read_hex_continuation(line_text(doc, n), found.value, &skipped, what);
            found.last = n;
        }
    }
}

// The last line that sets or deletes the value, in the key's live blocks.
bool find_last(const RegDocument &doc, const std::string &path, const std::string &name, FoundValue &found)
{
    std::string key = key_index(path), wanted = folded(name), what;
    int64_t since = deleted_since(doc, key);
    ValueLine candidate;
    for (uint32_t b = live_block(doc, key); b != NO_BLOCK && doc.block_line[b] > since;
         b = doc.previous_block[b]) {
        uint32_t match = NO_BLOCK;
        for (uint32_t n = doc.block_line[b] + 1; n < block_end(doc, b); n++)
            if (doc.lines[n].role == ROLE_VALUE && read_value_line(line_text(doc, n), candidate, what) &&
                folded(candidate.name) == wanted)
                match = n;
        if (match != NO_BLOCK) {
            read_whole_value(doc, match, found);
            return true;
        }
    }
    return false;
}

RegLine stored_line(RegDocument &doc, const std::string &text, LineRole role)
{
    RegLine line = { (uint32_t)doc.text.size(), (uint32_t)text.size(), doc.newline, role };
    doc.text += text;
    return line;
}

void set_line_text(RegDocument &doc, uint32_t line, const std::string &text)
{
    RegLine stored = stored_line(doc, text, doc.lines[line].role);
    doc.lines[line].start = stored.start;
    doc.lines[line].length = stored.length;
}

// Puts a new line before line at; everything from there moves down. A hex
// list the file ended within would take the line in: its backslash goes.
void insert_line(RegDocument &doc, uint32_t at, const std::string &text, LineRole role)
{
    if (doc.unfinished_list_line != NO_BLOCK && at > doc.unfinished_list_line) {
        // The list's first backslash after its name (a comment may hold more).
        std::string_view list = line_text(doc, doc.unfinished_list_line);
        ValueLine value;
        std::string what;
        size_t data_at =
            line_kind(list) == LINE_VALUE && read_value_line(list, value, what) ? value.data_at : 0;
        set_line_text(doc, doc.unfinished_list_line, std::string(list.substr(0, list.find('\\', data_at))));
        doc.unfinished_list_line = NO_BLOCK;
    }
    if (at > 0 && doc.lines[at - 1].end == 0)
        doc.lines[at - 1].end = doc.newline;  // it was the last line, without a line end
    doc.lines.insert(doc.lines.begin() + at, stored_line(doc, text, role));
    for (uint32_t &line : doc.block_line)
        line += line >= at;
    for (auto &deletion : doc.deleted_at)
        deletion.second += deletion.second >= at;
    doc.first_unread_line += doc.first_unread_line >= at;
}

uint32_t append_block(RegDocument &doc, const std::string &path)
{
    if (doc.lines.empty())
        insert_line(doc, 0, form_headers[doc.form], ROLE_OTHER);
    if (doc.lines[doc.first_unread_line - 1].length != 0)
        insert_line(doc, doc.first_unread_line, "", ROLE_OTHER);
    uint32_t line = doc.first_unread_line;  // where reg import still reads
    insert_line(doc, line, "[" + path + "]", ROLE_KEY);
    add_block(doc, line, key_index(path), false);
    return (uint32_t)doc.block_line.size() - 1;
}

// The value as the file should hold it: text when it is one string with its
// terminator and nothing that would break the line, else hex(1): bytes (in
// a UTF-16 file, the UTF-16 the wide registry stores).
ValueLine wanted_value(const RegDocument &doc, const std::string &ansi, std::string &data_text)
{
    ValueLine wanted;
    wanted.hex_type = REG_SZ_TYPE;
    bool text = !ansi.empty() && ansi.back() == '\0' &&
                ansi.find_first_of(std::string("\r\n\0", 3)) == ansi.size() - 1;
    if (text) {
        wanted.type = DATA_STRING;
        wanted.data = ansi_to_utf8(std::string_view(ansi).substr(0, ansi.size() - 1));
        data_text = quoted_text(wanted.data);
    } else {
        wanted.type = DATA_HEX;
        wanted.data = doc.wide ? utf8_to_utf16le(ansi_to_utf8(ansi)) : ansi;
        data_text = hex_data(REG_SZ_TYPE, wanted.data);
    }
    return wanted;
}

}  // namespace

int64_t deleted_since(const RegDocument &doc, const std::string &key)
{
    if (doc.deleted_at.empty())
        return NEVER;  // most files delete nothing
    int64_t latest = NEVER;
    for (size_t end = key.find('\\');; end = key.find('\\', end + 1)) {
        auto found = doc.deleted_at.find(key.substr(0, end));  // the key itself once end is npos
        if (found != doc.deleted_at.end() && found->second > latest)
            latest = found->second;
        if (end == std::string::npos)
            return latest;
    }
}

bool key_exists(const RegDocument &doc, const std::string &path)
{
    if (path.find('\\') == std::string::npos)
        return true;  // a root key always exists
    std::string key = key_index(path);
    if (live_block(doc, key) != NO_BLOCK)
        return true;
    // Known only by a key below it: rare enough to look through them all.
    std::string below = key + '\\';
    for (const auto &entry : doc.last_block)
        if (entry.first.compare(0, below.size(), below) == 0 && live_block(doc, entry.first) != NO_BLOCK)
            return true;
    return false;
}

bool create_key(RegDocument &doc, const std::string &path)
{
    if (key_exists(doc, path))
        return false;
    append_block(doc, path);
    return true;
}

bool find_value(const RegDocument &doc, const std::string &path, const std::string &name, ValueLine &value,
                uint32_t *line)
{
    FoundValue found;
    if (!find_last(doc, path, name, found) || found.value.type == DATA_DELETION)
        return false;
    value = found.value;
    *line = found.line;
    return true;
}

std::string value_ansi_bytes(const RegDocument &doc, const ValueLine &value)
{
    if (value.type == DATA_STRING)
        return utf8_to_ansi(value.data) + '\0';
    bool wide_text = value.hex_type == REG_SZ_TYPE || value.hex_type == REG_EXPAND_SZ_TYPE ||
                     value.hex_type == REG_MULTI_SZ_TYPE;
    std::string utf8;
    size_t bad_at;
    if (value.type == DATA_HEX && wide_text && doc.wide &&
        utf16le_to_utf8(value.data.data(), value.data.size(), utf8, &bad_at))
        return utf8_to_ansi(utf8);
    return value.data;
}

bool set_string_value(RegDocument &doc, const std::string &path, const std::string &name,
                      const std::string &ansi)
{
    std::string data_text;
    ValueLine wanted = wanted_value(doc, ansi, data_text);
    FoundValue found;
    if (find_last(doc, path, name, found) && found.value.type != DATA_DELETION) {
        const ValueLine &now = found.value;
        if (now.type == wanted.type && now.data == wanted.data &&
            (now.type != DATA_HEX || now.hex_type == REG_SZ_TYPE))
            return false;
        // The line keeps its name as written; only the data is new.
        set_line_text(doc, found.line,
                      std::string(line_text(doc, found.line).substr(0, now.data_at)) + data_text);
        for (uint32_t n = found.line + 1; n <= found.last; n++)
            if (doc.lines[n].role == ROLE_HEX_CONTINUATION)
                doc.lines[n].role = ROLE_REMOVED;
        if (doc.unfinished_list_line >= found.line && doc.unfinished_list_line <= found.last)
            doc.unfinished_list_line = NO_BLOCK;  // the list is gone with its value
        return true;
    }
    uint32_t block = live_block(doc, key_index(path));
    if (block == NO_BLOCK)
        block = append_block(doc, path);
    uint32_t at = doc.block_line[block] + 1;
    for (uint32_t n = at; n < block_end(doc, block); n++)
        if (doc.lines[n].role == ROLE_VALUE || doc.lines[n].role == ROLE_HEX_CONTINUATION)
            at = n + 1;
    insert_line(doc, at, (name.empty() ? std::string("@") : quoted_text(name)) + "=" + data_text, ROLE_VALUE);
    return true;
}
