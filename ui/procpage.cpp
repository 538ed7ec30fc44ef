// The processing page: channels, the frequency base with state marks, the panels.

#include "ui/procpage.h"

#include <QCheckBox>
#include <QKeyEvent>
#include <QListWidget>
#include <QMouseEvent>
#include <QStyle>
#include <QTreeWidget>

#include "ui/dialogs.h"
#include "ui/images.h"
#include "ui/quiet.h"
#include "ui/res/ids.h"

using namespace res;
using ui::Quiet;

namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kMarkRole = Qt::UserRole + 1;
constexpr int kCheckRole = Qt::UserRole + 1;  // list: the last check state seen

}  // namespace

CVantrelProcPage::CVantrelProcPage(QWidget* parent) : QWidget(parent) {}

void CVantrelProcPage::SetConfig(CCfgProc* cfg) {
    cfg_ = cfg;
    for (CProcItem* p : std::initializer_list<CProcItem*>{signal_, band_, fft_, taho_})
        if (p) p->SetBase(cfg_);
}

bool CVantrelProcPage::Create() {
    if (created_) return true;
    if (!ui::BuildFromTemplate(this, IDD_PROC)) return false;
    list_ = ui::Ctl<QListWidget>(this, IDC_CHANNELS);
    tree_ = ui::Ctl<QTreeWidget>(this, IDC_TREE);
    area_ = ui::FindControl(this, IDC_PLACEHOLDER);
    tree_->installEventFilter(this);
    list_->viewport()->installEventFilter(this);
    const int icon = 16 * ui::DialogDpi() / 96;
    tree_->setIconSize(QSize(icon, icon));
    signal_ = new CProcItemSignal;
    band_ = new CProcItemBase;
    fft_ = new CProcItemFFT(false);
    taho_ = new CProcItemTaho(false);
    for (CProcItem* p : std::initializer_list<CProcItem*>{signal_, band_, fft_, taho_}) {
        p->SetBase(cfg_);
        p->Create(this, this);
    }
    signal_->move(area_->pos());
    signal_->show();
    if (auto* box = ui::Ctl<QCheckBox>(this, IDC_BAND_FREQUENCIES))
        connect(box, &QCheckBox::toggled, this, [this](bool on) {
            if (cfg_ && notify_) cfg_->bandFrequencies = on;
        });
    connect(list_, &QListWidget::itemChanged, this,
            [this](QListWidgetItem* item) { OnListItemChanged(item); });
    connect(list_, &QListWidget::itemSelectionChanged, this, [this] {
        if (notify_) PostSelectionChanged();
    });
    connect(
        tree_, &QTreeWidget::currentItemChanged, this,
        [this](QTreeWidgetItem* cur, QTreeWidgetItem* prev) { OnTreeCurrentChanged(cur, prev); });
    created_ = true;
    selection_.clear();
    LayoutPanels();
    return true;
}

void CVantrelProcPage::Apply() {
    if (!created_) return;
    signal_->Apply();
    band_->Apply();
    fft_->Apply();
    taho_->Apply();
}

void CVantrelProcPage::Reload() {
    reloadPending_ = true;
    currentId_ = 0;
    if (!created_) return;
    for (CProcItem* p : std::initializer_list<CProcItem*>{signal_, band_, fft_, taho_}) {
        p->SetChannels("", {});
        p->SetItem(0);
    }
    if (active_) Activate();
}

void CVantrelProcPage::Activate() {
    Create();
    active_ = true;
    if (!cfg_) return;
    const bool channels = reloadPending_ || cfg_->channelsChanged;
    const bool base = reloadPending_ || cfg_->frequencyBaseChanged;
    {
        Quiet quiet(notify_);
        if (channels) {
            selection_.clear();
            FillList();
        }
        if (base) BuildTree();
    }
    if (channels && list_->count() > 0)
        list_->setCurrentRow(0, QItemSelectionModel::ClearAndSelect);
    if (base && !tree_->currentItem() && tree_->topLevelItemCount() > 0)
        tree_->setCurrentItem(tree_->topLevelItem(0));
    if (auto* box = ui::Ctl<QCheckBox>(this, IDC_BAND_FREQUENCIES)) {
        Quiet quiet(notify_);
        box->setChecked(cfg_->bandFrequencies);
    }
    reloadPending_ = false;
    cfg_->channelsChanged = false;
    cfg_->frequencyBaseChanged = false;
}

