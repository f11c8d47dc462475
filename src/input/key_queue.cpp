// SPDX-License-Identifier: GPL-3.0-or-later
// The keys typed on the surface, kept in press order until they are due.
#include "input/key_queue.h"

#include <algorithm>

#include "system/utf8.h"

namespace {

constexpr char32_t BACKSPACE = 8;
constexpr char32_t TAB = 9;
constexpr char32_t CARRIAGE_RETURN = 13;
constexpr char32_t FIRST_PRINTABLE = 32;
constexpr char32_t DELETE = 0x7F;
constexpr char32_t LAST_CONTROL = 0x9F;

KeyAction NavigationAction(KeyName name) {
    switch (name) {
        case KeyName::Home:
            return KeyAction::Home;
        case KeyName::End:
            return KeyAction::End;
        case KeyName::Left:
            return KeyAction::Left;
        case KeyName::Right:
            return KeyAction::Right;
        default:
            return KeyAction::None;
    }
}

// A typed character: Backspace and Enter type their control characters; other control
// characters (Escape, Ctrl with a letter) do nothing.
KeyAction CharacterAction(char32_t c) {
    if (c == BACKSPACE) return KeyAction::Backspace;
    if (c == CARRIAGE_RETURN) return KeyAction::Enter;
    if (c < FIRST_PRINTABLE || (c >= DELETE && c <= LAST_CONTROL)) return KeyAction::None;
    return KeyAction::Put;
}

}  // namespace

std::vector<PendingKey> KeyQueue::Press(const Key& key) {
    std::vector<PendingKey> due;
    const auto own = [&key](const PendingKey& k) { return k.id == key.id; };
    std::copy_if(pending_.begin(), pending_.end(), std::back_inserter(due), own);
    std::erase_if(pending_, own);

    if (key.navigation || key.name == KeyName::Escape) {
        const KeyAction action =
            key.name == KeyName::Escape ? KeyAction::Escape : NavigationAction(key.name);
        pending_.push_back(PendingKey{key.id, action, 0});
        return due;
    }
    for (size_t at = 0; at < key.text.size();) {
        const char32_t c = NextCharacter(key.text, at);
        if (c == TAB) continue;  // Tab stays with the surface and types nothing
        pending_.push_back(PendingKey{key.id, CharacterAction(c), c});
    }
    return due;
}

std::vector<PendingKey> KeyQueue::Release(const Key& key) {
    const auto last = std::find_if(pending_.rbegin(), pending_.rend(),
                                   [&key](const PendingKey& k) { return k.id == key.id; });
    if (last == pending_.rend()) return {};
    const auto end = last.base();
    std::vector<PendingKey> due(pending_.begin(), end);
    pending_.erase(pending_.begin(), end);
    return due;
}
