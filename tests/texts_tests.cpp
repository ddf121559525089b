// The plug-in's texts, decoded from code page 932 and held against the
// Unicode texts they must show, so that no wrong byte slips in; and the
// string table of the real DLL.

#include <gmock/gmock.h>

#include "host/texts.h"
#include "resources/resource_ids.h"
#include "tests/kit/cp932.h"
#include "tests/kit/plugin_fixture.h"

namespace {

struct Expected {
    const char* name;
    const char* bytes;
    const wchar_t* unicode;
};

#define TEXT_ROW(name, unicode) {#name, text::name, unicode}

const Expected kTexts[] = {
    TEXT_ROW(kSetupEntryText, L"Do here some setup functions!"),
    TEXT_ROW(kSetupEntryCaption, L"Setup"),
    TEXT_ROW(kPluginMenuTitle, L"OVRIN(&O)"),
    TEXT_ROW(kErrorCaption, L"エラー"),
    TEXT_ROW(kDeviceMissing, L"デバイスが存在しません"),
    TEXT_ROW(kNoUsableDevice, L"使えるデバイスがありません"),
    TEXT_ROW(kTovelCaption, L"Tovel"),
    TEXT_ROW(kSamplingTooFast, L"サンプリングレートが速すぎます"),
    TEXT_ROW(kOutputBufferFailed, L"出力バッファ確保が失敗しました\nブロックサイズを少なくして下さい"),
    TEXT_ROW(kSendErrorCaption, L"送出エラー"),
    TEXT_ROW(kSamplingErrorCaption, L"サンプリングエラー"),
    TEXT_ROW(kTransferErrorFormat, L"LogSlot = %d\nChannel = %d\nErrCode = %d"),
    TEXT_ROW(kBoardRowFormat, L"Tovel - %d"),
    TEXT_ROW(kIoAddressFormat, L"%x H"),
    TEXT_ROW(kDecimalFormat, L"%d"),
    TEXT_ROW(kSwitchValueFormat, L"%x h"),
    TEXT_ROW(kOutputPort0, L"出力ﾎﾟｰﾄ 0 ( 0 - 7 )"),
    TEXT_ROW(kOutputPort1, L"出力ﾎﾟｰﾄ 1 ( 8 - 15 )"),
    TEXT_ROW(kInputPort0, L"入力ﾎﾟｰﾄ 0 ( 0 - 7 )"),
    TEXT_ROW(kInputPort1, L"入力ﾎﾟｰﾄ 1 ( 8 - 15 )"),
    TEXT_ROW(kPortC, L"ﾎﾟｰﾄ C (PC0 - PC7)"),
    TEXT_ROW(kPortD, L"ﾎﾟｰﾄ D (PD0 - PD7)"),
    TEXT_ROW(kPortE, L"ﾎﾟｰﾄ E (PE0 - PE7)"),
    TEXT_ROW(kPortF, L"ﾎﾟｰﾄ F (PF0 - PF7)"),
    TEXT_ROW(kUnknownPort, L"不明なポート"),
    TEXT_ROW(kHelpFile, L"Tovel.hlp"),
};

}  // namespace

TEST(Texts, EachDecodesFromCodePage932ToItsUnicodeText)
{
    for (const Expected& t : kTexts)
        EXPECT_EQ(std::wstring(t.unicode), FromCp932(t.bytes)) << t.name;
}

TEST(Texts, HalfWidthKatakanaStayHalfWidth)
{
    // One byte each in code page 932: ﾎ ﾟ ｰ ﾄ.
    EXPECT_EQ(0, memcmp(text::kOutputPort0 + 4, "\xCE\xDF\xB0\xC4", 4));
}

class StringTable : public PluginTest {};

TEST_F(StringTable, HoldsTheModuleTextsInJapaneseResources)
{
    struct Row {
        UINT id;
        const wchar_t* text;
    } rows[] = {
        {IDS_TOVEL_OUT_SHORT, L"Tovel OUT"},  {IDS_TOVEL_IN_SHORT, L"Tovel IN "},
        {IDS_TOVEL_OUT_LONG, L"Tovel OutPort"}, {IDS_TOVEL_IN_LONG, L"Tovel InPort"},
        {IDS_MODULE_VERSION, L"Tovel Module Version 2.0"}, {IDS_DATA_INPUT, L"ﾃﾞ-ﾀ入力"},
    };
    for (const Row& r : rows) {
        wchar_t wide[64] = {};
        LoadStringW(Dll(), r.id, wide, 64);
        EXPECT_EQ(std::wstring(r.text), wide) << r.id;
    }
    char ansi[64] = {};
    LoadStringA(Dll(), IDS_DATA_INPUT, ansi, sizeof ansi);
    EXPECT_STREQ("\xC3\xDE-\xC0\x93\xFC\x97\xCD", ansi) << "code page 932, half-width katakana";

    HRSRC menu = FindResourceExA(Dll(), reinterpret_cast<LPCSTR>(RT_MENU), "UX1_MENU",
                                 MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT));
    EXPECT_NE(nullptr, menu) << "resources in language 1041";
}
