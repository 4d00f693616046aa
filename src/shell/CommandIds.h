#pragma once

// Names of the main window's commands. The menu bar, the tool bar, the desktop pop-up menu and
// the keys all reach a command through its name; each subsystem binds the commands it serves
// (CommandRegistry::bind), and a command nobody bound stays visible and disabled.
namespace qb::cmd {

// File
inline constexpr char NewWord[] = "NewWord";
inline constexpr char NewConcept[] = "NewConcept";
inline constexpr char NewBlankItem[] = "NewBlankItem";
inline constexpr char NewItemFromClipboard[] = "NewItemFromClipboard";
inline constexpr char NewFlyword[] = "NewFlyword";
inline constexpr char BackUpToFile[] = "BackUpToFile";
inline constexpr char RestoreFromFile[] = "RestoreFromFile";
inline constexpr char AddAnotherDatabase[] = "AddAnotherDatabase";
inline constexpr char ExportNotes[] = "ExportNotes";
inline constexpr char ImportNotes[] = "ImportNotes";
inline constexpr char FileExplorer[] = "FileExplorer";
inline constexpr char UpdateChanges[] = "UpdateChanges";
inline constexpr char Exit[] = "Exit";

// Edit
inline constexpr char EditCut[] = "EditCut";
inline constexpr char EditCopy[] = "EditCopy";
inline constexpr char EditPaste[] = "EditPaste";
inline constexpr char EditSelectAll[] = "EditSelectAll";
inline constexpr char EditSelectAndCopyAll[] = "EditSelectAndCopyAll";
inline constexpr char RemoveCRsFromClipboard[] = "RemoveCRsFromClipboard";

// Find
inline constexpr char FindItemsAndConcepts[] = "FindItemsAndConcepts";
inline constexpr char DictionaryWordSearch[] = "DictionaryWordSearch";
inline constexpr char NextDictionaryWordMatch[] = "NextDictionaryWordMatch";

// View
inline constexpr char ResetScreen[] = "ResetScreen";
inline constexpr char NewDictionaryWindow[] = "NewDictionaryWindow";
inline constexpr char NewProjectWindow[] = "NewProjectWindow";
inline constexpr char PopConcepts[] = "PopConcepts";
inline constexpr char PopItems[] = "PopItems";
inline constexpr char ViewImportFile[] = "ViewImportFile";
inline constexpr char DisplayWordMill[] = "DisplayWordMill";
inline constexpr char BookMode[] = "BookMode";
inline constexpr char ClipboardToEditor[] = "ClipboardToEditor";

// Clear
inline constexpr char ClearConcepts[] = "ClearConcepts";
inline constexpr char ClearItemsNotMarked[] = "ClearItemsNotMarked";
inline constexpr char ClearAllItems[] = "ClearAllItems";
inline constexpr char ClearInflections[] = "ClearInflections";
inline constexpr char ClearFlywords[] = "ClearFlywords";
inline constexpr char ClearAllUnmarked[] = "ClearAllUnmarked";
inline constexpr char ClearAllCards[] = "ClearAllCards";
inline constexpr char ClearDesktop[] = "ClearDesktop";
inline constexpr char StackBookText[] = "StackBookText";
inline constexpr char ClearBookText[] = "ClearBookText";

// Sort
inline constexpr char SortOnDiagonal[] = "SortOnDiagonal";
inline constexpr char TextSideUpDiagonally[] = "TextSideUpDiagonally";
inline constexpr char TileItems[] = "TileItems";
inline constexpr char TileItemsExtended[] = "TileItemsExtended";
inline constexpr char TileConcepts[] = "TileConcepts";
inline constexpr char TileInflections[] = "TileInflections";
inline constexpr char TileFlywords[] = "TileFlywords";

// Copy (menu-bar entry of its own)
inline constexpr char CopyFromTables[] = "CopyFromTables";

// Options
inline constexpr char CardSideText[] = "CardSideText";
inline constexpr char CardSideKeywords[] = "CardSideKeywords";
inline constexpr char CardSideProjects[] = "CardSideProjects";
inline constexpr char CardSideCombined[] = "CardSideCombined";
inline constexpr char ExplodeOff[] = "ExplodeOff";
inline constexpr char ExplodeOn[] = "ExplodeOn";
inline constexpr char ExplodeMaximum[] = "ExplodeMaximum";
inline constexpr char QuickCardFlip[] = "QuickCardFlip";
inline constexpr char HotSpotBringToFront[] = "HotSpotBringToFront";
inline constexpr char HotSpotSendToBack[] = "HotSpotSendToBack";
inline constexpr char CompactPacks[] = "CompactPacks";
inline constexpr char IncrementalDictionarySearch[] = "IncrementalDictionarySearch";
inline constexpr char FlywordOnDoubleClick[] = "FlywordOnDoubleClick";
inline constexpr char ShowHints[] = "ShowHints";
inline constexpr char VerboseMode[] = "VerboseMode";
inline constexpr char SaveSettingsOnExit[] = "SaveSettingsOnExit";
inline constexpr char RemoveCommentLines[] = "RemoveCommentLines";
inline constexpr char OutlineAsHtml[] = "OutlineAsHtml";
inline constexpr char MergeWordsInConcept[] = "MergeWordsInConcept";
inline constexpr char RescheduleItems[] = "RescheduleItems";

// Utilities
inline constexpr char UndoRecentDeletes[] = "UndoRecentDeletes";
inline constexpr char FindDamagedItems[] = "FindDamagedItems";
inline constexpr char ClearAllData[] = "ClearAllData";
inline constexpr char ShowStatistics[] = "ShowStatistics";
inline constexpr char PrintAllItemTexts[] = "PrintAllItemTexts";
inline constexpr char ShowDatabaseLocationInfo[] = "ShowDatabaseLocationInfo";
inline constexpr char ClearFindEntries[] = "ClearFindEntries";
inline constexpr char WallpaperFromClipboard[] = "WallpaperFromClipboard";
inline constexpr char WallpaperClear[] = "WallpaperClear";
inline constexpr char DesktopImageCopy[] = "DesktopImageCopy";
inline constexpr char DesktopImageRemove[] = "DesktopImageRemove";
inline constexpr char SmallApplicationWindow[] = "SmallApplicationWindow";
inline constexpr char ExportDesktopXml[] = "ExportDesktopXml";
inline constexpr char AllDictionaryWordsToClipboard[] = "AllDictionaryWordsToClipboard";
inline constexpr char AllInflectionsToClipboard[] = "AllInflectionsToClipboard";
inline constexpr char AnalyzeItemText[] = "AnalyzeItemText";

// Installation
inline constexpr char BrowserSetup[] = "BrowserSetup";
inline constexpr char Windows95ExtendedDesktop[] = "Windows95ExtendedDesktop";
inline constexpr char ClearAllTimeStamps[] = "ClearAllTimeStamps";
inline constexpr char EditIniFile[] = "EditIniFile";
inline constexpr char DownloadLatestVersion[] = "DownloadLatestVersion";

// Help
inline constexpr char WebSite[] = "WebSite";
inline constexpr char Tutorials[] = "Tutorials";
inline constexpr char DownloadProgramFiles[] = "DownloadProgramFiles";
inline constexpr char SendReport[] = "SendReport";
inline constexpr char OnlineHelp[] = "OnlineHelp";
inline constexpr char HelpContents[] = "HelpContents";
inline constexpr char ContextHelp[] = "ContextHelp";
inline constexpr char HotKeys[] = "HotKeys";
inline constexpr char ReleaseNotes[] = "ReleaseNotes";
inline constexpr char About[] = "About";

// Tool-bar only
inline constexpr char GetUrl[] = "GetUrl";
inline constexpr char WordMillWithClipboard[] = "WordMillWithClipboard";
inline constexpr char FindText[] = "FindText";
inline constexpr char LocateInDictionary[] = "LocateInDictionary";
inline constexpr char TileItemsButton[] = "TileItemsButton";
inline constexpr char ReturnHome[] = "ReturnHome";
inline constexpr char ToggleExplodeMode[] = "ToggleExplodeMode";
// A press on the clipboard-size panel; also run by the delayed-events timer after a repaint.
inline constexpr char RefreshClipboardSize[] = "RefreshClipboardSize";

// Notification-area icon: a left press, and its menu ("Grab URL to Make a Project" is GetUrl,
// "Exit Quillbox" is Exit).
inline constexpr char TrayIconClick[] = "TrayIconClick";
inline constexpr char TraySaveClipboardAsItem[] = "TraySaveClipboardAsItem";
inline constexpr char TraySaveClipboardNoCRs[] = "TraySaveClipboardNoCRs";
inline constexpr char TraySaveClipboardToImportFile[] = "TraySaveClipboardToImportFile";
inline constexpr char RestoreWindow[] = "RestoreWindow";

}  // namespace qb::cmd
