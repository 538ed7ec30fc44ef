// The frequency-base page: tree, item panels, switching and deleting, files, calculators.

#include "ui/freqspage.h"

#include <QKeyEvent>
#include <QPushButton>
#include <QTreeWidget>

#include "ui/dialogs.h"
#include "ui/filedlg.h"
#include "ui/kindlg.h"
#include "ui/msgbox.h"
#include "ui/res/ids.h"

using namespace res;

namespace {

constexpr int kNodeRole = Qt::UserRole;
constexpr int kOverlayRole = Qt::UserRole + 1;

bool IsLeaf(const CCfgProcItem* node) {
    return !node->IsFolder();
}

}  // namespace

CVantrelFreqsPage::CVantrelFreqsPage(QWidget* parent) : QWidget(parent) {}

// The panels are children of the page and go with it; the tree must not
// report selection changes of items it deletes on the way.
CVantrelFreqsPage::~CVantrelFreqsPage() {
    treeReady_ = false;
    if (tree_) tree_->blockSignals(true);
}

bool CVantrelFreqsPage::Create() {
    if (created_) return true;
    if (!ui::BuildFromTemplate(this, IDD_FREQS)) return false;
    tree_ = ui::Ctl<QTreeWidget>(this, IDC_TREE);
    import_ = ui::Ctl<QPushButton>(this, IDC_IMPORT);
    export_ = ui::Ctl<QPushButton>(this, IDC_EXPORT);
    bearing_ = ui::Ctl<QPushButton>(this, IDC_BEARING);
    gear_ = ui::Ctl<QPushButton>(this, IDC_GEAR);
    area_ = ui::FindControl(this, IDC_PLACEHOLDER);
    const int icon = 16 * ui::DialogDpi() / 96;
    tree_->setIconSize(QSize(icon, icon));
    tree_->installEventFilter(this);
    base_ = new CFreqItemBase;
    taho_ = new CFreqItemTaho;
    band_ = new CFreqItemBand;
    track_ = new CFreqItemTrack;
    bandwidth_ = new CFreqItemBandwidth;
    for (CFreqItem* p : Panels()) p->Create(this, this);
    base_->move(area_->pos());
    base_->show();
    connect(tree_, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem* cur, QTreeWidgetItem* prev) { OnCurrentChanged(cur, prev); });
    connect(import_, &QPushButton::clicked, this, [this] { Import(); });
    connect(export_, &QPushButton::clicked, this, [this] { Export(); });
    connect(bearing_, &QPushButton::clicked, this, [this] { AddBearing(); });
    connect(gear_, &QPushButton::clicked, this, [this] { AddGear(); });
    export_->setEnabled(false);
    created_ = true;
    return true;
}

std::vector<CFreqItem*> CVantrelFreqsPage::Panels() const {
    return {base_, taho_, band_, track_, bandwidth_};
}

bool CVantrelFreqsPage::Activate() {
    Create();
    active_ = true;
    if (!cfg_) return true;
    if (stale_) {
        treeReady_ = false;
        current_ = nullptr;
        tree_->clear();
        BuildTree();
        treeReady_ = true;
        stale_ = false;
        if (tree_->topLevelItemCount() > 0)
            tree_->setCurrentItem(tree_->topLevelItem(0));
        else
            ShowNode(nullptr);
    }
    taho_->SetCandidates(freqrules::TachoCandidates(*cfg_));
    return true;
}

bool CVantrelFreqsPage::Deactivate() {
    active_ = false;
    return true;
}

void CVantrelFreqsPage::Store() {
    if (!cfg_ || !created_) return;
    cfg_->frequencyBaseChanged = true;
    for (CFreqItem* p : Panels()) p->Apply();
    cfg_->RenameRefs();
}

void CVantrelFreqsPage::Reload() {
    current_ = nullptr;
    stale_ = true;
    if (!created_) return;
    for (CFreqItem* p : Panels()) p->SetItem(nullptr);
    if (active_) Activate();
}

void CVantrelFreqsPage::BuildTree() {
    for (const auto& section : cfg_->sections)
        if (section) AddNode(section.get(), nullptr);
}

