#pragma once
// Rules of the main dialog and the progress window that need no widgets:
// texts they show and what a loaded data file's folder means.

#include <string>

namespace mainrules {

// The progress window's status line for a channel that starts (type 2 is a
// tacho channel, anything else a measuring channel).
std::string ChannelText(const std::string& name, int channelType);
// The progress window's status line for a finished run's result code.
std::string OutcomeText(int resultCode);

// The main dialog's title for a configuration file name ("---" when empty).
std::string MainTitle(const std::string& cfgFile);
// The about text with the version filled in.
std::string AboutText(const std::string& version);

// The data-set name of a host folder path: the path below "/Signals/"
// without a trailing "/". Empty when the folder is not below "/Signals/".
std::string DataSetName(const std::string& folderPath);

// The shift that makes a dialog fit a child placed over its placeholder:
// how much wider and taller the child is (0 when it fits exactly).
struct Growth {
    int dx = 0;
    int dy = 0;
    bool Any() const { return dx != 0 || dy != 0; }
};
Growth GrowthFor(int childWidth, int childHeight, int placeholderWidth, int placeholderHeight);

}  // namespace mainrules
