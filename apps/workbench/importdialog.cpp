// The dialog before a CSV or text file opens: what the reader found, open to correction.

#include "apps/workbench/importdialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFontDatabase>
#include <QFormLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QSpinBox>
#include <QVBoxLayout>

namespace workbench {

namespace {

constexpr char kSeparators[] = {',', ';', '\t', ' '};
constexpr char kDecimals[] = {'.', ','};

template <size_t N>
int IndexOf(const char (&options)[N], char c) {
    for (size_t i = 0; i < N; ++i)
        if (options[i] == c) return static_cast<int>(i);
    return 0;
}

QSpinBox* LineBox(const QString& none) {
    auto* box = new QSpinBox;
    box->setRange(0, 1000000);
    box->setSpecialValueText(none);
    return box;
}

}  // namespace

TextImportDialog::TextImportDialog(const QString& path, QWidget* parent)
    : QDialog(parent), path_(path.toStdString()) {
    setWindowTitle(tr("Import %1").arg(path));
    head_ = new QPlainTextEdit;
    head_->setReadOnly(true);
    head_->setLineWrapMode(QPlainTextEdit::NoWrap);
    head_->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
    found_ = new QLabel;
    found_->setWordWrap(true);
    separator_ = new QComboBox;
    separator_->addItems({tr("Comma"), tr("Semicolon"), tr("Tab"), tr("Blanks")});
    decimal_ = new QComboBox;
    decimal_->addItems({tr("Point"), tr("Comma")});
    header_ = LineBox(tr("none"));
    units_ = LineBox(tr("none"));
    time_ = LineBox(tr("none: the sample rate below"));
    rate_ = new QDoubleSpinBox;
    rate_->setRange(0, 1e9);
    rate_->setDecimals(3);
    rate_->setSuffix(tr(" Hz"));
    resample_ = new QCheckBox(tr("Resample a time column that steps unevenly"));

    auto* form = new QFormLayout;
    form->addRow(tr("Separator"), separator_);
    form->addRow(tr("Decimal mark"), decimal_);
    form->addRow(tr("Names line"), header_);
    form->addRow(tr("Units line"), units_);
    form->addRow(tr("Time column"), time_);
    form->addRow(tr("Sample rate"), rate_);
    form->addRow(resample_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(tr("The first lines of the file:")));
    layout->addWidget(head_, 1);
    layout->addWidget(found_);
    layout->addLayout(form);
    layout->addWidget(buttons);
    resize(640, 560);

    for (QComboBox* box : {separator_, decimal_})
        connect(box, &QComboBox::currentIndexChanged, this, [this] { Sniff(); });
    for (QSpinBox* box : {header_, units_, time_})
        connect(box, &QSpinBox::valueChanged, this, [this] { Sniff(); });
    layout_ = korvex::SniffTextFile(path_);
    QStringList lines;
    for (size_t i = 0; i < layout_.head.size(); ++i)
        lines << QString("%1  %2").arg(i + 1, 3).arg(QString::fromStdString(layout_.head[i]));
    head_->setPlainText(lines.join('\n'));
    Show();
}

void TextImportDialog::Sniff() {
    if (updating_) return;
    layout_ = korvex::SniffTextFile(path_, Options().text);
    Show();
}

void TextImportDialog::Show() {
    updating_ = true;
    const korvex::TextOptions& f = layout_.found;
    if (f.separator) separator_->setCurrentIndex(IndexOf(kSeparators, f.separator));
    if (f.decimal) decimal_->setCurrentIndex(IndexOf(kDecimals, f.decimal));
    header_->setValue(std::max(0, f.headerLine));
    units_->setValue(std::max(0, f.unitsLine));
    time_->setValue(std::max(0, f.timeColumn));
    rate_->setEnabled(f.timeColumn <= 0);
    updating_ = false;
    if (!layout_.message.empty()) {
        found_->setText(QString::fromStdString(layout_.message));
        return;
    }
    QStringList columns;
    for (size_t k = 0; k < layout_.names.size(); ++k) {
        QString c = QString::fromStdString(layout_.names[k]);
        if (k < layout_.units.size() && !layout_.units[k].empty())
            c += " [" + QString::fromStdString(layout_.units[k]) + "]";
        if (static_cast<int>(k + 1) == f.timeColumn) c += tr(" (time)");
        columns << c;
    }
    found_->setText(tr("%1Data from line %2; columns: %3")
                        .arg(layout_.lvm ? tr("NI LVM file. ") : QString())
                        .arg(layout_.firstDataLine)
                        .arg(columns.join(", ")));
}

korvex::ReadOptions TextImportDialog::Options() const {
    korvex::ReadOptions o;
    o.text.separator = kSeparators[std::clamp(separator_->currentIndex(), 0, 3)];
    o.text.decimal = kDecimals[std::clamp(decimal_->currentIndex(), 0, 1)];
    o.text.headerLine = header_->value();
    o.text.unitsLine = units_->value();
    o.text.timeColumn = time_->value();
    o.text.resample = resample_->isChecked();
    o.rate = rate_->value();
    return o;
}

}  // namespace workbench
