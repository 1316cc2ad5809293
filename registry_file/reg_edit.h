// Keys and values of a registry file in memory by the meaning Wine's reg
// import gives the file: a key's blocks add up, a later value replaces an
// earlier one, "name"=- removes a value and [-KEY] a key with everything
// below it, names match whatever their case, a line it cannot read means
// nothing. Edits touch only the lines they must; every other line is
// written back exactly as it was read.
#ifndef REGISTRY_REG_EDIT_H
#define REGISTRY_REG_EDIT_H

#include <stdint.h>

#include <string>

#include "reg_document.h"

// The line of the last [-KEY] that took the key (folded path) away, its own
// or an ancestor's; -1 when none did. The key's blocks after it are live.
int64_t deleted_since(const RegDocument &doc, const std::string &key);

// Keys are named by their whole path, root first: "HKEY_LOCAL_MACHINE\\A\\B".
// A key exists once a block names it or a key below it, until it is deleted.
bool key_exists(const RegDocument &doc, const std::string &path);

// Gives the key a block of its own at the end when it does not exist yet.
// True when the file changed.
bool create_key(RegDocument &doc, const std::string &path);

// The value's line as the file now means it, and where it starts; false when
// the key holds no such value.
bool find_value(const RegDocument &doc, const std::string &path, const std::string &name, ValueLine &value,
                uint32_t *line);

// The bytes a value holds, as the ANSI registry calls return them.
std::string value_ansi_bytes(const RegDocument &doc, const ValueLine &value);

// Sets a value of an existing key to a string given as ANSI bytes
// (terminator included, as the registry calls count it). True when the
// file changed.
bool set_string_value(RegDocument &doc, const std::string &path, const std::string &name,
                      const std::string &ansi);

#endif
