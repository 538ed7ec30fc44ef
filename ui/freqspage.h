#pragma once
// The frequency-base page: the base as a tree, the item panels for the
// selected node, switching nodes on and off, deleting them, importing and
// exporting sections as exchange files, and adding the bands of a bearing
// or a gear pair to a folder.

#include <QWidget>
#include <vector>

#include "config/cfgproc.h"
#include "ui/freqitem.h"
#include "ui/images.h"

class QPushButton;
class QTreeWidget;
class QTreeWidgetItem;

namespace host {
class App;
}

class CVantrelFreqsPage : public QWidget, public IFreqItemDlgNotify {
  public:
    explicit CVantrelFreqsPage(QWidget* parent = nullptr);
    ~CVantrelFreqsPage() override;

    // Kept for the main dialog; the page makes no host calls.
    void SetHost(const host::App* app) { app_ = app; }
    void SetConfig(CCfgProc* cfg) { cfg_ = cfg; }
    void SetImageList(const ui::ImageList* images) { images_ = images; }
    // Builds the page window and its panels (once).
    bool Create();
    bool Activate();
    bool Deactivate();
    // Writes the panels into the current node.
    void Store();
    // Forgets what is shown; the tree is rebuilt on the next activation.
    void Reload();

    void ItemChanged() override;

    // Keyboard commands of the tree.
    void ToggleSelected();
    void DeleteSelected();
    void Import();
    void Export();
    // The calculators: bands added to the selected folder or section.
    void AddBearing();
    void AddGear();

    static CCfgProcItem* Node(const QTreeWidgetItem* item);
    // The overlay a tree item shows (0 none).
    static int Overlay(const QTreeWidgetItem* item);

    QTreeWidget* Tree() const { return tree_; }
    QPushButton* ImportButton() const { return import_; }
    QPushButton* ExportButton() const { return export_; }
    QPushButton* BearingButton() const { return bearing_; }
    QPushButton* GearButton() const { return gear_; }
    CFreqItemBase* BasePanel() const { return base_; }
    CFreqItemTaho* TahoPanel() const { return taho_; }
    CFreqItemBand* BandPanel() const { return band_; }
    CFreqItemTrack* TrackPanel() const { return track_; }
    CFreqItemBandwidth* BandwidthPanel() const { return bandwidth_; }
    CCfgProcItem* CurrentItem() const { return current_; }
    // The tree item of a node, or null.
    QTreeWidgetItem* ItemOf(const CCfgProcItem* node) const;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    std::vector<CFreqItem*> Panels() const;
    void BuildTree();
    QTreeWidgetItem* AddNode(CCfgProcItem* node, QTreeWidgetItem* parent);
    void SetImage(QTreeWidgetItem* item);
    void RefreshOverlays(QTreeWidgetItem* item);
    void OnCurrentChanged(QTreeWidgetItem* current, QTreeWidgetItem* previous);
    void ShowNode(CCfgProcItem* node);
    void LayoutPanels(int kind);
    bool RemoveNode(CCfgProcItem* node);
    void RunCalculator(int kind);

    CCfgProc* cfg_ = nullptr;
    const host::App* app_ = nullptr;
    const ui::ImageList* images_ = nullptr;
    ui::ImageList ownImages_;  // used while the main dialog lends none
    QTreeWidget* tree_ = nullptr;
    QPushButton* import_ = nullptr;
    QPushButton* export_ = nullptr;
    QPushButton* bearing_ = nullptr;
    QPushButton* gear_ = nullptr;
    QWidget* area_ = nullptr;
    CFreqItemBase* base_ = nullptr;
    CFreqItemTaho* taho_ = nullptr;
    CFreqItemBand* band_ = nullptr;
    CFreqItemTrack* track_ = nullptr;
    CFreqItemBandwidth* bandwidth_ = nullptr;
    CCfgProcItem* current_ = nullptr;
    bool created_ = false;
    bool stale_ = true;
    bool active_ = false;
    bool treeReady_ = false;
};