QTreeWidgetItem* CVantrelFreqsPage::AddNode(CCfgProcItem* node, QTreeWidgetItem* parent) {
    auto* item = new QTreeWidgetItem(QStringList(ui::QStr(node->name)));
    item->setData(0, kNodeRole, QVariant::fromValue(reinterpret_cast<quintptr>(node)));
    if (parent)
        parent->addChild(item);
    else
        tree_->addTopLevelItem(item);
    SetImage(item);
    if (node->IsFolder()) {
        for (const auto& child : static_cast<CCfgProcFolder*>(node)->children)
            if (child) AddNode(child.get(), item);
        item->setExpanded(true);
    }
    return item;
}

CCfgProcItem* CVantrelFreqsPage::Node(const QTreeWidgetItem* item) {
    if (!item) return nullptr;
    return reinterpret_cast<CCfgProcItem*>(item->data(0, kNodeRole).value<quintptr>());
}

int CVantrelFreqsPage::Overlay(const QTreeWidgetItem* item) {
    return item ? item->data(0, kOverlayRole).toInt() : 0;
}

QTreeWidgetItem* CVantrelFreqsPage::ItemOf(const CCfgProcItem* node) const {
    if (!tree_ || !node) return nullptr;
    for (QTreeWidgetItemIterator it(tree_); *it; ++it)
        if (Node(*it) == node) return *it;
    return nullptr;
}

void CVantrelFreqsPage::SetImage(QTreeWidgetItem* item) {
    const CCfgProcItem* node = Node(item);
    const int overlay = IsLeaf(node) ? node->GetOverlay() : 0;
    item->setData(0, kOverlayRole, overlay);
    const ui::ImageList& images = images_ ? *images_ : ownImages_;
    item->setIcon(0, images.Icon(ui::ImageForKind(node->GetType()), overlay));
}

void CVantrelFreqsPage::RefreshOverlays(QTreeWidgetItem* item) {
    if (!item) return;
    SetImage(item);
    for (int i = 0; i < item->childCount(); ++i) RefreshOverlays(item->child(i));
}

void CVantrelFreqsPage::ItemChanged() {
    RefreshOverlays(tree_->currentItem());
    if (cfg_) cfg_->frequencyBaseChanged = true;
}

void CVantrelFreqsPage::OnCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous) {
    if (!treeReady_ || current == previous) return;
    if (previous && current) {
        Store();
        // The tree shows the names the panels wrote back.
        if (const CCfgProcItem* left = Node(previous)) previous->setText(0, ui::QStr(left->name));
    }
    ShowNode(Node(current));
}

void CVantrelFreqsPage::ShowNode(CCfgProcItem* node) {
    const freqrules::TachoList list =
        cfg_ ? freqrules::CollectTachoList(*cfg_) : freqrules::TachoList{};
    for (CFreqItem* p : Panels()) p->SetTachoList(list);
    LayoutPanels(node ? node->GetType() : 0);
    for (CFreqItem* p : Panels()) p->SetItem(node);
    current_ = node;
    export_->setEnabled(node != nullptr);
    bearing_->setEnabled(node && node->IsFolder());
    gear_->setEnabled(node && node->IsFolder());
}

void CVantrelFreqsPage::LayoutPanels(int kind) {
    const bool show[] = {true, kind == CfgItemTacho, kind == CfgItemFixedBand,
                         kind == CfgItemTrackingBand,
                         kind == CfgItemTacho || kind == CfgItemTrackingBand};
    QPoint at = area_->pos();
    int i = 0;
    for (CFreqItem* p : Panels()) {
        p->setVisible(show[i++]);
        if (!p->isVisibleTo(this)) continue;
        p->move(at);
        at.ry() += p->Height();
    }
}

void CVantrelFreqsPage::ToggleSelected() {
    QTreeWidgetItem* item = tree_->currentItem();
    CCfgProcItem* node = Node(item);
    if (!node) return;
    node->SetEnabled(!node->enabled);
    RefreshOverlays(item);
    if (cfg_) cfg_->frequencyBaseChanged = true;
    base_->RefreshCheck();
}

bool CVantrelFreqsPage::RemoveNode(CCfgProcItem* node) {
    if (node->parent) return node->parent->Remove(node);
    auto& list = cfg_->sections;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if (*it && (*it)->id == node->id) {
            list.erase(it);
            return true;
        }
    }
    return false;
}

