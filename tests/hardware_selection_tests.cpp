// The hardware selection dialog, used through code 101 as a user would.

#include <gmock/gmock.h>

#include <iterator>

#include "resources/resource_ids.h"
#include "tests/kit/cp932.h"
#include "tests/kit/dialog_template.h"
#include "tests/kit/module_fixture.h"
#include "sim/pictures/screenshot.h"

using testing::ElementsAre;
using testing::IsEmpty;

class HardwareSelectionTest : public ModuleTest {
protected:
    // Boards at slots 2 and 5, then set-up.
    void SetupTwoBoards()
    {
        Driver().TovelSimSetBoard(2, 1, 0x300, 16, 0x2A);
        Driver().TovelSimSetBoard(5, 1, 0xE800, 32, 0x5);
        SetupKorvuOrFail();
    }
};

TEST_F(HardwareSelectionTest, ListsPresentBoardsInSlotOrderAndShowsTheChosenOne)
{
    SetupTwoBoards();
    sim::Module& m = NewModule(kOut);
    std::vector<std::wstring> rows, ports;
    std::wstring address, length, switchValue, address5, length5, switch5, logSlot;
    bool logSlotVisible = true;
    DialogScript script;
    script.Then([&](HWND d) {
        ExpectShownAsItsTemplate(d, Dll(), "DEV_SEL");
        SaveScreenshot(d, "hardware_selection");
        rows = ListRows(d, IDC_BOARD_LIST);
        EXPECT_EQ(0, ListSelection(d, IDC_BOARD_LIST));
        address = ControlText(d, IDC_IO_ADDRESS);
        length = ControlText(d, IDC_IO_LENGTH);
        switchValue = ControlText(d, IDC_SWITCH_VALUE);
        ports = ComboRows(d, IDC_PORT_LIST);
        EXPECT_EQ(0, ComboSelection(d, IDC_PORT_LIST));
        logSlot = ControlText(d, IDC_SELECTION_LOGSLOT);
        logSlotVisible = IsWindowVisible(GetDlgItem(d, IDC_SELECTION_LOGSLOT));
        ClickListRow(d, IDC_BOARD_LIST, 1);
        address5 = ControlText(d, IDC_IO_ADDRESS);
        length5 = ControlText(d, IDC_IO_LENGTH);
        switch5 = ControlText(d, IDC_SWITCH_VALUE);
        Click(d, IDOK);
    });
    ASSERT_EQ(1, Create(m, script));

    EXPECT_THAT(rows, ElementsAre(L"Tovel - 2", L"Tovel - 5"));
    EXPECT_EQ(L"300 H", address);
    EXPECT_EQ(L"16", length);
    EXPECT_EQ(L"2a h", switchValue);
    EXPECT_EQ(L"e800 H", address5);
    EXPECT_EQ(L"32", length5);
    EXPECT_EQ(L"5 h", switch5);
    EXPECT_THAT(ports, ElementsAre(L"出力ﾎﾟｰﾄ 0 ( 0 - 7 )", L"出力ﾎﾟｰﾄ 1 ( 8 - 15 )"));
    EXPECT_EQ(L"", logSlot);
    EXPECT_FALSE(logSlotVisible);
    EXPECT_EQ(5, Out(m)->head.wLogSlot) << "accepting the second row yields slot 5";
    EXPECT_EQ(0, Out(m)->wPort);
}

TEST_F(HardwareSelectionTest, BoardWithBothOutputPortsTakenIsOfferedOnlyToInputModules)
{
    Driver().TovelSimSetBoard(3, 1, 0x300, 16, 0);
    SetupKorvuOrFail();
    sim::Module& first = NewModule(kOut);
    sim::Module& second = NewModule(kOut);
    ASSERT_EQ(1, CreateOn(first, 0, 0));
    ASSERT_EQ(1, CreateOn(second, 0, 0));  // port 1, the only one left
    EXPECT_EQ(1, Out(second)->wPort);

    // No output port is left anywhere: the output dialog warns and gives up.
    sim::Module& third = NewModule(kOut);
    DialogScript none;
    EXPECT_EQ(0, Create(third, none));
    EXPECT_FALSE(IsWindow(none.Dialog())) << "the dialog ended by itself";
    ASSERT_EQ(1u, sim::Warnings().size());

    sim::Module& in = NewModule(kIn);
    std::vector<std::wstring> rows, ports;
    DialogScript script;
    script.Then([&](HWND d) {
        rows = ListRows(d, IDC_BOARD_LIST);
        ports = ComboRows(d, IDC_PORT_LIST);
        Click(d, IDOK);
    });
    ASSERT_EQ(1, Create(in, script));
    EXPECT_THAT(rows, ElementsAre(L"Tovel - 3"));
    EXPECT_THAT(ports, ElementsAre(L"入力ﾎﾟｰﾄ 0 ( 0 - 7 )", L"入力ﾎﾟｰﾄ 1 ( 8 - 15 )"));
}

