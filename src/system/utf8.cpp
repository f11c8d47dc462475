// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8 decoding and encoding.
#include "system/utf8.h"

namespace {

constexpr char32_t REPLACEMENT = 0xFFFD;

bool Continuation(unsigned char byte) {
    return (byte & 0xC0) == 0x80;
}

}  // namespace

char32_t NextCharacter(std::string_view text, size_t& at) {
    const auto lead = static_cast<unsigned char>(text[at++]);
    if (lead < 0x80) return lead;
    int length = 0;
    char32_t value = 0;
    char32_t smallest = 0;
    if ((lead & 0xE0) == 0xC0) {
        length = 1, value = lead & 0x1F, smallest = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 2, value = lead & 0x0F, smallest = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 3, value = lead & 0x07, smallest = 0x10000;
    } else {
        return REPLACEMENT;
    }
    if (at + length > text.size()) return REPLACEMENT;
    for (int i = 0; i < length; ++i) {
        const auto byte = static_cast<unsigned char>(text[at + i]);
        if (!Continuation(byte)) return REPLACEMENT;
        value = (value << 6) | (byte & 0x3F);
    }
    if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return REPLACEMENT;
    at += length;
    return value;
}

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string result;
    for (size_t at = 0; at < text.size();) result.push_back(NextCharacter(text, at));
    return result;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string out;
    for (char32_t c : text) AppendUtf8(out, c);
    return out;
}

size_t CharacterCount(std::string_view text) {
    size_t count = 0;
    for (size_t at = 0; at < text.size(); ++count) NextCharacter(text, at);
    return count;
}
