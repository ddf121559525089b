#include "host/texts.h"

namespace text {

// "Do here some setup functions!": set-up menu entry, message box text
const char kSetupEntryText[] = "Do here some setup functions!";

// "Setup": set-up menu entry, message box caption
const char kSetupEntryCaption[] = "Setup";

// "OVRIN(&O)": the popup inserted into the host's menu bar
const char kPluginMenuTitle[] = "OVRIN(&O)";

// "エラー": caption: error
const char kErrorCaption[] = "\x83G\x83\x89\x81[";

// "デバイスが存在しません": re-attach: the device does not exist
const char kDeviceMissing[] = "\x83""f\x83o\x83""C\x83X\x82\xAA\x91\xB6\x8D\xDD\x82\xB5\x82\xDC\x82\xB9\x82\xF1";

// "使えるデバイスがありません": hardware selection: there is no usable device
const char kNoUsableDevice[] = "\x8Eg\x82\xA6\x82\xE9\x83""f\x83o\x83""C\x83X\x82\xAA\x82\xA0\x82\xE8\x82\xDC\x82\xB9\x82\xF1";

// "Tovel": caption of the run-preparation warnings
const char kTovelCaption[] = "Tovel";

// "サンプリングレートが速すぎます": the sampling rate is too fast
const char kSamplingTooFast[] = "\x83T\x83\x93\x83v\x83\x8A\x83\x93\x83O\x83\x8C\x81[\x83g\x82\xAA\x91\xAC\x82\xB7\x82\xAC\x82\xDC\x82\xB7";

// "出力バッファ確保が失敗しました\nブロックサイズを少なくして下さい": allocating the output buffer failed / please make the block size smaller
const char kOutputBufferFailed[] = "\x8Fo\x97\xCD\x83o\x83""b\x83t\x83@\x8Am\x95\xDB\x82\xAA\x8E\xB8\x94s\x82\xB5\x82\xDC\x82\xB5\x82\xBD\n\x83u\x83\x8D\x83""b\x83N\x83T\x83""C\x83Y\x82\xF0\x8F\xAD\x82\xC8\x82\xAD\x82\xB5\x82\xC4\x89\xBA\x82\xB3\x82\xA2";

// "送出エラー": caption: send error
const char kSendErrorCaption[] = "\x91\x97\x8Fo\x83G\x83\x89\x81[";

// "サンプリングエラー": caption: sampling error
const char kSamplingErrorCaption[] = "\x83T\x83\x93\x83v\x83\x8A\x83\x93\x83O\x83G\x83\x89\x81[";

// "LogSlot = %d\nChannel = %d\nErrCode = %d": slot, channel, driver error code
const char kTransferErrorFormat[] = "LogSlot = %d\nChannel = %d\nErrCode = %d";

// "Tovel - %d": a row of the board list
const char kBoardRowFormat[] = "Tovel - %d";

// "%x H": I/O port address
const char kIoAddressFormat[] = "%x H";

// "%d": I/O port length, logical slot, channel index
const char kDecimalFormat[] = "%d";

// "%x h": switch value
const char kSwitchValueFormat[] = "%x h";

// "出力ﾎﾟｰﾄ 0 ( 0 - 7 )": output port 0, bits 0 to 7
const char kOutputPort0[] = "\x8Fo\x97\xCD\xCE\xDF\xB0\xC4 0 ( 0 - 7 )";

// "出力ﾎﾟｰﾄ 1 ( 8 - 15 )": output port 1, bits 8 to 15
const char kOutputPort1[] = "\x8Fo\x97\xCD\xCE\xDF\xB0\xC4 1 ( 8 - 15 )";

// "入力ﾎﾟｰﾄ 0 ( 0 - 7 )": input port 0
const char kInputPort0[] = "\x93\xFC\x97\xCD\xCE\xDF\xB0\xC4 0 ( 0 - 7 )";

// "入力ﾎﾟｰﾄ 1 ( 8 - 15 )": input port 1
const char kInputPort1[] = "\x93\xFC\x97\xCD\xCE\xDF\xB0\xC4 1 ( 8 - 15 )";

// "ﾎﾟｰﾄ C (PC0 - PC7)": port value 2
const char kPortC[] = "\xCE\xDF\xB0\xC4 C (PC0 - PC7)";

// "ﾎﾟｰﾄ D (PD0 - PD7)": port value 3
const char kPortD[] = "\xCE\xDF\xB0\xC4 D (PD0 - PD7)";

// "ﾎﾟｰﾄ E (PE0 - PE7)": port value 4
const char kPortE[] = "\xCE\xDF\xB0\xC4 E (PE0 - PE7)";

// "ﾎﾟｰﾄ F (PF0 - PF7)": port value 5
const char kPortF[] = "\xCE\xDF\xB0\xC4 F (PF0 - PF7)";

// "不明なポート": any other port value
const char kUnknownPort[] = "\x95s\x96\xBE\x82\xC8\x83|\x81[\x83g";

// "Tovel.hlp": the help file
const char kHelpFile[] = "Tovel.hlp";

}  // namespace text
