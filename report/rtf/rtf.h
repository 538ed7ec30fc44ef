#pragma once
// A small object model for RTF report documents.
//
// A document (rtf::report) is a list of items; an item is a piece of RTF: a
// control word, a text, a table. Tables hold rows, rows hold cells and a cell
// is itself a list of items. Every item writes itself to a byte stream.
//
// Texts given to the model are UTF-8; the document is written in code page
// 1251 (a character 1251 cannot hold becomes "?"). Lengths are in twips.

#include <concepts>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

namespace rtf {

// alignmentswitch kinds
inline constexpr int32_t kAlignLeft = 0;
inline constexpr int32_t kAlignRight = 1;
inline constexpr int32_t kAlignJustify = 2;
inline constexpr int32_t kAlignCenter = 3;

// cell border mask
inline constexpr int32_t kBorderTop = 1;
inline constexpr int32_t kBorderBottom = 2;
inline constexpr int32_t kBorderLeft = 4;
inline constexpr int32_t kBorderRight = 8;
inline constexpr int32_t kBorderAll = 15;

// cell vertical alignment
inline constexpr int32_t kVAlignNone = 0;
inline constexpr int32_t kVAlignTop = 1;
inline constexpr int32_t kVAlignCenter = 2;
inline constexpr int32_t kVAlignBottom = 3;

// cell merge mask
inline constexpr int32_t kMergeFirst = 1;      // first of horizontally merged cells
inline constexpr int32_t kMergePrevious = 2;   // merged with the cell to the left
inline constexpr int32_t kMergeVFirst = 4;     // first of vertically merged cells
inline constexpr int32_t kMergeVPrevious = 8;  // merged with the cell above

// row flags
inline constexpr int32_t kRowHeader = 1;  // repeated at the top of every page
inline constexpr int32_t kRowKeep = 2;    // not split across pages
inline constexpr int32_t kRowRight = 4;   // row right-aligned
inline constexpr int32_t kRowCenter = 8;  // row centred (ignored with kRowRight)

class item {
  public:
    // Returns whether the stream is still good.
    virtual bool write(std::ostream& os) const = 0;
    virtual ~item() = default;
};

// Raw RTF written as it is (no escaping), e.g. a control word.
class term : public item {
  public:
    explicit term(std::string_view text);
    bool write(std::ostream& os) const override;

  private:
    std::string text_;  // code page 1251
};

// Plain text: written after a line break, with "\", "{" and "}" escaped.
class rtfstring : public item {
  public:
    explicit rtfstring(std::string_view text);
    bool write(std::ostream& os) const override;

  private:
    std::string text_;  // code page 1251, escaped
};

class fontsize : public item {
  public:
    explicit fontsize(int32_t points) : points_(points) {}
    bool write(std::ostream& os) const override;

  private:
    int32_t points_;
};

class fontname : public item {
  public:
    explicit fontname(int32_t index) : index_(index) {}
    bool write(std::ostream& os) const override;

  private:
    int32_t index_;
};

class fontbold : public item {
  public:
    explicit fontbold(bool on) : on_(on) {}
    bool write(std::ostream& os) const override;

  private:
    bool on_;
};

class fontitalic : public item {
  public:
    explicit fontitalic(bool on) : on_(on) {}
    bool write(std::ostream& os) const override;

  private:
    bool on_;
};

// Colour index into the document's colour table (0 automatic, 13 blue, ...).
class fontcolor : public item {
  public:
    explicit fontcolor(int32_t index) : index_(index) {}
    bool write(std::ostream& os) const override;

  private:
    int32_t index_;
};

// kAlignLeft, kAlignRight, kAlignJustify or kAlignCenter; any other kind
// writes nothing.
class alignmentswitch : public item {
  public:
    explicit alignmentswitch(int32_t kind) : kind_(kind) {}
    bool write(std::ostream& os) const override;

  private:
    int32_t kind_;
};

class indentswitch : public item {
  public:
    indentswitch(int32_t first, int32_t left, int32_t right)
        : first_(first), left_(left), right_(right) {}
    bool write(std::ostream& os) const override;

  private:
    int32_t first_;
    int32_t left_;
    int32_t right_;
};

// Switches the paper to A4 landscape (for the current section).
class landscape : public item {
  public:
    bool write(std::ostream& os) const override;
};

class itemslist : public item {
  public:
    using manipulator = itemslist& (*)(itemslist&);

    itemslist() = default;
    itemslist(itemslist&&) = default;
    itemslist& operator=(itemslist&&) = default;

    // Writes the items in order and stops at the first failure.
    bool write(std::ostream& os) const override;
    void clear();