void CVantrelFreqsPage::DeleteSelected() {
    QTreeWidgetItem* item = tree_->currentItem();
    CCfgProcItem* node = Node(item);
    if (!node || !cfg_) return;
    const std::string text = res::Format(IDS_FREQ_DELETE, {node->name});
    if (ui::MessageBoxText(this, text, IDS_WARNING, ui::MbIcon::Question, ui::MbButtons::YesNo) !=
        ui::MbYes)
        return;
    QTreeWidgetItem* parent = item->parent();
    const int index = parent ? parent->indexOfChild(item) : tree_->indexOfTopLevelItem(item);
    const int count = parent ? parent->childCount() : tree_->topLevelItemCount();
    auto sibling = [&](int i) { return parent ? parent->child(i) : tree_->topLevelItem(i); };
    QTreeWidgetItem* next = index + 1 < count ? sibling(index + 1)
                            : index > 0       ? sibling(index - 1)
                                              : parent;
    // No panel may hold the node once it is gone.
    for (CFreqItem* p : Panels()) p->SetItem(nullptr);
    current_ = nullptr;
    RemoveNode(node);
    treeReady_ = false;
    delete item;
    tree_->setCurrentItem(next);
    ShowNode(Node(next));
    treeReady_ = true;
    cfg_->frequencyBaseChanged = true;
}

void CVantrelFreqsPage::Export() {
    CCfgProcSection* section = freqrules::SectionOf(current_);
    if (!section || !cfg_) return;
    ui::FileRequest req;
    req.save = true;
    req.filter = res::Str(IDS_FILTER_JSON);
    req.defaultExt = "json";
    req.initial = section->path.empty() ? cfg_->lastJsonFolder : section->path;
    const std::optional<std::string> path = ui::AskFileName(this, req);
    if (!path) return;
    cfg_->lastJsonFolder = freqrules::FolderOf(*path);
    if (section->SaveToFile(*path))
        ui::MessageBoxText(this, res::Format(IDS_FREQ_SAVED, {section->name, *path}), IDS_WARNING,
                           ui::MbIcon::Information);
    else
        ui::MessageBoxText(this, res::Format(IDS_FREQ_SAVE_FAILED, {section->name, *path}),
                           IDS_ERROR, ui::MbIcon::Error);
}

void CVantrelFreqsPage::Import() {
    if (!cfg_) return;
    ui::FileRequest req;
    req.filter = res::Str(IDS_FILTER_JSON);
    req.defaultExt = "json";
    req.initial = cfg_->lastJsonFolder;
    const std::optional<std::string> path = ui::AskFileName(this, req);
    if (!path) return;
    cfg_->lastJsonFolder = freqrules::FolderOf(*path);
    if (freqrules::IsLoaded(*cfg_, *path)) {
        ui::MessageBoxText(this, res::Format(IDS_FREQ_LOADED, {*path}), IDS_ERROR,
                           ui::MbIcon::Error);
        return;
    }
    auto section = std::make_unique<CCfgProcSection>();
    if (!section->LoadFromFile(*path)) return;  // not an exchange file: nothing changes
    CCfgProcSection* added = section.get();
    cfg_->sections.push_back(std::move(section));
    cfg_->ResolveRefs(added);
    if (created_ && !stale_) {
        const bool ready = treeReady_;
        treeReady_ = false;
        AddNode(added, nullptr);
        treeReady_ = ready;
    }
    cfg_->frequencyBaseChanged = true;
}

void CVantrelFreqsPage::AddBearing() {
    RunCalculator(CKinDlg::kBearing);
}

void CVantrelFreqsPage::AddGear() {
    RunCalculator(CKinDlg::kGear);
}

void CVantrelFreqsPage::RunCalculator(int kind) {
    if (!cfg_ || !current_ || !current_->IsFolder()) return;
    auto* folder = static_cast<CCfgProcFolder*>(current_);
    CKinDlg dlg(static_cast<CKinDlg::Kind>(kind), cfg_, folder, this);
    if (dlg.DoModal() != QDialog::Accepted || dlg.Added().empty()) return;
    if (QTreeWidgetItem* parent = ItemOf(folder)) {
        const bool ready = treeReady_;
        treeReady_ = false;
        for (CCfgProcBandTrack* band : dlg.Added()) AddNode(band, parent);
        parent->setExpanded(true);
        treeReady_ = ready;
    }
    cfg_->frequencyBaseChanged = true;
}

bool CVantrelFreqsPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == tree_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Space) {
            ToggleSelected();
            return true;
        }
        if (key == Qt::Key_Delete) {
            DeleteSelected();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
