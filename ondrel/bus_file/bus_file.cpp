// Reads a bus file as lspci -F does: header lines start functions, data rows
// fill them, an empty line ends them, "# sim:" lines are directives, the
// rest is ignored, rows outside a function included.
// A function's bytes stay in its rows' text, read again when asked for.
#include <string.h>

#include <algorithm>
#include <tuple>
#include <vector>

#include "bus_file.h"

namespace {

enum ArgumentKind { NO_ARGUMENT, HEX_CODE, FUNCTION_ADDRESS, FUNCTION_AND_SIZE };

enum DirectiveId { OPEN_ERROR, BIOS_ABSENT, READ_FAILS, WRITE_IGNORED, IO_WINDOW };

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
    { "io-window",     IO_WINDOW,     FUNCTION_AND_SIZE },
};
// clang-format on

struct ParseState {
    BusFile *bus;
    size_t line;       // 0-based number of the line being read
    bool in_function;  // false outside a function block
    std::vector<FunctionAddress> read_fails, write_ignored;
    std::vector<std::pair<FunctionAddress, uint32_t>> io_windows;
    BusFileFault *fault;
};

bool fail(ParseState &state, const std::string &what)
{
    state.fault->line = state.line + 1;
    state.fault->what = what;
    return false;
}

bool take_header(ParseState &state, size_t start, unsigned domain, const FunctionAddress &address)
{
    // A function given twice is found once the file is read, by address.
    BusFunction function = {};
    function.domain = domain;
    function.bus = (uint8_t)address.bus;
    function.slot = (uint8_t)address.slot;
    function.function = (uint8_t)address.function;
    function.header = start;
    state.bus->functions.push_back(function);
    state.in_function = true;
    return true;
}

std::vector<std::string> split_words(std::string_view text, size_t pos)
{
    std::vector<std::string> words;
    while (pos < text.size()) {
        while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t'))
            pos++;
        size_t start = pos;
        while (pos < text.size() && text[pos] != ' ' && text[pos] != '\t')
            pos++;
        if (pos > start)
            words.push_back(std::string(text.substr(start, pos - start)));
    }
    return words;
}

bool take_directive(ParseState &state, std::string_view text, size_t pos)
{
    std::vector<std::string> words = split_words(text, pos);
    if (words.empty())
        return fail(state, "directive is empty");
    const Directive *directive = nullptr;
    for (const Directive &d : directive_table)
        if (words[0] == d.name)
            directive = &d;
    if (!directive)
        return fail(state, "unknown directive \"" + words[0] + "\"");

    std::string name = directive->name;
    size_t most = directive->argument == NO_ARGUMENT ? 0 : directive->argument == FUNCTION_AND_SIZE ? 2 : 1;
    const char *const too_many[] = { " takes no argument", " takes one argument", " takes two arguments" };
    if (words.size() > 1 + most)
        return fail(state, name + too_many[most]);

    uint32_t code = 0;
    FunctionAddress address = {};
    const std::string argument = words.size() > 1 ? words[1] : "", size = words.size() > 2 ? words[2] : "";
    if (directive->argument == HEX_CODE) {
        size_t skip = argument.compare(0, 2, "0x") == 0 || argument.compare(0, 2, "0X") == 0 ? 2 : 0;
        size_t digits = read_hex(argument, skip, 8, &code);
        if (digits == 0 || digits > 8 || skip + digits != argument.size())
            return fail(state, name + " needs a hex error code");
    }
    bool names_function = directive->argument == FUNCTION_ADDRESS || directive->argument == FUNCTION_AND_SIZE;
    if (names_function &&
        (argument.size() != 7 || !read_slot_text(argument, 0, &address) || !slot_in_range(address)))
        return fail(state, name + " names no valid function");
    // An I/O window is a power of two from 4 to 256 bytes.
    if (directive->argument == FUNCTION_AND_SIZE &&
        (read_hex(size, 0, 3, &code) != size.size() || code < 4 || code > 0x100 || (code & (code - 1))))
        return fail(state, name + " needs a window size in hex, a power of two from 4 to 100");

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
    case IO_WINDOW:
        state.io_windows.push_back({ address, code });
        break;
    }
    return true;
}

