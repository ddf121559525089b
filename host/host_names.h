// The names the plug-in asks the host for, in the order in which they are
// asked. Each list is the one place where that order lives.
//
//   X(id, "name", kRequired | kOptional)
//
// Message 30000 looks up a variable, 30001 a function.
#pragma once

#define HOST_VARIABLE_NAMES(X)                                          \
    X(hInstKorvu,                 "hInstKorvu",                 kRequired) \
    X(MainMenu,                   "MainMenu",                   kRequired) \
    X(GlobalModuleClass,          "GlobalModuleClass",          kRequired) \
    X(AddrHwndDesk,               "&hwndDesk",                  kRequired) \
    X(AddrModule,                 "&Module",                    kRequired) \
    X(AddrViewModule,             "&ViewModule",                kRequired) \
    X(AddrNumberOfModules,        "&wNumberOfModules",          kRequired) \
    X(AddrHighModuleNumber,       "&uiHighModuleNumber",        kRequired) \
    X(AddrCurrentModule,          "&CurrentModule",             kRequired) \
    X(AddrCurrentModulePtr,       "&CurrentModulePtr",          kRequired) \
    X(uiVersionsTyp,              "uiVersionsTyp",              kRequired) \
    X(uiDistributorTyp,           "uiDistributorTyp",           kRequired) \
    X(bDateDayLeadingZero,        "bDateDayLeadingZero",        kOptional) \
    X(bDateMonthLeadingZero,      "bDateMonthLeadingZero",      kOptional) \
    X(bDateYearLong,              "bDateYearLong",              kOptional) \
    X(wDateFormat,                "wDateFormat",                kOptional) \
    X(bTime24h,                   "bTime24h",                   kOptional) \
    X(bTimeLeadingZero,           "bTimeLeadingZero",           kOptional) \
    X(TimeTrenn,                  "TimeTrenn",                  kRequired) \
    X(DezTrenn,                   "DezTrenn",                   kRequired) \
    X(bDecLeadingZero,            "bDecLeadingZero",            kOptional) \
    X(DateTrenn,                  "DateTrenn",                  kRequired) \
    X(AddrDisplayWithoutWnd,      "&bDisplayWithoutWnd",        kRequired) \
    X(AddrPauseIsDisabled,        "&bPauseIsDisabled",          kRequired) \
    X(AddrLayerOutputParam,       "&LAYER_OutputParam",         kRequired) \
    X(AddrStreamOptionen,         "&StreamOptionen",            kRequired) \
    X(AddrTempStreamOptionen,     "&TempStreamOptionen",        kRequired) \
    X(AddrCjRefs,                 "&CJ_Refs",                   kRequired) \
    X(AddrCjTemp,                 "&CJ_Temp",                   kRequired) \
    X(hBitChannel,                "hBitChannel",                kRequired) \
    X(hBitLessMore,               "hBitLessMore",               kRequired) \
    X(hDkGrayPen,                 "hDkGrayPen",                 kRequired) \
    X(hPipePenRed,                "hPipePenRed",                kRequired) \
    X(hPipePenGreen,              "hPipePenGreen",              kRequired) \
    X(hLightRedBrush,             "hLightRedBrush",             kRequired) \
    X(hGreenBrush,                "hGreenBrush",                kRequired) \
    X(InitialStartupDir,          "InitialStartupDir",          kRequired) \
    X(ExeFileDir,                 "ExeFileDir",                 kRequired) \
    X(NameOfFlowChart,            "NameOfFlowChart",            kRequired) \
    X(FullNameOfFlowChart,        "FullNameOfFlowChart",        kRequired) \
    X(ProgFileNameIni,            "ProgFileNameIni",            kRequired) \
    X(DefStreamingDir,            "DefStreamingDir",            kRequired) \
    X(DefFlowchartDir,            "DefFlowchartDir",            kRequired) \
    X(DefDataDir,                 "DefDataDir",                 kRequired) \
    X(DefDeviceDir,               "DefDeviceDir",               kRequired) \
    X(DefUtilityDir,              "DefUtilityDir",              kRequired) \
    X(FlowChartAuthor,            "GlobalFlowChartInfo.Author",     kRequired) \
    X(FlowChartCompany,           "GlobalFlowChartInfo.Company",    kRequired) \
    X(FlowChartDepartment,        "GlobalFlowChartInfo.Department", kRequired) \
    X(FlowChartTitle,             "GlobalFlowChartInfo.Title",      kRequired) \
    X(FlowChartInfo,              "GlobalFlowChartInfo.Info",       kRequired) \
    X(DapSetup,                   "DapSetup",                   kRequired) \
    X(AddrExperimentStartTime,    "&ExperimentStartTime",       kRequired) \
    X(AddrStartingTimeTicks,      "&StartingTimeTicks",         kRequired) \
    X(AddrSysInfo,                "&SysInfo",                   kRequired) \
    X(AddrSysOpt,                 "&SysOpt",                    kRequired) \
    X(AddrDdeInstance,            "&DdeInstance",               kRequired) \
    X(AddrToolTip,                "&ToolTip",                   kRequired) \
    X(AddrWindowOrder,            "&nWindowOrder",              kRequired)

