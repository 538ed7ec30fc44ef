// Templates of the bearing and gear-pair calculators of the frequency-base
// page: the input on the left, the bands to add (harmonics, sidebands, width)
// below it, the preview list on the right. Field labels come from the string
// table, so the messages that name a field use the very same text.

#include "ui/res/ids.h"
#include "ui/res/own_module.h"

namespace res {
namespace {

constexpr int kWidth = 470;
constexpr int kEditX = 128;

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

Control FieldLabel(int stringId, int x, int y, int w) {
    Control c = Ctl(kStatic, Kind::Label, 0, "", x, y, w, 8);
    c.stringId = stringId;
    return c;
}

// A labelled edit of the input column.
void Row(std::vector<Control>& c, int labelId, int editId, int y) {
    c.push_back(FieldLabel(labelId, 14, y + 2, 112));
    c.push_back(Ctl(editId, Kind::Edit, 0, "", kEditX, y, 72, 12));
}

void TachoRow(std::vector<Control>& c, int y) {
    c.push_back(FieldLabel(IDS_KIN_FIELD_TACHO, 14, y + 2, 52));
    c.push_back(Ctl(IDC_KIN_TACHO, Kind::DropList, 0, "", 68, y, 132, 12));
}

// The group of what every calculator adds, from y down, the preview beside
// both groups, the status line and the buttons; the dialog's height follows.
// The bearing's group ends with the box that makes its bands envelope bands.
DialogTemplate Finish(int id, std::string caption, std::vector<Control> c, int y,
                      bool envelope = false) {
    const int extra = envelope ? 14 : 0;
    c.push_back(Ctl(kStatic, Kind::GroupBox, 0, "Добавляемые полосы", 7, y, 200, 73 + extra));
    Row(c, IDS_KIN_FIELD_HARMONICS, IDC_KIN_HARMONICS, y + 11);
    Row(c, IDS_KIN_FIELD_SIDEBANDS, IDC_KIN_SIDEBANDS, y + 26);
    c.push_back(FieldLabel(IDS_KIN_FIELD_WIDTH, 14, y + 43, 64));
    c.push_back(Ctl(IDC_FI_BW_MODE, Kind::DropList, 0, "", 80, y + 41, 70, 12));
    c.push_back(Ctl(IDC_FI_BW_VALUE, Kind::Edit, 0, "", 154, y + 41, 46, 12));
    c.push_back(FieldLabel(IDS_KIN_FIELD_MIN_WIDTH, 14, y + 58, 64));
    c.push_back(Ctl(IDC_FI_BW_MIN_MODE, Kind::DropList, 0, "", 80, y + 56, 70, 12));
    c.push_back(Ctl(IDC_FI_BW_MIN_VALUE, Kind::Edit, 0, "", 154, y + 56, 46, 12));
    if (envelope)
        c.push_back(
            Ctl(IDC_KIN_ENVELOPE, Kind::CheckBox, 0, "Для спектра огибающей", 14, y + 71, 186, 10));
    const int bottom = y + 73 + extra;
    c.push_back(Ctl(IDC_KIN_PREVIEW, Kind::ReportView, 0, "", 214, 7, kWidth - 221, bottom - 7));
    c.push_back(Ctl(IDC_KIN_STATUS, Kind::Label, 0, "", 7, bottom + 9, 340, 8));
    c.push_back(Ctl(IDOK, Kind::DefButton, 0, "Добавить", kWidth - 112, bottom + 6, 50, 14));
    c.push_back(Ctl(IDCANCEL, Kind::Button, 0, "Отмена", kWidth - 57, bottom + 6, 50, 14));
    DialogTemplate d;
    d.id = id;
    d.caption = std::move(caption);
    d.width = kWidth;
    d.height = bottom + 26;
    d.controls = std::move(c);
    return d;
}

DialogTemplate BearingDialog() {
    std::vector<Control> c = {Ctl(kStatic, Kind::GroupBox, 0, "Геометрия", 7, 3, 200, 134)};
    Row(c, IDS_KIN_FIELD_PREFIX, IDC_KIN_PREFIX, 14);
    Row(c, IDS_KIN_FIELD_BALLS, IDC_KIN_BALLS, 29);
    Row(c, IDS_KIN_FIELD_BALL_D, IDC_KIN_BALL_D, 44);
    Row(c, IDS_KIN_FIELD_PITCH_D, IDC_KIN_PITCH_D, 59);
    Row(c, IDS_KIN_FIELD_ANGLE, IDC_KIN_ANGLE, 74);
    c.push_back(Label("Вращается кольцо", 14, 92, 112));
    c.push_back(Ctl(IDC_KIN_INNER, Kind::Radio, kGroupStart, "внутреннее", 24, 103, 84, 10));
    c.push_back(Ctl(IDC_KIN_OUTER, Kind::Radio, 0, "наружное", 112, 103, 84, 10));
    TachoRow(c, 118);
    return Finish(IDD_KIN_BEARING, "Подшипник качения", std::move(c), 141, true);
}

DialogTemplate GearDialog() {
    std::vector<Control> c = {Ctl(kStatic, Kind::GroupBox, 0, "Колеса", 7, 3, 200, 91)};
    Row(c, IDS_KIN_FIELD_PREFIX, IDC_KIN_PREFIX, 14);
    Row(c, IDS_KIN_FIELD_Z1, IDC_KIN_Z1, 29);
    Row(c, IDS_KIN_FIELD_Z2, IDC_KIN_Z2, 44);
    c.push_back(Label("Тахо-элемент на валу", 14, 61, 112));
    c.push_back(Ctl(IDC_KIN_SHAFT1, Kind::Radio, kGroupStart, "1", kEditX, 60, 32, 10));
    c.push_back(Ctl(IDC_KIN_SHAFT2, Kind::Radio, 0, "2", kEditX + 36, 60, 32, 10));
    TachoRow(c, 76);
    return Finish(IDD_KIN_GEAR, "Зубчатая передача", std::move(c), 98);
}

}  // namespace

std::vector<DialogTemplate> KinDialogs() {
    return {BearingDialog(), GearDialog()};
}

}  // namespace res
