// Templates of the frequency-base page's item panels. The page stacks them
// in its panel area (278 x 231): the base panel with the track and band-width
// panels, the tallest set, fills it.

#include "ui/res/ids.h"
#include "ui/res/own_module.h"

namespace res {
namespace {

Control Ctl(int id, Kind kind, uint32_t style, std::string text, int x, int y, int w, int h) {
    Control c;
    c.id = id;
    c.kind = kind;
    c.style = style;
    c.text = std::move(text);
    c.rect = {x, y, w, h};
    return c;
}

Control Label(std::string text, int x, int y, int w) {
    return Ctl(kStatic, Kind::Label, 0, std::move(text), x, y, w, 8);
}

DialogTemplate Panel(int id, int h, std::vector<Control> controls) {
    DialogTemplate d;
    d.id = id;
    d.width = 278;
    d.height = h;
    d.controls = std::move(controls);
    return d;
}

DialogTemplate BasePanel() {
    return Panel(IDD_FREQ_BASE, 54,
                 {
                     Label("Название", 7, 7, 50),
                     Ctl(IDC_FI_NAME, Kind::Edit, 0, "", 60, 5, 211, 12),
                     Label("Описание", 7, 23, 50),
                     Ctl(IDC_FI_INFO, Kind::Edit, 0, "", 60, 21, 211, 12),
                     Ctl(IDC_FI_ENABLED, Kind::CheckBox, 0, "Вкл.", 60, 38, 60, 10),
                 });
}

DialogTemplate TahoPanel() {
    return Panel(IDD_FREQ_TAHO, 22,
                 {
                     Label("Канал тахо", 7, 7, 50),
                     Ctl(IDC_FI_TAHO_CHANNEL, Kind::DropList, 0, "", 60, 5, 211, 12),
                 });
}

DialogTemplate BandPanel() {
    return Panel(IDD_FREQ_BAND, 52,
                 {
                     Ctl(kStatic, Kind::GroupBox, 0, "Границы полосы", 7, 2, 264, 48),
                     Label("Нижняя, Гц", 17, 16, 70),
                     Ctl(IDC_FI_BAND_LO, Kind::Edit, 0, "", 90, 14, 80, 12),
                     Label("Верхняя, Гц", 17, 32, 70),
                     Ctl(IDC_FI_BAND_HI, Kind::Edit, 0, "", 90, 30, 80, 12),
                 });
}

DialogTemplate TrackPanel() {
    std::vector<Control> c = {
        Ctl(kStatic, Kind::GroupBox, 0, "Центральная частота", 7, 2, 264, 100),
        Label("Формула", 17, 16, 40),
        Ctl(IDC_FI_FORMULA, Kind::Edit, kReadOnly, "", 60, 14, 204, 12),
        Label("Тахо", 60, 31, 60),
        Label("Коэф.", 170, 31, 40),
    };
    for (int i = 0; i < 3; ++i) {
        const int y = 41 + 15 * i;
        c.push_back(Ctl(IDC_FI_TRACK_TAHO1 + i, Kind::Edit, kReadOnly, "", 60, y, 104, 12));
        c.push_back(Ctl(IDC_FI_TRACK_COEF1 + i, Kind::Edit, 0, "", 170, y, 60, 12));
    }
    c.push_back(Label("Конст.", 130, 88, 38));
    c.push_back(Ctl(IDC_FI_TRACK_CONST, Kind::Edit, 0, "", 170, 86, 60, 12));
    return Panel(IDD_FREQ_TRACK, 104, std::move(c));
}

DialogTemplate BandwidthPanel() {
    return Panel(IDD_FREQ_BANDWIDTH, 70,
                 {
                     Ctl(kStatic, Kind::GroupBox, 0, "Границы частотной полосы", 7, 2, 264, 66),
                     Label("Канал частоты", 17, 16, 70),
                     Ctl(IDC_FI_BW_CHANNEL, Kind::DropList, 0, "", 90, 14, 174, 12),
                     Label("Ширина полосы", 17, 33, 70),
                     Ctl(IDC_FI_BW_MODE, Kind::DropList, 0, "", 90, 31, 100, 12),
                     Ctl(IDC_FI_BW_VALUE, Kind::Edit, 0, "", 196, 31, 68, 12),
                     Label("Минимал. ширина", 17, 50, 70),
                     Ctl(IDC_FI_BW_MIN_MODE, Kind::DropList, 0, "", 90, 48, 100, 12),
                     Ctl(IDC_FI_BW_MIN_VALUE, Kind::Edit, 0, "", 196, 48, 68, 12),
                 });
}

}  // namespace

std::vector<DialogTemplate> FreqItemDialogs() {
    return {BasePanel(), TahoPanel(), BandPanel(), TrackPanel(), BandwidthPanel()};
}

}  // namespace res
