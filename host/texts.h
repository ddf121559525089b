// Every text the plug-in hands to the host or the window system itself, in
// code page 932 (Shift-JIS) as the host shows them. Half-width katakana stay
// half-width. Each text is spelled out in the comment above it.
//
// The Japanese texts have two homes. These are handed over as bytes (to the
// host's services, MessageBoxA, wsprintfA) and must be code page 932 on any
// system, so they are kept as those bytes, escaped to keep the source ASCII.
// The texts Windows or the host load by id from the plug-in's resources (the
// string table, the menu, the dialog templates) are in resources/Korvu_ux1.rc
// as UTF-8, stored as Unicode and turned into code page 932 as they load.
#pragma once

#include "host/format_text.h"

namespace text {

extern const char kSetupEntryText[];
extern const char kSetupEntryCaption[];
extern const char kPluginMenuTitle[];
extern const char kErrorCaption[];
extern const char kDeviceMissing[];
extern const char kNoUsableDevice[];
extern const char kTovelCaption[];
extern const char kSamplingTooFast[];
extern const char kOutputBufferFailed[];
extern const char kSendErrorCaption[];
extern const char kSamplingErrorCaption[];
extern const char kTransferErrorFormat[];
extern const char kBoardRowFormat[];
extern const char kIoAddressFormat[];
extern const char kDecimalFormat[];
extern const char kSwitchValueFormat[];
extern const char kOutputPort0[];
extern const char kOutputPort1[];
extern const char kInputPort0[];
extern const char kInputPort1[];
extern const char kPortC[];
extern const char kPortD[];
extern const char kPortE[];
extern const char kPortF[];
extern const char kUnknownPort[];
extern const char kHelpFile[];

}  // namespace text