bool take_line(ParseState &state, const LineSpan &span)
{
    std::string_view text(state.bus->text.data() + span.start, span.text_end - span.start);
    if (text.find('\0') != std::string_view::npos)
        return fail(state, "line holds a NUL byte");  // lspci's C strings end there
    LineMeaning meaning = read_line(text);
    const DataRow &row = meaning.row;
    switch (meaning.kind) {
    case BLANK_LINE:
        state.in_function = false;
        return true;
    case DIRECTIVE_LINE:
        return take_directive(state, text, meaning.directive);
    case HEADER_LINE:
        return take_header(state, span.start, meaning.domain, meaning.address);
    case BAD_ROW_LINE:
        return !state.in_function || fail(state, "data row is not hex bytes");
    case ROW_LINE:
        return !state.in_function || row.count == 0 || row.offset + (uint64_t)row.count <= DUMP_SPACE_SIZE ||
               fail(state, "data row reaches past offset fff");
    default:
        return true;  // a comment, or any other text
    }
}

typedef std::tuple<unsigned, unsigned, unsigned, unsigned> Address;

Address address_of(const BusFunction &f) { return Address(f.domain, f.bus, f.slot, f.function); }

// Sorts the functions by address; false with the fault of the first header,
// in file order, that repeats an earlier one.
bool sort_functions(BusFile &bus, BusFileFault &fault)
{
    std::sort(bus.functions.begin(), bus.functions.end(), [](const BusFunction &a, const BusFunction &b) {
        return std::make_tuple(address_of(a), a.header) < std::make_tuple(address_of(b), b.header);
    });
    size_t repeat = std::string::npos;
    for (size_t i = 1; i < bus.functions.size(); i++)
        if (address_of(bus.functions[i]) == address_of(bus.functions[i - 1]))
            repeat = std::min(repeat, bus.functions[i].header);
    if (repeat == std::string::npos)
        return true;
    const std::string &text = bus.text;
    fault.line = 1 + (size_t)std::count(text.begin(), text.begin() + (long)repeat, '\n');
    fault.what = "function " + text.substr(repeat, text.find(' ', repeat) - repeat) + " is given twice";
    return false;
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
    bus.text = bytes;
    ParseState state = { &bus, 0, false, {}, {}, {}, &fault };
    bool read = true;
    for (size_t pos = 0; read && pos < bytes.size(); state.line++) {
        LineSpan span = line_at(bus.text, pos);
        read = take_line(state, span);
        pos = span.end;
    }
    // A repeated function lies before any other fault, which ended the reading.
    if (!sort_functions(bus, fault) || !read)
        return false;
    mark_functions(bus, state.read_fails, &BusFunction::read_fails);
    mark_functions(bus, state.write_ignored, &BusFunction::write_ignored);
    for (const auto &[a, size] : state.io_windows)
        if (BusFunction *f = find_function(bus, a.bus, a.slot << 3 | a.function))
            f->io_window = size;
    return true;
}

BusFunction *find_function(BusFile &bus, unsigned bus_number, unsigned devfn)
{
    Address wanted(0, bus_number, devfn >> 3, devfn & 7);
    auto at = std::lower_bound(bus.functions.begin(), bus.functions.end(), wanted,
                               [](const BusFunction &f, const Address &key) { return address_of(f) < key; });
    return at != bus.functions.end() && address_of(*at) == wanted ? &*at : nullptr;
}

size_t block_start(const BusFile &bus, const BusFunction &function)
{
    return line_at(bus.text, function.header).end;
}

bool next_block_line(const BusFile &bus, size_t *pos, BlockLine *line)
{
    if (*pos >= bus.text.size())
        return false;
    line->span = line_at(bus.text, *pos);
    line->text = std::string_view(bus.text.data() + *pos, line->span.text_end - line->span.start);
    LineMeaning meaning = read_line(line->text);
    if (meaning.kind == BLANK_LINE || meaning.kind == HEADER_LINE)
        return false;
    line->is_row = meaning.kind == ROW_LINE;
    line->row = meaning.row;
    *pos = line->span.end;
    return true;
}

size_t function_bytes(const BusFile &bus, const BusFunction &function, uint8_t *bytes, size_t size)
{
    memset(bytes, 0xFF, size);
    size_t reach = 0;
    BlockLine line;
    for (size_t pos = block_start(bus, function); next_block_line(bus, &pos, &line);) {
        for (size_t i = 0; line.is_row && i < line.row.count && line.row.offset + i < size; i++)
            bytes[line.row.offset + i] = row_byte(line.text, line.row, i);
        if (line.is_row && line.row.count > 0)
            reach = std::max(reach, line.row.offset + line.row.count);
    }
    return reach;
}

void function_config(const BusFile &bus, const BusFunction &function, uint8_t config[CONFIG_SPACE_SIZE])
{
    function_bytes(bus, function, config, CONFIG_SPACE_SIZE);
}
