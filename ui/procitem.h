#pragma once
// The processing-item panels: small child windows that edit the selected
// channels' records together. Each shows a value only where all records
// agree and writes back only what is definite.

#include <QWidget>
#include <optional>
#include <string>

#include "config/cfgchannel.h"
#include "config/cfgitem.h"
#include "config/cfgproc.h"
#include "ui/rules/procrules.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QRadioButton;

namespace ui {
class UpDown;
}

// What the panels tell their page.
class IProcItemDlgNotify {
  public:
    virtual ~IProcItemDlgNotify() = default;
    // The processed flag or the type of the selected channels changed.
    virtual void ChannelsChanged() = 0;
    // The band panel changed the current item's selected flag.
    virtual void ItemProcessingChanged() = 0;
};

class CProcItem : public QWidget {
  public:
    explicit CProcItem(QWidget* parent = nullptr) : QWidget(parent) {}

    // Builds the panel from its template as a child of parent (hidden), then
    // shows no records and no item.
    virtual bool Create(QWidget* parent, IProcItemDlgNotify* target);
    // Client height, 0 before Create.
    virtual int Height() const;
    virtual void SetChannels(const std::string& text, const procrules::Records& records);
    // The frequency base the item ids are looked up in. The panel keeps an
    // id, not the item: the frequency page may delete it in between.
    void SetBase(const CCfgProc* base) { base_ = base; }
    virtual void SetItem(int32_t itemId) { itemId_ = itemId; }
    virtual int TemplateId() const = 0;
    virtual void Apply() = 0;

    const procrules::Records& Records() const { return records_; }
    // The current item, or none when there is none or it was deleted.
    CCfgProcItem* Item() const { return base_ ? base_->FindItemById(itemId_) : nullptr; }

  protected:
    // Fills the lists and connects the controls once they exist.
    virtual void OnCreated() = 0;
    // Shows the records' values.
    virtual void ShowRecords() = 0;
    void Notify(void (IProcItemDlgNotify::*what)()) {
        if (notify_) (notify_->*what)();
    }
    bool HasRecords() const { return !records_.empty(); }
    bool AllOfType(int type) const;

    QCheckBox* Check(int id) const;
    QComboBox* List(int id) const;
    QLineEdit* Edit(int id) const;
    QRadioButton* Radio(int id) const;
    ui::UpDown* Spin(int id) const;

    std::string text_;
    procrules::Records records_;
    const CCfgProc* base_ = nullptr;
    int32_t itemId_ = 0;
    IProcItemDlgNotify* notify_ = nullptr;
    bool created_ = false;
};

// Channel panel: processed, type, graph and graph number, and the envelope
// band of measuring channels.
class CProcItemSignal : public CProcItem {
  public:
    using CProcItem::CProcItem;
    int TemplateId() const override;
    void Apply() override;
    // Re-reads the processed box after the page changed the records.
    void RefreshCheck();

  protected:
    void OnCreated() override;
    void ShowRecords() override;

  private:
    void Enable();
    void ShowEnvelopeBand();
    void ApplyEnvelopeBand();
};

// Band panel: how the current item is evaluated on the records.
class CProcItemBase : public CProcItem {
  public:
    using CProcItem::CProcItem;
    int TemplateId() const override;
    void SetChannels(const std::string& text, const procrules::Records& records) override;
    void SetItem(int32_t itemId) override;
    void Apply() override;
    void RefreshLists();
    void RefreshProcessed();
    void Enable();

  protected:
    void OnCreated() override;
    void ShowRecords() override {}
};

// Spectrum panel: block size, offset, window, centring.
class CProcItemFFT : public CProcItem {
  public:
    explicit CProcItemFFT(bool defaultsMode = false, QWidget* parent = nullptr)
        : CProcItem(parent), defaultsMode_(defaultsMode) {}
    int TemplateId() const override;
    void Apply() override;
    void Enable();
    bool DefaultsMode() const { return defaultsMode_; }

  protected:
    void OnCreated() override;
    void ShowRecords() override;

  private:
    void ShowResolution();

    const bool defaultsMode_;
};

// Tacho panel: units, block length, trigger levels, edge, multiplier.
class CProcItemTaho : public CProcItem {
  public:
    explicit CProcItemTaho(bool defaultsMode = false, QWidget* parent = nullptr)
        : CProcItem(parent), defaultsMode_(defaultsMode) {}
    int TemplateId() const override;
    void Apply() override;
    void Enable();
    bool DefaultsMode() const { return defaultsMode_; }

  protected:
    void OnCreated() override;
    void ShowRecords() override;

  private:
    void PointsEdited();
    void SecondsEdited();
    void LevelMode(int mode);
    void SetEditText(int id, const std::string& text);
    void OpenRepair();

    const bool defaultsMode_;
    bool editHandlers_ = true;
    int levelMode_ = -1;             // 0 absolute, 1 relative, -1 mixed
    std::optional<int> unitsShown_;  // the units entry as the records have it
};
