#pragma once
// The frequency base: sections of folders holding fixed bands, tracking bands
// and tacho items. Nodes own their children; ids are process-unique and never
// leave the process, names are the persistent keys.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

struct json_object;

enum CfgItemType : int32_t {
    CfgItemRoot = 1,
    CfgItemFolder = 2,
    CfgItemTacho = 4,
    CfgItemTrackingBand = 8,
    CfgItemFixedBand = 16,
};

// "Root", "Folder", "Tacho", "Tracking Band", "Fixed Band" or "Unknown".
const char* CfgItemTypeText(int32_t type);

struct CfgBandWidth {
    std::string tachoRef;  // name of the tacho item whose frequency scales the width
    int32_t tachoRefId = -1;
    bool relativeBorders = true;
    bool inFftBins = true;
    double physicalValue = 10.0;
    double percentValue = 3.0;
    int32_t fftBinsValue = 3;

    bool operator==(const CfgBandWidth&) const = default;
};

struct CfgBandComponent {
    std::string tachoRef;
    int32_t tachoRefId = -1;
    double factor = 0.0;

    bool operator==(const CfgBandComponent&) const = default;
};

class CCfgProcFolder;

class CCfgProcItem {
  public:
    virtual ~CCfgProcItem() = default;
    CCfgProcItem(const CCfgProcItem&) = delete;
    CCfgProcItem& operator=(const CCfgProcItem&) = delete;

    // Copies every field of other (id included) when it is of the same kind;
    // folders deep-copy their children. Nothing happens otherwise.
    virtual void CopyFrom(const CCfgProcItem* other) = 0;
    virtual void SetEnabled(bool flag) { enabled = flag; }
    virtual void SetSelected(bool flag) { selected = flag; }
    // Overlay image of the node in the trees: 1 when disabled.
    virtual int GetOverlay() const { return enabled ? 0 : 1; }
    // Reads the node's members from a JSON object; false when the object is
    // missing, has no "Type" or one of another kind.
    virtual bool FromJson(json_object* obj);
    // Adds the node's members to *slot, creating the object when empty.
    virtual bool ToJson(json_object** slot) const;

    int32_t GetType() const { return type; }
    bool IsFolder() const { return type == CfgItemFolder || type == CfgItemRoot; }

    CCfgProcFolder* parent = nullptr;  // not owned; null for a section
    std::string name;
    std::string info;
    int32_t id = 0;
    const int32_t type;
    bool enabled = true;
    bool selected = true;

  protected:
    explicit CCfgProcItem(int32_t kind);
    void CopyCommon(const CCfgProcItem& other);
    // The members every node writes and reads.
    bool CommonToJson(json_object* obj) const;
    bool CommonFromJson(json_object* obj);
};

class CCfgProcFolder : public CCfgProcItem {
  public:
    CCfgProcFolder() : CCfgProcFolder(CfgItemFolder) {}

    void CopyFrom(const CCfgProcItem* other) override;
    void SetEnabled(bool flag) override;
    void SetSelected(bool flag) override;
    bool FromJson(json_object* obj) override;
    bool ToJson(json_object** slot) const override;

    virtual void Clear() { children.clear(); }
    virtual CCfgProcItem* FindById(int32_t id);
    virtual CCfgProcItem* FindByName(const std::string& name);
    virtual bool Remove(const CCfgProcItem* child);

    // Appends a node and makes this folder its parent.
    CCfgProcItem* Append(std::unique_ptr<CCfgProcItem> child);

    std::vector<std::unique_ptr<CCfgProcItem>> children;

  protected:
    explicit CCfgProcFolder(int32_t kind) : CCfgProcItem(kind) {}
};

class CCfgProcSection : public CCfgProcFolder {
  public:
    CCfgProcSection() : CCfgProcFolder(CfgItemRoot) {}

    void CopyFrom(const CCfgProcItem* other) override;
    // Exchange file of the section; a non-empty path replaces the section's own.
    virtual bool LoadFromFile(const std::string& path);
    // Refuses (false, the file untouched, error naming the item) a tree in
    // which an item's name is one the file uses for its folder's own members
    // ("Type", "On", "Info", "strType"; "Name" directly in the section): the
    // item would overwrite that member and the section would read back
    // different or empty.
    virtual bool SaveToFile(const std::string& path, std::string* error = nullptr);

    std::string path;
};

class CCfgProcBandFix : public CCfgProcItem {
  public:
    CCfgProcBandFix() : CCfgProcItem(CfgItemFixedBand) {}
    void CopyFrom(const CCfgProcItem* other) override;
    bool FromJson(json_object* obj) override;
    bool ToJson(json_object** slot) const override;

    bool showByDefault = false;
    double bandStart = 0.0;
    double bandStop = 100.0;
};

class CCfgProcTaho : public CCfgProcItem {
  public:
    CCfgProcTaho() : CCfgProcItem(CfgItemTacho) {}
    void CopyFrom(const CCfgProcItem* other) override;
    bool FromJson(json_object* obj) override;
    bool ToJson(json_object** slot) const override;

    bool showByDefault = false;
    int32_t tachoPin = 0;
    std::string tachoChannel;
    CfgBandWidth bandWidth;
};

class CCfgProcBandTrack : public CCfgProcItem {
  public:
    CCfgProcBandTrack() : CCfgProcItem(CfgItemTrackingBand) {}
    void CopyFrom(const CCfgProcItem* other) override;
    bool FromJson(json_object* obj) override;
    bool ToJson(json_object** slot) const override;

    bool showByDefault = false;
    std::vector<CfgBandComponent> components;
    CfgBandWidth bandWidth;
};

// The first item, in tree order, whose name the exchange file can't hold as
// a member of its folder (see SaveToFile); null when there is none.
const CCfgProcItem* FindReservedName(const CCfgProcFolder& folder);

// A new node of the kind with its defaults, or null for a kind not in the table.
std::unique_ptr<CCfgProcItem> CreateItem(int32_t kind);

// The last id handed out (ids start at 1 and only grow).
int32_t CfgLastItemId();
