// Reads a bus file: header lines start functions, data rows fill them, a
// blank line ends them, "# sim:" lines are directives, the rest is ignored.
#include <string.h>

#include "bus_file.h"
#include "hex_digit.h"

namespace {

enum ArgumentKind { NO_ARGUMENT, HEX_CODE, FUNCTION_ADDRESS };

enum DirectiveId { OPEN_ERROR, BIOS_ABSENT, READ_FAILS, WRITE_IGNORED };

struct Directive {
    const char *name;
    DirectiveId id;
    ArgumentKind argument;
};

// A table, aligned by column.
// clang-format off
const Directive directive_table[] = {
    { "open-error",    OPEN_ERROR,    HEX_CODE         },
    { "bios-absent",   BIOS_ABSENT,   NO_ARGUMENT      },
    { "read-fails",    READ_FAILS,    FUNCTION_ADDRESS },
    { "write-ignored", WRITE_IGNORED, FUNCTION_ADDRESS },
};
// clang-format on

struct FunctionAddress {
    unsigned bus, slot, function;
};

struct ParseState {
    BusFile *bus;
    BusFunction *current;  // null outside a function block
    std::vector<FunctionAddress> read_fails, write_ignored;
    BusFileFault *fault;
};

bool is_blank(char c) { return c == ' ' || c == '\t'; }

// Hex digits from pos on: how many (at most max_digits + 1, so that a caller
// can tell "too long"), with their value in *value.
size_t read_hex(const std::string &text, size_t pos, size_t max_digits, uint32_t *value)
{
    size_t n = 0;
    uint32_t v = 0;
    while (pos + n < text.size() && hex_digit(text[pos + n]) >= 0 && n <= max_digits) {
        v = v << 4 | (uint32_t)hex_digit(text[pos + n]);
        n++;
    }
    *value = v;
    return n;
}

// "BB:SS.F" at pos: the digits' shape only; the ranges are checked apart.
bool read_slot_text(const std::string &text, size_t pos, FunctionAddress *address)
{
    if (text.size() < pos + 7)
        return false;
    const char *p = text.c_str() + pos;
    if (hex_digit(p[0]) < 0 || hex_digit(p[1]) < 0 || p[2] != ':' || hex_digit(p[3]) < 0 ||
        hex_digit(p[4]) < 0 || p[5] != '.' || p[6] < '0' || p[6] > '9')
        return false;
    address->bus = (unsigned)(hex_digit(p[0]) << 4 | hex_digit(p[1]));
    address->slot = (unsigned)(hex_digit(p[3]) << 4 | hex_digit(p[4]));
    address->function = (unsigned)(p[6] - '0');
    return true;
}

bool slot_in_range(const FunctionAddress &a) { return a.slot < 32 && a.function < 8; }

bool ends_word(const std::string &text, size_t pos) { return pos == text.size() || is_blank(text[pos]); }

// "BB:SS.F text" or "DDDD:BB:SS.F text".
bool read_header(const std::string &text, unsigned *domain, FunctionAddress *address)
{
    if (read_slot_text(text, 0, address) && ends_word(text, 7)) {
        *domain = 0;
        return true;
    }
    uint32_t value;
    size_t digits = read_hex(text, 0, 8, &value);
    if (digits == 0 || digits > 8 || digits >= text.size() || text[digits] != ':')
        return false;
    if (!read_slot_text(text, digits + 1, address) || !ends_word(text, digits + 8))
        return false;
    *domain = value;
    return true;
}

bool fail(ParseState &state, size_t line, const std::string &what)
{
    state.fault->line = line + 1;
    state.fault->what = what;
    return false;
}

bool take_header(ParseState &state, size_t line, unsigned domain, const FunctionAddress &address)
{
    const std::string &text = state.bus->lines[line].text;
    if (!slot_in_range(address))
        return fail(state, line, "header names no valid function");
    unsigned devfn = address.slot << 3 | address.function;
    for (const BusFunction &f : state.bus->functions)
        if (f.domain == domain && f.bus == address.bus && f.devfn == devfn)
            return fail(state, line,
                        "function " + text.substr(0, text.find_first_of(" \t")) + " is given twice");
    BusFunction function = {};
    function.domain = domain;
    function.bus = address.bus;
    function.devfn = devfn;
    function.header_line = line;
    memset(function.config, 0xFF, sizeof function.config);
    state.bus->functions.push_back(function);
    state.current = &state.bus->functions.back();
    return true;
}

// "OO: b0 b1 ... b15": the offset, then up to 16 two-digit bytes.
bool take_data_row(ParseState &state, size_t line, size_t offset_digits, uint32_t offset)
{
    const std::string &text = state.bus->lines[line].text;
    DataRow row = { line, offset, {} };
    size_t pos = offset_digits + 1;
    for (;;) {
        size_t start = pos;
        while (pos < text.size() && is_blank(text[pos]))
            pos++;
        if (pos == text.size())
            break;
        if (pos == start || row.bytes.size() == 16 || pos + 2 > text.size() || hex_digit(text[pos]) < 0 ||
            hex_digit(text[pos + 1]) < 0 || !ends_word(text, pos + 2))
            return fail(state, line, "data row is not hex bytes");
        row.bytes.push_back((uint8_t)(hex_digit(text[pos]) << 4 | hex_digit(text[pos + 1])));
        pos += 2;
    }
    if (!state.current)
        return fail(state, line, "data row outside a function");
    for (size_t i = 0; i < row.bytes.size() && offset + i < CONFIG_SPACE_SIZE; i++)
        state.current->config[offset + i] = row.bytes[i];
    if (offset < CONFIG_SPACE_SIZE)
        state.current->rows.push_back(row);
    return true;
}

std::vector<std::string> split_words(const std::string &text, size_t pos)
{
    std::vector<std::string> words;
    while (pos < text.size()) {
        while (pos < text.size() && is_blank(text[pos]))
            pos++;
        size_t start = pos;
        while (pos < text.size() && !is_blank(text[pos]))
            pos++;
        if (pos > start)
            words.push_back(text.substr(start, pos - start));
    }
    return words;
}

bool take_directive(ParseState &state, size_t line, size_t pos)
{
    std::vector<std::string> words = split_words(state.bus->lines[line].text, pos);
    if (words.empty())
        return fail(state, line, "directive is empty");
    const Directive *directive = nullptr;
    for (const Directive &d : directive_table)
        if (words[0] == d.name)
            directive = &d;
    if (!directive)
        return fail(state, line, "unknown directive \"" + words[0] + "\"");

    std::string name = directive->name;
    if (directive->argument == NO_ARGUMENT && words.size() > 1)
        return fail(state, line, name + " takes no argument");
    if (directive->argument != NO_ARGUMENT && words.size() > 2)
        return fail(state, line, name + " takes one argument");

    uint32_t code = 0;
    FunctionAddress address = {};
    const std::string argument = words.size() > 1 ? words[1] : "";
    if (directive->argument == HEX_CODE) {
        size_t skip = argument.compare(0, 2, "0x") == 0 || argument.compare(0, 2, "0X") == 0 ? 2 : 0;
        size_t digits = read_hex(argument, skip, 8, &code);
        if (digits == 0 || digits > 8 || skip + digits != argument.size())
            return fail(state, line, name + " needs a hex error code");
    }
    if (directive->argument == FUNCTION_ADDRESS &&
        (argument.size() != 7 || !read_slot_text(argument, 0, &address) || !slot_in_range(address)))
        return fail(state, line, name + " names no valid function");

    switch (directive->id) {
    case OPEN_ERROR:
        state.bus->has_open_error = true;
        state.bus->open_error = code;
        break;
    case BIOS_ABSENT:
        state.bus->bios_absent = true;
        break;
    case READ_FAILS:
        state.read_fails.push_back(address);
        break;
    case WRITE_IGNORED:
        state.write_ignored.push_back(address);
        break;
    }
    return true;
}

bool take_line(ParseState &state, size_t line)
{
    const std::string &text = state.bus->lines[line].text;
    if (text.find_first_not_of(" \t") == std::string::npos) {
        state.current = nullptr;
        return true;
    }
    if (text[0] == '#') {
        size_t pos = text.find_first_not_of(" \t", 1);
        if (pos != std::string::npos && text.compare(pos, 4, "sim:") == 0)
            return take_directive(state, line, pos + 4);
        return true;  // a comment
    }
    unsigned domain;
    FunctionAddress address;
    if (read_header(text, &domain, &address))
        return take_header(state, line, domain, address);
    uint32_t offset;
    size_t digits = read_hex(text, 0, 8, &offset);
    if (digits > 0 && digits < text.size() && text[digits] == ':') {
        if (digits > 8)
            return fail(state, line, "data row is not hex bytes");
        return take_data_row(state, line, digits, offset);
    }
    return true;  // any other text, as lspci -v prints it
}

std::vector<BusLine> split_lines(const std::string &bytes)
{
    std::vector<BusLine> lines;
    size_t pos = 0;
    while (pos < bytes.size()) {
        size_t newline = bytes.find('\n', pos);
        BusLine line;
        if (newline == std::string::npos) {
            line.text = bytes.substr(pos);
            pos = bytes.size();
        } else {
            line.text = bytes.substr(pos, newline - pos);
            line.end = "\n";
            pos = newline + 1;
        }
        if (!line.text.empty() && line.text.back() == '\r' && !line.end.empty()) {
            line.text.pop_back();
            line.end = "\r\n";
        }
        lines.push_back(line);
    }
    return lines;
}

void mark_functions(BusFile &bus, const std::vector<FunctionAddress> &addresses, bool BusFunction::*flag)
{
    for (const FunctionAddress &a : addresses)
        if (BusFunction *f = find_function(bus, a.bus, a.slot << 3 | a.function))
            f->*flag = true;
}

}  // namespace

bool parse_bus_file(const std::string &bytes, BusFile &bus, BusFileFault &fault)
{
    bus = BusFile();
    bus.lines = split_lines(bytes);
    // Functions are added while current points into the vector: room for all.
    bus.functions.reserve(bus.lines.size());
    ParseState state = { &bus, nullptr, {}, {}, &fault };
    for (size_t line = 0; line < bus.lines.size(); line++)
        if (!take_line(state, line))
            return false;
    mark_functions(bus, state.read_fails, &BusFunction::read_fails);
    mark_functions(bus, state.write_ignored, &BusFunction::write_ignored);
    return true;
}

BusFunction *find_function(BusFile &bus, unsigned bus_number, unsigned devfn)
{
    for (BusFunction &f : bus.functions)
        if (f.domain == 0 && f.bus == bus_number && f.devfn == devfn)
            return &f;
    return nullptr;
}
