<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>QLineEdit</name>
    <message>
        <source>&amp;Undo</source>
        <translation>&amp;Undo</translation>
    </message>
    <message>
        <source>&amp;Redo</source>
        <translation>&amp;Redo</translation>
    </message>
    <message>
        <source>Cu&amp;t</source>
        <translation>Cu&amp;t</translation>
    </message>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>&amp;Paste</source>
        <translation>&amp;Paste</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
</context>
<context>
    <name>QMdiSubWindow</name>
    <message>
        <source>&amp;Restore</source>
        <translation>&amp;Restore</translation>
    </message>
    <message>
        <source>&amp;Move</source>
        <translation>&amp;Move</translation>
    </message>
    <message>
        <source>&amp;Size</source>
        <translation>&amp;Size</translation>
    </message>
    <message>
        <source>Mi&amp;nimize</source>
        <translation>Mi&amp;nimize</translation>
    </message>
    <message>
        <source>Ma&amp;ximize</source>
        <translation>Ma&amp;ximize</translation>
    </message>
    <message>
        <source>Stay on &amp;Top</source>
        <translation>Stay on &amp;Top</translation>
    </message>
    <message>
        <source>&amp;Close</source>
        <translation>&amp;Close</translation>
    </message>
</context>
<context>
    <name>QPlatformTheme</name>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>QWidgetTextControl</name>
    <message>
        <source>&amp;Copy</source>
        <translation>&amp;Copy</translation>
    </message>
    <message>
        <source>Copy &amp;Link Location</source>
        <translation>Copy &amp;Link Location</translation>
    </message>
    <message>
        <source>Select All</source>
        <translation>Select All</translation>
    </message>
