// The bus file reader and writer on arbitrary text. The first four bytes
// choose a write (function, offset, count, data pattern); the rest is the
// file. Whatever parses must give its bytes back unchanged, and a write must
// land exactly where it was aimed: in the function's bytes and in its data
// rows, nowhere else.
#include <string.h>

#include <algorithm>
#include <string>
#include <vector>

#include "bus_file_update.h"
#include "fuzz_check.h"

namespace {

struct Line {
    std::string text, end;
};

// The text's lines, without those that start where one function's data rows do.
std::vector<Line> lines_but_rows(const BusFile &bus, const BusFunction &function)
{
    std::vector<size_t> row_starts;
    BlockLine block_line;
    for (size_t pos = block_start(bus, function); next_block_line(bus, &pos, &block_line);)
        if (block_line.is_row)
            row_starts.push_back(block_line.span.start);
    std::vector<Line> kept;
    size_t row = 0;
    for (size_t pos = 0; pos < bus.text.size();) {
        LineSpan span = line_at(bus.text, pos);
        if (row < row_starts.size() && row_starts[row] == pos)
            row++;
        else
            kept.push_back({ bus.text.substr(pos, span.text_end - pos),
                             bus.text.substr(span.text_end, span.end - span.text_end) });
        pos = span.end;
    }
    return kept;
}

// Line for line the same, except that a last line without a newline may
// have gained one, when a row was added after it.
bool same_lines(const std::vector<Line> &before, const std::vector<Line> &after)
{
    if (before.size() != after.size())
        return false;
    for (size_t i = 0; i < before.size(); i++) {
        const Line &old_line = before[i], &new_line = after[i];
        std::string now = new_line.text + new_line.end;
        if (!old_line.end.empty() || new_line.end.empty()) {
            if (new_line.text != old_line.text || new_line.end != old_line.end)
                return false;
        } else if (now != old_line.text + "\n" && now != old_line.text + "\r\n") {
            return false;
        }
    }
    return true;
}

const BusFunction *same_function(const BusFile &bus, const BusFunction &wanted)
{
    for (const BusFunction &f : bus.functions)
        if (f.domain == wanted.domain && f.bus == wanted.bus && f.slot == wanted.slot &&
            f.function == wanted.function)
            return &f;
    return nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 4)
        return 0;
    std::string text((const char *)data + 4, size - 4);

    BusFile bus;
    BusFileFault fault;
    if (!parse_bus_file(text, bus, fault)) {
        size_t lines = (size_t)std::count(text.begin(), text.end(), '\n') +
                       (text.empty() || text.back() == '\n' ? 0 : 1);
        check(fault.line >= 1 && fault.line <= lines && !fault.what.empty());
        return 0;
    }
    check(bus_file_bytes(bus) == text);
    if (bus.functions.empty())
        return 0;

    const BusFile before = bus;
    size_t chosen = data[0] % bus.functions.size();
    unsigned offset = data[1];
    unsigned count = data[2] % (CONFIG_SPACE_SIZE + 1 - offset);
    uint8_t bytes[CONFIG_SPACE_SIZE];
    for (unsigned i = 0; i < count; i++)
        bytes[i] = (uint8_t)(data[3] * (i + 1) + i);

    write_function_bytes(bus, bus.functions[chosen], offset, bytes, count);
    std::string written = bus_file_bytes(bus);

    BusFile after;
    check(parse_bus_file(written, after, fault));
    check(bus_file_bytes(after) == written);
    check(after.functions.size() == before.functions.size());
    check(after.has_open_error == before.has_open_error && after.open_error == before.open_error &&
          after.bios_absent == before.bios_absent);

    for (size_t i = 0; i < before.functions.size(); i++) {
        const BusFunction &old_function = before.functions[i];
        const BusFunction *new_function = same_function(after, old_function);
        check(new_function != nullptr);
        check(new_function->read_fails == old_function.read_fails &&
              new_function->write_ignored == old_function.write_ignored);
        uint8_t expected[CONFIG_SPACE_SIZE], reread[CONFIG_SPACE_SIZE], written_in_memory[CONFIG_SPACE_SIZE];
        function_config(before, old_function, expected);
        if (i == chosen)
            memcpy(expected + offset, bytes, count);
        function_config(after, *new_function, reread);
        function_config(bus, bus.functions[i], written_in_memory);
        check(memcmp(reread, expected, sizeof expected) == 0);
        check(memcmp(written_in_memory, expected, sizeof expected) == 0);
        if (i == chosen)
            check(same_lines(lines_but_rows(before, old_function), lines_but_rows(after, *new_function)));
    }
    return 0;
}