TEST_F(HardwareSelectionTest, BoardWithOnlyPortOneFreeOffersOnlyPortOne)
{
    SetupTwoBoards();
    ASSERT_EQ(1, CreateOn(NewModule(kIn), 0, 0));  // slot 2, port 0

    sim::Module& m = NewModule(kIn);
    std::vector<std::wstring> ports, otherBoardsPorts;
    DialogScript script;
    script.Then([&](HWND d) {
        ClickListRow(d, IDC_BOARD_LIST, 1);
        otherBoardsPorts = ComboRows(d, IDC_PORT_LIST);  // the one row shown before is gone
        ClickListRow(d, IDC_BOARD_LIST, 0);
        ports = ComboRows(d, IDC_PORT_LIST);
        Click(d, IDOK);
    });
    ASSERT_EQ(1, Create(m, script));
    EXPECT_THAT(ports, ElementsAre(L"入力ﾎﾟｰﾄ 1 ( 8 - 15 )"));
    EXPECT_THAT(otherBoardsPorts, ElementsAre(L"入力ﾎﾟｰﾄ 0 ( 0 - 7 )", L"入力ﾎﾟｰﾄ 1 ( 8 - 15 )"));
    EXPECT_EQ(2, In(m)->head.wLogSlot);
    EXPECT_EQ(1, In(m)->wPort);
}

TEST_F(HardwareSelectionTest, ShowingTheShownSlotAgainKeepsThePortRow)
{
    SetupTwoBoards();
    sim::Module& m = NewModule(kOut);
    int portRow = -1;
    DialogScript script;
    script.Then([&](HWND d) {
        SelectComboRow(d, IDC_PORT_LIST, 1);
        ClickListRow(d, IDC_BOARD_LIST, 0);  // the row already shown
        portRow = ComboSelection(d, IDC_PORT_LIST);
        Click(d, IDOK);
    });
    ASSERT_EQ(1, Create(m, script));
    EXPECT_EQ(1, portRow);
    EXPECT_EQ(2, Out(m)->head.wLogSlot);
    EXPECT_EQ(1, Out(m)->wPort);
}

TEST_F(HardwareSelectionTest, DoubleClickAcceptsWithThePortShown)
{
    SetupTwoBoards();
    sim::Module& same = NewModule(kOut);
    DialogScript onShownRow;
    onShownRow.Then([](HWND d) {
        SelectComboRow(d, IDC_PORT_LIST, 1);
        DoubleClickListRow(d, IDC_BOARD_LIST, 0);
    });
    ASSERT_EQ(1, Create(same, onShownRow));
    EXPECT_EQ(2, Out(same)->head.wLogSlot);
    EXPECT_EQ(1, Out(same)->wPort) << "the user's earlier choice on the shown row";

    sim::Module& other = NewModule(kOut);
    DialogScript onNewRow;
    onNewRow.Then([](HWND d) {
        SelectComboRow(d, IDC_PORT_LIST, 1);
        DoubleClickListRow(d, IDC_BOARD_LIST, 1);
    });
    ASSERT_EQ(1, Create(other, onNewRow));
    EXPECT_EQ(5, Out(other)->head.wLogSlot);
    EXPECT_EQ(0, Out(other)->wPort) << "a new row shows its first free port";
}

TEST_F(HardwareSelectionTest, EnterAccepts)
{
    SetupTwoBoards();
    sim::Module& m = NewModule(kIn);
    DialogScript script;
    script.Then([](HWND d) { PressKey(d, VK_RETURN); });
    ASSERT_EQ(1, Create(m, script));
    EXPECT_EQ(2, In(m)->head.wLogSlot);
}

TEST_F(HardwareSelectionTest, WithoutACurrentRowOkAcceptsNothing)
{
    SetupTwoBoards();
    sim::Module& m = NewModule(kIn);
    DialogScript script;
    script.Then([](HWND d) {
        SendDlgItemMessageA(d, IDC_BOARD_LIST, LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Click(d, IDOK);
    }).Then([](HWND d) {
        EXPECT_TRUE(IsWindow(d)) << "no board row";
        SendDlgItemMessageA(d, IDC_BOARD_LIST, LB_SETCURSEL, 1, 0);
        SendDlgItemMessageA(d, IDC_PORT_LIST, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
        Click(d, IDOK);
    }).Then([](HWND d) {
        EXPECT_TRUE(IsWindow(d)) << "no port row";
        Click(d, IDCANCEL);
    });
    EXPECT_EQ(0, Create(m, script));
    EXPECT_TRUE(script.Completed());
}

// A selection that could not be shown (its owner gone) chose nothing: the
// module binds to no board, not to the last choice nor to slot 0, port 0.
TEST_F(HardwareSelectionTest, ASelectionThatCannotOpenBindsNothing)
{
    SetupTwoBoards();
    sim::Module& chosen = NewModule(kOut);
    DialogScript script;
    script.Then([](HWND d) {
        ClickListRow(d, IDC_BOARD_LIST, 1);
        Click(d, IDOK);
    });
    ASSERT_EQ(1, Create(chosen, script));

    sim::Module& orphan = NewModule(kOut);
    HWND gone = CreateWindowA("STATIC", "", 0, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    DestroyWindow(gone);
    orphan.record->hwndModule = gone;
    EXPECT_EQ(0, Send(orphan, kMsgCreate));
    EXPECT_EQ(0, Out(orphan)->head.wLogSlot) << "no binding written";
    EXPECT_EQ(0, orphan.record->uiNumberOfInputs) << "no defaults either";
}

TEST_F(HardwareSelectionTest, NoBoardWarnsAndReturnsNothing)
{
    SetupKorvuOrFail();
    sim::Module& m = NewModule(kIn);
    DialogScript never;
    EXPECT_EQ(0, Create(m, never));
    EXPECT_FALSE(IsWindow(never.Dialog())) << "the dialog ended by itself";
    ASSERT_EQ(1u, sim::Warnings().size());
    EXPECT_EQ(L"エラー", FromCp932(sim::Warnings()[0].caption));
    EXPECT_EQ(L"使えるデバイスがありません", FromCp932(sim::Warnings()[0].text));
    EXPECT_EQ(0u, m.record->uiNumberOfOutputs);
}