</context>
<context>
    <name>Workbench</name>
    <message>
        <source>time</source>
        <translation>time</translation>
    </message>
    <message>
        <source>speed (Campbell)</source>
        <translation>speed (Campbell)</translation>
    </message>
    <message>
        <source>frequency</source>
        <translation>frequency</translation>
    </message>
    <message>
        <source>order</source>
        <translation>order</translation>
    </message>
    <message>
        <source>both</source>
        <translation>both</translation>
    </message>
    <message>
        <source>run-up</source>
        <translation>run-up</translation>
    </message>
    <message>
        <source>run-down</source>
        <translation>run-down</translation>
    </message>
    <message>
        <source>automatic</source>
        <translation>automatic</translation>
    </message>
    <message>
        <source>X axis</source>
        <translation>X axis</translation>
    </message>
    <message>
        <source>Y axis</source>
        <translation>Y axis</translation>
    </message>
    <message>
        <source>Speed direction</source>
        <translation>Speed direction</translation>
    </message>
    <message>
        <source>Speed bin (0: automatic)</source>
        <translation>Speed bin (0: automatic)</translation>
    </message>
    <message>
        <source>Colour range</source>
        <translation>Colour range</translation>
    </message>
    <message>
        <source>  from</source>
        <translation>  from</translation>
    </message>
    <message>
        <source>  to</source>
        <translation>  to</translation>
    </message>
    <message>
        <source>rectangular</source>
        <translation>rectangular</translation>
    </message>
    <message>
        <source>triangular</source>
        <translation>triangular</translation>
    </message>
    <message>
        <source>Hanning</source>
        <translation>Hanning</translation>
    </message>
    <message>
        <source>Blackman</source>
        <translation>Blackman</translation>
    </message>
    <message>
        <source>flat top</source>
        <translation>flat top</translation>
    </message>
    <message>
        <source>RMS</source>
        <translation>RMS</translation>
    </message>
    <message>
        <source>peak</source>
        <translation>peak</translation>
    </message>
    <message>
        <source>power</source>
        <translation>power</translation>
    </message>
    <message>
        <source>PSD</source>
        <translation>PSD</translation>
    </message>
    <message>
        <source>linear</source>
        <translation>linear</translation>
    </message>
    <message>
        <source>dB</source>
        <translation>dB</translation>
    </message>
    <message>
        <source>(none)</source>
        <translation>(none)</translation>
    </message>
    <message>
        <source>Block length N</source>
        <translation>Block length N</translation>
    </message>
    <message>
        <source>Window</source>
        <translation>Window</translation>
    </message>
    <message>
        <source>Averages</source>
        <translation>Averages</translation>
    </message>
    <message>
        <source>Overlap [%]</source>
        <translation>Overlap [%]</translation>
    </message>
    <message>
        <source>Amplitude</source>
        <translation>Amplitude</translation>
    </message>
    <message>
        <source>Scale</source>
        <translation>Scale</translation>
    </message>
    <message>
        <source>Speed signal</source>
        <translation>Speed signal</translation>
    </message>
    <message>
        <source>Korvex workbench</source>
        <translation>Korvex workbench</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>&amp;File</translation>
    </message>
    <message>
        <source>&amp;Open data file...</source>
        <translation>&amp;Open data file...</translation>
    </message>
    <message>
        <source>Open &amp;recent</source>
        <translation>Open &amp;recent</translation>
    </message>
    <message>
        <source>Export graph window as &amp;PNG...</source>
        <translation>Export graph window as &amp;PNG...</translation>
    </message>
    <message>
        <source>Export active graph as P&amp;NG...</source>
        <translation>Export active graph as P&amp;NG...</translation>
    </message>
    <message>
        <source>Export this graph as PNG...</source>
        <translation>Export this graph as PNG...</translation>
    </message>
    <message>
        <source>Export graph signals as &amp;CSV...</source>
        <translation>Export graph signals as &amp;CSV...</translation>
    </message>
    <message>
        <source>&amp;Quit</source>
        <translation>&amp;Quit</translation>
    </message>
    <message>
        <source>&amp;Graph</source>
        <translation>&amp;Graph</translation>
    </message>
    <message>
        <source>&amp;New graph window</source>
        <translation>&amp;New graph window</translation>
    </message>
    <message>
        <source>&amp;Add graph to window</source>
        <translation>&amp;Add graph to window</translation>
    </message>
    <message>
        <source>Auto&amp;scale</source>
        <translation>Auto&amp;scale</translation>
    </message>
    <message>
        <source>X axis: &amp;time</source>
        <translation>X axis: &amp;time</translation>
    </message>
    <message>
        <source>X axis: &amp;selected signal</source>
        <translation>X axis: &amp;selected signal</translation>
    </message>
    <message>
        <source>Cursor &amp;B</source>
        <translation>Cursor &amp;B</translation>
    </message>
    <message>
        <source>Second cursor B with the differences to A (B in a graph)</source>
        <translation>Second cursor B with the differences to A (B in a graph)</translation>
    </message>
    <message>
        <source>&amp;Legend</source>
        <translation>&amp;Legend</translation>
    </message>
    <message>
        <source>Show or hide the legends (L in a graph)</source>
        <translation>Show or hide the legends (L in a graph)</translation>
    </message>
    <message>
        <source>&amp;Tile windows</source>
        <translation>&amp;Tile windows</translation>
    </message>
    <message>
        <source>Graph</source>
        <translation>Graph</translation>
    </message>
    <message>
        <source>Remove &quot;%1&quot; from the graph</source>
        <translation>Remove &quot;%1&quot; from the graph</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>&amp;View</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>&amp;Help</translation>
    </message>
    <message>
        <source>&amp;About</source>
        <translation>&amp;About</translation>
    </message>
    <message>
        <source>The Korvex workbench: the stand-in measurement host with its signal tree, graph windows and plug-in toolbar.</source>
        <translation>The Korvex workbench: the stand-in measurement host with its signal tree, graph windows and plug-in toolbar.</translation>
    </message>
    <message>
        <source>Signals</source>
        <translation>Signals</translation>
    </message>
    <message>
        <source>Log</source>
        <translation>Log</translation>
    </message>
    <message>
        <source>Plug-ins</source>
        <translation>Plug-ins</translation>
    </message>
    <message>
        <source>Name</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>Unit</translation>
    </message>
    <message>
        <source>Points</source>
        <translation>Points</translation>
    </message>
    <message>
        <source>Step</source>
        <translation>Step</translation>
    </message>
    <message>
        <source>Duration</source>
        <translation>Duration</translation>
    </message>
    <message>
        <source>Graphs %1</source>
        <translation>Graphs %1</translation>
    </message>
    <message>
        <source>Data files (*.quor *.uff *.unv *.uf *.wav *.tdms *.mat *.csv *.txt *.tsv *.lvm);;All files (*)</source>
        <translation>Data files (*.quor *.uff *.unv *.uf *.wav *.tdms *.mat *.csv *.txt *.tsv *.lvm);;All files (*)</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Sample rate</translation>
    </message>
    <message>
        <source>Sample rate in Hz:</source>
        <translation>Sample rate in Hz:</translation>
    </message>
    <message>
        <source>PNG images (*.png)</source>
        <translation>PNG images (*.png)</translation>
    </message>
    <message>
        <source>CSV files (*.csv)</source>
        <translation>CSV files (*.csv)</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>Error</translation>
    </message>
    <message>
        <source>Opened %1 into %2</source>
        <translation>Opened %1 into %2</translation>
    </message>
    <message>
        <source>  note: %1</source>
        <translation>  note: %1</translation>
    </message>
    <message>
        <source>Operator: %1</source>
        <translation>Operator: %1</translation>
    </message>
    <message>
        <source>No graph window is active.</source>
        <translation>No graph window is active.</translation>
    </message>
    <message>
        <source>Select a signal in the tree first.</source>
        <translation>Select a signal in the tree first.</translation>
    </message>
    <message>
        <source>Cannot write &quot;%1&quot;.</source>
        <translation>Cannot write &quot;%1&quot;.</translation>
    </message>
    <message>
        <source>Saved %1</source>
        <translation>Saved %1</translation>
    </message>
    <message>
        <source>Plug-ins not loaded: %1</source>
        <translation>Plug-ins not loaded: %1</translation>
    </message>
    <message>
        <source>%1 plug-in(s) loaded</source>
        <translation>%1 plug-in(s) loaded</translation>
    </message>
    <message>
        <source>t = %1 s</source>
        <translation>t = %1 s</translation>
    </message>
    <message>
        <source>A: t = %1 s</source>
        <translation>A: t = %1 s</translation>
    </message>
    <message>
        <source>B: t = %1 s</source>
        <translation>B: t = %1 s</translation>
    </message>
    <message>
        <source>t [s]</source>
        <translation>t [s]</translation>
    </message>
    <message>
        <source>Reading the overview... %1 %</source>
        <translation>Reading the overview... %1 %</translation>
    </message>
    <message>
        <source>Copying %1 to read it from the disk...</source>
        <translation>Copying %1 to read it from the disk...</translation>
    </message>
    <message>
        <source>Opening %1 was stopped</source>
        <translation>Opening %1 was stopped</translation>
    </message>
    <message>
        <source>New s&amp;pectrum graph of the selected signal</source>
        <translation>New s&amp;pectrum graph of the selected signal</translation>
    </message>
    <message>
        <source>New &amp;map of the selected signal...</source>
        <translation>New &amp;map of the selected signal...</translation>
    </message>
    <message>
        <source>Spectrum</source>
        <translation>Spectrum</translation>
    </message>
    <message>
        <source>Map</source>
        <translation>Map</translation>
    </message>
    <message>
        <source>Spectrum &amp;parameters...</source>
        <translation>Spectrum &amp;parameters...</translation>
    </message>
    <message>
        <source>Export as CSV...</source>
        <translation>Export as CSV...</translation>
    </message>
    <message>
        <source>Remove the overlays</source>
        <translation>Remove the overlays</translation>
    </message>
    <message>
        <source>&amp;Harmonic cursor (H)</source>
        <translation>&amp;Harmonic cursor (H)</translation>
    </message>
    <message>
        <source>&amp;Sideband cursor (S)</source>
        <translation>&amp;Sideband cursor (S)</translation>
    </message>
    <message>
        <source>&amp;Mark the peak (M)</source>
        <translation>&amp;Mark the peak (M)</translation>
    </message>
    <message>
        <source>&amp;Copy the marked values (Ctrl+C)</source>
        <translation>&amp;Copy the marked values (Ctrl+C)</translation>
    </message>
    <message>
        <source>C&amp;lear the marked values</source>
        <translation>C&amp;lear the marked values</translation>
    </message>
    <message>
        <source>&amp;Reset the colour range (R)</source>
        <translation>&amp;Reset the colour range (R)</translation>
    </message>
    <message>
        <source>Stop</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>Computing the map...</source>
        <translation>Computing the map...</translation>
    </message>
    <message>
        <source>The map was stopped. Change a parameter to compute it again.</source>
        <translation>The map was stopped. Change a parameter to compute it again.</translation>
    </message>
    <message>
        <source>No signal: drop one from the tree.</source>
        <translation>No signal: drop one from the tree.</translation>
    </message>
    <message>
        <source>The active graph is not a spectrum or a map.</source>
        <translation>The active graph is not a spectrum or a map.</translation>
    </message>
    <message>
        <source>Spectrum parameters</source>
        <translation>Spectrum parameters</translation>
    </message>
    <message>
        <source>Map parameters</source>
        <translation>Map parameters</translation>
    </message>
    <message>
        <source>Speed from spectrum</source>
        <translation>Speed from spectrum</translation>
    </message>
    <message>
        <source>Vibration signal</source>
        <translation>Vibration signal</translation>
    </message>
    <message>
        <source>Order followed</source>
        <translation>Order followed</translation>
    </message>
    <message>
        <source>Follow from</source>
        <translation>Follow from</translation>
    </message>
    <message>
        <source>a start point</source>
        <translation>a start point</translation>
    </message>
    <message>
        <source>a speed band</source>
        <translation>a speed band</translation>
    </message>
    <message>
        <source>Start time [s]</source>
        <translation>Start time [s]</translation>
    </message>
    <message>
        <source>Shaft speed at the start [Hz]</source>
        <translation>Shaft speed at the start [Hz]</translation>
    </message>
    <message>
        <source>Lowest shaft speed [Hz]</source>
        <translation>Lowest shaft speed [Hz]</translation>
    </message>
    <message>
        <source>Highest shaft speed [Hz]</source>
        <translation>Highest shaft speed [Hz]</translation>
    </message>
    <message>
        <source>Fastest speed change [%/s]</source>
        <translation>Fastest speed change [%/s]</translation>
    </message>
    <message>
        <source>Following the order&apos;s line...</source>
        <translation>Following the order&apos;s line...</translation>
    </message>
    <message>
        <source>No signal to follow: open a data file first.</source>
        <translation>No signal to follow: open a data file first.</translation>
    </message>
    <message>
        <source>Speed from spectrum: %1</source>
        <translation>Speed from spectrum: %1</translation>
    </message>
    <message>
        <source>  warning: %1</source>
        <translation>  warning: %1</translation>
    </message>
    <message>
        <source>window %1</source>
        <translation>window %1</translation>
    </message>
    <message>
        <source>RBW %1 Hz</source>
        <translation>RBW %1 Hz</translation>
    </message>
    <message>
        <source>%1 averages</source>
        <translation>%1 averages</translation>
    </message>
    <message>
        <source>dB re %1</source>
        <translation>dB re %1</translation>
    </message>
    <message>
        <source>df %1 Hz</source>
        <translation>df %1 Hz</translation>
    </message>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
    <message>
        <source>once (velocity)</source>
        <translation>once (velocity)</translation>
    </message>
    <message>
        <source>twice (displacement)</source>
        <translation>twice (displacement)</translation>
    </message>
    <message>
        <source>each block less its mean</source>
        <translation>each block less its mean</translation>
    </message>
    <message>
        <source>Integration</source>
        <translation>Integration</translation>
    </message>
    <message>
        <source>Centring</source>
        <translation>Centring</translation>
    </message>
    <message>
        <source>orders, angle domain</source>
        <translation>orders, angle domain</translation>
    </message>
    <message>
        <source>Bearing &amp;fault lines...</source>
        <translation>Bearing &amp;fault lines...</translation>
    </message>
    <message>
        <source>Bearing fault lines</source>
        <translation>Bearing fault lines</translation>
    </message>
    <message>
        <source>Rolling elements n</source>
        <translation>Rolling elements n</translation>
    </message>
    <message>
        <source>Element diameter d</source>
        <translation>Element diameter d</translation>
    </message>
    <message>
        <source>Pitch diameter D</source>
        <translation>Pitch diameter D</translation>
    </message>
    <message>
        <source>Contact angle, degrees</source>
        <translation>Contact angle, degrees</translation>
    </message>
    <message>
        <source>The outer ring turns</source>
        <translation>The outer ring turns</translation>
    </message>
    <message>
        <source>Shaft frequency, Hz (without a speed signal)</source>
        <translation>Shaft frequency, Hz (without a speed signal)</translation>
    </message>
    <message>
        <source>Harmonics</source>
        <translation>Harmonics</translation>
    </message>
    <message>
        <source>Sidebands</source>
        <translation>Sidebands</translation>
    </message>
    <message>
        <source>Remove the lines</source>
        <translation>Remove the lines</translation>
    </message>
    <message>
        <source>Not a bearing: d must be above 0 and below D, the angle below 90 degrees.</source>
        <translation>Not a bearing: d must be above 0 and below D, the angle below 90 degrees.</translation>
    </message>
    <message>
        <source>Fault lines: no shaft frequency (a speed signal or one typed)</source>
        <translation>Fault lines: no shaft frequency (a speed signal or one typed)</translation>
    </message>
    <message>
        <source>&amp;Envelope band...</source>
        <translation>&amp;Envelope band...</translation>
    </message>
    <message>
        <source>Envelope band from the &amp;kurtogram</source>
        <translation>Envelope band from the &amp;kurtogram</translation>
    </message>
    <message>
        <source>&amp;Ordinary spectrum</source>
        <translation>&amp;Ordinary spectrum</translation>
    </message>
    <message>
        <source>Envelope band</source>
        <translation>Envelope band</translation>
    </message>
    <message>
        <source>From, Hz</source>
        <translation>From, Hz</translation>
    </message>
    <message>
        <source>To, Hz</source>
        <translation>To, Hz</translation>
    </message>
    <message>
        <source>Range around cursor A, s</source>
        <translation>Range around cursor A, s</translation>
    </message>
    <message>
        <source>envelope of %1-%2 Hz   df %3 Hz   %4 blocks</source>
        <translation>envelope of %1-%2 Hz   df %3 Hz   %4 blocks</translation>
    </message>
    <message>
        <source>The band needs 0 &lt;= from &lt; to.</source>
        <translation>The band needs 0 &lt;= from &lt; to.</translation>
    </message>
    <message>
        <source>Kurto&amp;gram at cursor A...</source>
        <translation>Kurto&amp;gram at cursor A...</translation>
    </message>
    <message>
        <source>Kurtogram</source>
        <translation>Kurtogram</translation>
    </message>
    <message>
        <source>t = %1 s   most impulsive %2-%3 Hz, kurtosis %4   (click: envelope band)</source>
        <translation>t = %1 s   most impulsive %2-%3 Hz, kurtosis %4   (click: envelope band)</translation>
    </message>
    <message>
        <source>f [Hz]</source>
        <translation>f [Hz]</translation>
    </message>
    <message>
        <source>level</source>
        <translation>level</translation>
    </message>
    <message>
        <source>Order spectrum, revolutions (0: off)</source>
        <translation>Order spectrum, revolutions (0: off)</translation>
    </message>
    <message>
        <source>R %1 revolutions</source>
        <translation>R %1 revolutions</translation>
    </message>
    <message>
        <source>order step %1</source>
        <translation>order step %1</translation>
    </message>
