#pragma once
// Every text the workbench shows, in one place. These are the host's own
// texts, not a plug-in's.

namespace wbtext {

inline constexpr const char* kAppName = "Korvex workbench";
inline constexpr const char* kMenuFile = "&File";
inline constexpr const char* kOpen = "&Open data file...";
inline constexpr const char* kRecent = "Open &recent";
inline constexpr const char* kRecentNone = "(none)";
inline constexpr const char* kExportPng = "Export graph window as &PNG...";
inline constexpr const char* kExportGraphPng = "Export active graph as P&NG...";
inline constexpr const char* kExportThisGraph = "Export this graph as PNG...";
inline constexpr const char* kExportCsv = "Export graph signals as &CSV...";
inline constexpr const char* kQuit = "&Quit";
inline constexpr const char* kMenuGraph = "&Graph";
inline constexpr const char* kNewWindow = "&New graph window";
inline constexpr const char* kAddGraph = "&Add graph to window";
inline constexpr const char* kAutoscale = "Auto&scale";
inline constexpr const char* kXTime = "X axis: &time";
inline constexpr const char* kXSignal = "X axis: &selected signal";
inline constexpr const char* kCursorB = "Cursor &B";
inline constexpr const char* kCursorBTip =
    "Second cursor B with the differences to A (B in a graph)";
inline constexpr const char* kLegend = "&Legend";
inline constexpr const char* kLegendTip = "Show or hide the legends (L in a graph)";
inline constexpr const char* kTile = "&Tile windows";
inline constexpr const char* kGraphBar = "Graph";
inline constexpr const char* kRemoveSignal = "Remove \"%1\" from the graph";
inline constexpr const char* kMenuView = "&View";
inline constexpr const char* kMenuHelp = "&Help";
inline constexpr const char* kAbout = "&About";
inline constexpr const char* kAboutText =
    "The Korvex workbench: the stand-in measurement host with its signal tree, graph windows "
    "and plug-in toolbar.";
inline constexpr const char* kTreeDock = "Signals";
inline constexpr const char* kLogDock = "Log";
inline constexpr const char* kPluginBar = "Plug-ins";
inline constexpr const char* kColName = "Name";
inline constexpr const char* kColUnit = "Unit";
inline constexpr const char* kColPoints = "Points";
inline constexpr const char* kColStep = "Step";
inline constexpr const char* kColDuration = "Duration";
inline constexpr const char* kWindowTitle = "Graphs %1";
inline constexpr const char* kDataFilter =
    "Data files (*.quor *.uff *.unv *.uf *.wav *.tdms *.mat *.csv *.txt *.tsv *.lvm);;"
    "All files (*)";
inline constexpr const char* kAskRate = "Sample rate";
inline constexpr const char* kRateHz = "Sample rate in Hz:";
inline constexpr const char* kPngFilter = "PNG images (*.png)";
inline constexpr const char* kCsvFilter = "CSV files (*.csv)";
inline constexpr const char* kError = "Error";
inline constexpr const char* kOpened = "Opened %1 into %2";
inline constexpr const char* kNote = "  note: %1";
inline constexpr const char* kOperatorNote = "Operator: %1";
inline constexpr const char* kNoGraph = "No graph window is active.";
inline constexpr const char* kNoSignalSelected = "Select a signal in the tree first.";
inline constexpr const char* kCannotWrite = "Cannot write \"%1\".";
inline constexpr const char* kSaved = "Saved %1";
inline constexpr const char* kRegistryUnreadable = "Plug-ins not loaded: %1";
inline constexpr const char* kPluginsLoaded = "%1 plug-in(s) loaded";
inline constexpr const char* kCursorLabel = "t = %1 s";
inline constexpr const char* kCursorALabel = "A: t = %1 s";
inline constexpr const char* kCursorBLabel = "B: t = %1 s";
inline constexpr const char* kXAxisTime = "t [s]";
// A recording on disk whose overview is still being read.
inline constexpr const char* kOverviewProgress = "Reading the overview... %1 %";
// The first opening of a long recording in another format than .quor.
inline constexpr const char* kCopyProgress = "Copying %1 to read it from the disk...";
inline constexpr const char* kOpenStopped = "Opening %1 was stopped";
inline constexpr const char* kNewSpectrum = "New s&pectrum graph of the selected signal";
inline constexpr const char* kNewMap = "New &map of the selected signal...";
inline constexpr const char* kSpectrumButton = "Spectrum";
inline constexpr const char* kMapButton = "Map";
inline constexpr const char* kSpectralParams = "Spectrum &parameters...";
inline constexpr const char* kExportThisCsv = "Export as CSV...";
inline constexpr const char* kRemoveOverlays = "Remove the overlays";
inline constexpr const char* kHarmonics = "&Harmonic cursor (H)";
inline constexpr const char* kSidebands = "&Sideband cursor (S)";
inline constexpr const char* kMarkPeak = "&Mark the peak (M)";
inline constexpr const char* kCopyMarks = "&Copy the marked values (Ctrl+C)";
inline constexpr const char* kClearMarks = "C&lear the marked values";
inline constexpr const char* kResetColours = "&Reset the colour range (R)";
inline constexpr const char* kStop = "Stop";
inline constexpr const char* kComputingMap = "Computing the map...";
inline constexpr const char* kMapStopped =
    "The map was stopped. Change a parameter to compute it again.";
inline constexpr const char* kNoSignal = "No signal: drop one from the tree.";
inline constexpr const char* kNoSpectralGraph = "The active graph is not a spectrum or a map.";
inline constexpr const char* kSpectrumDialog = "Spectrum parameters";
inline constexpr const char* kMapDialog = "Map parameters";

inline constexpr const char* kSpeedDialog = "Speed from spectrum";
inline constexpr const char* kSpeedSignal = "Vibration signal";
inline constexpr const char* kSpeedOrder = "Order followed";
inline constexpr const char* kSpeedAnchor = "Follow from";
inline constexpr const char* kSpeedByStart = "a start point";
inline constexpr const char* kSpeedByBand = "a speed band";
inline constexpr const char* kSpeedStartTime = "Start time [s]";
inline constexpr const char* kSpeedStartSpeed = "Shaft speed at the start [Hz]";
inline constexpr const char* kSpeedLo = "Lowest shaft speed [Hz]";
inline constexpr const char* kSpeedHi = "Highest shaft speed [Hz]";
inline constexpr const char* kSpeedBlock = "Block length N";
inline constexpr const char* kSpeedOverlap = "Overlap [%]";
inline constexpr const char* kSpeedMaxRate = "Fastest speed change [%/s]";
inline constexpr const char* kSpeedRunning = "Following the order's line...";
inline constexpr const char* kSpeedNoSignal = "No signal to follow: open a data file first.";
inline constexpr const char* kSpeedFiled = "Speed from spectrum: %1";
inline constexpr const char* kSpeedWarning = "  warning: %1";

}  // namespace wbtext
