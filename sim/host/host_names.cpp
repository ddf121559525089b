// What the host publishes under each name. The lists are the host's own, typed
// from its documentation, so that a test can hold the plug-in's lookup order
// against them.

#include <iterator>
#include <utility>

#include "sim/host/host_behaviour.h"
#include "sim/host/host_fpu.h"
#include "sim/host/host_services_impl.h"
#include "sim/host/host_state.h"

namespace sim {

namespace {

const char* const kVariables[] = {
    "hInstKorvu", "MainMenu", "GlobalModuleClass", "&hwndDesk", "&Module",
    "&ViewModule", "&wNumberOfModules", "&uiHighModuleNumber", "&CurrentModule",
    "&CurrentModulePtr", "uiVersionsTyp", "uiDistributorTyp", "bDateDayLeadingZero",
    "bDateMonthLeadingZero", "bDateYearLong", "wDateFormat", "bTime24h",
    "bTimeLeadingZero", "TimeTrenn", "DezTrenn", "bDecLeadingZero", "DateTrenn",
    "&bDisplayWithoutWnd", "&bPauseIsDisabled", "&LAYER_OutputParam",
    "&StreamOptionen", "&TempStreamOptionen", "&CJ_Refs", "&CJ_Temp", "hBitChannel",
    "hBitLessMore", "hDkGrayPen", "hPipePenRed", "hPipePenGreen", "hLightRedBrush",
    "hGreenBrush", "InitialStartupDir", "ExeFileDir", "NameOfFlowChart",
    "FullNameOfFlowChart", "ProgFileNameIni", "DefStreamingDir", "DefFlowchartDir",
    "DefDataDir", "DefDeviceDir", "DefUtilityDir", "GlobalFlowChartInfo.Author",
    "GlobalFlowChartInfo.Company", "GlobalFlowChartInfo.Department",
    "GlobalFlowChartInfo.Title", "GlobalFlowChartInfo.Info", "DapSetup",
    "&ExperimentStartTime", "&StartingTimeTicks", "&SysInfo", "&SysOpt",
    "&DdeInstance", "&ToolTip", "&nWindowOrder",
};

const char* const kOptional[] = {
    "bDateDayLeadingZero", "bDateMonthLeadingZero", "bDateYearLong", "wDateFormat",
    "bTime24h", "bTimeLeadingZero", "bDecLeadingZero",
};

const char* const kFunctions[] = {
    "NewMemAlloc", "NewMemReAlloc", "NewDoMemFree", "DefineDllModule",
    "DefineDllVariable", "RegisterModuleClass", "PerformDefaultAction",
    "NewReleaseOutputBlock", "GetCurrentOutputBlock", "GetInputFifo", "GetInputBlock",
    "NewReleaseInputBlock", "ChangeModuleSize", "ChangeModuleName",
    "ChangeNameInString", "SendModuleMessage", "SendModChanMessage", "CopyChannelName",
    "FillUnitList", "MODUL_InitAll", "MODUL_DestroyAll", "InitMatrixNew", "ShowWarning",
    "EnableAllWindows", "ShowInternalError", "StopExperiment", "PauseExperiment",
    "CurrentExperimentTime", "DispatchQueuedMessages", "BBox_FullEnter",
    "BBox_FullLeave", "BBox_LightEnter", "BBox_LightLeave", "CreateSatellite",
    "UpdateSatellite", "RemoveUselessSatellites", "CreateStackedPen",
    "CreateStackedPenIndirect", "CreateStackedFontIndirect", "CreateStackedSolidBrush",
    "CreateStackedBrushIndirect", "DeleteStackedObject", "do_fft", "EditText",
    "LoadInterpolationTable", "LoadTableFromFile", "SearchForFileToLoad",
    "DoesFileExistAndMsg", "AskForFilenameChange", "CheckCreateDir", "InitPrinter",
    "PrintHeader", "ExitPrinter", "PrintFooter", "NextPage", "CheckedCreateFile",
    "CheckedOpenFile", "CreateAndShowToolTipWindow", "SendPanelMessage",
    "GlStr_RegisterByText", "GlStr_UnregisterByText", "ExpandString",
    "ExpandStringNumber", "ExpandVarNumber", "ExpandUnitString", "ExpandUnit",
    "GlStr_RegisterByNumber", "GlStr_UnregisterByNumber", "GlStr_Set", "GlStr_Get",
    "GlStr_PrefixGet", "GlVar_RegisterByNumber", "GlVar_UnregisterByNumber",
    "GlVar_Set", "GlVar_Get", "GlVar_PrefixGet", "GlVar_VarStringGet",
    "GlVar_SetSyntax", "GlStr_SetSyntax", "SetMenuForGlobalStrings",
    "SetMenuForGlobalVars", "DeleteMenuForGlobalStrings", "DeleteMenuForGlobalVars",
    "ShowVarsAndSelect", "DsbHasChanged", "RegisterMenuEntry", "RegisterExtraMemory",
    "FindModuleByName", "AddExtMemInstance", "RemoveExtMemInstance",
    "RegisterNewWorksheetNotification", "RegisterTimeBase", "UnregisterTimeBase",
    "SetTimeBase", "SetTimeBaseTime", "IncTimeBaseTime", "GetTimeBaseBlockSize",
    "GetTimeBaseSampleDistance", "GetTimeBaseTime", "FillTimeBaseCombo",
    "GetTimeBaseComboID", "TimeBaseDialog",
};

constexpr int kVariableCount = static_cast<int>(std::size(kVariables));
constexpr int kFunctionCount = static_cast<int>(std::size(kFunctions));
static_assert(kVariableCount == 59 && kFunctionCount == 102, "the host's published names");

// Storage behind the variables whose meaning is the host's own business: each
// answer is a distinct, real address.
uint32_t g_otherVariables[kVariableCount];

// A host function the plug-in has no business calling: it fails the test by
// name. It takes no arguments, so it leaves the stack as either convention
// expects.
template <int I>
int32_t HOST_CALL Trap()
{
    ReportProblem(std::string("the plug-in called the host function ") + kFunctions[I]);
    return 0;
}

typedef int32_t(HOST_CALL* TrapFn)();

template <int... I>
const TrapFn* MakeTraps(std::integer_sequence<int, I...>)
{
    static const TrapFn traps[] = {&Trap<I>...};
    return traps;
}

const TrapFn* Traps()
{
    return MakeTraps(std::make_integer_sequence<int, kFunctionCount>());
}

// A service as the host publishes it, in either calling convention: the
// host's own code runs under its own x87 environment, and the host's run
// may go on before the service returns.
template <const char* Name, auto Implementation>
struct Published;

template <const char* Name, typename R, typename... A, R(HOST_CALL* Implementation)(A...)>
struct Published<Name, Implementation> {
    static R Serve(A... a)
    {
        BackInHost host(Name);
        struct PumpAfter {
            ~PumpAfter()
            {
                if (Behaving(kSelectionMoves))
                    MoveCurrentModule();
                if (Behaving(kServicesPumpTheRun))
                    PumpHostRun();
            }
        } pump;
        return Implementation(a...);
    }
    static R HOST_CALL AsCdecl(A... a) { return Serve(a...); }
    static R __stdcall AsStdcall(A... a) { return Serve(a...); }
};

struct Service {
    const char* name;
    uintptr_t asCdecl;
    uintptr_t asStdcall;
};

template <typename Fn>
uintptr_t Address(Fn fn)
{
    return reinterpret_cast<uintptr_t>(fn);
}

#define SIM_SERVICE_NAMES(X)                                                                        \
    X(NewMemAlloc) X(NewDoMemFree) X(DefineDllModule) X(DefineDllVariable) X(RegisterModuleClass)  \
    X(PerformDefaultAction) X(NewReleaseOutputBlock) X(GetCurrentOutputBlock) X(GetInputBlock)     \
    X(NewReleaseInputBlock) X(ChangeModuleSize) X(ShowWarning) X(StopExperiment)                   \
    X(CreateStackedFontIndirect) X(DeleteStackedObject) X(RegisterMenuEntry)

#define SIM_SERVICE_NAME(name) const char k##name[] = #name;
SIM_SERVICE_NAMES(SIM_SERVICE_NAME)
#undef SIM_SERVICE_NAME

uintptr_t ServiceAddress(const std::string& name)
{
#define SIM_SERVICE_ENTRY(name) \
    {k##name, Address(&Published<k##name, &Host##name>::AsCdecl), Address(&Published<k##name, &Host##name>::AsStdcall)},
    static const Service services[] = {SIM_SERVICE_NAMES(SIM_SERVICE_ENTRY)};
#undef SIM_SERVICE_ENTRY
    for (const Service& s : services) {
        if (name == s.name)
            return Behaving(kStdcallServices) ? s.asStdcall : s.asCdecl;
    }
    return 0;
}

uintptr_t VariableAnswer(int index)
{
    const std::string name = kVariables[index];
    if (name == "MainMenu")
        return reinterpret_cast<uintptr_t>(MainMenu());
    if (name == "&CurrentModulePtr")
        return reinterpret_cast<uintptr_t>(CurrentModulePtrAddress());
    if (name == "hBitChannel")
        return reinterpret_cast<uintptr_t>(ChannelBitmaps());
    if (name == "hBitLessMore")
        return reinterpret_cast<uintptr_t>(LessMoreBitmaps());
    return reinterpret_cast<uintptr_t>(&g_otherVariables[index]);
}

std::vector<std::string> ToStrings(const char* const* names, int count)
{
    return std::vector<std::string>(names, names + count);
}

}  // namespace

const std::vector<std::string>& VariableNames()
{
    static const std::vector<std::string> names = ToStrings(kVariables, kVariableCount);
    return names;
}

const std::vector<std::string>& FunctionNames()
{
    static const std::vector<std::string> names = ToStrings(kFunctions, kFunctionCount);
    return names;
}

const std::vector<std::string>& OptionalVariableNames()
{
    static const std::vector<std::string> names =
        ToStrings(kOptional, static_cast<int>(std::size(kOptional)));
    return names;
}

uintptr_t HostAnswer(UINT message, const std::string& name)
{
    if (message == kLookupVariable) {
        for (int i = 0; i < kVariableCount; ++i) {
            if (name == kVariables[i])
                return VariableAnswer(i);
        }
    } else if (message == kLookupFunction) {
        for (int i = 0; i < kFunctionCount; ++i) {
            if (name == kFunctions[i]) {
                uintptr_t service = ServiceAddress(name);
                return service ? service : reinterpret_cast<uintptr_t>(Traps()[i]);
            }
        }
    }
    return 0;
}

uintptr_t PublishedAnswer(UINT message, const std::string& name)
{
    if (State().answerZero.count(name))
        return 0;
    return HostAnswer(message, name);
}

void AnswerZero(const std::string& name)
{
    State().answerZero.insert(name);
}

void AnswerZeroForOptionalVariables()
{
    for (const std::string& name : OptionalVariableNames())
        AnswerZero(name);
}

}  // namespace sim
