// The language libraries: which one the plug-in takes at load, and that the
// English set carries every text of the own module.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "korvex/host.h"
#include "korvex/plugin.h"
#include "korvex/plugins.h"
#include "platform/registry.h"
#include "shell/plugin/module.h"
#include "test_util.h"
#include "ui/res/en/english.h"
#include "ui/res/ids.h"
#include "ui/res/own_module.h"
#include "ui/res/reslib.h"

namespace fs = std::filesystem;
namespace reg = plat::reg;

namespace {

bool HasNonAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return true;
    return false;
}

class Languages : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("VANTREL_DATA_DIR", (dir_.path() / "data").c_str(), 1);
        const std::string cmd = std::string("'") + KVX_REGSVR + "' -s '" + VANTREL_PLUGIN + "'";
        ASSERT_EQ(std::system(cmd.c_str()), 0);
    }
    void TearDown() override { ::unsetenv("VANTREL_DATA_DIR"); }

    // A copy of the plug-in in its own folder with the given libraries
    // beside it (each under the name it takes there).
    std::string Arrange(const std::string& tag,
                        const std::vector<std::pair<std::string, std::string>>& beside) {
        const fs::path folder = dir_.path() / tag;
        fs::create_directories(folder);
        fs::copy_file(VANTREL_PLUGIN, folder / "libplgVantrel.so");
        for (const auto& [from, name] : beside) fs::copy_file(from, folder / name);
        return (folder / "libplgVantrel.so").string();
    }
    // The button texts the plug-in at library shows in a host.
    static std::vector<std::string> Buttons(const std::string& library) {
        auto host = korvex::CreateHost();
        korvex::PluginManager pm(*host);
        reg::Registry r;
        EXPECT_TRUE(r.Load(reg::DefaultRegistryPath()));
        std::string message;
        EXPECT_TRUE(pm.Load({library, "plgVantrel.Vantrel"}, r, message)) << message;
        std::vector<std::string> texts;
        for (const auto& b : host->Buttons()) texts.push_back(b.text);
        return texts;
    }

    testutil::TempDir dir_{"plugin-lang"};
};

const std::string kEnuName = "plgVantrel_ENU.so", kLocName = "plgVantrel_LOC.so";
const std::vector<std::string> kRussian = {"Vantrel\nVantrel", "Отчет\nПоказать таблицу с отчетом",
                                           "Добавить точку в отчет\nДобавить точку в отчет",
                                           "Тренд по сводке\nПоказать тренд полосы по сводной "
                                           "таблице замеров"};
const std::vector<std::string> kEnglish = {"Vantrel\nVantrel", "Report\nShow the report table",
                                           "Add a point to the report\nAdd a point to the report",
                                           "Trend from summary\nShow a band's trend from a "
                                           "summary of recordings"};

}  // namespace

TEST_F(Languages, TheHostShowsTheTextsOfTheLibraryTheArrangementOffers) {
    EXPECT_EQ(Buttons(Arrange("own", {})), kRussian);
    EXPECT_EQ(Buttons(Arrange("enu", {{VANTREL_LANG_ENU, kEnuName}})), kEnglish);
    // ENU wins over LOC.
    EXPECT_EQ(
        Buttons(Arrange("both", {{VANTREL_LANG_ENU, kEnuName}, {VANTREL_LANG_TESTLOC, kLocName}})),
        kEnglish);
    // LOC alone: its texts, and the own ones for what it lacks.
    EXPECT_EQ(Buttons(Arrange("loc", {{VANTREL_LANG_TESTLOC, kLocName}})),
              (std::vector<std::string>{kRussian[0], "LOC report\nLOC tooltip", kRussian[2],
                                        kRussian[3]}));
    // A library of that name without the entry point counts as missing.
    EXPECT_EQ(Buttons(Arrange("broken",
                              {{VANTREL_PLUGIN, kEnuName}, {VANTREL_LANG_TESTLOC, kLocName}}))[1],
              "LOC report\nLOC tooltip");
}

