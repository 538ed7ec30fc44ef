#pragma once
// Resource numbers: strings, templates, menus, bitmaps and the control ids
// the windows look their controls up by.

namespace res {

// Strings.
enum StringId : int {
    IDS_ABOUT_CAPTION = 110,
    IDS_ABOUT_TEXT = 111,
    IDS_ERROR = 200,
    IDS_WARNING = 201,
    IDS_APP = 202,
    IDS_CLOSE = 210,
    IDS_CANCEL = 211,
    IDS_RESULTS_ROOT = 300,
    IDS_TACHO_FOLDER = 301,
    IDS_ALG_SPECTRUM = 310,
    IDS_ALG_TACHO = 311,
    IDS_UNIT_SECONDS = 500,
    IDS_UNIT_POINTS = 501,
    IDS_BUTTON_MAIN = 1000,
    IDS_BUTTON_REPORT = 1001,
    IDS_BUTTON_ADDPOINT = 1002,
    IDS_MAIN_TITLE = 2000,
    IDS_FILTER_QUOR = 2010,
    IDS_FILTER_CFG = 2012,
    IDS_FILTER_REPORT = 2014,
    IDS_NEW_CONFIG = 2300,
    IDS_CALC_HEADLINE = 3000,
    IDS_CALC_CHANNEL_TACHO = 3001,
    IDS_CALC_CHANNEL_BANDS = 3002,
    IDS_CALC_CHANNEL_NONE = 3003,
    IDS_CALC_DONE = 3010,
    IDS_CALC_STOPPED_USER = 3011,
    IDS_CALC_STOPPED = 3012,
    IDS_CALC_UNKNOWN = 3020,
    IDS_CALC_NO_SOURCE = 3022,
    IDS_CALC_NO_SPECTRUM = 3026,
    IDS_CALC_NO_TACHO = 3027,
    // Report commands and page.
    IDS_REPORT_WRITE_FAILED = 4000,
    IDS_REPORT_NEED_DATA = 4001,
    IDS_REPORT_NO_PROGRAM = 4002,
    IDS_REPORT_NO_MODES = 4003,
    IDS_REPORT_AUTO_FAILED = 4004,
    IDS_REPORT_AUTO_DONE = 4005,
    IDS_REPORT_DELETE_PROGRAM = 4006,
    IDS_REPORT_DELETE_MODE = 4007,
    IDS_REPORT_PROGRAM_NAME = 4008,
    IDS_REPORT_MODE_NAME = 4009,
    IDS_REPORT_CAPTION_TIME = 4010,
    IDS_REPORT_COL_MODES = 4011,
    IDS_REPORT_COL_CHANNEL = 4012,
    IDS_REPORT_COL_COMPONENT = 4013,
    IDS_REPORT_COL_FREQ = 4014,
    IDS_REPORT_COL_LEVEL = 4015,
    IDS_REPORT_COL_MATCHES = 4016,
    // Entries of the panels' drop-down lists, in list order.
    IDS_CHTYPE_FIRST = 5000,   // 5000..5002 channel types
    IDS_INTEGR_FIRST = 5010,   // 5010..5012 integration
    IDS_VALTYPE_FIRST = 5020,  // 5020..5022 value kind
    IDS_WINDOW_FIRST = 5030,   // 5030..5034 weighting windows
    IDS_OFFSET_FIRST = 5040,   // 5040..5046 block offsets
    IDS_UNITS_FIRST = 5050,    // 5050..5051 tacho units
    IDS_CLASS_FIRST = 5080,    // 5080..5084 machine class for the zones (none first)
    IDS_DEFAULTS_TITLE = 5100,
};

// Dialog templates, menus and bitmaps.
enum TemplateId : int {
    IDD_MAIN = 202,
    IDD_SIGNALS = 203,
    IDD_GENERAL = 204,
    IDD_FREQS = 205,
    IDD_PROC = 211,
    IDD_ITEM_SIGNAL = 212,
    IDD_ITEM_BASE = 213,
    IDD_ITEM_FFT = 214,
    IDD_ITEM_TAHO = 215,
    IDD_PROGRESS = 216,
    IDD_DEFAULTS = 217,
    IDD_REPORT = 222,
    IDD_REPORT_PAGE = 223,
    IDD_REPORT_AUTO = 228,
    IDD_LIMITS = 229,       // the band panel's limits and zones
    IDD_TAHO_REPAIR = 245,  // the tacho panel's pulse repair
    IDD_KIN_BEARING = 240,  // the frequency-base page's calculators
    IDD_KIN_GEAR = 241,
    IDR_MAIN_MENU = 219,
    IDB_TREE_IMAGES = 205,
};

// Controls.
enum ControlId : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDC_PLACEHOLDER = 1000,
    IDC_LIST = 1010,
    IDC_SRC_EDIT = 1013,
    IDC_RESULT_EDIT = 1014,
    IDC_BROWSE = 1015,
    IDC_TREE = 1016,
    IDC_NAME = 1018,
    IDC_CHANNELS = 1033,
    IDC_PROCESSED = 1034,
    IDC_CHECK = 1035,
    IDC_TYPE = 1036,
    IDC_VALTYPE = 1037,
    IDC_INTEGR = 1038,
    IDC_CALC = 1039,
    IDC_DEF_FFT = 1040,
    IDC_BLOCK = 1041,
    IDC_OFFSET = 1042,
    IDC_WINDOW = 1043,
    IDC_CENTRE = 1044,
    IDC_SECONDS = 1045,
    IDC_RESOLUTION = 1046,  // spectrum panel
    IDC_POINTS = 1046,      // tacho panel
    IDC_LEVEL_LO = 1047,
    IDC_LEVEL_HI = 1048,
    IDC_UNITS = 1049,
    IDC_ABS = 1050,
    IDC_REL = 1051,
    IDC_FRONT_POS = 1052,
    IDC_FRONT_NEG = 1053,
    IDC_COEF = 1054,
    IDC_DEF_TAHO = 1055,
    IDC_REPAIR_OPEN = 1094,  // tacho panel: opens the pulse repair dialog
    IDC_REPAIR = 1095,       // pulse repair dialog
    IDC_REPAIR_WIDTH = 1120,
    IDC_REPAIR_DOUBLE = 1121,
    IDC_REPAIR_EXTRA = 1122,
    IDC_REPAIR_MISSING = 1123,
    IDC_REPAIR_SMOOTH = 1124,
    IDC_SHOW = 1075,
    IDC_GRNUM = 1076,
    IDC_GRNUM_SPIN = 1077,
    IDC_ALERT = 1090,  // limits dialog
    IDC_DANGER = 1091,
    IDC_MACHINE_CLASS = 1092,
    IDC_LIMITS = 1093,  // band panel: opens it
    // Frequency-base page.
    IDC_IMPORT = 1080,
    IDC_EXPORT = 1081,
    // Report page, report window and automatic-report dialog.
    IDC_MODE_NAME = 1032,
    IDC_MODE_VALUE = 1033,
    IDC_MODE_RANGE = 1034,
    IDC_MODE_DURATION = 1035,
    IDC_HEADER_CHANNELS = 1036,
    IDC_PROGRAM_ADD = 1039,
    IDC_REPORT_BUTTON = 1039,
    IDC_PROGRAM_DELETE = 1040,
    IDC_PROGRAM_APPLY = 1041,
    IDC_HEADER_ADD = 1042,
    IDC_HEADER_ADD_ALL = 1043,
    IDC_REPORT_FILE = 1057,
    IDC_PROGRAM_NAME = 1060,
    IDC_FEATURE_CHANNEL = 1061,
    IDC_MODE_ADD = 1062,
    IDC_MODE_DELETE = 1063,
    IDC_MODE_UP = 1064,
    IDC_MODE_DOWN = 1065,
    IDC_AUTO_MEASUREMENT = 1063,
    IDC_AUTO_RESULT = 1064,
    IDC_AUTO_FILE = 1065,
    IDC_PROGRAMS = 1066,
    IDC_NEW_PAGE = 1067,
    IDC_LANDSCAPE = 1068,
    IDC_FONT_SIZE = 1069,
    IDC_FONT_SIZE_SPIN = 1070,
    IDC_OPEN_REPORT = 1071,
    IDC_HEADER_CHANNEL = 1072,
    // Progress window.
    IDC_PROG_CHANNELS = 1047,
    IDC_PROG_STEPS = 1048,
    IDC_PROG_STATUS = 1049,
    IDC_PROG_HEADLINE = 1050,
    IDC_PROG_CLOSE_WHEN_DONE = 1044,
};

