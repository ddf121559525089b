// Recording the messages a window receives and comparing them with an
// expected sequence, in the manner of Wine's conformance tests.
//
//     static const ExpectedMessage kClick[] = {
//         {KANAL_LBUTTONDOWN, kWParam | kLParam, button, 2},
//         {KANAL_LBUTTONUP, 0},
//     };
//     MessageRecorder parent(dialog, {KANAL_LBUTTONDOWN, KANAL_LBUTTONUP});
//     ...
//     ExpectSequence(parent, kClick, "press and release");
#pragma once

#include <windows.h>

#include <initializer_list>
#include <set>
#include <string>
#include <vector>

enum MessageFlags {
    kWParam = 1,     // compare wParam
    kLParam = 2,     // compare lParam
    kOptional = 4,   // may be missing
};

struct ExpectedMessage {
    UINT message;
    unsigned flags;
    WPARAM wParam;
    LPARAM lParam;
};

struct RecordedMessage {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Subclasses a window for as long as it lives and records the messages of the
// given numbers (all messages when the set is empty) before passing them on.
class MessageRecorder {
public:
    MessageRecorder(HWND window, std::initializer_list<UINT> messages);
    ~MessageRecorder();

    const std::vector<RecordedMessage>& Messages() const { return messages_; }
    void Clear() { messages_.clear(); }
    size_t Count(UINT message) const;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    HWND window_;
    WNDPROC original_;
    std::set<UINT> filter_;
    std::vector<RecordedMessage> messages_;
};

std::string MessageName(UINT message);

// Compares recorded with expected rows; on a mismatch, fails the test with the
// whole expected-versus-actual table.
void ExpectSequence(const std::vector<RecordedMessage>& actual, const ExpectedMessage* expected, size_t count,
                    const char* context);

template <size_t N>
void ExpectSequence(const MessageRecorder& recorder, const ExpectedMessage (&expected)[N], const char* context)
{
    ExpectSequence(recorder.Messages(), expected, N, context);
}
void ExpectNoMessages(const MessageRecorder& recorder, const char* context);
