// The RTF items written out: control words, escaped cp1251 text, fonts, rows and cells.

#include "report/rtf/rtf.h"

#include <charconv>

#include "platform/text.h"

namespace rtf {

namespace {

void Put(std::ostream& os, std::string_view s) {
    os.write(s.data(), static_cast<std::streamsize>(s.size()));
}

// Plain decimal whatever locale the stream carries: RTF readers take no
// digit grouping.
void PutNum(std::ostream& os, int64_t n) {
    char buf[24];
    auto res = std::to_chars(buf, buf + sizeof buf, n);
    os.write(buf, res.ptr - buf);
}

void PutWord(std::ostream& os, std::string_view word, int64_t n) {
    Put(os, word);
    PutNum(os, n);
}

}  // namespace

// ---- leaf items ----

term::term(std::string_view text) : text_(plat::Utf8ToCp1251(text)) {}

bool term::write(std::ostream& os) const {
    Put(os, text_);
    return os.good();
}

rtfstring::rtfstring(std::string_view text) {
    std::string cp = plat::Utf8ToCp1251(text);
    text_.reserve(cp.size() + 8);
    for (char c : cp) {
        if (c == '\\' || c == '{' || c == '}') text_ += '\\';
        text_ += c;
    }
}

bool rtfstring::write(std::ostream& os) const {
    // The line break ends a control word written just before the text.
    os.put('\n');
    Put(os, text_);
    return os.good();
}

bool fontsize::write(std::ostream& os) const {
    PutWord(os, "\\fs", 2 * static_cast<int64_t>(points_));
    return os.good();
}

bool fontname::write(std::ostream& os) const {
    PutWord(os, "\\f", index_);
    return os.good();
}

bool fontbold::write(std::ostream& os) const {
    Put(os, on_ ? "\\b" : "\\b0");
    return os.good();
}

bool fontitalic::write(std::ostream& os) const {
    Put(os, on_ ? "\\i" : "\\i0");
    return os.good();
}

bool fontcolor::write(std::ostream& os) const {
    PutWord(os, "\\cf", index_);
    return os.good();
}

bool alignmentswitch::write(std::ostream& os) const {
    switch (kind_) {
        case kAlignLeft:
            Put(os, "\\ql");
            break;
        case kAlignRight:
            Put(os, "\\qr");
            break;
        case kAlignJustify:
            Put(os, "\\qj");
            break;
        case kAlignCenter:
            Put(os, "\\qc");
            break;
        default:
            break;
    }
    return os.good();
}

bool indentswitch::write(std::ostream& os) const {
    PutWord(os, "\\fi", first_);
    PutWord(os, "\\li", left_);
    PutWord(os, "\\ri", right_);
    return os.good();
}

bool landscape::write(std::ostream& os) const {
    Put(os, "\\landscape\\paperw16840\\paperh11907\\psz9");
    return os.good();
}

// ---- lists ----

bool itemslist::write(std::ostream& os) const {
    for (const auto& it : items_)
        if (!it->write(os)) return false;
    return os.good();
}

void itemslist::clear() {
    items_.clear();
}

itemslist& itemslist::add(std::unique_ptr<item> it) {
    if (it) items_.push_back(std::move(it));
    return *this;
}

itemslist& itemslist::apply(manipulator m) {
    return m ? m(*this) : *this;
}

itemslist& itemslist::apply(const std::function<void(itemslist&)>& f) {
    if (f) f(*this);
    return *this;
}

itemslist& par(itemslist& list) {
    return list.add(term("\\par"));
}
itemslist& bold(itemslist& list) {
    return list.add(fontbold(true));
}
itemslist& italic(itemslist& list) {
    return list.add(fontitalic(true));
}
itemslist& colorAuto(itemslist& list) {
    return list.add(fontcolor(0));
}
itemslist& colorBlue(itemslist& list) {
    return list.add(fontcolor(13));
}
itemslist& font0(itemslist& list) {
    return list.add(fontname(0));
}
itemslist& alignLeft(itemslist& list) {
    return list.add(alignmentswitch(kAlignLeft));
}
itemslist& alignCenter(itemslist& list) {
    return list.add(alignmentswitch(kAlignCenter));
}

itemslist& operator<<(itemslist& list, const std::string& text) {
    return list.add(rtfstring(text));
}

itemslist& operator<<(itemslist& list, const char* text) {
    return text ? list.add(rtfstring(text)) : list;
}

// ---- tables ----

bool cell::write(std::ostream& os) const {
    os.put('{');
    if (!itemslist::write(os)) return false;
    Put(os, "\\cell }");
    return os.good();
}

bool cell::writeDefinition(std::ostream& os, int64_t rightEdge) const {
    switch (valign_) {
        case kVAlignTop:
            Put(os, "\\clvertalt");
            break;
        case kVAlignCenter:
            Put(os, "\\clvertalc");
            break;
        case kVAlignBottom:
            Put(os, "\\clvertalb");
            break;
        default:
            break;
    }
    if (borders_ & kBorderTop) Put(os, "\\clbrdrt\\brdrs\\brdrw10");
    if (borders_ & kBorderBottom) Put(os, "\\clbrdrb\\brdrs\\brdrw10");
    if (borders_ & kBorderLeft) Put(os, "\\clbrdrl\\brdrs\\brdrw10");
    if (borders_ & kBorderRight) Put(os, "\\clbrdrr\\brdrs\\brdrw10");
    if (merge_ & kMergeFirst) Put(os, "\\clmgf");
    if (merge_ & kMergePrevious) Put(os, "\\clmrg");
    if (merge_ & kMergeVFirst) Put(os, "\\clvmgf");
    if (merge_ & kMergeVPrevious) Put(os, "\\clvmrg");
    PutWord(os, "\\cltxlrtb\\clshdrawnil\\cellx", rightEdge);
    return os.good();
}

row::row(int32_t n) {
    for (int32_t i = 0; i < n; ++i) cells_.push_back(std::make_unique<cell>());
}

bool row::write(std::ostream& os) const {
    Put(os, "{\\trowd\\trgaph");
    if (gap_ != 0) {
        // The row starts the gap to the left of the margin. Written as the
        // negated value so that a negative gap still gives a valid number.
        PutNum(os, gap_);
        PutWord(os, "\\trleft", -static_cast<int64_t>(gap_));
    }
    if (flags_ & kRowRight)
        Put(os, "\\trqr");
    else if (flags_ & kRowCenter)
        Put(os, "\\trqc");
    if (height_ != 0) PutWord(os, "\\trrh", height_);
    if (flags_ & kRowHeader) Put(os, "\\trhdr");
    if (flags_ & kRowKeep) Put(os, "\\trkeep");

    int64_t edge = 0;
    for (const auto& c : cells_) {
        edge += c->width();
        if (!c->writeDefinition(os, edge)) return false;
    }
    Put(os, "\\pard\\ql\\intbl");
    for (const auto& c : cells_)
        if (!c->write(os)) return false;
    Put(os, "\\row}");
    return os.good();
}

void row::clear() {
    cells_.clear();
}

row& row::add(std::unique_ptr<cell> c) {
    if (c) cells_.push_back(std::move(c));
    return *this;
}

cell* row::cellAt(int32_t index) {
    return index >= 0 && index < cellCount() ? cells_[static_cast<size_t>(index)].get() : nullptr;
}

const cell* row::cellAt(int32_t index) const {
    return index >= 0 && index < cellCount() ? cells_[static_cast<size_t>(index)].get() : nullptr;
}

void row::setCellBorders(int32_t mask) {
    for (auto& c : cells_) c->setBorders(mask);
}

table::table(int32_t rows, int32_t columns) {
    for (int32_t i = 0; i < rows; ++i) rows_.push_back(std::make_unique<row>(columns));
}

bool table::write(std::ostream& os) const {
    Put(os, "\\par\\pard");
    for (const auto& r : rows_)
        if (!r->write(os)) return false;
    return os.good();
}

void table::clear() {
    rows_.clear();
}

table& table::add(std::unique_ptr<row> r) {
    if (r) rows_.push_back(std::move(r));
    return *this;
}

row* table::rowAt(int32_t index) {
    return index >= 0 && index < rowCount() ? rows_[static_cast<size_t>(index)].get() : nullptr;
}

const row* table::rowAt(int32_t index) const {
    return index >= 0 && index < rowCount() ? rows_[static_cast<size_t>(index)].get() : nullptr;
}

void table::setColumnWidth(int32_t column, int32_t width) {
    for (auto& r : rows_)
        if (cell* c = r->cellAt(column)) c->setWidth(width);
}

void table::setTableRowFlags(int32_t mask) {
    for (auto& r : rows_) r->setRowFlags(mask);
}

void table::setAllBorders() {
    for (auto& r : rows_) r->setCellBorders(kBorderAll);
}

void table::setColumnIndent(int32_t column, int32_t first, int32_t left, int32_t right) {
    for (auto& r : rows_)
        if (cell* c = r->cellAt(column)) c->add(indentswitch(first, left, right));
}

void table::setTableGap(int32_t gap) {
    for (auto& r : rows_) r->setRowGap(gap);
}

}  // namespace rtf
