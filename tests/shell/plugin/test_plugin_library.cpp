// The plug-in library in a host: registration, loading, per-user installs, commands.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "korvex/host.h"
#include "korvex/plugin.h"
#include "korvex/plugins.h"
#include "platform/registry.h"
#include "shell/plugin/module.h"
#include "shell/plugin/registration.h"
#include "shell/plugin/vantrel.h"
#include "test_util.h"

#if defined(__SANITIZE_ADDRESS__)
// These tests load plug-in libraries and unload them again; what a library
// leaves behind can no longer be attributed then. The other checks stay on.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0";
}
#endif

namespace fs = std::filesystem;
namespace reg = plat::reg;
using vantrel::Command;

namespace {

class PluginLibrary : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("VANTREL_DATA_DIR", dir_.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("VANTREL_DATA_DIR"); }

    static int RegSvr(const std::string& args, const std::string& lib) {
        const std::string cmd = std::string("'") + KVX_REGSVR + "' -s " + args + " '" + lib + "'";
        const int rc = std::system(cmd.c_str());
        return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    }
    static reg::Registry Registry() {
        reg::Registry r;
        EXPECT_TRUE(r.Load(reg::DefaultRegistryPath()));
        return r;
    }
    static std::string Library() { return fs::canonical(VANTREL_PLUGIN).string(); }

    testutil::TempDir dir_{"plugin-library"};
};

const std::string kClsid = plat::GuidToString(vantrel::CLSID_Vantrel);

}  // namespace

TEST_F(PluginLibrary, RegistersLoadsInTheHostAndUnregistersTwice) {
    const std::string lib = Library();
    ASSERT_EQ(RegSvr("", lib), 0);
    {
        const reg::Registry r = Registry();
        EXPECT_EQ(r.GetString(reg::Root::LocalMachine, korvex::kPluginsKey, lib),
                  "plgVantrel.Vantrel");
        EXPECT_EQ(r.GetString(reg::Root::ClassesRoot, "CLSID\\" + kClsid, ""), "Vantrel Class");
        EXPECT_EQ(r.GetString(reg::Root::ClassesRoot, "CLSID\\" + kClsid + "\\InprocServer32",
                              "ThreadingModel"),
                  "Apartment");
        EXPECT_EQ(r.GetString(reg::Root::ClassesRoot, "plgVantrel.Vantrel\\CurVer", ""),
                  "plgVantrel.Vantrel.1");
        EXPECT_EQ(r.GetString(reg::Root::ClassesRoot, "AppID\\plgVantrel.DLL", "AppID"),
                  plat::GuidToString(vantrel::APPID_plgVantrel));
        const std::string tlb = "TypeLib\\" + plat::GuidToString(vantrel::LIBID_plgVantrelLib);
        EXPECT_EQ(r.GetString(reg::Root::ClassesRoot, tlb + "\\1.0", ""),
                  "plgVantrel 1.0 Type Library");
        EXPECT_EQ(r.GetString(reg::Root::ClassesRoot, tlb + "\\1.0\\0\\linux", ""), lib);
        EXPECT_EQ(reg::InprocServerOf(r, *reg::ClassIdOfProgId(r, "plgVantrel.Vantrel")), lib);
    }

    auto host = korvex::CreateHost();
    {
        korvex::PluginManager pm(*host);
        std::vector<std::string> log;
        ASSERT_EQ(pm.LoadRegistered(Registry(), log), 1) << (log.empty() ? "" : log[0]);
        const auto plugins = host->Plugins();
        ASSERT_EQ(plugins.size(), 1u);
        EXPECT_EQ(plugins[0].name, "Vantrel");
        const auto buttons = host->Buttons();
        ASSERT_EQ(buttons.size(), 4u);
        EXPECT_EQ(buttons[0].text, "Vantrel\nVantrel");
        EXPECT_EQ(buttons[1].text, "Отчет\nПоказать таблицу с отчетом");
        EXPECT_EQ(buttons[2].text, "Добавить точку в отчет\nДобавить точку в отчет");
        EXPECT_EQ(buttons[3].text,
                  "Тренд по сводке\nПоказать тренд полосы по сводной таблице замеров");
        for (const auto& b : buttons) {
            const auto* bmp = reinterpret_cast<const korvex::ButtonBitmap*>(b.bitmap);
            ASSERT_TRUE(bmp);
            EXPECT_EQ(bmp->width, 16);
            EXPECT_EQ(bmp->height, 16);
        }
        EXPECT_TRUE(host->PressButton(buttons[1].command));
        host->NotifyPlugins(0x2FFFF);
    }
    // Shut-down made the data folder and saved the settings there.
    EXPECT_TRUE(fs::exists(dir_.Path("plgVantrel.cfg")));

    EXPECT_EQ(RegSvr("-u", lib), 0);
    EXPECT_EQ(RegSvr("-u", lib), 0);
    const reg::Registry r = Registry();
    EXPECT_TRUE(korvex::RegisteredPlugins(r).empty());
    EXPECT_FALSE(reg::ClassIdOfProgId(r, "plgVantrel.Vantrel"));
    EXPECT_TRUE(r.KeyExists(reg::Root::ClassesRoot, "CLSID"));
    EXPECT_TRUE(r.KeyExists(reg::Root::ClassesRoot, "AppID"));
}

