#pragma once
// Texts of the calculation: host paths and operator names it uses, the
// operators' parameter strings and the messages shown for its progress and
// outcome. Internal text is UTF-8.

#include <string>

namespace ordstr {

// Host tree.
inline constexpr char kSignalsRoot[] = "/Signals/";
inline constexpr char kResultsRoot[] = "/Signals/Результаты/";  // string 300
inline constexpr char kTachoFolder[] = "Тахо/";                 // string 301
// Below a channel's result folder, when band borders are asked for: one
// "<item>.lo", "<item>.hi" (and "<item>.mid" for a moving centre) per band,
// in hertz; a folder, so no lookup of a level signal by name can meet them.
inline constexpr char kBandFrequencyFolder[] = "Частоты полос/";
inline constexpr char kOperatorsRoot[] = "/Operators/";
inline constexpr char kVibroOpersRoot[] = "/VibroOpers/";
inline constexpr char kAutoSpectrum[] = "АвтоСпектр";  // string 310
inline constexpr char kTacho[] = "Тахо";               // string 311

// Names and attributes of the signals the calculation makes and reads.
inline constexpr char kTachoSuffix[] = ".taho";
inline constexpr char kGradSuffix[] = ".grad";
inline constexpr char kSourceAttr[] = "source";
inline constexpr char kRmsCoefAttr[] = "rmscoef";
// The host draws a signal's "ylines" as horizontal lines on its graphs:
// "<value>;<#rrggbb>;<solid|dash>;<label>" a line each.
inline constexpr char kYLinesAttr[] = "ylines";
inline constexpr char kAlertLine[] = "Предупреждение";
inline constexpr char kDangerLine[] = "Авария";

// Parameter strings given to the operators before any channel; single keys
// are then overridden per channel.
inline constexpr char kTachoParams[] =
    "typeAxesX=1, deltaF=1, LevelLo=30, LevelHi=70, level_dF=1, dPNTwide=0.5, coefTaho=1, "
    "flagFront=0, flagAbsOtn=1, flagFiltrTaho=0, flagFiltrTahoSrc=0, bTahoFFT=0, "
    "nPointsFFT=65536, deltaF_nd=0, typeBlkSett=0, nPeriods=0, freqTab=";
inline constexpr char kSpectrumParams[] =
    "kindFunc=2, numPoints=4096, nBlocks=1, nLines=0, typeWindow=1, ofsNextBlock=4096, "
    "typeMagnitude=1, type=0, method=0, isMO=0, isCorrectFunc=0, isMonFase=0, isFill0=0, "
    "isUseStartX=0, fMaxVal=0, fLog=0, fPrSpec=0, f3D=0, fSwapXZ=0, iStandart=1, fFlt=0, "
    "fQual=6, blkSize=1, blkOfs=1, minFreq=0, maxFreq=1000, log_kind=0, log_OpZn=2e-005, "
    "log_fOpZn=0, prs_kind=1, prs_loFreq=1, prs_s2n=100, prs_fCorr=0, prs_strCorr=, "
    "prs_typeCorr=0";

// Progress window texts.
inline constexpr char kHeadline[] = "Расчет по файлу: %s";                          // 3000
inline constexpr char kChannelTacho[] = "Канал: %s, расчет тахо.";                  // 3001
inline constexpr char kChannelBands[] = "Канал: %s, расчет частотных диапазонов.";  // 3002
inline constexpr char kChannelNone[] = "Канал: -";
inline constexpr char kButtonClose[] = "Закрыть";  // 210
inline constexpr char kButtonCancel[] = "Отмена";  // 211

// Outcome texts.
inline constexpr char kFinished[] = "Расчет закончен";                         // 3010
inline constexpr char kStoppedByUser[] = "Расчет прерван пользователем";       // 3011
inline constexpr char kStoppedFormat[] = "Расчет остановлен: %s";              // 3012
inline constexpr char kUnknownError[] = "неизвестная ошибка";                  // 3020
inline constexpr char kNoSource[] = "Не найдены сигналы с исходными данными";  // 3022
inline constexpr char kNoAutoSpectrum[] = "Не найден алгоритм АвтоСпектр";     // 3026
inline constexpr char kNoTacho[] = "Не найден алгоритм Тахо";                  // 3027

}  // namespace ordstr

// Result codes of a calculation.
enum OrdResult : int {
    OrdResultOk = 0,
    OrdResultStopped = 1,
    OrdResultNoSource = 3,
    OrdResultNoAutoSpectrum = 7,
    OrdResultNoTacho = 8,
};

// The message shown for a result code.
std::string OrdResultText(int code);
// The status line shown when a channel starts (channel type 2 is a tacho
// channel, anything else a measuring channel).
std::string OrdChannelText(const std::string& channel, int channelType);
