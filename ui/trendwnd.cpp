// The trend window: a merged summary opened, a band and value chosen, the trend drawn.

#include "ui/trendwnd.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <algorithm>
#include <iterator>

#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/msgbox.h"
#include "ui/res/ids.h"
#include "ui/trendplot.h"
#include "ui/values.h"

using namespace res;

namespace {

// The value list's entries, in list order.
constexpr const char* kValues[] = {"max", "mean", "min", "last"};

class TrendPlot final : public QWidget {
  public:
    TrendPlot(const Trend& trend, QWidget* parent) : QWidget(parent), trend_(trend) {
        texts.danger = ui::Text(IDS_TREND_DANGER);
        texts.alert = ui::Text(IDS_TREND_ALERT);
        texts.zones = ui::Text(IDS_TREND_ZONES).replace("%s", "%1");
    }
    trendplot::TrendTexts texts;

  protected:
    void paintEvent(QPaintEvent*) override {
        QPainter g(this);
        trendplot::PaintTrend(g, trend_, width(), height(), texts);
    }

  private:
    const Trend& trend_;
};

// The summary's name of the whole recording is a file's word, not the user's.
QString ModeName(const std::string& mode) {
    return mode == kSummaryWholeRecording ? ui::Text(IDS_TREND_WHOLE) : ui::QStr(mode);
}

// The entries shown by their names, each holding its value.
void Fill(QComboBox* list, const std::vector<std::string>& entries, const std::string& current,
          bool modes = false) {
    if (!list) return;
    const QSignalBlocker quiet(list);
    list->clear();
    for (const std::string& e : entries)
        list->addItem(modes ? ModeName(e) : ui::QStr(e), ui::QStr(e));
    const auto at = std::find(entries.begin(), entries.end(), current);
    list->setCurrentIndex(at == entries.end() ? -1 : static_cast<int>(at - entries.begin()));
}

std::string Picked(const QComboBox* list) {
    return list && list->currentIndex() >= 0 ? ui::StdStr(list->currentData().toString())
                                             : std::string();
}

}  // namespace

CTrendWnd::CTrendWnd(QWidget* parent) : QDialog(parent) {
    setModal(false);
    ui::BuildFromTemplate(this, IDD_TREND);
    if (const DialogTemplate* t = Dialog(IDD_TREND)) setWindowTitle(ui::QStr(t->caption));
    file_ = ui::Ctl<QLineEdit>(this, IDC_TREND_FILE);
    channel_ = ui::Ctl<QComboBox>(this, IDC_TREND_CHANNEL);
    item_ = ui::Ctl<QComboBox>(this, IDC_TREND_ITEM);
    mode_ = ui::Ctl<QComboBox>(this, IDC_TREND_MODE);
    value_ = ui::Ctl<QComboBox>(this, IDC_TREND_VALUE);
    if (value_)
        ui::FillEntries(value_, IDS_TREND_VALUE_FIRST, static_cast<int>(std::size(kValues)));
    ui::ShowEntry(value_, 0);
    choices_.query.value = kValues[0];
    if (QWidget* place = ui::FindControl(this, IDC_PLACEHOLDER)) {
        plot_ = new TrendPlot(trend_, this);
        plot_->setGeometry(place->geometry());
    }
    for (QComboBox* list : {channel_, item_, mode_, value_})
        if (list)
            connect(list, qOverload<int>(&QComboBox::currentIndexChanged), this,
                    [this] { OnChoice(); });
    if (auto* open = ui::Ctl<QPushButton>(this, IDC_TREND_OPEN))
        connect(open, &QPushButton::clicked, this, [this] { OnOpen(); });
    if (auto* close = ui::Ctl<QPushButton>(this, IDCANCEL))
        connect(close, &QPushButton::clicked, this, [this] { hide(); });
    lastSize_ = size();
}

bool CTrendWnd::OnOpen() {
    ui::FileRequest request;
    request.filter = Str(IDS_FILTER_SUMMARY);
    request.defaultExt = "csv";
    const auto path = ui::AskFileName(this, request);
    if (!path) return false;
    std::string error;
    if (Open(*path, error)) return true;
    ui::MessageBoxText(this, Format(IDS_TREND_READ_FAILED, {error}), IDS_ERROR, ui::MbIcon::Error);
    return false;
}

bool CTrendWnd::Open(const std::string& path, std::string& error) {
    std::vector<SummaryRow> rows;
    if (!ReadSummary(path, rows, error)) return false;
    rows_ = std::move(rows);
    ui::ShowText(file_, path);
    Refill();
    return true;
}

void CTrendWnd::Refill() {
    choices_ = ChooseTrend(rows_, choices_.query);
    Fill(channel_, choices_.channels, choices_.query.channel);
    Fill(item_, choices_.items, choices_.query.item);
    Fill(mode_, choices_.modes, choices_.query.mode, true);
    std::string error;  // no point at all leaves the plot empty
    if (!MakeTrend(rows_, choices_.query, trend_, error)) trend_ = Trend{};
    if (auto* plot = static_cast<TrendPlot*>(plot_)) {
        plot->texts.mode = ModeName(choices_.query.mode);
        plot->texts.value = value_ ? value_->currentText() : QString();
        plot->update();
    }
}

void CTrendWnd::OnChoice() {
    TrendQuery& q = choices_.query;
    q.channel = Picked(channel_);
    q.item = Picked(item_);
    q.mode = Picked(mode_);
    const auto value = ui::EntryValue(value_);
    q.value = kValues[std::clamp(value.value_or(0), 0, static_cast<int>(std::size(kValues)) - 1)];
    Refill();
}

void CTrendWnd::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    const QSize now = size();
    if (lastSize_.isValid() && now != lastSize_ && now.width() > 0 && now.height() > 0) {
        const int dx = now.width() - lastSize_.width();
        const int dy = now.height() - lastSize_.height();
        // The plot and the file name take the room; the close button keeps its corner.
        if (plot_) plot_->resize(plot_->width() + dx, plot_->height() + dy);
        if (file_) file_->resize(file_->width() + dx, file_->height());
        if (QWidget* close = ui::FindControl(this, IDCANCEL))
            close->move(close->pos() + QPoint(dx, dy));
    }
    lastSize_ = now;
}
