// A value common to several records shown in a control, and only definite ones read back.

#include "ui/values.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSignalBlocker>

#include "ui/dialogs.h"

namespace ui {

void ShowCheck(QCheckBox* box, std::optional<bool> v) {
    if (!box) return;
    const QSignalBlocker quiet(box);
    if (v) {
        box->setTristate(false);
        box->setCheckState(*v ? Qt::Checked : Qt::Unchecked);
    } else {
        box->setTristate(true);
        box->setCheckState(Qt::PartiallyChecked);
    }
}

std::optional<bool> CheckValue(const QCheckBox* box) {
    if (!box || box->checkState() == Qt::PartiallyChecked) return std::nullopt;
    return box->checkState() == Qt::Checked;
}

void MakeTwoState(QCheckBox* box) {
    if (box && box->checkState() != Qt::PartiallyChecked) box->setTristate(false);
}

void ShowEntry(QComboBox* list, std::optional<int> entry) {
    if (!list) return;
    const QSignalBlocker quiet(list);
    const bool valid = entry && *entry >= 0 && *entry < list->count();
    list->setCurrentIndex(valid ? *entry : -1);
}

std::optional<int> EntryValue(const QComboBox* list) {
    if (!list || list->currentIndex() < 0) return std::nullopt;
    return list->currentIndex();
}

namespace {
const char kShownText[] = "shownText";
}

void ShowText(QLineEdit* edit, const std::string& text) {
    if (!edit) return;
    const QSignalBlocker quiet(edit);
    edit->setText(QStr(text));
    edit->setCursorPosition(0);
    edit->setProperty(kShownText, edit->text());
}

std::optional<std::string> TextValue(const QLineEdit* edit) {
    if (!edit) return std::nullopt;
    const QString t = edit->text().trimmed();
    if (t.isEmpty()) return std::nullopt;
    return StdStr(t);
}

bool Edited(const QLineEdit* edit) {
    return edit && edit->text() != edit->property(kShownText).toString();
}

std::optional<std::string> EditedText(const QLineEdit* edit) {
    return Edited(edit) ? TextValue(edit) : std::nullopt;
}

void ShowPair(QRadioButton* first, QRadioButton* second, std::optional<int> v) {
    if (!first || !second) return;
    first->setChecked(v && *v == 0);
    second->setChecked(v && *v == 1);
}

std::optional<int> PairValue(const QRadioButton* first, const QRadioButton* second) {
    if (first && first->isChecked()) return 0;
    if (second && second->isChecked()) return 1;
    return std::nullopt;
}

void FillEntries(QComboBox* list, int firstStringId, int count) {
    if (!list) return;
    const QSignalBlocker quiet(list);
    list->clear();
    for (int i = 0; i < count; ++i) list->addItem(Text(firstStringId + i));
    list->setCurrentIndex(-1);
}

}  // namespace ui
