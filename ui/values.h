#pragma once
// Showing a value common to several records, or its absence, in a control,
// and reading back only what is definite.

#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace ui {

// A definite value gives a two-state box; none the indeterminate state of a
// three-state box.
void ShowCheck(QCheckBox* box, std::optional<bool> v);
std::optional<bool> CheckValue(const QCheckBox* box);
// Back to a plain two-state box after the user clicked it.
void MakeTwoState(QCheckBox* box);

// Entry index, or no entry for none or an index out of range.
void ShowEntry(QComboBox* list, std::optional<int> entry);
std::optional<int> EntryValue(const QComboBox* list);

void ShowText(QLineEdit* edit, const std::string& text);
// The trimmed text, none when empty.
std::optional<std::string> TextValue(const QLineEdit* edit);
// Whether the text differs from the one ShowText put there, and the trimmed
// text only then: a value shown rounded is written back only when the user
// changed it.
bool Edited(const QLineEdit* edit);
std::optional<std::string> EditedText(const QLineEdit* edit);

// Radio pair for values 0 and 1; none sets neither button.
void ShowPair(QRadioButton* first, QRadioButton* second, std::optional<int> v);
std::optional<int> PairValue(const QRadioButton* first, const QRadioButton* second);

// Fills a drop-down list from count consecutive string-table entries.
void FillEntries(QComboBox* list, int firstStringId, int count);

}  // namespace ui