TEST_F(Languages, ApplicationObjectInstallsAndReleasesTheLibrary) {
    const std::string lib = Arrange("app", {{VANTREL_LANG_ENU, kEnuName}});
    vantrel::CplgVantrelApp app;
    EXPECT_EQ(app.InitInstance(lib), fs::path(lib).parent_path() / kEnuName);
    EXPECT_TRUE(app.resourceLibrary());
    EXPECT_EQ(res::Str(res::IDS_ERROR), "Error!");
    EXPECT_EQ(res::Dialog(res::IDD_MAIN)->Find(res::IDC_CALC)->text, "Calculate");
    app.ExitInstance();
    EXPECT_FALSE(app.resourceLibrary());
    EXPECT_EQ(res::Str(res::IDS_ERROR), "Ошибка!");
    EXPECT_EQ(app.InitInstance(dir_.Path("nowhere/libplgVantrel.so")), "");
    EXPECT_EQ(res::Str(res::IDS_ERROR), "Ошибка!");
}

TEST(LanguageSets, EnglishCarriesEveryIdOfTheOwnModuleInEnglish) {
    const res::TableModule en = res::EnglishModule();
    const std::map<int, std::string> own = res::OwnStrings();
    // Host object names stay as the host knows them.
    const std::set<int> hostNames = {res::IDS_RESULTS_ROOT, res::IDS_TACHO_FOLDER,
                                     res::IDS_ALG_SPECTRUM, res::IDS_ALG_TACHO};
    EXPECT_EQ(en.strings.size(), own.size());
    for (const auto& [id, text] : own) {
        const std::string* e = en.String(id);
        ASSERT_TRUE(e) << "string " << id;
        if (hostNames.count(id)) {
            EXPECT_EQ(*e, text) << id;
        } else {
            EXPECT_FALSE(HasNonAscii(*e)) << id << ": " << *e;
            // The same conversions in the same order, so Format fills them alike.
            auto conversions = [](const std::string& s) {
                std::string c;
                for (size_t i = 0; i + 1 < s.size(); ++i)
                    if (s[i] == '%') c += s[++i];
                return c;
            };
            EXPECT_EQ(conversions(*e), conversions(text)) << id;
        }
    }
    const res::Module& ownModule = res::OwnModule();
    ASSERT_EQ(en.dialogs.size(),
              res::OwnDialogs().size() + res::FreqItemDialogs().size() + res::KinDialogs().size());
    for (const auto& [id, d] : en.dialogs) {
        const res::DialogTemplate* o = ownModule.Dialog(id);
        ASSERT_TRUE(o) << id;
        EXPECT_FALSE(HasNonAscii(d.caption)) << id << ": " << d.caption;
        ASSERT_EQ(d.controls.size(), o->controls.size()) << id;
        for (size_t i = 0; i < d.controls.size(); ++i) {
            EXPECT_EQ(d.controls[i].id, o->controls[i].id);
            EXPECT_EQ(d.controls[i].rect.w, o->controls[i].rect.w);
            EXPECT_FALSE(HasNonAscii(d.controls[i].text)) << id << ": " << d.controls[i].text;
        }
    }
    const res::Menu* menu = en.FindMenu(res::IDR_MAIN_MENU);
    ASSERT_TRUE(menu);
    std::function<void(const std::vector<res::MenuItem>&)> check = [&](const auto& items) {
        for (const res::MenuItem& item : items) {
            EXPECT_FALSE(HasNonAscii(item.text)) << item.text;
            check(item.items);
        }
    };
    check(menu->items);
    ASSERT_EQ(menu->items.size(), 2u);
    EXPECT_EQ(menu->items[0].text, "File");
}

TEST(LanguageSets, LocalLibraryCarriesTheOwnTexts) {
    void* lib = ::dlopen(VANTREL_LANG_LOC, RTLD_NOW | RTLD_LOCAL);
    ASSERT_TRUE(lib) << ::dlerror();
    auto entry = reinterpret_cast<res::ResourceEntry>(::dlsym(lib, res::kResourceEntry));
    ASSERT_TRUE(entry);
    EXPECT_FALSE(entry(res::kResourceAbi + 1));  // another interface version
    const res::Module* m = entry(res::kResourceAbi);
    ASSERT_TRUE(m);
    for (const auto& [id, text] : res::OwnStrings()) EXPECT_EQ(*m->String(id), text);
    ::dlclose(lib);
}
