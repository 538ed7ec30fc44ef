// The English texts of the own dialog templates and menu. The templates keep
// their geometry and ids; only captions and control texts change.

#include "ui/res/en/english.h"
#include "ui/res/own_module.h"

namespace res {

const std::map<std::string, std::string>& EnglishTemplateTexts() {
    static const std::map<std::string, std::string> texts = {
        {"Абсолют.", "Absolute"},
        {"Полоса", "Band"},
        {"Канал", "Channel"},
        {"Открыть...", "Open..."},
        {"Тренд по сводке", "Trend from summary"},
        {"Автоматический отчет", "Automatic report"},
        {"Автоспектр", "Autospectrum"},
        {"База частот", "Frequency base"},
        {"Величины", "Values"},
        {"Верхняя граница", "Upper level"},
        {"Верхняя, Гц", "Upper, Hz"},
        {"Весовое окно", "Window"},
        {"Вкл.", "On"},
        {"внутреннее", "inner"},
        {"Вращается кольцо", "Turning ring"},
        {"Геометрия", "Geometry"},
        {"Границы полосы", "Band borders"},
        {"Границы частотной полосы", "Frequency band borders"},
        {"График", "Graph"},
        {"Диапазон измен. +/-", "Tolerance +/-"},
        {"Добавить все", "Add all"},
        {"Добавить", "Add"},
        {"Для спектра огибающей", "For the envelope spectrum"},
        {"Добавляемые полосы", "Bands to add"},
        {"Единицы измерения", "Units"},
        {"Заголовок", "Header"},
        {"Загрузить файл", "Load file"},
        {"Закрыть окно после окончания расчета", "Close the window when the calculation ends"},
        {"Закрыть", "Close"},
        {"Замер", "Measurement"},
        {"Значение признака", "Feature value"},
        {"Зубчатая передача", "Gear pair"},
        {"Зубчатая передача...", "Gear pair..."},
        {"Импорт", "Import"},
        {"Авария", "Danger"},
        {"Огибающая, Гц", "Envelope, Hz"},
        {"Интегрирование", "Integration"},
        {"Класс ISO 10816-3", "ISO 10816-3 class"},
        {"Исп. настройку БПФ по умолчанию", "Use the default FFT settings"},
        {"Исп. настройку тахо по умолчанию", "Use the default tacho settings"},
        {"Исходные данные:", "Source data:"},
        {"Канал тахо", "Tacho channel"},
        {"Канал частоты", "Frequency channel"},
        {"Канал: -", "Channel: -"},
        {"Колеса", "Wheels"},
        {"Конст.", "Const."},
        {"Коэф.", "Factor"},
        {"Ландшафт", "Landscape"},
        {"Минимал. ширина", "Minimum width"},
        {"Множитель", "Multiplier"},
        {"Восстановление импульсов", "Pulse repair"},
        {"Импульсы...", "Pulses..."},
        {"Восстанавливать импульсы", "Repair the pulses"},
        {"Мин. ширина, % периода", "Min. width, % of period"},
        {"Двойной фронт, доля периода", "Doubled edge, of period"},
        {"Лишний импульс, доля периода", "Extra pulse, of period"},
        {"Пропуск, допуск периода", "Missing, tolerance"},
        {"Сглаживание, оборотов", "Smoothing, revolutions"},
        {"Название программы", "Program name"},
        {"Название режима", "Mode name"},
        {"Название", "Name"},
        {"наружное", "outer"},
        {"Настройка БПФ", "FFT settings"},
        {"Настройка канала", "Channel settings"},
        {"Настройка расчета", "Processing setup"},
        {"Настройка тахо", "Tacho settings"},
        {"Настройка уровней ", "Levels "},
        {"Настройки по умолчанию", "Default settings"},
        {"Нижняя граница", "Lower level"},
        {"Нижняя, Гц", "Lower, Hz"},
        {"Новая конфигурация", "New configuration"},
        {"Новая страница", "New page"},
        {"О программе ...", "About ..."},
        {"Обработка включена", "Processing on"},
        {"Общие", "General"},
        {"Описание", "Description"},
        {"Опции", "Options"},
        {"Открыть конфигурацию", "Open configuration"},
        {"Открыть отчет после заполнения", "Open the report when filled"},
        {"Отмена", "Cancel"},
        {"Относит.", "Relative"},
        {"Отрицат.", "Negative"},
        {"Отчет", "Report"},
        {"Оценка", "Value"},
        {"Подшипник качения", "Rolling bearing"},
        {"Подшипник...", "Bearing..."},
        {"Положит.", "Positive"},
        {"Пределы и зоны", "Limits and zones"},
        {"Пределы...", "Limits..."},
        {"Предупреждение", "Alert"},
        {"Признак постоянного режима", "Steady-mode feature"},
        {"Применить", "Apply"},
        {"Программа", "Program"},
        {"Продолжительность", "Duration"},
        {"Размер блока", "Block size"},
        {"Размер шрифта", "Font size"},
        {"Разр.по частоте", "Resolution"},
        {"Расчет", "Calculate"},
        {"Режим", "Mode"},
        {"Результат расчета", "Calculation result"},
        {"Результат:", "Result:"},
        {"Смещение блока", "Block offset"},
        {"Сохранить конфигурацию как ...", "Save configuration as ..."},
        {"Сохранить конфигурацию", "Save configuration"},
        {"Список каналов", "Channels"},
        {"Список программ", "Programs"},
        {"Список сигналов", "Signals"},
        {"Тахо", "Tacho"},
        {"Тахо-элемент на валу", "Tacho item on shaft"},
        {"Тип", "Type"},
        {"Удалить", "Delete"},
        {"Файл отчета", "Report file"},
        {"Файл", "File"},
        {"Формула", "Formula"},
        {"Фронт", "Edge"},
        {"Центральная частота", "Centre frequency"},
        {"Центрирование", "Centring"},
        {"Частоты полос в результатах", "Band frequencies as results"},
        {"Ширина полосы", "Band width"},
        {"Экспорт", "Export"},
    };
    return texts;
}

namespace {

// A text without a translation stays as it is.
void Translate(std::string& text) {
    const auto& texts = EnglishTemplateTexts();
    auto it = texts.find(text);
    if (it != texts.end()) text = it->second;
}

void TranslateItems(std::vector<MenuItem>& items) {
    for (MenuItem& item : items) {
        Translate(item.text);
        TranslateItems(item.items);
    }
}

}  // namespace

TableModule EnglishModule() {
    TableModule m;
    m.strings = EnglishStrings();
    std::vector<DialogTemplate> dialogs = OwnDialogs();
    for (DialogTemplate& d : FreqItemDialogs()) dialogs.push_back(std::move(d));
    for (DialogTemplate& d : KinDialogs()) dialogs.push_back(std::move(d));
    for (DialogTemplate& d : dialogs) {
        Translate(d.caption);
        for (Control& c : d.controls) Translate(c.text);
        m.dialogs.emplace(d.id, std::move(d));
    }
    Menu menu = OwnMainMenu();
    TranslateItems(menu.items);
    m.menus.emplace(menu.id, std::move(menu));
    return m;
}

}  // namespace res