void CVantrelProcPage::FillList() {
    list_->clear();
    for (const std::string& name : cfg_->channelNames) {
        auto* item = new QListWidgetItem(ui::QStr(name));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        const CfgChannel* ch = cfg_->Channel(name);
        const Qt::CheckState state = ch && ch->check ? Qt::Checked : Qt::Unchecked;
        item->setCheckState(state);
        item->setData(kCheckRole, int(state));
        list_->addItem(item);
    }
}

void CVantrelProcPage::BuildTree() {
    tree_->clear();
    for (const auto& section : cfg_->sections)
        if (section->GetType() == CfgItemRoot) AddNode(section.get(), nullptr);
}

bool CVantrelProcPage::AddNode(CCfgProcItem* node, QTreeWidgetItem* parent) {
    const bool leaf = procrules::IsLeafKind(node->GetType());
    if (leaf && !node->enabled) return false;
    if (!leaf && !node->IsFolder()) return false;
    auto* item = new QTreeWidgetItem(QStringList(ui::QStr(node->name)));
    item->setData(0, kNodeRole, node->id);
    if (parent)
        parent->addChild(item);
    else
        tree_->addTopLevelItem(item);
    if (currentId_ == node->id) tree_->setCurrentItem(item);
    if (leaf) {
        SetMark(item, node->selected ? procrules::kMarkNone : procrules::kMarkOff);
        return true;
    }
    SetMark(item, procrules::kMarkNone);
    for (const auto& child : static_cast<CCfgProcFolder*>(node)->children)
        AddNode(child.get(), item);
    if (item->childCount() == 0) {
        delete item;
        return false;
    }
    item->setExpanded(true);
    return true;
}

CCfgProcItem* CVantrelProcPage::Node(const QTreeWidgetItem* item) const {
    return item && cfg_ ? cfg_->FindItemById(item->data(0, kNodeRole).toInt()) : nullptr;
}

int CVantrelProcPage::Mark(const QTreeWidgetItem* item) {
    return item ? item->data(0, kMarkRole).toInt() : 0;
}

void CVantrelProcPage::SetMark(QTreeWidgetItem* item, int mark) {
    item->setData(0, kMarkRole, mark);
    if (images_)
        if (const CCfgProcItem* node = Node(item))
            item->setIcon(0, images_->Icon(ui::ImageForKind(node->GetType()), mark));
}

void CVantrelProcPage::RefreshMarks(QTreeWidgetItem* item, const procrules::Records& records) {
    if (item->childCount() == 0) {
        if (CCfgProcItem* node = Node(item)) SetMark(item, procrules::LeafMark(*node, records));
        return;
    }
    for (int i = 0; i < item->childCount(); ++i) RefreshMarks(item->child(i), records);
}

void CVantrelProcPage::SyncItem(QTreeWidgetItem* item) {
    if (!item) return;
    if (item->childCount() > 0) {
        for (int i = 0; i < item->childCount(); ++i) SyncItem(item->child(i));
        return;
    }
    CCfgProcItem* node = Node(item);
    if (!node) return;
    SetMark(item, node->selected ? procrules::kMarkNone : procrules::kMarkOff);
    for (CfgChannel* ch : SelectedRecords(false)) {
        auto it = ch->signalOpts.find(node->id);
        if (it == ch->signalOpts.end()) {
            CfgSignalOpt o;
            o.itemId = node->id;
            o.name = node->name;
            it = ch->signalOpts.emplace(node->id, o).first;
        }
        it->second.bEnabled = node->selected;
    }
}

CfgChannel* CVantrelProcPage::Record(int i, bool create) const {
    if (!cfg_ || i < 0 || i >= int(cfg_->channelNames.size())) return nullptr;
    std::unique_ptr<CfgChannel>& slot = cfg_->channels[cfg_->channelNames[i]];
    if (!slot && create) slot = std::make_unique<CfgChannel>();
    return slot.get();
}

procrules::Records CVantrelProcPage::SelectedRecords(bool create) const {
    procrules::Records records;
    for (int i : selection_)
        if (CfgChannel* ch = Record(i, create)) records.push_back(ch);
    return records;
}

void CVantrelProcPage::OnListItemChanged(QListWidgetItem* item) {
    if (!notify_ || !item) return;
    const int state = item->checkState();
    if (item->data(kCheckRole).toInt() == state)
        return;  // a change of something other than the box
    const bool v = state == Qt::Checked;
    if (item->isSelected()) {
        Quiet quiet(notify_);
        for (QListWidgetItem* sel : list_->selectedItems()) {
            sel->setCheckState(Qt::CheckState(state));
            sel->setData(kCheckRole, state);
            if (CfgChannel* ch = Record(list_->row(sel), true)) ch->check = v;
        }
    } else {
        Quiet quiet(notify_);
        item->setData(kCheckRole, state);
        if (CfgChannel* ch = Record(list_->row(item), true)) ch->check = v;
    }
    signal_->RefreshCheck();
}

