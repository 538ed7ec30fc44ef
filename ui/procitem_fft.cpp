// The spectrum panel: block size, offset, window and centring, and their resolution.

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "ui/dialogs.h"
#include "ui/procitem.h"
#include "ui/res/ids.h"
#include "ui/values.h"

using namespace res;
using procrules::Common;

int CProcItemFFT::TemplateId() const {
    return IDD_ITEM_FFT;
}

void CProcItemFFT::OnCreated() {
    QComboBox* block = List(IDC_BLOCK);
    {
        const QSignalBlocker quiet(block);
        for (int i = 0; i < procrules::kBlockEntries; ++i)
            block->addItem(QString::number(procrules::BlockSize(i)));
        block->setCurrentIndex(-1);
    }
    ui::FillEntries(List(IDC_OFFSET), IDS_OFFSET_FIRST, procrules::kOffsetEntries);
    ui::FillEntries(List(IDC_WINDOW), IDS_WINDOW_FIRST, 5);
    connect(Check(IDC_DEF_FFT), &QCheckBox::clicked, this, [this] {
        if (!HasRecords()) return;
        ui::MakeTwoState(Check(IDC_DEF_FFT));
        for (CfgChannel* r : records_) r->bDefOptFFT = Check(IDC_DEF_FFT)->isChecked();
        Enable();
    });
    connect(Check(IDC_CENTRE), &QCheckBox::clicked, this,
            [this] { ui::MakeTwoState(Check(IDC_CENTRE)); });
    connect(List(IDC_BLOCK), &QComboBox::currentIndexChanged, this, [this] { ShowResolution(); });
}

// The resolution the chosen block size gives on the records, when they agree.
void CProcItemFFT::ShowResolution() {
    const auto block = ui::EntryValue(List(IDC_BLOCK));
    std::string text;
    if (HasRecords())
        text = procrules::CommonText(records_, [&](const CfgChannel& c) {
            const int n = block ? procrules::BlockSize(*block) : c.fftOpt.nPoints;
            return procrules::ResolutionText(c.sampleStep, n);
        });
    ui::ShowText(Edit(IDC_RESOLUTION), text);
}

void CProcItemFFT::ShowRecords() {
    Check(IDC_DEF_FFT)->setVisible(HasRecords());
    if (HasRecords()) {
        auto fft = [](const CfgChannel& c) -> const CfgFftOpt& { return c.fftOpt; };
        ui::ShowEntry(List(IDC_BLOCK), Common<int>(records_, [&](const CfgChannel& c) {
                          return procrules::BlockEntry(fft(c).nPoints);
                      }));
        ui::ShowEntry(List(IDC_OFFSET), Common<int>(records_, [&](const CfgChannel& c) {
                          return procrules::OffsetEntry(fft(c).nOffset, fft(c).nPoints);
                      }));
        ui::ShowEntry(List(IDC_WINDOW), Common<int>(records_, [&](const CfgChannel& c) {
                          return fft(c).iWindow - 1;
                      }));
        ui::ShowCheck(Check(IDC_CENTRE),
                      Common<bool>(records_, [&](const CfgChannel& c) { return fft(c).bMO; }));
        ui::ShowCheck(Check(IDC_DEF_FFT),
                      Common<bool>(records_, [](const CfgChannel& c) { return c.bDefOptFFT; }));
    } else if (defaultsMode_) {
        const CfgFftOpt& d = DefaultFftOpt();
        ui::ShowEntry(List(IDC_BLOCK), procrules::BlockEntry(d.nPoints));
        ui::ShowEntry(List(IDC_OFFSET), procrules::OffsetEntry(d.nOffset, d.nPoints));
        ui::ShowEntry(List(IDC_WINDOW), d.iWindow - 1);
        ui::ShowCheck(Check(IDC_CENTRE), d.bMO);
        ui::ShowCheck(Check(IDC_DEF_FFT), false);
    } else {
        for (int id : {IDC_BLOCK, IDC_OFFSET, IDC_WINDOW}) ui::ShowEntry(List(id), std::nullopt);
        ui::ShowText(Edit(IDC_RESOLUTION), "");
        ui::ShowCheck(Check(IDC_CENTRE), false);
        ui::ShowCheck(Check(IDC_DEF_FFT), false);
    }
    ShowResolution();
    Enable();
}

void CProcItemFFT::Enable() {
    const bool measuring = AllOfType(CfgChannelMeasuring);
    bool own = measuring;
    for (const CfgChannel* r : records_) own = own && !r->bDefOptFFT;
    Check(IDC_DEF_FFT)->setEnabled(measuring);
    const bool edit = own || defaultsMode_;
    for (int id : {IDC_BLOCK, IDC_OFFSET, IDC_WINDOW}) List(id)->setEnabled(edit);
    Check(IDC_CENTRE)->setEnabled(edit);
}

void CProcItemFFT::Apply() {
    const auto block = ui::EntryValue(List(IDC_BLOCK));
    const auto offset = ui::EntryValue(List(IDC_OFFSET));
    const auto window = ui::EntryValue(List(IDC_WINDOW));
    const auto centre = ui::CheckValue(Check(IDC_CENTRE));
    if (HasRecords()) {
        const auto useDefault = ui::CheckValue(Check(IDC_DEF_FFT));
        for (CfgChannel* r : records_) {
            CfgFftOpt& o = r->fftOpt;
            if (block) o.nPoints = procrules::BlockSize(*block);
            if (offset) o.nOffset = procrules::BlockOffset(*offset, o.nPoints);
            if (window) o.iWindow = *window + 1;
            if (centre) o.bMO = *centre;
            if (useDefault) r->bDefOptFFT = *useDefault;
        }
    } else if (defaultsMode_) {
        CfgFftOpt& d = DefaultFftOpt();
        if (block) d.nPoints = procrules::BlockSize(*block);
        d.nOffset = procrules::BlockOffset(offset ? *offset : -1, d.nPoints);
        // No window entry keeps the window; 0 would be no window at all.
        if (window) d.iWindow = *window + 1;
        if (centre) d.bMO = *centre;
    }
}