    // Appends an item and takes ownership; a null pointer is ignored.
    itemslist& add(std::unique_ptr<item> it);
    // Appends a copy (or the moved value) of an item.
    template <class T>
    requires std::derived_from<std::remove_cvref_t<T>, item> itemslist& add(T&& value) {
        return add(std::make_unique<std::remove_cvref_t<T>>(std::forward<T>(value)));
    }

    itemslist& apply(manipulator m);
    itemslist& apply(const std::function<void(itemslist&)>& f);

    size_t size() const { return items_.size(); }
    bool empty() const { return items_.empty(); }

  private:
    std::vector<std::unique_ptr<item>> items_;
};

// Manipulators: each appends one item and returns the list.
itemslist& par(itemslist& list);          // "\par"
itemslist& bold(itemslist& list);         // bold on
itemslist& italic(itemslist& list);       // italic on
itemslist& colorAuto(itemslist& list);    // colour 0
itemslist& colorBlue(itemslist& list);    // colour 13
itemslist& font0(itemslist& list);        // font 0
itemslist& alignLeft(itemslist& list);    // left-aligned paragraph
itemslist& alignCenter(itemslist& list);  // centred paragraph

// Text functions: append an rtfstring, so texts chain:
//   list << "Дата" << " " << date << rtf::par;
itemslist& operator<<(itemslist& list, const std::string& text);
itemslist& operator<<(itemslist& list, const char* text);  // null appends nothing
inline itemslist& operator<<(itemslist& list, itemslist::manipulator m) {
    return list.apply(m);
}

class cell : public itemslist {
  public:
    cell() = default;
    explicit cell(int32_t width) : width_(width) {}

    // The cell's text: "{", the items, "\cell ", "}".
    bool write(std::ostream& os) const override;
    // The cell's part of the row definition, ending with its right edge.
    bool writeDefinition(std::ostream& os, int64_t rightEdge) const;

    int32_t width() const { return width_; }
    void setWidth(int32_t twips) { width_ = twips; }
    int32_t borders() const { return borders_; }
    void setBorders(int32_t mask) { borders_ = mask; }
    int32_t verticalAlignment() const { return valign_; }
    void setVerticalAlignment(int32_t kind) { valign_ = kind; }
    int32_t mergeMask() const { return merge_; }
    void setMergeMask(int32_t mask) { merge_ = mask; }

  private:
    int32_t width_ = 1200;
    int32_t borders_ = kBorderAll;
    int32_t valign_ = kVAlignNone;
    int32_t merge_ = 0;
};

class row : public item {
  public:
    // n default cells (none for n <= 0).
    explicit row(int32_t n = 0);

    bool write(std::ostream& os) const override;
    void clear();

    row& add(std::unique_ptr<cell> c);  // a null pointer is ignored
    row& add(cell c) { return add(std::make_unique<cell>(std::move(c))); }

    // Null when the index is out of range.
    cell* cellAt(int32_t index);
    const cell* cellAt(int32_t index) const;
    int32_t cellCount() const { return static_cast<int32_t>(cells_.size()); }

    void setCellBorders(int32_t mask);  // on every cell
    int32_t rowFlags() const { return flags_; }
    void setRowFlags(int32_t mask) { flags_ = mask; }
    int32_t rowHeight() const { return height_; }
    void setRowHeight(int32_t twips) { height_ = twips; }
    int32_t rowGap() const { return gap_; }
    void setRowGap(int32_t twips) { gap_ = twips; }

  private:
    std::vector<std::unique_ptr<cell>> cells_;
    int32_t flags_ = 0;
    int32_t height_ = 0;
    int32_t gap_ = 0;
};

class table : public item {
  public:
    table() = default;
    // rows x columns default cells.
    table(int32_t rows, int32_t columns);

    bool write(std::ostream& os) const override;
    void clear();

    table& add(std::unique_ptr<row> r);  // a null pointer is ignored
    table& add(row r) { return add(std::make_unique<row>(std::move(r))); }

    // Null when the index is out of range.
    row* rowAt(int32_t index);
    const row* rowAt(int32_t index) const;
    int32_t rowCount() const { return static_cast<int32_t>(rows_.size()); }

    // Rows too short to have the column are left alone.
    void setColumnWidth(int32_t column, int32_t width);
    void setTableRowFlags(int32_t mask);
    void setAllBorders();
    // Appends an indentswitch to that cell of every row.
    void setColumnIndent(int32_t column, int32_t first, int32_t left, int32_t right);
    void setTableGap(int32_t gap);

  private:
    std::vector<std::unique_ptr<row>> rows_;
};

class report : public itemslist {
  public:
    // The whole document: header, the items, "\par", "}".
    bool write(std::ostream& os) const override;

    // Creates the file with the whole document when it does not exist, or
    // appends the items in front of the closing brace of an existing report.
    // Either way the file is replaced in one step: on failure it is left as
    // it was (or not created).
    bool save(const std::filesystem::path& path) const;
};

}  // namespace rtf
