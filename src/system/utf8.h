// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8, the program's text everywhere: characters counted, taken one at a time and written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The character that starts at `at`, which moves past it; a byte that starts no well-formed
// sequence is taken alone as U+FFFD.
char32_t NextCharacter(std::string_view text, size_t& at);
std::u32string DecodeUtf8(std::string_view text);
void AppendUtf8(std::string& out, char32_t character);
std::string EncodeUtf8(std::u32string_view text);
size_t CharacterCount(std::string_view text);
