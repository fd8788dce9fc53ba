// The window messages the game handles, in a form of our own: the window
// layer translates its events into these and hands them to WindowProc.
#pragma once

#include <cstdint>

enum class MessageType : int8_t {
    MouseMove,
    LeftButtonDown,
    LeftButtonUp,
    RightButtonDown,
    RightButtonUp,
    KeyDown,
    KeyUp,
    Paint,
    Destroy,
};

// Key codes the game reacts to (the values of the classic virtual-key codes).
enum class KeyCode : uint8_t {
    Return = 0x0D,  // with Alt: a window or full screen
    Escape = 0x1B,
    Up = 0x26,
    Down = 0x28,
    Digit1 = '1',
    Digit2 = '2',
    Digit5 = '5',
    Digit6 = '6',
    NumpadAdd = 0x6B,
    NumpadSubtract = 0x6D,
    F11 = 0x7A,  // a window or full screen
    H = 'H',  // a hint, on the play screen of a built-in puzzle
    M = 'M',  // mute; the window layer sends letters as capitals
    Y = 'Y',  // with Ctrl: redo
    Z = 'Z',  // with Ctrl: undo; with Ctrl and Shift: redo
    Other = 0xFF,  // any key without a code of its own: it only skips the splash
};

struct Message {
    MessageType type = MessageType::MouseMove;
    int x = 0, y = 0;        // mouse messages: client pixels
    int key = 0;             // key messages: key code 0..255; others are ignored
    bool wasDown = false;    // KeyDown: an auto-repeat of a key already held
    bool alt = false;        // KeyDown: an Alt key was held with it
    bool ctrl = false;       // KeyDown: a Ctrl key was held with it
    bool shift = false;      // KeyDown: a Shift key was held with it

    static Message Mouse(MessageType type, int x, int y) {
        Message m;
        m.type = type;
        m.x = x;
        m.y = y;
        return m;
    }
    static Message Key(MessageType type, KeyCode key, bool wasDown = false, bool alt = false) {
        Message m;
        m.type = type;
        m.key = static_cast<int>(key);
        m.wasDown = wasDown;
        m.alt = alt;
        return m;
    }
    // A key pressed with Ctrl (and Shift).
    static Message CtrlKey(KeyCode key, bool shift = false) {
        Message m = Key(MessageType::KeyDown, key);
        m.ctrl = true;
        m.shift = shift;
        return m;
    }
};
