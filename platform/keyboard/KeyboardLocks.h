#pragma once

// The state of the keyboard's lock keys as the window system reports it.
enum class LockKey { Caps, Num, Scroll };
enum class LockState { Off, On, Unknown };

// Asks the window system the program's GUI runs on; Unknown when it cannot tell (no GUI yet, a
// platform without lock indicators such as offscreen, or a key the keyboard does not have).
// Call on the GUI thread.
LockState QueryLockState(LockKey key);
