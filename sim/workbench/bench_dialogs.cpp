#include "sim/workbench/bench_dialogs.h"

#include "sim/common/utf8.h"
#include "sim/workbench/form.h"

namespace workbench {

namespace {

// "Block size: '0' is not a whole number from 1 to 65535."
void Refuse(HWND dialog, const std::string& field, const std::string& problem)
{
    MessageBoxW(dialog, Widen(field + ": " + problem + ".").c_str(), L"Bench", MB_OK | MB_ICONWARNING);
}

INT_PTR CALLBACK RunSettingsProc(HWND d, UINT message, WPARAM wParam, LPARAM lParam)
{
    Bench* bench = reinterpret_cast<Bench*>(GetWindowLongPtrW(d, DWLP_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(d, DWLP_USER, lParam);
        bench = reinterpret_cast<Bench*>(lParam);
        wchar_t text[64];
        swprintf(text, 64, L"%.15g", bench->msPerSample);
        SetDlgItemTextW(d, kIdMsPerSample, text);
        SetDlgItemInt(d, kIdBlockSize, static_cast<UINT>(bench->blockSize), FALSE);
        return TRUE;
    }
    if (message != WM_COMMAND || (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL))
        return FALSE;
    if (LOWORD(wParam) == IDOK) {
        double ms = 0;
        int size = 0;
        std::string problem;
        if (!ItemReal(d, kIdMsPerSample, engine::kMsPerSampleRange, &ms, &problem)) {
            Refuse(d, "Milliseconds per sample", problem);
            return TRUE;
        }
        if (!ItemWhole(d, kIdBlockSize, engine::kBlockSizeRange, &size, &problem)) {
            Refuse(d, "Samples per block", problem);
            return TRUE;
        }
        bench->msPerSample = ms;
        bench->blockSize = size;
    }
    EndDialog(d, LOWORD(wParam));
    return TRUE;
}

const wchar_t* const kSignalKinds[] = {L"square wave, half period in blocks", L"0 V", L"5 V",
                                       L"counter bit, bit number"};

// The number field of a channel only where its kind takes a number.
void EnableSignalNumber(HWND d, int channel)
{
    const LRESULT kind = SendDlgItemMessageW(d, kIdSignalKind + channel, CB_GETCURSEL, 0, 0);
    const bool takesOne = kind == static_cast<LRESULT>(engine::SignalKind::kSquareWave) ||
                          kind == static_cast<LRESULT>(engine::SignalKind::kCounterBit);
    EnableWindow(GetDlgItem(d, kIdSignalNumber + channel), takesOne);
}

INT_PTR CALLBACK SignalsProc(HWND d, UINT message, WPARAM wParam, LPARAM lParam)
{
    BenchModule* m = reinterpret_cast<BenchModule*>(GetWindowLongPtrW(d, DWLP_USER));
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(d, DWLP_USER, lParam);
        m = reinterpret_cast<BenchModule*>(lParam);
        for (size_t c = 0; c < Channels(*m); ++c) {
            HWND kinds = GetDlgItem(d, kIdSignalKind + static_cast<int>(c));
            for (const wchar_t* k : kSignalKinds)
                SendMessageW(kinds, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(k));
            SendMessageW(kinds, CB_SETCURSEL, static_cast<WPARAM>(m->sources[c].kind), 0);
            const engine::SignalSource& s = m->sources[c];
            SetDlgItemInt(d, kIdSignalNumber + static_cast<int>(c),
                          s.kind == engine::SignalKind::kCounterBit ? s.bit : s.halfPeriodBlocks, FALSE);
            EnableSignalNumber(d, static_cast<int>(c));
        }
        return TRUE;
    }
    const int item = LOWORD(wParam);
    if (message == WM_COMMAND && HIWORD(wParam) == CBN_SELCHANGE && item >= kIdSignalKind &&
        item < kIdSignalKind + kMaxModuleChannels) {
        EnableSignalNumber(d, item - kIdSignalKind);
        return TRUE;
    }
    if (message != WM_COMMAND || (LOWORD(wParam) != IDOK && LOWORD(wParam) != IDCANCEL))
        return FALSE;
    if (LOWORD(wParam) == IDOK) {
        std::vector<engine::SignalSource> sources = m->sources;
        for (size_t c = 0; c < Channels(*m); ++c) {
            const int id = static_cast<int>(c);
            const int kind = static_cast<int>(SendDlgItemMessageW(d, kIdSignalKind + id, CB_GETCURSEL, 0, 0));
            engine::SignalSource& s = sources[c];
            s.kind = static_cast<engine::SignalKind>(kind < 0 ? 0 : kind);
            const bool square = s.kind == engine::SignalKind::kSquareWave;
            if (!square && s.kind != engine::SignalKind::kCounterBit)
                continue;
            std::string problem;
            if (!ItemWhole(d, kIdSignalNumber + id, square ? engine::kHalfPeriodRange : engine::kCounterBitRange,
                           square ? &s.halfPeriodBlocks : &s.bit, &problem)) {
                Refuse(d, "Channel " + std::to_string(c) + (square ? ", half period" : ", bit"), problem);
                return TRUE;
            }
        }
        m->sources = sources;
    }
    EndDialog(d, LOWORD(wParam));
    return TRUE;
}

std::vector<FormItem> OkCancel(short y)
{
    return {{L"BUTTON", L"OK", IDOK, BS_DEFPUSHBUTTON | WS_TABSTOP, 60, y, 50, 14},
            {L"BUTTON", L"Cancel", IDCANCEL, BS_PUSHBUTTON | WS_TABSTOP, 116, y, 50, 14}};
}

}  // namespace

bool EditRunSettings(HWND owner, Bench& bench)
{
    if (bench.running)
        return false;
    std::vector<FormItem> items = {
        {L"STATIC", L"Milliseconds per sample:", -1, SS_LEFT, 8, 10, 100, 10},
        {L"EDIT", L"", kIdMsPerSample, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 110, 8, 60, 12},
        {L"STATIC", L"Samples per block:", -1, SS_LEFT, 8, 28, 100, 10},
        {L"EDIT", L"", kIdBlockSize, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 110, 26, 60, 12},
    };
    for (const FormItem& b : OkCancel(48))
        items.push_back(b);
    return RunForm(owner, L"Run settings", 180, 70, items, RunSettingsProc, reinterpret_cast<LPARAM>(&bench)) == IDOK;
}

// One row per channel the module has in use.
bool EditSignals(HWND owner, BenchModule& m)
{
    std::vector<FormItem> items;
    const short rows = static_cast<short>(Channels(m));
    for (short c = 0; c < rows; ++c) {
        const short y = static_cast<short>(8 + 18 * c);
        items.push_back({L"STATIC", L"Channel " + std::to_wstring(c), -1, SS_LEFT, 8, static_cast<short>(y + 2), 40, 10});
        items.push_back({L"COMBOBOX", L"", kIdSignalKind + c, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 50, y, 170, 80});
        items.push_back({L"EDIT", L"", kIdSignalNumber + c, ES_AUTOHSCROLL | WS_BORDER | WS_TABSTOP, 226, y, 40, 12});
    }
    for (const FormItem& b : OkCancel(static_cast<short>(12 + 18 * rows)))
        items.push_back(b);
    return RunForm(owner, L"Signals into Tovel OUT", 276, static_cast<short>(34 + 18 * rows), items, SignalsProc,
                   reinterpret_cast<LPARAM>(&m)) == IDOK;
}

}  // namespace workbench
