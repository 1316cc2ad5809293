// The character sets a registry file meets: UTF-16LE in version 5.00 files,
// code page 1252 in REGEDIT4 files and at the ANSI registry calls, UTF-8
// inside. Names compare case-insensitively through folded().
#ifndef REGISTRY_TEXT_ENCODING_H
#define REGISTRY_TEXT_ENCODING_H

#include <stddef.h>

#include <string>
#include <string_view>

// UTF-16LE bytes as UTF-8, with room for spare bytes more. False at a torn
// text (an odd byte count or an unpaired surrogate), with *bad_at the byte
// offset where it tears.
bool utf16le_to_utf8(const char *bytes, size_t size, std::string &utf8, size_t *bad_at, size_t spare = 0);

std::string utf8_to_utf16le(std::string_view utf8);

// Code page 1252 and back. Every byte has a character (the five the code
// page leaves out stand for U+0081 and the like, as Windows maps them); a
// character the code page cannot hold becomes '?', as Windows writes it.
std::string ansi_to_utf8(std::string_view ansi);

// The same into utf8, with room for spare bytes more: for a whole file,
// whose buffer can then be used again.
void ansi_to_utf8(std::string_view ansi, std::string &utf8, size_t spare);
std::string utf8_to_ansi(std::string_view utf8);

// The same conversions from UTF-8, appended to out.
void append_ansi(std::string &out, std::string_view utf8);
void append_utf16le(std::string &out, std::string_view utf8);

// The length of the text in UTF-16 units, as the registry measures names.
size_t utf16_units(std::string_view utf8);

// The name in one case, so that names differing only in case compare equal.
std::string folded(std::string_view utf8);

#endif