// Menu commands.
enum CommandId : int {
    ID_LOAD_DATA = 32775,
    ID_NEW_CONFIG = 32782,
    ID_OPEN_CONFIG = 32771,
    ID_SAVE_CONFIG = 32772,
    ID_SAVE_CONFIG_AS = 32773,
    ID_ABOUT = 32776,
    ID_DEFAULTS_FFT = 32779,
    ID_DEFAULTS_TAHO = 32780,
};

// Frequency-base page: item panels, their controls, texts and messages.
enum FreqTemplateId : int {
    IDD_FREQ_BASE = 206,
    IDD_FREQ_TAHO = 207,
    IDD_FREQ_BAND = 208,
    IDD_FREQ_TRACK = 209,
    IDD_FREQ_BANDWIDTH = 210,
};
enum FreqControlId : int {
    IDC_FI_NAME = 1018,
    IDC_FI_INFO = 1019,
    IDC_FI_ENABLED = 1020,
    IDC_FI_TAHO_CHANNEL = 1021,
    IDC_FI_BAND_LO = 1022,
    IDC_FI_BAND_HI = 1023,
    IDC_FI_FORMULA = 1024,
    IDC_FI_TRACK_TAHO1 = 1025,  // 1025..1027 the rows' tacho names
    IDC_FI_TRACK_COEF1 = 1028,  // 1028..1030 the rows' factors
    IDC_FI_TRACK_CONST = 1031,
    IDC_FI_BW_CHANNEL = 1082,
    IDC_FI_BW_MODE = 1083,
    IDC_FI_BW_VALUE = 1084,
    IDC_FI_BW_MIN_MODE = 1085,
    IDC_FI_BW_MIN_VALUE = 1086,
    IDC_BAND_FREQUENCIES = 1100,  // processing page: band borders as results
};
enum FreqStringId : int {
    IDS_FILTER_JSON = 2016,
    IDS_FREQ_DELETE = 2100,
    IDS_FREQ_LOADED = 2101,
    IDS_FREQ_SAVED = 2102,
    IDS_FREQ_SAVE_FAILED = 2103,
    IDS_BW_MODE_FIRST = 5060,  // 5060..5062 width modes
    IDS_BW_MIN_FIRST = 5070,   // 5070..5071 minimum-width modes
};

