#include "tests/kit/message_sequence.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

std::map<HWND, MessageRecorder*>& Recorders()
{
    static std::map<HWND, MessageRecorder*> recorders;
    return recorders;
}

bool Matches(const RecordedMessage& a, const ExpectedMessage& e)
{
    if (a.message != e.message)
        return false;
    if ((e.flags & kWParam) && a.wParam != e.wParam)
        return false;
    if ((e.flags & kLParam) && a.lParam != e.lParam)
        return false;
    return true;
}

std::string Row(UINT message, WPARAM wParam, LPARAM lParam)
{
    std::ostringstream s;
    s << MessageName(message) << " wp=0x" << std::hex << wParam << " lp=0x" << lParam;
    return s.str();
}

}  // namespace

MessageRecorder::MessageRecorder(HWND window, std::initializer_list<UINT> messages)
    : window_(window), filter_(messages)
{
    Recorders()[window] = this;
    original_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&MessageRecorder::Proc)));
}

MessageRecorder::~MessageRecorder()
{
    if (IsWindow(window_) &&
        GetWindowLongPtrW(window_, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&MessageRecorder::Proc))
        SetWindowLongPtrW(window_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
    Recorders().erase(window_);
}

size_t MessageRecorder::Count(UINT message) const
{
    size_t n = 0;
    for (const RecordedMessage& m : messages_)
        n += m.message == message;
    return n;
}

LRESULT CALLBACK MessageRecorder::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto it = Recorders().find(window);
    if (it == Recorders().end())
        return DefWindowProcW(window, message, wParam, lParam);
    MessageRecorder* r = it->second;
    if (r->filter_.empty() || r->filter_.count(message))
        r->messages_.push_back(RecordedMessage{window, message, wParam, lParam});
    WNDPROC original = r->original_;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
        Recorders().erase(it);
        r->window_ = nullptr;
    }
    return CallWindowProcW(original, window, message, wParam, lParam);
}

std::string MessageName(UINT message)
{
    static const std::map<UINT, const char*> names = {
        {WM_CREATE, "WM_CREATE"},       {WM_DESTROY, "WM_DESTROY"},       {WM_PAINT, "WM_PAINT"},
        {WM_CLOSE, "WM_CLOSE"},         {WM_ERASEBKGND, "WM_ERASEBKGND"}, {WM_COMMAND, "WM_COMMAND"},
        {WM_SYSCOMMAND, "WM_SYSCOMMAND"}, {WM_KEYDOWN, "WM_KEYDOWN"},     {WM_CHAR, "WM_CHAR"},
        {WM_LBUTTONDOWN, "WM_LBUTTONDOWN"}, {WM_LBUTTONUP, "WM_LBUTTONUP"},
        {WM_LBUTTONDBLCLK, "WM_LBUTTONDBLCLK"}, {WM_RBUTTONDOWN, "WM_RBUTTONDOWN"},
        {WM_RBUTTONUP, "WM_RBUTTONUP"}, {WM_RBUTTONDBLCLK, "WM_RBUTTONDBLCLK"},
        {WM_SETFONT, "WM_SETFONT"},     {WM_INITDIALOG, "WM_INITDIALOG"}, {WM_TIMER, "WM_TIMER"},
        {254, "CTL_SETSTATE"},          {WM_USER + 1, "KANAL_LBUTTONDOWN"}, {WM_USER + 2, "KANAL_LBUTTONUP"},
        {WM_USER + 3, "KANAL_LBUTTONDBLCLK"}, {WM_USER + 4, "KANAL_RBUTTONDBLCLK"},
        {WM_USER + 5, "KANAL_DESELECT"}, {WM_USER + 7, "WM_USER+7"},      {WM_USER + 8, "WM_USER+8"},
    };
    auto it = names.find(message);
    if (it != names.end())
        return it->second;
    std::ostringstream s;
    s << "0x" << std::hex << message;
    return s.str();
}

void ExpectSequence(const std::vector<RecordedMessage>& actual, const ExpectedMessage* expected, size_t count,
                    const char* context)
{
    size_t a = 0, e = 0;
    bool ok = true;
    while (e < count) {
        if (a < actual.size() && Matches(actual[a], expected[e])) {
            ++a;
            ++e;
        } else if (expected[e].flags & kOptional) {
            ++e;
        } else {
            ok = false;
            break;
        }
    }
    if (ok && a == actual.size())
        return;

    std::ostringstream table;
    table << context << ": message sequence differs\n  expected:\n";
    for (size_t i = 0; i < count; ++i)
        table << "    " << Row(expected[i].message, expected[i].wParam, expected[i].lParam)
              << ((expected[i].flags & kOptional) ? "  (optional)" : "") << "\n";
    table << "  actual:\n";
    for (const RecordedMessage& m : actual)
        table << "    " << Row(m.message, m.wParam, m.lParam) << "\n";
    ADD_FAILURE() << table.str();
}

void ExpectNoMessages(const MessageRecorder& recorder, const char* context)
{
    ExpectSequence(recorder.Messages(), nullptr, 0, context);
}
