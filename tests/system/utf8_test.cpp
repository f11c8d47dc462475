// SPDX-License-Identifier: GPL-3.0-or-later
// UTF-8, the text of the whole program: characters taken whole, malformed bytes alone.
#include "system/utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(Utf8Test, CharactersAreTakenWholeAndMalformedBytesAloneAsReplacements) {
    const struct {
        const char* name;
        std::string text;
        std::u32string characters;
    } cases[] = {
        {"plain and accented", "Miércoles €", U"Miércoles €"},
        {"four bytes", "\xF0\x9F\x92\xB6", U"\U0001F4B6"},
        {"a lone continuation byte",
         "a\x80"
         "b",
         U"a\uFFFDb"},
        {"a sequence cut short keeps what follows",
         "\xE2\x82"
         "5",
         U"\uFFFD\uFFFD5"},
        {"an overlong form", "\xC0\xAF", U"\uFFFD\uFFFD"},
        {"a surrogate", "\xED\xA0\x80", U"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", U"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"a Windows euro byte", "12\x80", U"12\uFFFD"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DecodeUtf8(c.text), c.characters);
        EXPECT_EQ(CharacterCount(c.text), c.characters.size());
    }
    const std::u32string all = U"aé€\U0001F4B6\u007F\u0080\u07FF\u0800\uFFFD\U0010FFFF";
    EXPECT_EQ(DecodeUtf8(EncodeUtf8(all)), all);
    EXPECT_EQ(EncodeUtf8(U"Sábado €"), "Sábado €");
}

}  // namespace