// Bearing and gear-pair calculators: the page's two buttons, the dialogs'
// controls and texts. The width controls reuse the band-width panel's ids.
enum KinControlId : int {
    IDC_BEARING = 1087,
    IDC_GEAR = 1088,
    IDC_KIN_PREFIX = 1101,
    IDC_KIN_BALLS = 1102,
    IDC_KIN_BALL_D = 1103,
    IDC_KIN_PITCH_D = 1104,
    IDC_KIN_ANGLE = 1105,
    IDC_KIN_INNER = 1106,
    IDC_KIN_OUTER = 1107,
    IDC_KIN_Z1 = 1108,
    IDC_KIN_Z2 = 1109,
    IDC_KIN_SHAFT1 = 1110,
    IDC_KIN_SHAFT2 = 1111,
    IDC_KIN_TACHO = 1112,
    IDC_KIN_HARMONICS = 1113,
    IDC_KIN_SIDEBANDS = 1114,
    IDC_KIN_PREVIEW = 1115,
    IDC_KIN_STATUS = 1116,
    IDC_KIN_ENVELOPE = 1117,  // bearing: the bands are for the envelope spectrum
};
enum KinStringId : int {
    IDS_KIN_PREFIX_BEARING = 2200,
    IDS_KIN_PREFIX_GEAR = 2201,
    // Field labels: the templates show them and the messages name them.
    IDS_KIN_FIELD_PREFIX = 2210,
    IDS_KIN_FIELD_BALLS = 2211,
    IDS_KIN_FIELD_BALL_D = 2212,
    IDS_KIN_FIELD_PITCH_D = 2213,
    IDS_KIN_FIELD_ANGLE = 2214,
    IDS_KIN_FIELD_TACHO = 2215,
    IDS_KIN_FIELD_Z1 = 2216,
    IDS_KIN_FIELD_Z2 = 2217,
    IDS_KIN_FIELD_HARMONICS = 2218,
    IDS_KIN_FIELD_SIDEBANDS = 2219,
    IDS_KIN_FIELD_WIDTH = 2220,
    IDS_KIN_FIELD_MIN_WIDTH = 2221,
    IDS_KIN_BAD_COUNT = 2230,
    IDS_KIN_BAD_SIZE = 2231,
    IDS_KIN_BAD_RATIO = 2232,
    IDS_KIN_BAD_ANGLE = 2233,
    IDS_KIN_NO_TACHO = 2234,
    IDS_KIN_BAD_RANGE = 2235,
    IDS_KIN_BAD_MIN = 2236,
    IDS_KIN_NOT_WHOLE = 2237,
    IDS_KIN_NOT_NUMBER = 2238,
    IDS_KIN_COL_BAND = 2240,
    IDS_KIN_COL_FACTOR = 2241,
    IDS_KIN_COL_INFO = 2242,
    // Symbols of the band names and formulas.
    IDS_KIN_SYM_FTF = 2250,
    IDS_KIN_SYM_BPFO = 2251,
    IDS_KIN_SYM_BPFI = 2252,
    IDS_KIN_SYM_BSF = 2253,
    IDS_KIN_SYM_SHAFT = 2254,
    IDS_KIN_SYM_MESH = 2255,
    IDS_KIN_SYM_SHAFT1 = 2256,
    IDS_KIN_SYM_SHAFT2 = 2257,
    IDS_KIN_SYM_HUNTING = 2258,
    // Definitions and parameters the descriptions state.
    IDS_KIN_DEF_FTF_INNER = 2260,
    IDS_KIN_DEF_FTF_OUTER = 2261,
    IDS_KIN_DEF_BPFO = 2262,
    IDS_KIN_DEF_BPFI = 2263,
    IDS_KIN_DEF_BSF = 2264,
    IDS_KIN_DEF_2BSF = 2265,
    IDS_KIN_BEARING_PARAMS = 2266,
    IDS_KIN_INNER_TURNS = 2267,
    IDS_KIN_OUTER_TURNS = 2268,
    IDS_KIN_DEF_MESH = 2270,
    IDS_KIN_DEF_SHAFT2 = 2271,
    IDS_KIN_DEF_SHAFT1 = 2272,
    IDS_KIN_DEF_HUNTING = 2273,
    IDS_KIN_GEAR_PARAMS = 2274,
    IDS_KIN_INFO = 2275,
    IDS_KIN_ENV_MARK = 2276,  // after the designation in an envelope band's name
    IDS_KIN_ENV_INFO = 2277,  // after an envelope band's description
};

