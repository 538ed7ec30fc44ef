// Exchange files of sections: exact members, round trips, deep trees, lenient reading.

#include <gtest/gtest.h>
#include <json-c/json.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>

#include "config/cfgitem.h"
#include "test_util.h"
#include "tree_util.h"

namespace fs = std::filesystem;

namespace {

using testutil::ReadBytes;
using testutil::WriteBytes;

class Exchange : public ::testing::Test {
  protected:
    // Writes the text as a file of the folder and returns its path.
    std::string Write(const std::string& name, const std::string& text) const {
        WriteBytes(dir_.Path(name), text);
        return dir_.Path(name);
    }

    testutil::TempDir dir_{"exchange"};
};

TEST_F(Exchange, FixedBandFileHasExactMembersInOrder) {
    CCfgProcSection s;
    s.name = "S";
    auto* f1 = Add<CCfgProcBandFix>(s, "F1");
    f1->bandStart = 10;
    f1->bandStop = 20;
    ASSERT_TRUE(s.SaveToFile(dir_.Path("s.json")));
    EXPECT_EQ(s.path, dir_.Path("s.json"));
    EXPECT_EQ(ReadBytes(dir_.Path("s.json")),
              "{\n"
              "  \"Name\": \"S\",\n"
              "  \"strType\": \"Root\",\n"
              "  \"Type\": 1,\n"
              "  \"On\": true,\n"
              "  \"F1\": {\n"
              "    \"strType\": \"Fixed Band\",\n"
              "    \"Type\": 16,\n"
              "    \"On\": true,\n"
              "    \"Show By Default\": false,\n"
              "    \"BandStart\": 10.0,\n"
              "    \"BandStop\": 20.0\n"
              "  }\n"
              "}");
    EXPECT_EQ(dir_.FileCount(), 1u);
}

TEST_F(Exchange, WholeSectionRoundTrip) {
    CCfgProcSection s;
    s.name = "Редуктор";
    s.info = "ступень 1";
    auto* shaft = Add<CCfgProcFolder>(s, "Вал");
    shaft->enabled = false;
    auto* tacho = Add<CCfgProcTaho>(*shaft, "Ротор");
    tacho->tachoChannel = "Обороты";
    tacho->tachoPin = 3;
    tacho->showByDefault = true;
    tacho->bandWidth = {"Ротор", 77, false, true, 2.5, 1.25, 8};
    auto* track = Add<CCfgProcBandTrack>(*shaft, "Зацепление");
    track->components = {{"Ротор", 77, 23.0}, {"Other", -1, 0.5}};
    auto* empty = Add<CCfgProcBandTrack>(s, "Empty");
    auto* fix = Add<CCfgProcBandFix>(s, "F");
    fix->bandStart = 0.1;
    fix->bandStop = 1e6;
    fix->info = std::string(5000, 'x');  // long texts are kept whole
    ASSERT_TRUE(s.SaveToFile(dir_.Path("s.json")));

    std::string text = ReadBytes(dir_.Path("s.json"));
    EXPECT_NE(text.find("\"Вал\": {"), std::string::npos);  // UTF-8 as is, not escaped
    EXPECT_EQ(text.find("tachoRefId"), std::string::npos);

    CCfgProcSection r;
    ASSERT_TRUE(r.LoadFromFile(dir_.Path("s.json")));
    EXPECT_EQ(r.name, "Редуктор");
    EXPECT_EQ(r.info, "ступень 1");
    ASSERT_EQ(r.children.size(), 3u);
    auto* rShaft = dynamic_cast<CCfgProcFolder*>(r.children[0].get());
    ASSERT_TRUE(rShaft);
    EXPECT_EQ(rShaft->name, "Вал");
    EXPECT_EQ(rShaft->parent, &r);
    EXPECT_FALSE(rShaft->enabled);
    ASSERT_EQ(rShaft->children.size(), 2u);
    auto* rTacho = dynamic_cast<CCfgProcTaho*>(rShaft->children[0].get());
    ASSERT_TRUE(rTacho);
    EXPECT_NE(rTacho->id, tacho->id);
    EXPECT_EQ(rTacho->tachoChannel, "Обороты");
    EXPECT_EQ(rTacho->tachoPin, 3);
    EXPECT_TRUE(rTacho->showByDefault);
    CfgBandWidth expected = tacho->bandWidth;
    expected.tachoRefId = -1;  // ids are never stored
    EXPECT_EQ(rTacho->bandWidth, expected);
    auto* rTrack = dynamic_cast<CCfgProcBandTrack*>(rShaft->children[1].get());
    ASSERT_TRUE(rTrack);
    EXPECT_EQ(rTrack->components,
              (std::vector<CfgBandComponent>{{"Ротор", -1, 23.0}, {"Other", -1, 0.5}}));
    auto* rEmpty = dynamic_cast<CCfgProcBandTrack*>(r.children[1].get());
    ASSERT_TRUE(rEmpty);
    EXPECT_TRUE(rEmpty->components.empty());
    EXPECT_EQ(rEmpty->bandWidth, empty->bandWidth);
    auto* rFix = dynamic_cast<CCfgProcBandFix*>(r.children[2].get());
    ASSERT_TRUE(rFix);
    EXPECT_EQ(rFix->bandStart, 0.1);
    EXPECT_EQ(rFix->bandStop, 1e6);
    EXPECT_EQ(rFix->info, fix->info);
}

TEST_F(Exchange, DeepFolderTreesReadBack) {
    CCfgProcSection s;
    CCfgProcFolder* f = &s;
    for (int i = 0; i < 60; ++i) f = Add<CCfgProcFolder>(*f, "L" + std::to_string(i));
    Add<CCfgProcBandTrack>(*f, "deep")->components = {{"T", -1, 1.0}};
    ASSERT_TRUE(s.SaveToFile(dir_.Path("deep.json")));
    CCfgProcSection r;
    ASSERT_TRUE(r.LoadFromFile(dir_.Path("deep.json")));
    auto* deep = dynamic_cast<CCfgProcBandTrack*>(r.FindByName("deep"));
    ASSERT_TRUE(deep);
    EXPECT_EQ(deep->components.size(), 1u);
}

TEST_F(Exchange, HandWrittenFilesLoadLeniently) {
    // Unknown kinds and non-object members are skipped; odd components are kept.
    std::string path = Write("odd.json",
                             "\xEF\xBB\xBF{ \"Name\": \"Hand\", \"Type\": 1, \"extra\": 5,"
                             "  \"X\": { \"Type\": 3 },"
                             "  \"Bad\": { \"Type\": \"16\", \"BandStop\": \"55\" },"
                             "  \"Tr\": { \"Type\": 8, \"Components\": [ 7, null, "
                             "            { \"Factor\": 2 } ] },"
                             "  \"Tr2\": { \"Type\": 8, \"Components\": 3 },"
                             "  \"F\": { \"Type\": 16, \"On\": false } }");
    CCfgProcSection s;
    ASSERT_TRUE(s.LoadFromFile(path));
    EXPECT_EQ(s.name, "Hand");
    ASSERT_EQ(s.children.size(), 4u);
    auto* bad = dynamic_cast<CCfgProcBandFix*>(s.children[0].get());
    ASSERT_TRUE(bad);
    EXPECT_EQ(bad->bandStop, 55.0);
    EXPECT_EQ(bad->bandStart, 0.0);  // absent: the new band's border stays
    auto* tr = dynamic_cast<CCfgProcBandTrack*>(s.children[1].get());
    ASSERT_TRUE(tr);
    EXPECT_EQ(tr->components, (std::vector<CfgBandComponent>{{"", -1, 0.0}, {"", -1, 2.0}}));
    EXPECT_TRUE(static_cast<CCfgProcBandTrack*>(s.children[2].get())->components.empty());
    EXPECT_FALSE(s.children[3]->enabled);
    EXPECT_TRUE(s.children[3]->info.empty());

    // A top object of another kind loads as an empty section, name kept.
    s.path.clear();
    ASSERT_TRUE(
        s.LoadFromFile(Write("folder.json", R"({"Name": "N", "Type": 2, "F": {"Type": 16}})")));
    EXPECT_EQ(s.name, "N");
    EXPECT_TRUE(s.children.empty());

    // A single band read on its own keeps fields the object lacks.
    CCfgProcBandFix band;
    band.bandStart = 5;
    json_object* obj = json_tokener_parse(R"({"Type": 16, "BandStop": 9})");
    EXPECT_TRUE(band.FromJson(obj));
    EXPECT_EQ(band.bandStart, 5.0);
    EXPECT_EQ(band.bandStop, 9.0);
    EXPECT_FALSE(CCfgProcTaho().FromJson(obj));  // another kind
    EXPECT_FALSE(band.FromJson(nullptr));
    json_object_put(obj);
}

TEST_F(Exchange, ItemsNamedLikeTheFilesOwnMembersAreRefusedAndTheOldFileKept) {
    CCfgProcSection s;
    s.name = "S";
    auto* folder = Add<CCfgProcFolder>(s, "Подшипник");
    Add<CCfgProcBandFix>(*folder, "Наружное кольцо");
    Add<CCfgProcBandFix>(*folder, "Name");  // no "Name" member inside a folder
    ASSERT_TRUE(s.SaveToFile(dir_.Path("t.json")));
    const std::string before = ReadBytes(dir_.Path("t.json"));

    for (const char* key : {"Type", "On", "Info", "strType"}) {
        for (CCfgProcFolder* where : {static_cast<CCfgProcFolder*>(&s), folder}) {
            CCfgProcItem* bad = Add<CCfgProcBandFix>(*where, key);
            std::string error;
            EXPECT_FALSE(s.SaveToFile("", &error)) << key;
            EXPECT_NE(error.find(std::string("\"") + key + "\""), std::string::npos) << error;
            EXPECT_EQ(FindReservedName(s), bad);
            where->Remove(bad);
        }
    }
    Add<CCfgProcBandFix>(s, "Name");
    EXPECT_FALSE(s.SaveToFile(""));
    EXPECT_EQ(ReadBytes(dir_.Path("t.json")), before);

    // What was saved reads back whole.
    CCfgProcSection r;
    ASSERT_TRUE(r.LoadFromFile(dir_.Path("t.json")));
    ASSERT_EQ(r.children.size(), 1u);
    auto* back = dynamic_cast<CCfgProcFolder*>(r.children[0].get());
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->children.size(), 2u);
    EXPECT_EQ(back->children[1]->name, "Name");

