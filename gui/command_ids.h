#pragma once

// Command ids of the menus, accelerators and popups. They are shared with the
// viewpoint buttons of the control strip (id - 31718 gives the button id), so
// the numbers themselves matter, not only their distinctness.
namespace codeburg::cmd {

inline constexpr int kBuild = 32771;
inline constexpr int kRebuildAll = 32774;
inline constexpr int kAddProject = 32775;
inline constexpr int kAddMultipleProjects = 32776;
inline constexpr int kDelete = 32777;
inline constexpr int kNewFolder = 32778;
inline constexpr int kProperties = 32779;
inline constexpr int kSnapshot = 32781;
inline constexpr int kPreferences = 32782;
inline constexpr int kRecordViewpoint = 32784;
inline constexpr int kViewpoint1 = 32785;  // ... 32793 for viewpoint 9
inline constexpr int kViewpointMap = 32794;
inline constexpr int kNextDisplayMode = 32795;
inline constexpr int kChangeDevice = 40002;
inline constexpr int kFullScreen = 40003;
inline constexpr int kFlyOver = 40004;
inline constexpr int kGoStop = 40005;
inline constexpr int kSingleStep = 40006;
inline constexpr int kFreeMovement = 40008;
inline constexpr int kMapView = 40009;
inline constexpr int kToggleMethodNames = 40010;
inline constexpr int kCompareWith = 40011;
inline constexpr int kQuoteOfTheDay = 105;

inline constexpr int kFileNew = 57600;
inline constexpr int kFileOpen = 57601;
inline constexpr int kFileSave = 57603;
inline constexpr int kFileSaveAs = 57604;
inline constexpr int kFilePrint = 57607;
inline constexpr int kFilePrintPreview = 57609;
inline constexpr int kFileMru1 = 57616;
inline constexpr int kEditCopy = 57634;
inline constexpr int kEditCut = 57635;
inline constexpr int kEditPaste = 57637;
inline constexpr int kEditUndo = 57643;
inline constexpr int kAppAbout = 57664;
inline constexpr int kAppExit = 57665;
inline constexpr int kHelpFinder = 57667;
inline constexpr int kContextHelp = 57669;
inline constexpr int kViewStatusBar = 59393;

// The private message posted to the tree view at the end of start-up.
inline constexpr int kStartupChecksMessage = 1480;

}  // namespace codeburg::cmd
