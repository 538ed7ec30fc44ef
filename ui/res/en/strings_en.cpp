// The string table of the English resource set.

#include "ui/res/en/english.h"
#include "ui/res/ids.h"
#include "ui/res/own_module.h"

namespace res {

std::map<int, std::string> EnglishStrings() {
    std::map<int, std::string> s = {
        {IDS_ABOUT_CAPTION, "About"},
        {IDS_ABOUT_TEXT,
         "Plug-in \"Vantrel\", ver. %s\nFrequency-band levels of rotating machinery"},
        {IDS_ERROR, "Error!"},
        {IDS_WARNING, "Warning!"},
        {IDS_APP, "Vantrel"},
        {IDS_CLOSE, "Close"},
        {IDS_CANCEL, "Cancel"},
        {IDS_UNIT_SECONDS, "s"},
        {IDS_UNIT_POINTS, "pts"},
        {IDS_BUTTON_MAIN, "Vantrel\nVantrel"},
        {IDS_BUTTON_REPORT, "Report\nShow the report table"},
        {IDS_BUTTON_ADDPOINT, "Add a point to the report\nAdd a point to the report"},
        {IDS_MAIN_TITLE, "Vantrel. Configuration file: %s"},
        {IDS_FILTER_QUOR, "QUOR files|*.quor||"},
        {IDS_FILTER_CFG, "Configuration files|*.cfg||"},
        {IDS_FILTER_REPORT, "Report files|*.rtf||"},
        {IDS_NEW_CONFIG,
         "Create a new configuration? All unsaved changes to the current configuration will be "
         "lost!"},
        {IDS_CALC_HEADLINE, "Calculating file: %s"},
        {IDS_CALC_CHANNEL_TACHO, "Channel: %s, tacho."},
        {IDS_CALC_CHANNEL_BANDS, "Channel: %s, frequency bands."},
        {IDS_CALC_CHANNEL_NONE, "Channel: -"},
        {IDS_CALC_DONE, "Calculation finished"},
        {IDS_CALC_STOPPED_USER, "Calculation stopped by the user"},
        {IDS_CALC_STOPPED, "Calculation stopped: %s"},
        {IDS_CALC_UNKNOWN, "unknown error"},
        {IDS_CALC_NO_SOURCE, "No source signals found"},
        {IDS_CALC_NO_SPECTRUM, "The autospectrum algorithm was not found"},
        {IDS_CALC_NO_TACHO, "The tacho algorithm was not found"},
        {IDS_REPORT_WRITE_FAILED, "Cannot write to the report file"},
        {IDS_REPORT_NEED_DATA,
         "Load the source data and a configuration and run a calculation first"},
        {IDS_REPORT_NO_PROGRAM, "No program chosen, or the program is not in the list"},
        {IDS_REPORT_NO_MODES, "The list of modes is not set up"},
        {IDS_REPORT_AUTO_FAILED, "The automatic report could not be filled"},
        {IDS_REPORT_AUTO_DONE, "The automatic report was filled"},
        {IDS_REPORT_DELETE_PROGRAM, "Delete the program '%s'?"},
        {IDS_REPORT_DELETE_MODE, "Delete the mode '%s'?"},
        {IDS_REPORT_PROGRAM_NAME, "Program %d"},
        {IDS_REPORT_MODE_NAME, "Mode %d"},
        {IDS_REPORT_CAPTION_TIME, "Report, time: %.1f s"},
        {IDS_REPORT_COL_MODES, "Modes"},
        {IDS_REPORT_COL_CHANNEL, "Channel"},
        {IDS_REPORT_COL_COMPONENT, "Component"},
        {IDS_REPORT_COL_FREQ, "Frequency, Hz"},
        {IDS_REPORT_COL_LEVEL, "Level"},
        {IDS_REPORT_COL_MATCHES, "Coincidences"},
        {IDS_CHTYPE_FIRST + 0, "Measuring"},
        {IDS_CHTYPE_FIRST + 1, "Tacho"},
        {IDS_CHTYPE_FIRST + 2, "Revolution"},
        {IDS_INTEGR_FIRST + 0, "None"},
        {IDS_INTEGR_FIRST + 1, "Once"},
        {IDS_INTEGR_FIRST + 2, "Twice"},
        {IDS_VALTYPE_FIRST + 0, "RMS"},
        {IDS_VALTYPE_FIRST + 1, "Amplitude"},
        {IDS_VALTYPE_FIRST + 2, "Peak-to-peak"},
        {IDS_WINDOW_FIRST + 0, "Rectangular"},
        {IDS_WINDOW_FIRST + 1, "Triangular"},
        {IDS_WINDOW_FIRST + 2, "Hanning"},
        {IDS_WINDOW_FIRST + 3, "Blackman"},
        {IDS_WINDOW_FIRST + 4, "FLAT-TOP"},
        {IDS_UNITS_FIRST + 0, "Hz"},
        {IDS_UNITS_FIRST + 1, "rpm"},
        {IDS_DEFAULTS_TITLE, "Default settings: %s"},
        {IDS_FILTER_JSON, "JSON files|*.json||"},
        {IDS_FREQ_DELETE, "Delete the item '%s'?"},
        {IDS_FREQ_LOADED, "The file '%s' is already loaded!"},
        {IDS_FREQ_SAVED, "The item '%s' was saved to the file '%s'."},
        {IDS_FREQ_SAVE_FAILED, "The item '%s' could not be saved to the file '%s'."},
        {IDS_BW_MODE_FIRST + 0, "% of frequency"},
        {IDS_BW_MODE_FIRST + 1, "Frequency in Hz"},
        {IDS_BW_MODE_FIRST + 2, "Spectrum lines"},
        {IDS_BW_MIN_FIRST + 0, "Frequency in Hz"},
        {IDS_BW_MIN_FIRST + 1, "Spectrum lines"},
    };
    // Names of host objects and plain numbers are the same in every
    // language: the host looks its folders and operators up by them.
    const std::map<int, std::string> own = OwnStrings();
    for (int id :
         {int(IDS_RESULTS_ROOT), int(IDS_TACHO_FOLDER), int(IDS_ALG_SPECTRUM), int(IDS_ALG_TACHO)})
        s[id] = own.at(id);
    for (int i = 0; i < 7; ++i) s[IDS_OFFSET_FIRST + i] = own.at(IDS_OFFSET_FIRST + i);
    return s;
}

}  // namespace res