// Every host function is required.
#define HOST_FUNCTION_NAMES(X)                                          \
    X(NewMemAlloc) X(NewMemReAlloc) X(NewDoMemFree) X(DefineDllModule)   \
    X(DefineDllVariable) X(RegisterModuleClass) X(PerformDefaultAction)  \
    X(NewReleaseOutputBlock) X(GetCurrentOutputBlock) X(GetInputFifo)    \
    X(GetInputBlock) X(NewReleaseInputBlock) X(ChangeModuleSize)         \
    X(ChangeModuleName) X(ChangeNameInString) X(SendModuleMessage)       \
    X(SendModChanMessage) X(CopyChannelName) X(FillUnitList)             \
    X(MODUL_InitAll) X(MODUL_DestroyAll) X(InitMatrixNew) X(ShowWarning) \
    X(EnableAllWindows) X(ShowInternalError) X(StopExperiment)           \
    X(PauseExperiment) X(CurrentExperimentTime) X(DispatchQueuedMessages) \
    X(BBox_FullEnter) X(BBox_FullLeave) X(BBox_LightEnter)               \
    X(BBox_LightLeave) X(CreateSatellite) X(UpdateSatellite)             \
    X(RemoveUselessSatellites) X(CreateStackedPen)                       \
    X(CreateStackedPenIndirect) X(CreateStackedFontIndirect)             \
    X(CreateStackedSolidBrush) X(CreateStackedBrushIndirect)             \
    X(DeleteStackedObject) X(do_fft) X(EditText) X(LoadInterpolationTable) \
    X(LoadTableFromFile) X(SearchForFileToLoad) X(DoesFileExistAndMsg)   \
    X(AskForFilenameChange) X(CheckCreateDir) X(InitPrinter)             \
    X(PrintHeader) X(ExitPrinter) X(PrintFooter) X(NextPage)             \
    X(CheckedCreateFile) X(CheckedOpenFile) X(CreateAndShowToolTipWindow) \
    X(SendPanelMessage) X(GlStr_RegisterByText) X(GlStr_UnregisterByText) \
    X(ExpandString) X(ExpandStringNumber) X(ExpandVarNumber)             \
    X(ExpandUnitString) X(ExpandUnit) X(GlStr_RegisterByNumber)          \
    X(GlStr_UnregisterByNumber) X(GlStr_Set) X(GlStr_Get)                \
    X(GlStr_PrefixGet) X(GlVar_RegisterByNumber) X(GlVar_UnregisterByNumber) \
    X(GlVar_Set) X(GlVar_Get) X(GlVar_PrefixGet) X(GlVar_VarStringGet)   \
    X(GlVar_SetSyntax) X(GlStr_SetSyntax) X(SetMenuForGlobalStrings)     \
    X(SetMenuForGlobalVars) X(DeleteMenuForGlobalStrings)                \
    X(DeleteMenuForGlobalVars) X(ShowVarsAndSelect) X(DsbHasChanged)     \
    X(RegisterMenuEntry) X(RegisterExtraMemory) X(FindModuleByName)      \
    X(AddExtMemInstance) X(RemoveExtMemInstance)                         \
    X(RegisterNewWorksheetNotification) X(RegisterTimeBase)              \
    X(UnregisterTimeBase) X(SetTimeBase) X(SetTimeBaseTime)              \
    X(IncTimeBaseTime) X(GetTimeBaseBlockSize) X(GetTimeBaseSampleDistance) \
    X(GetTimeBaseTime) X(FillTimeBaseCombo) X(GetTimeBaseComboID)        \
    X(TimeBaseDialog)

enum HostVariable {
#define HOST_VARIABLE_ID(id, name, need) HV_##id,
    HOST_VARIABLE_NAMES(HOST_VARIABLE_ID)
#undef HOST_VARIABLE_ID
    HV_COUNT
};

enum HostFunction {
#define HOST_FUNCTION_ID(id) HF_##id,
    HOST_FUNCTION_NAMES(HOST_FUNCTION_ID)
#undef HOST_FUNCTION_ID
    HF_COUNT
};

static_assert(HV_COUNT == 59, "the host publishes 59 variables");
static_assert(HF_COUNT == 102, "the host publishes 102 functions");

constexpr int kLookupVariable = 30000, kLookupFunction = 30001;
