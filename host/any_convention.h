// Calls through an address the plug-in was given, whichever of cdecl and
// stdcall the callee was built with.
//
// Nobody fixed who takes the arguments off the stack: the host's services and
// the board maker's driver are closed, and a guess that is wrong for either
// unbalances the stack on the first call. Here the stack pointer is kept in a
// register every convention preserves (esi) and put back after the call, so a
// callee that pops its arguments and one that leaves them both return to the
// stack as it was. The cost is one register move either side of the call.
#pragma once

#include <stddef.h>
#include <stdint.h>

// No C++ library header here: with MinGW any of them switches <stdio.h> in
// every file that includes this one to MinGW's own printf, which would
// double the plug-in's size for nothing.

namespace any_convention {

// Every argument the host and the driver take is one 32-bit word: a pointer,
// a handle or an integer of at most 32 bits, widened as the stack holds it.
template <typename T>
inline uint32_t Word(T value)
{
    static_assert(sizeof(T) <= sizeof(uint32_t), "one 32-bit word per argument");
    return static_cast<uint32_t>(value);
}

template <typename T>
inline uint32_t Word(T* pointer)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer));
}

// The callee's answer, from eax.
template <typename R>
struct Answer {
    static R From(uint32_t word) { return static_cast<R>(word); }
};

template <typename R>
struct Answer<R*> {
    static R* From(uint32_t word) { return reinterpret_cast<R*>(static_cast<uintptr_t>(word)); }
};

template <>
struct Answer<void> {
    static void From(uint32_t) {}
};

#if defined(__i386__) && defined(__GNUC__)

// The words go on the stack last first, as both conventions lay them out,
// straight from registers: the first two ride in ecx and edx, which the call
// may clobber anyway, and the callee's address in eax, which takes the
// answer. No floating-point value stays in the x87 registers across the
// call: the callee may use all eight, as both conventions allow.
#define ANY_CONVENTION_SAVE "movl %%esp, %%esi\n\t"
#define ANY_CONVENTION_CALL "call *%[callee]\n\tmovl %%esi, %%esp"
#define ANY_CONVENTION_OUTPUTS [callee] "+a"(result), [w0] "+c"(w0), [w1] "+d"(w1)
#define ANY_CONVENTION_CLOBBERS \
    "esi", "memory", "cc", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)"

inline uint32_t Address(const void* callee)
{
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(callee));
}

inline uint32_t CallWords(const void* callee)
{
    uint32_t result = Address(callee), w0 = 0, w1 = 0;
    __asm__ volatile(ANY_CONVENTION_SAVE ANY_CONVENTION_CALL : ANY_CONVENTION_OUTPUTS : : ANY_CONVENTION_CLOBBERS);
    return result;
}

inline uint32_t CallWords1(const void* callee, uint32_t w0)
{
    uint32_t result = Address(callee), w1 = 0;
    __asm__ volatile(ANY_CONVENTION_SAVE "pushl %[w0]\n\t" ANY_CONVENTION_CALL
                     : ANY_CONVENTION_OUTPUTS
                     :
                     : ANY_CONVENTION_CLOBBERS);
    return result;
}

inline uint32_t CallWords2(const void* callee, uint32_t w0, uint32_t w1)
{
    uint32_t result = Address(callee);
    __asm__ volatile(ANY_CONVENTION_SAVE "pushl %[w1]\n\tpushl %[w0]\n\t" ANY_CONVENTION_CALL
                     : ANY_CONVENTION_OUTPUTS
                     :
                     : ANY_CONVENTION_CLOBBERS);
    return result;
}

inline uint32_t CallWords3(const void* callee, uint32_t w0, uint32_t w1, uint32_t w2)
{
    uint32_t result = Address(callee);
    __asm__ volatile(ANY_CONVENTION_SAVE "pushl %[w2]\n\tpushl %[w1]\n\tpushl %[w0]\n\t" ANY_CONVENTION_CALL
                     : ANY_CONVENTION_OUTPUTS
                     : [w2] "r"(w2)
                     : ANY_CONVENTION_CLOBBERS);
    return result;
}

inline uint32_t CallWords4(const void* callee, uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3)
{
    uint32_t result = Address(callee);
    __asm__ volatile(ANY_CONVENTION_SAVE
                     "pushl %[w3]\n\tpushl %[w2]\n\tpushl %[w1]\n\tpushl %[w0]\n\t" ANY_CONVENTION_CALL
                     : ANY_CONVENTION_OUTPUTS
                     : [w2] "r"(w2), [w3] "r"(w3)
                     : ANY_CONVENTION_CLOBBERS);
    return result;
}

