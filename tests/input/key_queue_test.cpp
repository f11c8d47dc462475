// SPDX-License-Identifier: GPL-3.0-or-later
// The order in which typed keys become due: fast, overlapping typing keeps every character once,
// in the order the keys went down, and a held key's repeats make its earlier press due at once.
#include "input/key_queue.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The keys of a script by letter: digits type themselves; the others are these.
struct NamedKey {
    char letter;
    KeyName name;
    const char* text;
    KeyAction action;  // what it leaves waiting
};
constexpr NamedKey NAMED[] = {{'b', KeyName::Backspace, "\b", KeyAction::Backspace},
                              {'e', KeyName::Enter, "\r", KeyAction::Enter},
                              {'t', KeyName::Tab, "\t", KeyAction::None},
                              {'L', KeyName::Left, "", KeyAction::Left}};

Key KeyOf(char letter, bool press) {
    Key key{static_cast<unsigned char>(letter), KeyName::Other, false, std::string(1, letter)};
    for (const NamedKey& n : NAMED)
        if (n.letter == letter) key = Key{key.id, n.name, n.name == KeyName::Left, n.text};
    if (!press) key.text.clear();
    return key;
}

// What became due, in the same letters.
std::string Letters(const std::vector<PendingKey>& due) {
    std::string letters;
    for (const PendingKey& k : due) {
        char letter = k.action == KeyAction::Put ? static_cast<char>(k.character) : '?';
        for (const NamedKey& n : NAMED)
            if (k.action != KeyAction::Put && n.action == k.action) letter = n.letter;
        letters += letter;
    }
    return letters;
}

// "+k" presses and "-k" releases key k; what a press makes due is put in brackets.
std::string Play(const char* script) {
    KeyQueue queue;
    std::string due;
    for (const char* k = script; k[0] && k[1]; k += 2) {
        if (k[0] == '+') {
            const std::string early = Letters(queue.Press(KeyOf(k[1], true)));
            if (!early.empty()) due += "[" + early + "]";
        } else {
            due += Letters(queue.Release(KeyOf(k[1], false)));
        }
    }
    return due;
}

TEST(KeyQueueTest, KeysBecomeDueOnceInTheOrderTheyWentDown) {
    const struct {
        const char* name;
        const char* script;
        const char* due;
    } cases[] = {
        {"each released after the next press", "+1+2-1+3-2+0-3-0", "1230"},
        {"released in reverse order", "+1+2+3-3-2-1", "123"},
        {"a later key released first", "+4+5-5-4", "45"},
        {"Backspace pressed while a digit is down", "+1-1+2+b-2-b", "12b"},
        {"Enter while a digit is still down", "+7+e-e-7", "7e"},
        {"Tab between two characters types nothing", "+1-1+t-t+2-2", "12"},
        {"a held key's repeats make its earlier press due", "+b+b+b-b", "[b][b]b"},
        {"a held arrow's repeats as well", "+L+L-L", "[L]L"},
        {"a release without a press", "-5+6-6", "6"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Play(c.script), c.due);
    }
}

}  // namespace
