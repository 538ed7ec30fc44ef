// Dialog templates and the main menu of the own module. Rectangles are in
// dialog units; the panels of the processing page are sized so that the
// channel panel with the band and spectrum panels, or with the tacho panel,
// fills the page's panel area (165 x 231) exactly.

#include "ui/res/ids.h"
#include "ui/res/own_module.h"

namespace res {
namespace {

Control C(int id, Kind kind, uint32_t style, std::string text, int x, int y, int w, int h) {
    Control c;
    c.id = id;
    c.kind = kind;
    c.style = style;
    c.text = std::move(text);
    c.rect = {x, y, w, h};
    return c;
}

Control L(std::string text, int x, int y, int w, int h = 8) {
    return C(kStatic, Kind::Label, 0, std::move(text), x, y, w, h);
}

DialogTemplate T(int id, std::string caption, int w, int h, std::vector<Control> controls) {
    DialogTemplate d;
    d.id = id;
    d.caption = std::move(caption);
    d.width = w;
    d.height = h;
    d.controls = std::move(controls);
    return d;
}

DialogTemplate MainDialog() {
    DialogTemplate d = T(IDD_MAIN, "Vantrel", 417, 250,
                         {
                             C(IDC_PLACEHOLDER, Kind::Frame, kHidden, "", 7, 7, 403, 222),
                             C(IDOK, Kind::DefButton, 0, "OK", 305, 229, 50, 14),
                             C(IDCANCEL, Kind::Button, 0, "Отмена", 360, 229, 50, 14),
                             C(IDC_CALC, Kind::Button, 0, "Расчет", 7, 229, 68, 14),
                         });
    d.font = "Microsoft Sans Serif";
    return d;
}

DialogTemplate SignalsDialog() {
    return T(IDD_SIGNALS, "Список сигналов", 316, 229,
             {
                 C(IDC_LIST, Kind::ListView, 0, "", 7, 7, 302, 193),
                 C(IDOK, Kind::DefButton, 0, "OK", 205, 208, 50, 14),
                 C(IDCANCEL, Kind::Button, 0, "Отмена", 259, 208, 50, 14),
             });
}

DialogTemplate GeneralPage() {
    return T(IDD_GENERAL, "Общие", 500, 240,
             {
                 C(kStatic, Kind::GroupBox, 0, "", 7, 7, 391, 54),
                 L("Исходные данные:", 17, 23, 70),
                 C(IDC_SRC_EDIT, Kind::Edit, kReadOnly, "", 90, 21, 260, 14),
                 L("Результат:", 17, 41, 70),
                 C(IDC_RESULT_EDIT, Kind::Edit, 0, "", 90, 39, 260, 14),
                 C(IDC_BROWSE, Kind::Button, 0, "...", 356, 20, 32, 15),
             });
}

DialogTemplate ProcPage() {
    return T(IDD_PROC, "Настройка расчета", 500, 240,
             {
                 C(IDC_CHANNELS, Kind::ListView, kMultiSel | kCheckBoxes, "", 7, 7, 145, 204),
                 C(IDC_TREE, Kind::TreeView, 0, "", 160, 7, 160, 205),
                 C(IDC_PLACEHOLDER, Kind::Frame, kHidden, "", 328, 2, 165, 231),
                 C(IDC_BAND_FREQUENCIES, Kind::CheckBox, 0, "Частоты полос в результатах", 7, 220,
                   313, 10),
             });
}

DialogTemplate SignalPanel() {
    return T(IDD_ITEM_SIGNAL, "", 165, 72,
             {
                 C(kStatic, Kind::GroupBox, 0, "Настройка канала", 3, 2, 159, 68),
                 L("Название", 9, 15, 40),
                 C(IDC_NAME, Kind::Edit, kReadOnly, "", 52, 13, 104, 12),
                 L("Тип", 9, 29, 40),
                 C(IDC_TYPE, Kind::DropList, 0, "", 52, 27, 104, 12),
                 C(IDC_CHECK, Kind::CheckBox, 0, "Вкл.", 9, 41, 40, 10),
                 C(IDC_SHOW, Kind::CheckBox, 0, "График", 52, 41, 50, 10),
                 C(IDC_GRNUM, Kind::Edit, kNumber, "", 110, 40, 34, 12),
                 C(IDC_GRNUM_SPIN, Kind::UpDown, 0, "", 144, 40, 12, 12),
                 // Measuring channels only: bands read in this band's envelope.
                 L("Огибающая, Гц", 9, 56, 62),
                 C(IDC_ENV_LO, Kind::Edit, 0, "", 74, 54, 37, 12),
                 L("-", 113, 56, 5),
                 C(IDC_ENV_HI, Kind::Edit, 0, "", 119, 54, 37, 12),
             });
}

DialogTemplate BandPanel() {
    return T(IDD_ITEM_BASE, "", 165, 66,
             {
                 C(kStatic, Kind::GroupBox, 0, "", 3, 5, 159, 59),
                 C(IDC_PROCESSED, Kind::CheckBox, 0, "Обработка включена", 9, 1, 100, 10),
                 L("Интегрирование", 9, 18, 62),
                 C(IDC_INTEGR, Kind::DropList, 0, "", 74, 16, 82, 12),
                 L("Оценка", 9, 32, 62),
                 C(IDC_VALTYPE, Kind::DropList, 0, "", 74, 30, 82, 12),
                 C(IDC_SHOW, Kind::CheckBox, 0, "График", 9, 45, 50, 10),
                 C(IDC_GRNUM, Kind::Edit, kNumber, "", 74, 44, 22, 12),
                 C(IDC_GRNUM_SPIN, Kind::UpDown, 0, "", 96, 44, 12, 12),
                 C(IDC_LIMITS, Kind::Button, 0, "Пределы...", 110, 43, 46, 14),
             });
}

// Alarm limits of the band on the selected channels and their machine class.
DialogTemplate LimitsDialog() {
    return T(IDD_LIMITS, "Пределы и зоны", 200, 90,
             {
                 L("Предупреждение", 7, 9, 80),
                 C(IDC_ALERT, Kind::Edit, 0, "", 90, 7, 103, 12),
                 L("Авария", 7, 25, 80),
                 C(IDC_DANGER, Kind::Edit, 0, "", 90, 23, 103, 12),
                 L("Класс ISO 10816-3", 7, 41, 80),
                 C(IDC_MACHINE_CLASS, Kind::DropList, 0, "", 90, 39, 103, 12),
                 C(IDOK, Kind::DefButton, 0, "OK", 88, 69, 50, 14),
                 C(IDCANCEL, Kind::Button, 0, "Отмена", 143, 69, 50, 14),
             });
}

// The tacho's pulse repair, from the tacho panel.
DialogTemplate TahoRepairDialog() {
    return T(IDD_TAHO_REPAIR, "Восстановление импульсов", 200, 122,
             {
                 C(IDC_REPAIR, Kind::CheckBox, 0, "Восстанавливать импульсы", 7, 7, 186, 10),
                 L("Мин. ширина, % периода", 7, 24, 110),
                 C(IDC_REPAIR_WIDTH, Kind::Edit, 0, "", 120, 22, 73, 12),
                 L("Двойной фронт, доля периода", 7, 39, 110),
                 C(IDC_REPAIR_DOUBLE, Kind::Edit, 0, "", 120, 37, 73, 12),
                 L("Лишний импульс, доля периода", 7, 54, 110),
                 C(IDC_REPAIR_EXTRA, Kind::Edit, 0, "", 120, 52, 73, 12),
                 L("Пропуск, допуск периода", 7, 69, 110),
                 C(IDC_REPAIR_MISSING, Kind::Edit, 0, "", 120, 67, 73, 12),
                 L("Сглаживание, оборотов", 7, 84, 110),
                 C(IDC_REPAIR_SMOOTH, Kind::Edit, 0, "", 120, 82, 73, 12),
                 C(IDOK, Kind::DefButton, 0, "OK", 88, 101, 50, 14),
                 C(IDCANCEL, Kind::Button, 0, "Отмена", 143, 101, 50, 14),
             });
}

// One band of a merged summary over the recordings; the plot takes the
// placeholder's place.
DialogTemplate TrendWindow() {
    return T(IDD_TREND, "Тренд по сводке", 420, 280,
             {
                 C(IDC_TREND_OPEN, Kind::Button, 0, "Открыть...", 7, 7, 50, 14),
                 C(IDC_TREND_FILE, Kind::Edit, kReadOnly, "", 62, 8, 351, 12),
                 L("Канал", 7, 28, 30),
                 C(IDC_TREND_CHANNEL, Kind::DropList, 0, "", 38, 26, 70, 12),
                 L("Полоса", 114, 28, 30),
                 C(IDC_TREND_ITEM, Kind::DropList, 0, "", 146, 26, 100, 12),
                 L("Режим", 252, 28, 26),
                 C(IDC_TREND_MODE, Kind::DropList, 0, "", 280, 26, 70, 12),
                 C(IDC_TREND_VALUE, Kind::DropList, 0, "", 356, 26, 57, 12),
                 C(IDC_PLACEHOLDER, Kind::Frame, kHidden, "", 7, 44, 406, 210),
                 C(IDCANCEL, Kind::Button, 0, "Закрыть", 363, 259, 50, 14),
             });
}

DialogTemplate FftPanel() {
    return T(
        IDD_ITEM_FFT, "", 165, 93,
        {
            C(kStatic, Kind::GroupBox, 0, "Настройка БПФ", 3, 2, 159, 89),
            C(IDC_DEF_FFT, Kind::CheckBox, 0, "Исп. настройку БПФ по умолчанию", 9, 12, 148, 10),
            L("Размер блока", 9, 26, 66),
            C(IDC_BLOCK, Kind::DropList, 0, "", 80, 24, 76, 12),
            L("Смещение блока", 9, 40, 66),
            C(IDC_OFFSET, Kind::DropList, 0, "", 80, 38, 76, 12),
            L("Весовое окно", 9, 54, 66),
            C(IDC_WINDOW, Kind::DropList, 0, "", 80, 52, 76, 12),
            L("Разр.по частоте", 9, 68, 66),
            C(IDC_RESOLUTION, Kind::Edit, kReadOnly, "", 80, 66, 76, 12),
            C(IDC_CENTRE, Kind::CheckBox, 0, "Центрирование", 9, 80, 90, 10),
        });
}

DialogTemplate TahoPanel() {
    return T(
        IDD_ITEM_TAHO, "", 165, 159,
        {
            C(kStatic, Kind::GroupBox, 0, "Настройка тахо", 3, 2, 159, 155),
            C(IDC_DEF_TAHO, Kind::CheckBox, 0, "Исп. настройку тахо по умолчанию", 9, 12, 148, 10),
            L("Единицы измерения", 9, 26, 74),
            C(IDC_UNITS, Kind::DropList, 0, "", 86, 24, 70, 12),
            L("Размер блока", 9, 40, 74),
            C(IDC_POINTS, Kind::Edit, 0, "", 86, 38, 70, 12),
            C(IDC_SECONDS, Kind::Edit, 0, "", 86, 52, 70, 12),
            C(IDC_REPAIR_OPEN, Kind::Button, 0, "Импульсы...", 9, 52, 66, 12),
            C(kStatic, Kind::GroupBox, 0, "Настройка уровней ", 9, 65, 147, 42),
            L("Верхняя граница", 15, 77, 68),
            C(IDC_LEVEL_HI, Kind::Edit, 0, "", 86, 75, 64, 12),
            L("Нижняя граница", 15, 91, 68),
            C(IDC_LEVEL_LO, Kind::Edit, 0, "", 86, 89, 64, 12),
            C(kStatic, Kind::GroupBox, 0, "Величины", 9, 108, 72, 31),
            C(IDC_ABS, Kind::Radio, kGroupStart, "Абсолют.", 15, 117, 62, 10),
            C(IDC_REL, Kind::Radio, 0, "Относит.", 15, 127, 62, 10),
            C(kStatic, Kind::GroupBox, 0, "Фронт", 84, 108, 72, 31),
            C(IDC_FRONT_POS, Kind::Radio, kGroupStart, "Положит.", 90, 117, 62, 10),
            C(IDC_FRONT_NEG, Kind::Radio, 0, "Отрицат.", 90, 127, 62, 10),
            L("Множитель", 9, 144, 74),
            C(IDC_COEF, Kind::Edit, 0, "", 86, 142, 70, 12),
        });
}

DialogTemplate ProgressDialog() {
    return T(IDD_PROGRESS, "", 316, 98,
             {
                 C(IDC_PROG_HEADLINE, Kind::Label, kCentered, "Расчет", 7, 7, 302, 8),
                 C(IDC_PROG_STATUS, Kind::Label, 0, "Канал: -", 7, 20, 302, 8),
                 C(IDC_PROG_CHANNELS, Kind::Progress, 0, "", 7, 32, 302, 10),
                 C(IDC_PROG_STEPS, Kind::Progress, 0, "", 7, 46, 302, 10),
                 C(IDC_PROG_CLOSE_WHEN_DONE, Kind::CheckBox, 0,
                   "Закрыть окно после окончания расчета", 7, 62, 200, 10),
                 C(IDOK, Kind::DefButton, 0, "Закрыть", 133, 78, 50, 14),
             });
}

// The placeholder has the spectrum panel's size; the tacho panel makes the
// dialog grow downwards.
DialogTemplate DefaultsDialog() {
    return T(IDD_DEFAULTS, "Настройки по умолчанию", 179, 127,
             {
                 C(IDC_PLACEHOLDER, Kind::Frame, kHidden, "", 7, 7, 165, 93),
                 C(IDOK, Kind::DefButton, 0, "OK", 37, 106, 50, 14),
                 C(IDCANCEL, Kind::Button, 0, "Отмена", 92, 106, 50, 14),
             });
}

DialogTemplate FreqsPage() {
    return T(IDD_FREQS, "База частот", 500, 240,
             {
                 C(IDC_TREE, Kind::TreeView, 0, "", 7, 7, 200, 187),
                 C(IDC_BEARING, Kind::Button, kDisabled, "Подшипник...", 7, 200, 80, 14),
                 C(IDC_GEAR, Kind::Button, kDisabled, "Зубчатая передача...", 92, 200, 115, 14),
                 C(IDC_IMPORT, Kind::Button, 0, "Импорт", 7, 218, 60, 14),
                 C(IDC_EXPORT, Kind::Button, kDisabled, "Экспорт", 72, 218, 60, 14),
                 C(IDC_PLACEHOLDER, Kind::Frame, kHidden, "", 215, 2, 278, 231),
             });
}

// Resizable; the window moves its controls with the size.
DialogTemplate ReportWindow() {
    return T(IDD_REPORT, "Отчет", 420, 200,
             {
                 C(IDC_LIST, Kind::ReportView, 0, "", 7, 7, 406, 164),
                 C(IDC_REPORT_BUTTON, Kind::Button, 0, "Отчет", 7, 179, 60, 14),
                 C(IDC_REPORT_FILE, Kind::Edit, 0, "", 72, 180, 305, 12),
                 C(IDC_BROWSE, Kind::Button, 0, "...", 382, 179, 31, 14),
             });
}

DialogTemplate ReportPage() {
    return T(IDD_REPORT_PAGE, "Отчет", 500, 240,
             {
                 C(IDC_LIST, Kind::ReportView, 0, "", 7, 7, 150, 205),
                 C(IDC_MODE_ADD, Kind::Button, 0, "+", 7, 218, 20, 14),
                 C(IDC_MODE_DELETE, Kind::Button, 0, "-", 30, 218, 20, 14),
                 C(IDC_MODE_UP, Kind::Button, 0, "^", 53, 218, 20, 14),
                 C(IDC_MODE_DOWN, Kind::Button, 0, "v", 76, 218, 20, 14),

                 C(kStatic, Kind::GroupBox, 0, "Программа", 165, 4, 328, 66),
                 L("Список программ", 172, 19, 100),
                 C(IDC_PROGRAMS, Kind::DropList, 0, "", 276, 17, 120, 12),
                 C(IDC_PROGRAM_ADD, Kind::Button, 0, "Добавить", 400, 16, 44, 14),
                 C(IDC_PROGRAM_DELETE, Kind::Button, 0, "Удалить", 446, 16, 42, 14),
                 L("Название программы", 172, 35, 100),
                 C(IDC_PROGRAM_NAME, Kind::Edit, 0, "", 276, 33, 120, 12),
                 C(IDC_PROGRAM_APPLY, Kind::Button, 0, "Применить", 400, 32, 88, 14),
                 L("Признак постоянного режима", 172, 51, 102),
                 C(IDC_FEATURE_CHANNEL, Kind::DropList, 0, "", 276, 49, 120, 12),

                 C(kStatic, Kind::GroupBox, 0, "Режим", 165, 72, 328, 80),
                 L("Название режима", 172, 87, 100),
                 C(IDC_MODE_NAME, Kind::Edit, 0, "", 276, 85, 120, 12),
                 L("Значение признака", 172, 103, 100),
                 C(IDC_MODE_VALUE, Kind::Edit, 0, "", 276, 101, 120, 12),
                 L("Диапазон измен. +/-", 172, 119, 100),
                 C(IDC_MODE_RANGE, Kind::Edit, 0, "", 276, 117, 120, 12),
                 L("Продолжительность", 172, 135, 100),
                 C(IDC_MODE_DURATION, Kind::Edit, 0, "", 276, 133, 120, 12),

                 C(kStatic, Kind::GroupBox, 0, "Опции", 165, 154, 160, 79),
                 C(IDC_NEW_PAGE, Kind::CheckBox, 0, "Новая страница", 172, 167, 100, 10),
                 C(IDC_LANDSCAPE, Kind::CheckBox, 0, "Ландшафт", 172, 181, 100, 10),
                 L("Размер шрифта", 172, 199, 70),
                 C(IDC_FONT_SIZE, Kind::Edit, kNumber, "", 245, 197, 30, 12),
                 C(IDC_FONT_SIZE_SPIN, Kind::UpDown, 0, "", 275, 197, 12, 12),

                 C(kStatic, Kind::GroupBox, 0, "Заголовок", 330, 154, 163, 79),
                 L("Список каналов", 337, 166, 100),
                 C(IDC_HEADER_CHANNELS, Kind::Edit, 0, "", 337, 176, 149, 12),
                 C(IDC_HEADER_CHANNEL, Kind::ComboBox, 0, "", 337, 194, 88, 12),
                 C(IDC_HEADER_ADD, Kind::Button, 0, "Добавить", 429, 193, 57, 14),
                 C(IDC_HEADER_ADD_ALL, Kind::Button, 0, "Добавить все", 429, 211, 57, 14),
             });
}

DialogTemplate ReportAutoDialog() {
    return T(
        IDD_REPORT_AUTO, "Автоматический отчет", 260, 140,
        {
            L("Программа", 7, 9, 70),
            C(IDC_PROGRAMS, Kind::DropList, 0, "", 80, 7, 173, 12),
            L("Замер", 7, 25, 70),
            C(IDC_AUTO_MEASUREMENT, Kind::Edit, kReadOnly, "", 80, 23, 173, 12),
            L("Результат расчета", 7, 41, 70),
            C(IDC_AUTO_RESULT, Kind::Edit, kReadOnly, "", 80, 39, 173, 12),
            L("Файл отчета", 7, 57, 70),
            C(IDC_AUTO_FILE, Kind::Edit, 0, "", 80, 55, 150, 12),
            C(IDC_BROWSE, Kind::Button, 0, "...", 233, 54, 20, 14),
            C(IDC_OPEN_REPORT, Kind::CheckBox, 0, "Открыть отчет после заполнения", 7, 74, 180, 10),
            C(IDOK, Kind::DefButton, 0, "OK", 148, 119, 50, 14),
            C(IDCANCEL, Kind::Button, 0, "Отмена", 203, 119, 50, 14),
        });
}

}  // namespace

std::vector<DialogTemplate> OwnDialogs() {
    return {MainDialog(),  SignalsDialog(),   GeneralPage(), ProcPage(),         SignalPanel(),
            BandPanel(),   FftPanel(),        TahoPanel(),   ProgressDialog(),   DefaultsDialog(),
            FreqsPage(),   ReportWindow(),    ReportPage(),  ReportAutoDialog(), LimitsDialog(),
            TrendWindow(), TahoRepairDialog()};
}

Menu OwnMainMenu() {
    MenuItem sep;
    MenuItem file{0,
                  "Файл",
                  {
                      {ID_LOAD_DATA, "Загрузить файл", {}},
                      sep,
                      {ID_NEW_CONFIG, "Новая конфигурация", {}},
                      {ID_OPEN_CONFIG, "Открыть конфигурацию", {}},
                      {ID_SAVE_CONFIG, "Сохранить конфигурацию", {}},
                      {ID_SAVE_CONFIG_AS, "Сохранить конфигурацию как ...", {}},
                      sep,
                      {ID_ABOUT, "О программе ...", {}},
                  }};
    MenuItem defaults{0,
                      "Настройки по умолчанию",
                      {
                          {ID_DEFAULTS_FFT, "Автоспектр", {}},
                          {ID_DEFAULTS_TAHO, "Тахо", {}},
                      }};
    return Menu{IDR_MAIN_MENU, {file, defaults}};
}

}  // namespace res
