#pragma once
// Every text the workbench shows, in one place. These are the host's own
// texts, not a plug-in's. Each is shown in the user's language: a Text
// becomes a QString through the installed translator (language.h).

#include <QCoreApplication>
#include <QString>

namespace wbtext {

// An English source text, translated where it is used as a QString.
struct Text {
    const char* source;
    constexpr Text(const char* s) : source(s) {}
    operator QString() const { return QCoreApplication::translate("Workbench", source); }
};

inline constexpr Text kAppName = QT_TRANSLATE_NOOP("Workbench", "Korvex workbench");
inline constexpr Text kMenuFile = QT_TRANSLATE_NOOP("Workbench", "&File");
inline constexpr Text kOpen = QT_TRANSLATE_NOOP("Workbench", "&Open data file...");
inline constexpr Text kRecent = QT_TRANSLATE_NOOP("Workbench", "Open &recent");
inline constexpr Text kRecentNone = QT_TRANSLATE_NOOP("Workbench", "(none)");
inline constexpr Text kExportPng = QT_TRANSLATE_NOOP("Workbench", "Export graph window as &PNG...");
inline constexpr Text kExportGraphPng =
    QT_TRANSLATE_NOOP("Workbench", "Export active graph as P&NG...");
inline constexpr Text kExportThisGraph =
    QT_TRANSLATE_NOOP("Workbench", "Export this graph as PNG...");
inline constexpr Text kExportCsv =
    QT_TRANSLATE_NOOP("Workbench", "Export graph signals as &CSV...");
inline constexpr Text kQuit = QT_TRANSLATE_NOOP("Workbench", "&Quit");
inline constexpr Text kMenuGraph = QT_TRANSLATE_NOOP("Workbench", "&Graph");
inline constexpr Text kNewWindow = QT_TRANSLATE_NOOP("Workbench", "&New graph window");
inline constexpr Text kAddGraph = QT_TRANSLATE_NOOP("Workbench", "&Add graph to window");
inline constexpr Text kAutoscale = QT_TRANSLATE_NOOP("Workbench", "Auto&scale");
inline constexpr Text kXTime = QT_TRANSLATE_NOOP("Workbench", "X axis: &time");
inline constexpr Text kXSignal = QT_TRANSLATE_NOOP("Workbench", "X axis: &selected signal");
inline constexpr Text kCursorB = QT_TRANSLATE_NOOP("Workbench", "Cursor &B");
inline constexpr Text kCursorBTip =
    QT_TRANSLATE_NOOP("Workbench", "Second cursor B with the differences to A (B in a graph)");
inline constexpr Text kLegend = QT_TRANSLATE_NOOP("Workbench", "&Legend");
inline constexpr Text kLegendTip =
    QT_TRANSLATE_NOOP("Workbench", "Show or hide the legends (L in a graph)");
inline constexpr Text kTile = QT_TRANSLATE_NOOP("Workbench", "&Tile windows");
inline constexpr Text kGraphBar = QT_TRANSLATE_NOOP("Workbench", "Graph");
inline constexpr Text kRemoveSignal =
    QT_TRANSLATE_NOOP("Workbench", "Remove \"%1\" from the graph");
inline constexpr Text kMenuView = QT_TRANSLATE_NOOP("Workbench", "&View");
inline constexpr Text kMenuHelp = QT_TRANSLATE_NOOP("Workbench", "&Help");
inline constexpr Text kAbout = QT_TRANSLATE_NOOP("Workbench", "&About");
inline constexpr Text kAboutText = QT_TRANSLATE_NOOP(
    "Workbench",
    "The Korvex workbench: the stand-in measurement host with its signal tree, graph windows "
    "and plug-in toolbar.");
inline constexpr Text kTreeDock = QT_TRANSLATE_NOOP("Workbench", "Signals");
inline constexpr Text kLogDock = QT_TRANSLATE_NOOP("Workbench", "Log");
inline constexpr Text kPluginBar = QT_TRANSLATE_NOOP("Workbench", "Plug-ins");
inline constexpr Text kColName = QT_TRANSLATE_NOOP("Workbench", "Name");
inline constexpr Text kColUnit = QT_TRANSLATE_NOOP("Workbench", "Unit");
inline constexpr Text kColPoints = QT_TRANSLATE_NOOP("Workbench", "Points");
inline constexpr Text kColStep = QT_TRANSLATE_NOOP("Workbench", "Step");
inline constexpr Text kColDuration = QT_TRANSLATE_NOOP("Workbench", "Duration");
inline constexpr Text kWindowTitle = QT_TRANSLATE_NOOP("Workbench", "Graphs %1");
inline constexpr Text kDataFilter = QT_TRANSLATE_NOOP(
    "Workbench",
    "Data files (*.quor *.uff *.unv *.uf *.wav *.tdms *.mat *.csv *.txt *.tsv *.lvm);;"
    "All files (*)");
inline constexpr Text kAskRate = QT_TRANSLATE_NOOP("Workbench", "Sample rate");
inline constexpr Text kRateHz = QT_TRANSLATE_NOOP("Workbench", "Sample rate in Hz:");
inline constexpr Text kPngFilter = QT_TRANSLATE_NOOP("Workbench", "PNG images (*.png)");
inline constexpr Text kCsvFilter = QT_TRANSLATE_NOOP("Workbench", "CSV files (*.csv)");
inline constexpr Text kError = QT_TRANSLATE_NOOP("Workbench", "Error");
inline constexpr Text kOpened = QT_TRANSLATE_NOOP("Workbench", "Opened %1 into %2");
inline constexpr Text kNote = QT_TRANSLATE_NOOP("Workbench", "  note: %1");
inline constexpr Text kOperatorNote = QT_TRANSLATE_NOOP("Workbench", "Operator: %1");
inline constexpr Text kNoGraph = QT_TRANSLATE_NOOP("Workbench", "No graph window is active.");
inline constexpr Text kNoSignalSelected =
    QT_TRANSLATE_NOOP("Workbench", "Select a signal in the tree first.");
inline constexpr Text kCannotWrite = QT_TRANSLATE_NOOP("Workbench", "Cannot write \"%1\".");
inline constexpr Text kSaved = QT_TRANSLATE_NOOP("Workbench", "Saved %1");
inline constexpr Text kRegistryUnreadable =
    QT_TRANSLATE_NOOP("Workbench", "Plug-ins not loaded: %1");
inline constexpr Text kPluginsLoaded = QT_TRANSLATE_NOOP("Workbench", "%1 plug-in(s) loaded");
inline constexpr Text kCursorLabel = QT_TRANSLATE_NOOP("Workbench", "t = %1 s");
inline constexpr Text kCursorALabel = QT_TRANSLATE_NOOP("Workbench", "A: t = %1 s");
inline constexpr Text kCursorBLabel = QT_TRANSLATE_NOOP("Workbench", "B: t = %1 s");
inline constexpr Text kXAxisTime = QT_TRANSLATE_NOOP("Workbench", "t [s]");
// A recording on disk whose overview is still being read.
inline constexpr Text kOverviewProgress =
    QT_TRANSLATE_NOOP("Workbench", "Reading the overview... %1 %");
// The first opening of a long recording in another format than .quor.
inline constexpr Text kCopyProgress =
    QT_TRANSLATE_NOOP("Workbench", "Copying %1 to read it from the disk...");
inline constexpr Text kOpenStopped = QT_TRANSLATE_NOOP("Workbench", "Opening %1 was stopped");
inline constexpr Text kNewSpectrum =
    QT_TRANSLATE_NOOP("Workbench", "New s&pectrum graph of the selected signal");
inline constexpr Text kNewMap =
    QT_TRANSLATE_NOOP("Workbench", "New &map of the selected signal...");
inline constexpr Text kSpectrumButton = QT_TRANSLATE_NOOP("Workbench", "Spectrum");
inline constexpr Text kMapButton = QT_TRANSLATE_NOOP("Workbench", "Map");
inline constexpr Text kSpectralParams = QT_TRANSLATE_NOOP("Workbench", "Spectrum &parameters...");
inline constexpr Text kExportThisCsv = QT_TRANSLATE_NOOP("Workbench", "Export as CSV...");
inline constexpr Text kRemoveOverlays = QT_TRANSLATE_NOOP("Workbench", "Remove the overlays");
inline constexpr Text kHarmonics = QT_TRANSLATE_NOOP("Workbench", "&Harmonic cursor (H)");
inline constexpr Text kSidebands = QT_TRANSLATE_NOOP("Workbench", "&Sideband cursor (S)");
inline constexpr Text kFaultLines = QT_TRANSLATE_NOOP("Workbench", "Bearing &fault lines...");
inline constexpr Text kFaultTitle = QT_TRANSLATE_NOOP("Workbench", "Bearing fault lines");
inline constexpr Text kFaultBalls = QT_TRANSLATE_NOOP("Workbench", "Rolling elements n");
inline constexpr Text kFaultBallD = QT_TRANSLATE_NOOP("Workbench", "Element diameter d");
inline constexpr Text kFaultPitchD = QT_TRANSLATE_NOOP("Workbench", "Pitch diameter D");
inline constexpr Text kFaultAngle = QT_TRANSLATE_NOOP("Workbench", "Contact angle, degrees");
inline constexpr Text kFaultOuter = QT_TRANSLATE_NOOP("Workbench", "The outer ring turns");
inline constexpr Text kFaultShaft =
    QT_TRANSLATE_NOOP("Workbench", "Shaft frequency, Hz (without a speed signal)");
inline constexpr Text kFaultHarmonics = QT_TRANSLATE_NOOP("Workbench", "Harmonics");
inline constexpr Text kFaultSidebands = QT_TRANSLATE_NOOP("Workbench", "Sidebands");
inline constexpr Text kFaultRemove = QT_TRANSLATE_NOOP("Workbench", "Remove the lines");
inline constexpr Text kFaultBad = QT_TRANSLATE_NOOP(
    "Workbench", "Not a bearing: d must be above 0 and below D, the angle below 90 degrees.");
inline constexpr Text kEnvelopeBand = QT_TRANSLATE_NOOP("Workbench", "&Envelope band...");
inline constexpr Text kEnvelopeKurtogram =
    QT_TRANSLATE_NOOP("Workbench", "Envelope band from the &kurtogram");
inline constexpr Text kEnvelopeOff = QT_TRANSLATE_NOOP("Workbench", "&Ordinary spectrum");
inline constexpr Text kEnvelopeTitle = QT_TRANSLATE_NOOP("Workbench", "Envelope band");
inline constexpr Text kEnvelopeLo = QT_TRANSLATE_NOOP("Workbench", "From, Hz");
inline constexpr Text kEnvelopeHi = QT_TRANSLATE_NOOP("Workbench", "To, Hz");
inline constexpr Text kEnvelopeSeconds = QT_TRANSLATE_NOOP("Workbench", "Range around cursor A, s");
inline constexpr Text kEnvelopeHead =
    QT_TRANSLATE_NOOP("Workbench", "envelope of %1-%2 Hz   df %3 Hz   %4 blocks");
inline constexpr Text kEnvelopeBad =
    QT_TRANSLATE_NOOP("Workbench", "The band needs 0 <= from < to.");
inline constexpr Text kKurtogramShow = QT_TRANSLATE_NOOP("Workbench", "Kurto&gram at cursor A...");
inline constexpr Text kKurtogramTitle = QT_TRANSLATE_NOOP("Workbench", "Kurtogram");
inline constexpr Text kKurtogramHead = QT_TRANSLATE_NOOP(
    "Workbench", "t = %1 s   most impulsive %2-%3 Hz, kurtosis %4   (click: envelope band)");
inline constexpr Text kKurtogramFreq = QT_TRANSLATE_NOOP("Workbench", "f [Hz]");
inline constexpr Text kKurtogramLevel = QT_TRANSLATE_NOOP("Workbench", "level");
inline constexpr Text kFaultNoShaft =
    QT_TRANSLATE_NOOP("Workbench", "Fault lines: no shaft frequency (a speed signal or one typed)");
inline constexpr Text kMarkPeak = QT_TRANSLATE_NOOP("Workbench", "&Mark the peak (M)");
inline constexpr Text kCopyMarks =
    QT_TRANSLATE_NOOP("Workbench", "&Copy the marked values (Ctrl+C)");
inline constexpr Text kClearMarks = QT_TRANSLATE_NOOP("Workbench", "C&lear the marked values");
inline constexpr Text kResetColours = QT_TRANSLATE_NOOP("Workbench", "&Reset the colour range (R)");
inline constexpr Text kStop = QT_TRANSLATE_NOOP("Workbench", "Stop");
inline constexpr Text kComputingMap = QT_TRANSLATE_NOOP("Workbench", "Computing the map...");
inline constexpr Text kMapStopped =
    QT_TRANSLATE_NOOP("Workbench", "The map was stopped. Change a parameter to compute it again.");
inline constexpr Text kNoSignal =
    QT_TRANSLATE_NOOP("Workbench", "No signal: drop one from the tree.");
inline constexpr Text kNoSpectralGraph =
    QT_TRANSLATE_NOOP("Workbench", "The active graph is not a spectrum or a map.");
inline constexpr Text kSpectrumDialog = QT_TRANSLATE_NOOP("Workbench", "Spectrum parameters");
inline constexpr Text kMapDialog = QT_TRANSLATE_NOOP("Workbench", "Map parameters");

inline constexpr Text kSpeedDialog = QT_TRANSLATE_NOOP("Workbench", "Speed from spectrum");
inline constexpr Text kSpeedSignal = QT_TRANSLATE_NOOP("Workbench", "Vibration signal");
inline constexpr Text kSpeedOrder = QT_TRANSLATE_NOOP("Workbench", "Order followed");
inline constexpr Text kSpeedAnchor = QT_TRANSLATE_NOOP("Workbench", "Follow from");
inline constexpr Text kSpeedByStart = QT_TRANSLATE_NOOP("Workbench", "a start point");
inline constexpr Text kSpeedByBand = QT_TRANSLATE_NOOP("Workbench", "a speed band");
inline constexpr Text kSpeedStartTime = QT_TRANSLATE_NOOP("Workbench", "Start time [s]");
inline constexpr Text kSpeedStartSpeed =
    QT_TRANSLATE_NOOP("Workbench", "Shaft speed at the start [Hz]");
inline constexpr Text kSpeedLo = QT_TRANSLATE_NOOP("Workbench", "Lowest shaft speed [Hz]");
inline constexpr Text kSpeedHi = QT_TRANSLATE_NOOP("Workbench", "Highest shaft speed [Hz]");
inline constexpr Text kSpeedBlock = QT_TRANSLATE_NOOP("Workbench", "Block length N");
inline constexpr Text kSpeedOverlap = QT_TRANSLATE_NOOP("Workbench", "Overlap [%]");
inline constexpr Text kSpeedMaxRate = QT_TRANSLATE_NOOP("Workbench", "Fastest speed change [%/s]");
inline constexpr Text kSpeedRunning =
    QT_TRANSLATE_NOOP("Workbench", "Following the order's line...");
inline constexpr Text kSpeedNoSignal =
    QT_TRANSLATE_NOOP("Workbench", "No signal to follow: open a data file first.");
inline constexpr Text kSpeedFiled = QT_TRANSLATE_NOOP("Workbench", "Speed from spectrum: %1");
inline constexpr Text kSpeedWarning = QT_TRANSLATE_NOOP("Workbench", "  warning: %1");

}  // namespace wbtext
