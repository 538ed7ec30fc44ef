// The report window: the band table at the graph cursor, and entries appended.

#include "ui/reportdlg.h"

#include <QBrush>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>

#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/msgbox.h"
#include "ui/res/ids.h"
#include "ui/rules/procrules.h"
#include "ui/rules/reportrules.h"

using namespace res;

namespace {

constexpr int kColumns = 5;
constexpr int kColumnTitles[kColumns] = {IDS_REPORT_COL_CHANNEL, IDS_REPORT_COL_COMPONENT,
                                         IDS_REPORT_COL_FREQ, IDS_REPORT_COL_LEVEL,
                                         IDS_REPORT_COL_MATCHES};

Qt::Alignment ColumnAlignment(int column) {
    return (column == 0 ? Qt::AlignLeft : Qt::AlignHCenter) | Qt::AlignVCenter;
}

}  // namespace

CReportDlg::CReportDlg(const host::App& app, CCfgProc* cfg, QWidget* parent)
    : QDialog(parent), cfg_(cfg), table_(app, cfg, this) {
    setModal(false);
    ui::BuildFromTemplate(this, IDD_REPORT);
    list_ = ui::Ctl<QTableWidget>(this, IDC_LIST);
    report_ = ui::Ctl<QPushButton>(this, IDC_REPORT_BUTTON);
    file_ = ui::Ctl<QLineEdit>(this, IDC_REPORT_FILE);
    if (report_) connect(report_, &QPushButton::clicked, this, [this] { OnReport(); });
    if (auto* browse = ui::Ctl<QPushButton>(this, IDC_BROWSE))
        connect(browse, &QPushButton::clicked, this, [this] { OnBrowse(); });
    // The controls stand where the template puts them for its own size.
    lastSize_ = size();
    Init();
}

CReportDlg::~CReportDlg() {
    StoreColumnWidths();
}

void CReportDlg::Init() {
    if (!list_ || !cfg_) return;
    ReportSettings& rs = cfg_->report;
    reportrules::ValidateColumnWidths(rs.colWidth, list_->width() - 2 * list_->frameWidth());
    if (!rs.dlgRect.IsEmpty()) {
        const ReportRect& r = rs.dlgRect;
        move(r.left, r.top);
        resize(r.right - r.left, r.bottom - r.top);
    }
    list_->setColumnCount(kColumns);
    for (int c = 0; c < kColumns; ++c) {
        auto* head = new QTableWidgetItem(ui::Text(kColumnTitles[c]));
        head->setTextAlignment(ColumnAlignment(c));
        list_->setHorizontalHeaderItem(c, head);
        list_->setColumnWidth(c, rs.colWidth[static_cast<size_t>(c)]);
    }
    if (file_) file_->setText(ui::QStr(rs.ReportFilePath()));
    initialised_ = true;
}

void CReportDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    const res::DialogTemplate* t = res::Dialog(IDD_REPORT);
    setWindowTitle(t ? ui::QStr(t->caption) : QString());
    table_.RebuildRows();
    // Rebuilt rows have no signals: bind them and show the values at once.
    table_.ForgetCursor();
    table_.RefreshAtCursor();
}

void CReportDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const QSize now = size();
    if (now.width() <= 0 || now.height() <= 0) return;
    if (lastSize_.isValid() && now != lastSize_) {
        const int dx = now.width() - lastSize_.width();
        const int dy = now.height() - lastSize_.height();
        for (const reportrules::ControlMove& m : reportrules::ReportWindowMoves(dx, dy))
            MoveControl(m.id, m.dx, m.dy, m.dw, m.dh);
    }
    lastSize_ = now;
    StoreRect();
}

void CReportDlg::moveEvent(QMoveEvent* event) {
    QDialog::moveEvent(event);
    StoreRect();
}

void CReportDlg::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            hide();
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return;  // no default button
        default:
            QDialog::keyPressEvent(event);
    }
}

