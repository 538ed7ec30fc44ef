#pragma once
// Texts of the report window, the report entries and the report commands.
// Internal text is UTF-8; the report file gets them in code page 1251.

namespace repstr {

// Message-box captions.
inline constexpr char kCaptionError[] = "Ошибка!";      // string 200
inline constexpr char kCaptionWarning[] = "Внимание!";  // string 201
inline constexpr char kCaptionApp[] = "Vantrel";        // string 202

// Report window.
inline constexpr char kWindowCaption[] = "Отчет";
inline constexpr char kCursorCaption[] = "Отчет, время: %.1f сек.";
inline constexpr char kColumnChannel[] = "Канал";

// Table heading of an entry (and the window's columns 1 to 4).
inline constexpr char kColumnItem[] = "Компонента";
inline constexpr char kColumnFrequency[] = "Частота, Гц";
inline constexpr char kColumnLevel[] = "Уровень";
inline constexpr char kColumnCoincidences[] = "Совпадения";

// Lines of an entry.
inline constexpr char kDate[] = "Дата";
inline constexpr char kTime[] = "Время";
inline constexpr char kSeconds[] = "(%.1f секунда)";
inline constexpr char kMeasurement[] = "Замер";
inline constexpr char kMode[] = "Режим";
inline constexpr char kLineLabelGap[] = ": \t\t";
inline constexpr char kHeaderValue[] = " = %.2f %s";
inline constexpr char kHeaderNoValue[] = " = ?";
inline constexpr char kHeaderSeparator[] = "; ";
// A later entry with the new-page option starts a new A4 section.
inline constexpr char kNewSection[] = "\\sect\\sectd\\psz9";

// Messages of the report commands.
inline constexpr char kWriteFailed[] = "Ошибка записи в файл отчета";
inline constexpr char kNeedResults[] =
    "Необходимо загрузить исходные данные, конфигурацию и выполнить расчет";
inline constexpr char kNoProgram[] =
    "Не указана программа, или такая программа отсутствует в списке";
inline constexpr char kNoModes[] = "Не настроен список режимов";
inline constexpr char kFillFailed[] = "Ошибка при автоматическом заполнении отчета";
inline constexpr char kFillDone[] = "Автоматическое заполнение отчета успешно выполнено";

}  // namespace repstr
