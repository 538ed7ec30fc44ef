#pragma once
// The processing-setup page: the channels with their processed boxes, the
// frequency base as a tree with state marks, and the processing-item panels
// for the selected channels.

#include <QWidget>
#include <vector>

#include "config/cfgproc.h"
#include "ui/procitem.h"

class QListWidget;
class QListWidgetItem;
class QTreeWidget;
class QTreeWidgetItem;

namespace host {
class App;
}
namespace ui {
class ImageList;
}

class CVantrelProcPage : public QWidget, public IProcItemDlgNotify {
  public:
    explicit CVantrelProcPage(QWidget* parent = nullptr);

    void SetHost(const host::App* app) { app_ = app; }
    void SetConfig(CCfgProc* cfg);
    void SetImageList(const ui::ImageList* images) { images_ = images; }
    // Builds the page window (once); activation does it when needed.
    bool Create();
    bool IsCreated() const { return created_; }
    // Writes the panels into the records.
    void Apply();
    // Discards what is shown; re-read on the next activation.
    void Reload();
    void Activate();
    void Deactivate() { active_ = false; }

    void ChannelsChanged() override;
    void ItemProcessingChanged() override;

    // Tree state mark and node of a tree item (none when it was deleted).
    static int Mark(const QTreeWidgetItem* item);
    CCfgProcItem* Node(const QTreeWidgetItem* item) const;

    QListWidget* Channels() const { return list_; }
    QTreeWidget* Tree() const { return tree_; }
    CProcItemSignal* SignalPanel() const { return signal_; }
    CProcItemBase* BandPanel() const { return band_; }
    CProcItemFFT* FftPanel() const { return fft_; }
    CProcItemTaho* TahoPanel() const { return taho_; }
    const std::vector<int>& Selection() const { return selection_; }
    CCfgProcItem* CurrentItem() const { return cfg_ ? cfg_->FindItemById(currentId_) : nullptr; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void FillList();
    void BuildTree();
    bool AddNode(CCfgProcItem* node, QTreeWidgetItem* parent);
    void SetMark(QTreeWidgetItem* item, int mark);
    void RefreshMarks(QTreeWidgetItem* item, const procrules::Records& records);
    void SyncItem(QTreeWidgetItem* item);
    void OnListItemChanged(QListWidgetItem* item);
    void PostSelectionChanged();
    void OnSelectionMessage();
    void ApplySelection(const std::vector<int>& selection);
    void OnTreeCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    bool OnTreeSpace();
    bool OnListPress(const QPoint& pos);
    void LayoutPanels();
    // The record of channel index i; created with defaults when asked.
    CfgChannel* Record(int i, bool create) const;
    procrules::Records SelectedRecords(bool create) const;

    CCfgProc* cfg_ = nullptr;
    const host::App* app_ = nullptr;
    const ui::ImageList* images_ = nullptr;
    QListWidget* list_ = nullptr;
    QTreeWidget* tree_ = nullptr;
    QWidget* area_ = nullptr;
    CProcItemSignal* signal_ = nullptr;
    CProcItemBase* band_ = nullptr;
    CProcItemFFT* fft_ = nullptr;
    CProcItemTaho* taho_ = nullptr;
    std::vector<int> selection_;
    // Ids, not items: the frequency page may delete the item in between.
    int32_t currentId_ = 0;
    bool created_ = false;
    bool reloadPending_ = false;
    bool active_ = false;
    bool notify_ = true;
    bool selectionPosted_ = false;
    bool boxPressed_ = false;  // the list's last press toggled a box
};