void CReportDlg::MoveControl(int id, int dx, int dy, int dw, int dh) {
    QWidget* w = ui::FindControl(this, id);
    if (!w) return;
    const QRect g = w->geometry();
    const reportrules::Box b = reportrules::Moved(
        {g.left(), g.top(), g.left() + g.width(), g.top() + g.height()}, dx, dy, dw, dh);
    w->setGeometry(b.left, b.top, b.right - b.left, b.bottom - b.top);
}

void CReportDlg::StoreRect() {
    if (!initialised_ || !cfg_) return;
    const QRect r = frameGeometry();
    const QRect client = geometry();
    // Stored as the rectangle a later move() and resize() give back.
    cfg_->report.dlgRect =
        ReportRect{r.left(), r.top(), r.left() + client.width(), r.top() + client.height()};
}

void CReportDlg::StoreColumnWidths() {
    if (!list_ || !cfg_ || list_->columnCount() < kColumns) return;
    for (int c = 0; c < kColumns; ++c)
        cfg_->report.colWidth[static_cast<size_t>(c)] = list_->columnWidth(c);
}

void CReportDlg::OnReport() {
    if (!cfg_ || cfg_->channelNames.empty() || !table_.HasChannelValues()) {
        ui::MessageBox(this, IDS_REPORT_NEED_DATA, IDS_ERROR, ui::MbIcon::Error);
        return;
    }
    const std::string typed = file_ ? ui::StdStr(file_->text()) : std::string();
    if (!typed.empty()) cfg_->report.reportFile = typed;
    if (!table_.AppendEntry(table_.LastCursorTime(), {}, {}))
        ui::MessageBox(this, IDS_REPORT_WRITE_FAILED, IDS_ERROR, ui::MbIcon::Error);
}

void CReportDlg::OnBrowse() {
    ui::FileRequest request;
    request.filter = res::Str(IDS_FILTER_REPORT);
    request.defaultExt = "rtf";
    request.initial = file_ ? ui::StdStr(file_->text()) : std::string();
    const std::optional<std::string> chosen = ui::AskFileName(this, request);
    if (!chosen) return;
    if (file_) file_->setText(ui::QStr(*chosen));
    if (cfg_) cfg_->report.reportFile = *chosen;
}

int CReportDlg::InsertRow(const std::string& column0) {
    if (!list_) return 0;
    const int row = list_->rowCount();
    list_->insertRow(row);
    SetCellText(row, 0, column0);
    return row;
}

void CReportDlg::SetCellText(int row, int column, const std::string& text) {
    if (!list_ || row < 0 || row >= list_->rowCount() || column < 0 || column >= kColumns) return;
    QTableWidgetItem* item = list_->item(row, column);
    if (!item) {
        item = new QTableWidgetItem;
        item->setTextAlignment(ColumnAlignment(column));
        list_->setItem(row, column, item);
    }
    item->setText(ui::QStr(text));
}

void CReportDlg::SetRowState(int row, LimitState state) {
    if (!list_ || row < 0 || row >= list_->rowCount()) return;
    // Amber past the alert limit or in zone C, red past danger or in zone D.
    const bool marked = state == LimitState::Alert || state == LimitState::Danger;
    const QColor colour = state == LimitState::Danger ? QColor(200, 0, 0) : QColor(200, 120, 0);
    for (int column = 1; column < kColumns; ++column) {
        QTableWidgetItem* item = list_->item(row, column);
        if (!item) continue;
        item->setForeground(marked ? QBrush(colour) : QBrush());
        QFont font = item->font();
        font.setBold(marked && column == 3);
        item->setFont(font);
    }
}

void CReportDlg::DeleteRow(int row) {
    if (list_ && row >= 0 && row < list_->rowCount()) list_->removeRow(row);
}

void CReportDlg::DeleteAllRows() {
    if (list_) list_->setRowCount(0);
}

void CReportDlg::EnableReportButton(bool enable) {
    if (report_) report_->setEnabled(enable);
}

void CReportDlg::SetCaption(const std::string&) {
    // The caption comes from the string table, with the cursor time in it.
    setWindowTitle(ui::QStr(
        res::Format(IDS_REPORT_CAPTION_TIME, {procrules::Fixed(table_.LastCursorTime(), 1)})));
}