</context>
<context>
    <name>workbench::GraphWindow</name>
    <message>
        <source>s</source>
        <translation>s</translation>
    </message>
    <message>
        <source>Hz</source>
        <translation>Hz</translation>
    </message>
</context>
<context>
    <name>workbench::MapView</name>
    <message>
        <source>The map could not be made.</source>
        <translation>The map could not be made.</translation>
    </message>
    <message>
        <source>Nothing was measured for any cell of the map.</source>
        <translation>Nothing was measured for any cell of the map.</translation>
    </message>
    <message>
        <source>t %1 s</source>
        <translation>t %1 s</translation>
    </message>
    <message>
        <source>speed %1 %2</source>
        <translation>speed %1 %2</translation>
    </message>
    <message>
        <source>   order %1</source>
        <translation>   order %1</translation>
    </message>
    <message>
        <source>   f %1 Hz</source>
        <translation>   f %1 Hz</translation>
    </message>
    <message>
        <source>   speed %1 %2</source>
        <translation>   speed %1 %2</translation>
    </message>
    <message>
        <source>note: </source>
        <translation>note: </translation>
    </message>
    <message>
        <source>order</source>
        <translation>order</translation>
    </message>
    <message>
        <source>f [Hz]</source>
        <translation>f [Hz]</translation>
    </message>
    <message>
        <source>Order cut at order %1</source>
        <translation>Order cut at order %1</translation>
    </message>
