// Main dialog and progress window rules: status and outcome texts, titles, data set.

#include "ui/rules/mainrules.h"

#include "processing/strings.h"
#include "ui/res/ids.h"
#include "ui/res/resources.h"

namespace mainrules {

using namespace res;

std::string ChannelText(const std::string& name, int channelType) {
    return Format(channelType == 2 ? IDS_CALC_CHANNEL_TACHO : IDS_CALC_CHANNEL_BANDS, {name});
}

std::string OutcomeText(int resultCode) {
    switch (resultCode) {
        case OrdResultOk:
            return Str(IDS_CALC_DONE);
        case OrdResultStopped:
            return Str(IDS_CALC_STOPPED_USER);
        case OrdResultNoSource:
            return Str(IDS_CALC_NO_SOURCE);
        case OrdResultNoAutoSpectrum:
            return Str(IDS_CALC_NO_SPECTRUM);
        case OrdResultNoTacho:
            return Str(IDS_CALC_NO_TACHO);
        default:
            break;
    }
    return Format(IDS_CALC_STOPPED, {Str(IDS_CALC_UNKNOWN)});
}

std::string MainTitle(const std::string& cfgFile) {
    return Format(IDS_MAIN_TITLE, {cfgFile.empty() ? std::string("---") : cfgFile});
}

std::string AboutText(const std::string& version) {
    return Format(IDS_ABOUT_TEXT, {version});
}

std::string DataSetName(const std::string& folderPath) {
    const std::string root = ordstr::kSignalsRoot;
    if (folderPath.size() <= root.size() || folderPath.compare(0, root.size(), root) != 0)
        return {};
    std::string name = folderPath.substr(root.size());
    while (!name.empty() && name.back() == '/') name.pop_back();
    return name;
}

Growth GrowthFor(int childWidth, int childHeight, int placeholderWidth, int placeholderHeight) {
    return Growth{childWidth - placeholderWidth, childHeight - placeholderHeight};
}

}  // namespace mainrules