#elif defined(_MSC_VER) && defined(_M_IX86)

inline uint32_t CallWordArray(const void* callee, const uint32_t* words, uint32_t count)
{
    uint32_t result;
    __asm {
        mov esi, esp
        mov ecx, count
        mov edx, words
    push_next:
        test ecx, ecx
        jz pushed
        push dword ptr [edx + ecx * 4 - 4]
        dec ecx
        jmp push_next
    pushed:
        call callee
        mov esp, esi
        mov result, eax
    }
    return result;
}

inline uint32_t CallWords(const void* callee)
{
    return CallWordArray(callee, nullptr, 0);
}

inline uint32_t CallWords1(const void* callee, uint32_t w0)
{
    const uint32_t words[] = {w0};
    return CallWordArray(callee, words, 1);
}

inline uint32_t CallWords2(const void* callee, uint32_t w0, uint32_t w1)
{
    const uint32_t words[] = {w0, w1};
    return CallWordArray(callee, words, 2);
}

inline uint32_t CallWords3(const void* callee, uint32_t w0, uint32_t w1, uint32_t w2)
{
    const uint32_t words[] = {w0, w1, w2};
    return CallWordArray(callee, words, 3);
}

inline uint32_t CallWords4(const void* callee, uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3)
{
    const uint32_t words[] = {w0, w1, w2, w3};
    return CallWordArray(callee, words, 4);
}

#else
#error "the plug-in and its callers are 32-bit x86 code"
#endif

// A call made as CallWordArray makes it, for one that wants to learn the
// callee's convention: how many bytes of its arguments the callee took off
// the stack (0 for cdecl, four a word for stdcall).
struct Measured {
    uint32_t result;
    uint32_t popped;
};

#if defined(__i386__) && defined(__GNUC__)

inline Measured CallMeasuringPop(const void* callee, const uint32_t* words, uint32_t count)
{
    Measured m;
    uint32_t left = count;
    __asm__ volatile(
        "movl %%esp, %%esi\n\t"
        "1:\n\t"
        "testl %%ecx, %%ecx\n\t"
        "jz 2f\n\t"
        "pushl -4(%%ebx,%%ecx,4)\n\t"
        "decl %%ecx\n\t"
        "jmp 1b\n"
        "2:\n\t"
        "movl %%esp, %%edi\n\t"
        "call *%%edx\n\t"
        "movl %%esp, %%ecx\n\t"
        "subl %%edi, %%ecx\n\t"
        "movl %%esi, %%esp"
        : "=a"(m.result), "+c"(left), "+d"(callee)
        : "b"(words)
        : "esi", "edi", "memory", "cc", "st", "st(1)", "st(2)", "st(3)", "st(4)", "st(5)", "st(6)", "st(7)");
    m.popped = left;
    return m;
}

#elif defined(_MSC_VER) && defined(_M_IX86)

inline Measured CallMeasuringPop(const void* callee, const uint32_t* words, uint32_t count)
{
    uint32_t result, popped;
    __asm {
        mov esi, esp
        mov ecx, count
        mov edx, words
    push_next:
        test ecx, ecx
        jz pushed
        push dword ptr [edx + ecx * 4 - 4]
        dec ecx
        jmp push_next
    pushed:
        mov edi, esp
        call callee
        mov ecx, esp
        sub ecx, edi
        mov esp, esi
        mov result, eax
        mov popped, ecx
    }
    return Measured{result, popped};
}

#endif

// The call for the number of words; no host service or driver entry point
// takes more than four.
inline uint32_t CallWithWords(const void* callee)
{
    return CallWords(callee);
}
inline uint32_t CallWithWords(const void* callee, uint32_t w0)
{
    return CallWords1(callee, w0);
}
inline uint32_t CallWithWords(const void* callee, uint32_t w0, uint32_t w1)
{
    return CallWords2(callee, w0, w1);
}
inline uint32_t CallWithWords(const void* callee, uint32_t w0, uint32_t w1, uint32_t w2)
{
    return CallWords3(callee, w0, w1, w2);
}
inline uint32_t CallWithWords(const void* callee, uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3)
{
    return CallWords4(callee, w0, w1, w2, w3);
}

}  // namespace any_convention

// Calls `callee`, typed as the plug-in declares it, with `args`; the result
// is the callee's, whether it was built cdecl or stdcall.
template <typename Fn, typename... Args>
inline auto CallAnyConvention(Fn callee, Args... args) -> decltype(callee(args...))
{
    return any_convention::Answer<decltype(callee(args...))>::From(
        any_convention::CallWithWords(reinterpret_cast<const void*>(callee), any_convention::Word(args)...));
}