TEST_F(PluginLibrary, PerUserInstallAndLongPaths) {
    const std::string lib = Library();
    ASSERT_EQ(RegSvr("-i:USER", lib), 0);
    reg::Registry r = Registry();
    EXPECT_TRUE(r.KeyExists(reg::Root::CurrentUser, "Software\\Classes\\plgVantrel.Vantrel.1"));
    EXPECT_FALSE(r.KeyExists(reg::Root::ClassesRoot, "plgVantrel.Vantrel.1"));
    // The discovery value stays the machine's.
    EXPECT_TRUE(r.GetString(reg::Root::LocalMachine, korvex::kPluginsKey, lib));
    ASSERT_EQ(RegSvr("-u -i:user", lib), 0);
    EXPECT_FALSE(reg::ClassIdOfProgId(Registry(), "plgVantrel.Vantrel"));
    ASSERT_EQ(RegSvr("-i:users", lib), 0);
    EXPECT_TRUE(Registry().KeyExists(reg::Root::ClassesRoot, "plgVantrel.Vantrel.1"));
    ASSERT_EQ(RegSvr("-u", lib), 0);

    // A copy whose full path is 260 characters or more: class, no discovery.
    std::string deep = dir_.path().string();
    while (deep.size() < 280) deep += "/abcdefghijklmnopqrstuvwxyz";
    fs::create_directories(deep);
    const std::string copy = deep + "/libplgVantrel.so";
    fs::copy_file(lib, copy);
    ASSERT_GE(copy.size(), vantrel::kMaxDiscoveryPath);
    ASSERT_EQ(RegSvr("", copy), 0);
    r = Registry();
    EXPECT_TRUE(korvex::RegisteredPlugins(r).empty());
    EXPECT_EQ(reg::InprocServerOf(r, vantrel::CLSID_Vantrel), copy);
    EXPECT_EQ(RegSvr("-u", copy), 0);
}

// The discovery limit counts characters: a Cyrillic path of fewer than 260
// (but more bytes) is found by the host and removed again.
TEST(PluginParts, DiscoveryLimitCountsCharacters) {
    std::string path = "/";
    for (int i = 0; i < 50; ++i) path += "путь";
    path += "/libplgVantrel.so";  // 218 characters, 418 bytes
    reg::Registry r;
    vantrel::WriteRegistration(r, reg::Scope::Machine, path);
    const auto found = korvex::RegisteredPlugins(r);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].library, path);
    vantrel::RemoveRegistration(r, reg::Scope::Machine, path);
    EXPECT_TRUE(korvex::RegisteredPlugins(r).empty());
    path.insert(1, std::string(42, 'x'));  // 260 characters
    vantrel::WriteRegistration(r, reg::Scope::Machine, path);
    EXPECT_TRUE(korvex::RegisteredPlugins(r).empty());
}

TEST(PluginParts, CommandDispatchVersionAndCommandLine) {
    const int ids[vantrel::kButtons] = {5, 6, 7, 8};
    EXPECT_EQ(vantrel::Classify(5u << 16, ids), Command::Main);
    EXPECT_EQ(vantrel::Classify((6u << 16) | 0xFFFF, ids), Command::Report);  // low word ignored
    EXPECT_EQ(vantrel::Classify(7u << 16, ids), Command::AddPoint);
    EXPECT_EQ(vantrel::Classify(8u << 16, ids), Command::Trend);
    EXPECT_EQ(vantrel::Classify(0x2FFFF, ids), Command::Cursor);
    EXPECT_EQ(vantrel::Classify(0x10210001, ids), Command::Selection);
    EXPECT_EQ(vantrel::Classify(9u << 16, ids), Command::None);
    // Unregistered buttons (id 0) never match: code 0 and 0xFFFF are nothing.
    const int none[vantrel::kButtons] = {};
    EXPECT_EQ(vantrel::Classify(0, none), Command::None);
    EXPECT_EQ(vantrel::Classify(0xFFFF, none), Command::None);
    // A button id that happens to be 2 wins over the cursor event's high word.
    const int two[vantrel::kButtons] = {2, 3, 4, 5};
    EXPECT_EQ(vantrel::Classify(0x2FFFF, two), Command::Main);

    EXPECT_EQ(vantrel::FormatVersion(0, 1, 0, 0), "0.1.0.0");
    EXPECT_EQ(vantrel::FormatVersion(-1, 0, 0, 0), "");
    EXPECT_EQ(vantrel::VersionText(), "0.1.0.0");
    EXPECT_EQ(&vantrel::VersionText(), &vantrel::VersionText());

    const std::u16string user = u"UsEr", users = u"users";
    EXPECT_TRUE(vantrel::AsksForUser(user.c_str()));
    EXPECT_FALSE(vantrel::AsksForUser(users.c_str()));
    EXPECT_FALSE(vantrel::AsksForUser(nullptr));
}