    // Two children of one name collapse into one member: the later one.
    CCfgProcSection d;
    Add<CCfgProcBandFix>(d, "Dup")->bandStart = 1;
    Add<CCfgProcBandFix>(d, "Dup")->bandStart = 2;
    ASSERT_TRUE(d.SaveToFile(dir_.Path("d.json")));
    ASSERT_TRUE(r.LoadFromFile(dir_.Path("d.json")));
    ASSERT_EQ(r.children.size(), 1u);
    EXPECT_EQ(static_cast<CCfgProcBandFix*>(r.children[0].get())->bandStart, 2.0);
}

TEST_F(Exchange, DevicesAreNoExchangeFiles) {
    CCfgProcSection s;
    if (!fs::exists("/dev/zero")) GTEST_SKIP() << "no /dev/zero";
    EXPECT_FALSE(s.LoadFromFile("/dev/zero"));  // refused at once, not read until memory ends
}

TEST_F(Exchange, BadFilesLoadNothing) {
    CCfgProcSection s;
    s.name = "Keep";
    Add<CCfgProcBandFix>(s, "F");
    const char* bad[] = {"not json", "",         "{\"Name\": \"X\", \"Type\": 1",
                         "[1, 2]",   "\"text\"", "null"};
    int i = 0;
    for (const char* text : bad) {
        std::string path = Write("bad" + std::to_string(i++) + ".json", text);
        EXPECT_FALSE(s.LoadFromFile(path)) << text;
        EXPECT_EQ(s.path, path);
        EXPECT_EQ(s.name, "Keep");
        EXPECT_EQ(s.children.size(), 1u);
    }
    EXPECT_FALSE(s.LoadFromFile(dir_.Path("missing.json")));
    EXPECT_EQ(s.children.size(), 1u);
    CCfgProcSection unbound;
    EXPECT_FALSE(unbound.LoadFromFile(""));
    EXPECT_FALSE(unbound.SaveToFile(""));
}