</context>
<context>
    <name>workbench::OrderCutView</name>
    <message>
        <source>An order cut needs a speed signal.</source>
        <translation>An order cut needs a speed signal.</translation>
    </message>
    <message>
        <source>%1   order %2   %3 revolutions a spectrum</source>
        <translation>%1   order %2   %3 revolutions a spectrum</translation>
    </message>
    <message>
        <source>RMS [%1]</source>
        <translation>RMS [%1]</translation>
    </message>
    <message>
        <source>t [s]</source>
        <translation>t [s]</translation>
    </message>
    <message>
        <source>phase [°]</source>
        <translation>phase [°]</translation>
    </message>
    <message>
        <source>t %1 s   RMS %2   phase %3°</source>
        <translation>t %1 s   RMS %2   phase %3°</translation>
    </message>
</context>
<context>
    <name>workbench::SpectralView</name>
    <message>
        <source>+%1 more</source>
        <translation>+%1 more</translation>
    </message>
</context>
<context>
    <name>workbench::SpectrumView</name>
    <message>
        <source>   t = %1 s   </source>
        <translation>   t = %1 s   </translation>
    </message>
    <message>
        <source>f [Hz]</source>
        <translation>f [Hz]</translation>
    </message>
    <message>
        <source>%1 Hz</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>value</source>
        <translation>value</translation>
    </message>
    <message>
        <source>order</source>
        <translation>order</translation>
    </message>
    <message>
        <source>f %1 Hz   %2</source>
        <translation>f %1 Hz   %2</translation>
    </message>
    <message>
        <source>   order %1</source>
        <translation>   order %1</translation>
    </message>
    <message>
        <source>f %1 Hz</source>
        <translation>f %1 Hz</translation>
    </message>
    <message>
        <source>peak %1 Hz   %2</source>
        <translation>peak %1 Hz   %2</translation>
    </message>
    <message>
        <source>An order spectrum needs a speed signal.</source>
        <translation>An order spectrum needs a speed signal.</translation>
    </message>
    <message>
        <source>order %1   %2</source>
        <translation>order %1   %2</translation>
    </message>
    <message>
        <source>peak at order %1   %2</source>
        <translation>peak at order %1   %2</translation>
    </message>