void CVantrelProcPage::PostSelectionChanged() {
    // A burst of selection changes is handled once, after it.
    if (selectionPosted_) return;
    selectionPosted_ = true;
    QMetaObject::invokeMethod(
        this, [this] { OnSelectionMessage(); }, Qt::QueuedConnection);
}

void CVantrelProcPage::OnSelectionMessage() {
    selectionPosted_ = false;
    Apply();
    std::vector<int> rows;
    for (int i = 0; i < list_->count(); ++i)
        if (list_->item(i)->isSelected()) rows.push_back(i);
    ApplySelection(rows);
}

void CVantrelProcPage::ApplySelection(const std::vector<int>& selection) {
    if (!cfg_ || selection == selection_) return;
    selection_ = selection;
    const procrules::Records records = SelectedRecords(true);
    {
        Quiet quiet(notify_);
        for (int i = 0; i < tree_->topLevelItemCount(); ++i)
            RefreshMarks(tree_->topLevelItem(i), records);
    }
    const std::string text = selection_.size() == 1 ? cfg_->channelNames[selection_[0]] : "";
    for (CProcItem* p : std::initializer_list<CProcItem*>{signal_, band_, fft_, taho_}) {
        p->SetChannels(text, records);
        p->SetItem(currentId_);
    }
    LayoutPanels();
}

void CVantrelProcPage::OnTreeCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (!notify_) return;
    if (previous && current != previous) Apply();
    const CCfgProcItem* node = Node(current);
    currentId_ = node ? node->id : 0;
    for (CProcItem* p : std::initializer_list<CProcItem*>{signal_, band_, fft_, taho_})
        p->SetItem(currentId_);
}

bool CVantrelProcPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space)
        return OnTreeSpace();
    if (watched == list_->viewport()) {
        const QEvent::Type type = event->type();
        if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick)
            return OnListPress(static_cast<QMouseEvent*>(event)->position().toPoint());
        // The view toggles a box again on the release of a press it saw on
        // the same item before; the press on the box was ours, so is this.
        if (type == QEvent::MouseButtonRelease && boxPressed_) {
            boxPressed_ = false;
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

// A click on an item's check box ticks it and leaves the selection alone, so a
// channel outside a multi-selection can be switched without losing it.
bool CVantrelProcPage::OnListPress(const QPoint& pos) {
    QListWidgetItem* item = list_->itemAt(pos);
    if (!item) return false;
    const QRect r = list_->visualItemRect(item);
    QStyle* style = list_->style();
    const int box = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, list_) +
                    2 * style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, list_) + 2;
    if (pos.x() >= r.left() + box) return false;
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
    boxPressed_ = true;
    return true;
}

bool CVantrelProcPage::OnTreeSpace() {
    QTreeWidgetItem* item = tree_->currentItem();
    if (!item) return false;
    if (CCfgProcItem* node = Node(item)) {
        node->SetSelected(!node->selected);
        SyncItem(item);
        band_->RefreshProcessed();
    }
    return true;
}

void CVantrelProcPage::ItemProcessingChanged() {
    SyncItem(tree_->currentItem());
}

void CVantrelProcPage::ChannelsChanged() {
    {
        Quiet quiet(notify_);
        for (int i : selection_) {
            const CfgChannel* ch = Record(i, false);
            QListWidgetItem* item = list_->item(i);
            if (!ch || !item) continue;
            const Qt::CheckState state = ch->check ? Qt::Checked : Qt::Unchecked;
            if (item->checkState() != state) {
                item->setCheckState(state);
                item->setData(kCheckRole, int(state));
            }
        }
    }
    LayoutPanels();
    band_->RefreshLists();
    band_->Enable();
    fft_->Enable();
    taho_->Enable();
}

void CVantrelProcPage::LayoutPanels() {
    const procrules::PanelLayout l =
        procrules::LayoutFor(procrules::CommonType(SelectedRecords(false)));
    if (!l.changed) return;
    const QPoint top = area_->pos();
    const int y = top.y() + signal_->Height();
    band_->move(top.x(), y);
    fft_->move(top.x(), y + band_->Height());
    taho_->move(top.x(), y);
    band_->setVisible(l.band);
    fft_->setVisible(l.fft);
    taho_->setVisible(l.taho);
}
