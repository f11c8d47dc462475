// SPDX-License-Identifier: GPL-3.0-or-later
// The keys typed on the surface, in the order they went down. What a key types waits until it
// comes up (or until a key pressed after it comes up), so that fast, overlapping typing keeps
// every character in order; a held key's repeats make its earlier press due at once.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/window_events.h"

// What a waiting key does in the entry field. A key that does nothing still waits in its place:
// its release makes the keys pressed before it due.
enum class KeyAction { None, Put, Backspace, Enter, Escape, Home, End, Left, Right };

struct PendingKey {
    uint32_t id;  // the physical key that typed it
    KeyAction action;
    char32_t character;  // for Put
};

class KeyQueue {
public:
    // A press (a repeat included): what an earlier press of the same key left waiting is due now;
    // what this press types waits.
    std::vector<PendingKey> Press(const Key& key);
    // A release: what the key left waiting, and everything pressed before it, is due now, in the
    // order the keys went down.
    std::vector<PendingKey> Release(const Key& key);
    // The keyboard went elsewhere: nothing waiting is typed any more.
    void Forget() { pending_.clear(); }

private:
    std::vector<PendingKey> pending_;
};
