// A guest loads "the real one" by a name its settings may change, so it may
// find itself, another copy of itself, or something that leads back into
// one, behind that name: each call would then go round until the stack ran
// out. Every guest of a kind in the process shares one mark per thread (a
// TLS slot whose index they agree on through a section named after the
// process): the guest whose call the thread is in. A call that finds the
// mark set came back into a guest from inside another's call; it is
// refused, and the outer guest learns that what it calls leads back.
#pragma once

#include <windows.h>

struct GuestFrame {
    HMODULE guest;   // whose call the thread is in
    HMODULE inner;   // a guest this call came back into, or null
};

// For the whole of one call of a guest's entry point.
class GuestPass {
public:
    // `kind` names the guests that must not call each other ("TovelTrace").
    GuestPass(const wchar_t* kind, HMODULE guest);
    ~GuestPass();
    GuestPass(const GuestPass&) = delete;
    GuestPass& operator=(const GuestPass&) = delete;

    // The thread was in a guest's call already: do not call on.
    bool CameBack() const { return outer_ != nullptr; }
    // That guest; null unless CameBack.
    HMODULE Outer() const { return outer_ ? outer_->guest : nullptr; }
    // After calling on: the call came back into a guest, this one.
    HMODULE Inner() const { return frame_.inner; }

private:
    DWORD slot_;
    GuestFrame frame_;
    GuestFrame* outer_;
};
