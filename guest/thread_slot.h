// A word per thread, read and written on every call through a guest: a TLS
// slot, with the first 64 slots read straight from the thread's TEB, as
// TlsGetValue does after its call, which under Wine costs as much again as
// the rest of a trace driver's call.
#pragma once

#include <windows.h>

class ThreadSlot {
public:
    // `index` from TlsAlloc; TLS_OUT_OF_INDEXES: no slot, Get gives null.
    constexpr explicit ThreadSlot(DWORD index = TLS_OUT_OF_INDEXES) : index_(index) {}
    bool Valid() const { return index_ != TLS_OUT_OF_INDEXES; }
    DWORD Index() const { return index_; }
    void* Get() const;
    void Set(void* value) const;

private:
    DWORD index_;
};