</context>
<context>
    <name>workbench::TextImportDialog</name>
    <message>
        <source>Import %1</source>
        <translation>Import %1</translation>
    </message>
    <message>
        <source>Comma</source>
        <translation>Comma</translation>
    </message>
    <message>
        <source>Semicolon</source>
        <translation>Semicolon</translation>
    </message>
    <message>
        <source>Tab</source>
        <translation>Tab</translation>
    </message>
    <message>
        <source>Blanks</source>
        <translation>Blanks</translation>
    </message>
    <message>
        <source>Point</source>
        <translation>Point</translation>
    </message>
    <message>
        <source>none</source>
        <translation>none</translation>
    </message>
    <message>
        <source>none: the sample rate below</source>
        <translation>none: the sample rate below</translation>
    </message>
    <message>
        <source> Hz</source>
        <translation> Hz</translation>
    </message>
    <message>
        <source>Resample a time column that steps unevenly</source>
        <translation>Resample a time column that steps unevenly</translation>
    </message>
    <message>
        <source>Separator</source>
        <translation>Separator</translation>
    </message>
    <message>
        <source>Decimal mark</source>
        <translation>Decimal mark</translation>
    </message>
    <message>
        <source>Names line</source>
        <translation>Names line</translation>
    </message>
    <message>
        <source>Units line</source>
        <translation>Units line</translation>
    </message>
    <message>
        <source>Time column</source>
        <translation>Time column</translation>
    </message>
    <message>
        <source>Sample rate</source>
        <translation>Sample rate</translation>
    </message>
    <message>
        <source>The first lines of the file:</source>
        <translation>The first lines of the file:</translation>
    </message>
    <message>
        <source> (time)</source>
        <translation> (time)</translation>
    </message>
    <message>
        <source>%1Data from line %2; columns: %3</source>
        <translation>%1Data from line %2; columns: %3</translation>
    </message>
    <message>
        <source>NI LVM file. </source>
        <translation>NI LVM file. </translation>
    </message>
</context>
</TS>