// The limits dialog: the fields its messages name, and the messages.
enum LimitsStringId : int {
    IDS_LIMITS_FIELD_ALERT = 2400,
    IDS_LIMITS_FIELD_DANGER = 2401,
    IDS_LIMITS_NOT_NUMBER = 2402,
    IDS_LIMITS_ALERT_ABOVE_DANGER = 2403,
};

// The channel panel's envelope band: its borders and the message on a band
// it cannot take.
enum EnvelopeId : int {
    IDS_ENV_BAND_BAD = 2410,
    IDC_ENV_LO = 1140,
    IDC_ENV_HI = 1141,
};

// The trend window: one band of a merged summary over the recordings.
enum TrendId : int {
    IDS_BUTTON_TREND = 1003,
    IDS_FILTER_SUMMARY = 2018,
    IDS_TREND_READ_FAILED = 4030,  // %s: what the reader says
    IDS_TREND_DANGER = 4031,       // the plot's legend
    IDS_TREND_ALERT = 4032,
    IDS_TREND_ZONES = 4033,        // %s: the machine class as "2r"
    IDS_TREND_WHOLE = 4034,        // the mode list's name for the whole recording
    IDS_REPAIR_RANGE = 4050,       // pulse repair: %s field, %s lowest, %s bound it stays below
    IDS_TREND_VALUE_FIRST = 5090,  // 5090..5093 maximum, mean, minimum, last
    IDD_TREND = 230,
    IDC_TREND_OPEN = 1130,
    IDC_TREND_FILE = 1131,
    IDC_TREND_CHANNEL = 1132,
    IDC_TREND_ITEM = 1133,
    IDC_TREND_MODE = 1134,
    IDC_TREND_VALUE = 1135,
};

}  // namespace res
