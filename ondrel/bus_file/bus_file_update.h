// Changes to a bus file in memory, and its text as it then stands: every
// line a change does not touch stays exactly as it was read.
#ifndef ONDREL_BUS_FILE_UPDATE_H
#define ONDREL_BUS_FILE_UPDATE_H

#include <stdint.h>

#include <string>

#include "bus_file.h"

// Stores the bytes in the function and in every data row that holds them,
// adding lspci-style rows where the file gave none. offset + count <= CONFIG_SPACE_SIZE.
void write_function_bytes(BusFile &bus, BusFunction &function, unsigned offset, const uint8_t *data,
                          unsigned count);

// The file's bytes as they now stand.
const std::string &bus_file_bytes(const BusFile &bus);

#endif