TEST_F(Exchange, FailedSaveKeepsTheOldFile) {
    CCfgProcSection s;
    s.name = "S";
    ASSERT_TRUE(s.SaveToFile(dir_.Path("s.json")));
    const std::string before = ReadBytes(dir_.Path("s.json"));

    EXPECT_FALSE(s.SaveToFile(dir_.Path("no-such-dir/s.json")));

    // Make the write itself fail half-way through: a file-size limit works
    // even when the tests run as root.
    for (int i = 0; i < 50; ++i) Add<CCfgProcBandFix>(s, "Band " + std::to_string(i));
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 256;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool saved = s.SaveToFile(dir_.Path("s.json"));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_FALSE(saved);
    EXPECT_EQ(ReadBytes(dir_.Path("s.json")), before);
    EXPECT_EQ(dir_.FileCount(), 1u);  // no temporary file left behind

    // Saving through a symbolic link updates the file it leads to.
    fs::create_symlink(dir_.Path("s.json"), dir_.Path("link.json"));
    ASSERT_TRUE(s.SaveToFile(dir_.Path("link.json")));
    EXPECT_TRUE(fs::is_symlink(dir_.Path("link.json")));
    EXPECT_NE(ReadBytes(dir_.Path("s.json")).find("\"Band 49\""), std::string::npos);
    EXPECT_EQ(dir_.FileCount(), 2u);
}

}  // namespace
