#pragma once
// The frequency-base item panels: small child windows that edit the node
// selected in the page's tree, one panel per group of fields.

#include <QString>
#include <QWidget>
#include <string>
#include <vector>

#include "config/cfgitem.h"
#include "ui/rules/freqrules.h"

class QCheckBox;
class QComboBox;
class QLineEdit;

// What the panels tell their page.
class IFreqItemDlgNotify {
  public:
    virtual ~IFreqItemDlgNotify() = default;
    // The enabled flag of the node (and of its subtree) changed.
    virtual void ItemChanged() = 0;
};

class CFreqItem : public QWidget {
  public:
    explicit CFreqItem(QWidget* parent = nullptr) : QWidget(parent) {}

    // Builds the panel from its template as a hidden child of parent, with
    // no item.
    virtual bool Create(QWidget* parent, IFreqItemDlgNotify* target);
    // Client height, 0 before Create.
    virtual int Height() const;
    // Remembers the node (or none), shows it and enables the controls.
    virtual void SetItem(CCfgProcItem* node);
    virtual void SetTachoList(const freqrules::TachoList& list) { tacho_ = list; }
    virtual int TemplateId() const = 0;
    virtual void EnableControls() = 0;
    // Writes the controls back into the node.
    virtual void Apply() = 0;

    CCfgProcItem* Item() const { return item_; }
    const freqrules::TachoList& TachoList() const { return tacho_; }

  protected:
    virtual void OnCreated() {}
    virtual void Fill() = 0;
    QLineEdit* Edit(int id) const;
    QComboBox* List(int id) const;

    CCfgProcItem* item_ = nullptr;
    freqrules::TachoList tacho_;
    IFreqItemDlgNotify* notify_ = nullptr;
    bool created_ = false;
};

// Name, description and the enabled box of every node.
class CFreqItemBase : public CFreqItem {
  public:
    int TemplateId() const override;
    void EnableControls() override;
    void Apply() override;
    // Shows the node's enabled flag again after it changed elsewhere.
    void RefreshCheck();

  protected:
    void OnCreated() override;
    void Fill() override;
};

// The tacho channel of a tacho item.
class CFreqItemTaho : public CFreqItem {
  public:
    int TemplateId() const override;
    void EnableControls() override;
    void Apply() override;
    // Replaces the channel texts the list offers.
    void SetCandidates(const std::vector<std::string>& candidates);
    const std::vector<std::string>& Candidates() const { return candidates_; }

  protected:
    void Fill() override;

  private:
    std::vector<std::string> candidates_;
};

// The borders of a fixed band.
class CFreqItemBand : public CFreqItem {
  public:
    int TemplateId() const override;
    void EnableControls() override;
    void Apply() override;

  protected:
    void Fill() override;
};

// The centre of a tracking band: a factor per tacho item and a constant.
class CFreqItemTrack : public CFreqItem {
  public:
    int TemplateId() const override;
    void EnableControls() override;
    void Apply() override;

  protected:
    void Fill() override;

  private:
    QString shown_[4];  // the rows' texts as Fill set them, the constant last
};

// The width rule of a tacho item or a tracking band. Modes and values act on
// the record at once; the reference channel is written by Apply.
class CFreqItemBandwidth : public CFreqItem {
  public:
    int TemplateId() const override;
    void EnableControls() override;
    void Apply() override;
    CfgBandWidth* Record() const;

  protected:
    void OnCreated() override;
    void Fill() override;

  private:
    void ShowRecord();
    bool filling_ = false;
};

namespace ui {
// The first entry that begins with text, letter case ignored (-1: none).
int PrefixIndex(const QComboBox* list, const std::string& text);
}  // namespace ui
