// The registry file: its text both ways, awkward names, case-insensitive keys, deletes.

#include <gtest/gtest.h>

#include "platform/com.h"
#include "platform/registry.h"
#include "test_util.h"

using namespace plat;
using namespace plat::reg;

namespace {

constexpr Guid kClass = {
    0x0A1B2C3D, 0x4E5F, 0x6071, {0x82, 0x93, 0xA4, 0xB5, 0xC6, 0xD7, 0xE8, 0xF9}};

ClassRegistration Sample(const std::string& lib) {
    ClassRegistration c;
    c.classId = kClass;
    c.progId = "plgTest.Thing.1";
    c.versionIndependentProgId = "plgTest.Thing";
    c.description = "Thing Class";
    c.libraryPath = lib;
    return c;
}

}  // namespace

TEST(Guid, FormatsAndParsesBothCasesAndRejectsMalformedText) {
    const std::string text = GuidToString(kClass);
    EXPECT_EQ(text, "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}");
    Guid g;
    ASSERT_TRUE(ParseGuid("0a1b2c3d-4e5f-6071-8293-a4b5c6d7e8f9", g));
    EXPECT_EQ(g, kClass);
    for (const char* bad :
         {"", "{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9", "0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8FG",
          "0A1B2C3D04E5F-6071-8293-A4B5C6D7E8F9", "[0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9]"}) {
        Guid out = IID_IUnknown;
        EXPECT_FALSE(ParseGuid(bad, out)) << bad;
        EXPECT_EQ(out, IID_IUnknown);
    }
    EXPECT_EQ(FromUtf16(ToUtf16("user Ж \xF0\x9F\x98\x80").c_str()), "user Ж \xF0\x9F\x98\x80");
    EXPECT_EQ(FromUtf16(nullptr), "");
}

TEST(Registry, RoundTripsAwkwardNamesAndValuesThroughTheFile) {
    testutil::TempDir dir("registry");
    const std::string file = dir.Path("korvex.reg");
    Registry r;
    r.SetString(Root::LocalMachine, "Software\\QUOR\\Korvex\\COMPlugins", "/opt/a b/\"x\"\\lib.so",
                "plgA.A");
    r.SetString(Root::ClassesRoot, "CLSID\\{X}", "", "line1\nline2\r");
    r.SetString(Root::ClassesRoot, "CLSID\\{X}\\InprocServer32", "ThreadingModel", "Apartment");
    r.SetDword(Root::CurrentUser, "Software\\Классы", "n", 0xDEADBEEF);
    r.CreateKey(Root::ClassesRoot, "CLSID\\{X}\\Programmable");
    ASSERT_TRUE(r.Save(file));

    Registry back;
    ASSERT_TRUE(back.Load(file));
    EXPECT_EQ(back.ToText(), r.ToText());
    EXPECT_EQ(back.GetString(Root::LocalMachine, "Software\\QUOR\\Korvex\\COMPlugins",
                             "/opt/a b/\"x\"\\lib.so"),
              "plgA.A");
    EXPECT_EQ(back.GetString(Root::ClassesRoot, "CLSID\\{X}", ""), "line1\nline2\r");
    auto n = back.GetValue(Root::CurrentUser, "Software\\Классы", "n");
    ASSERT_TRUE(n);
    EXPECT_EQ(n->type, Value::Type::Dword);
    EXPECT_EQ(n->number, 0xDEADBEEFu);
    EXPECT_TRUE(back.KeyExists(Root::ClassesRoot, "CLSID\\{X}\\Programmable"));
    // A dword is no string.
    EXPECT_FALSE(back.GetString(Root::CurrentUser, "Software\\Классы", "n"));
}

TEST(Registry, NamesIgnoreCaseButKeepTheirSpellingAndTreesDeleteWhole) {
    Registry r;
    r.SetString(Root::ClassesRoot, "CLSID\\{Ab}\\Sub", "Value", "1");
    r.SetString(Root::ClassesRoot, "clsid\\{AB}\\sub", "VALUE", "2");
    r.SetString(Root::ClassesRoot, "CLSID\\{Ab}x", "", "sibling");
    r.SetString(Root::ClassesRoot, "\\CLSID\\\\{Ab}\\", "", "same key");
    EXPECT_EQ(r.GetString(Root::ClassesRoot, "Clsid\\{aB}\\SUB", "value"), "2");
    EXPECT_EQ(r.Values(Root::ClassesRoot, "CLSID\\{Ab}\\Sub").size(), 1u);
    EXPECT_EQ(r.Values(Root::ClassesRoot, "CLSID\\{Ab}\\Sub")[0].name, "Value");
    EXPECT_EQ(r.SubKeys(Root::ClassesRoot, "CLSID"), (std::vector<std::string>{"{Ab}", "{Ab}x"}));
    // The same path under another root is another key.
    EXPECT_FALSE(r.KeyExists(Root::LocalMachine, "CLSID"));

    EXPECT_TRUE(r.DeleteTree(Root::ClassesRoot, "CLSID\\{AB}"));
    EXPECT_FALSE(r.KeyExists(Root::ClassesRoot, "CLSID\\{Ab}\\Sub"));
    EXPECT_EQ(r.GetString(Root::ClassesRoot, "CLSID\\{Ab}x", ""), "sibling");
    EXPECT_FALSE(r.DeleteTree(Root::ClassesRoot, "CLSID\\{AB}"));
    EXPECT_TRUE(r.DeleteValue(Root::ClassesRoot, "CLSID\\{Ab}x", ""));
    EXPECT_FALSE(r.DeleteValue(Root::ClassesRoot, "CLSID\\{Ab}x", ""));
}

TEST(Registry, MalformedFileFailsWithItsLineAndUpdateLeavesItAlone) {
    testutil::TempDir dir("registry");
    const std::string file = dir.Path("korvex.reg");
    const std::string bad = "Korvex registry 1\n[HKEY_CLASSES_ROOT\\A]\n\"v\"=\"unterminated\n";
    testutil::WriteBytes(file, bad);
    Registry r;
    r.SetString(Root::ClassesRoot, "Old", "", "x");
    std::string msg;
    EXPECT_FALSE(r.Load(file, &msg));
    EXPECT_NE(msg.find("line 3"), std::string::npos) << msg;
    EXPECT_TRUE(r.Empty());
    EXPECT_FALSE(Update(file, [](Registry& x) {
        x.SetString(Root::ClassesRoot, "B", "", "y");
        return true;
    }));
    EXPECT_EQ(testutil::ReadBytes(file), bad);

    for (const char* text : {"not a registry\n", "Korvex registry 1\n\"v\"=\"x\"\n",
                             "Korvex registry 1\n[HKEY_NOWHERE\\A]\n",
                             "Korvex registry 1\n[HKEY_CLASSES_ROOT\\A]\n\"v\"=dword:123\n"}) {
        Registry x;
        EXPECT_FALSE(x.FromText(text)) << text;
    }
    // No file yet is an empty registry, and Update creates it with its folder.
    const std::string fresh = dir.Path("new/folder/fresh.reg");
    EXPECT_TRUE(Update(fresh, [](Registry& x) {
        x.SetString(Root::LocalMachine, "K", "n", "v");
        return true;
    }));
    Registry y;
    ASSERT_TRUE(y.Load(fresh));
    EXPECT_EQ(y.GetString(Root::LocalMachine, "K", "n"), "v");
    // An abandoned update writes nothing.
    EXPECT_FALSE(Update(fresh, [](Registry& x) {
        x.DeleteTree(Root::LocalMachine, "K");
        return false;
    }));
    ASSERT_TRUE(y.Load(fresh));
    EXPECT_TRUE(y.KeyExists(Root::LocalMachine, "K"));
}

TEST(Registry, ClassRegistrationIsFoundByProgIdAndRemovedWithoutTheRootKey) {
    Registry r;
    RegisterClass(r, Scope::Machine, Sample("/lib/thing.so"));
    EXPECT_EQ(ClassIdOfProgId(r, "plgTest.Thing.1"), kClass);
    EXPECT_EQ(ClassIdOfProgId(r, "PLGTEST.THING"), kClass);
    EXPECT_EQ(InprocServerOf(r, kClass), "/lib/thing.so");
    const std::string key = "CLSID\\" + GuidToString(kClass);
    EXPECT_EQ(r.GetString(Root::ClassesRoot, key + "\\InprocServer32", "ThreadingModel"),
              "Apartment");
    EXPECT_EQ(r.GetString(Root::ClassesRoot, "plgTest.Thing", "CurVer").value_or("none"), "none");
    EXPECT_EQ(r.GetString(Root::ClassesRoot, "plgTest.Thing\\CurVer", ""), "plgTest.Thing.1");

    // Registering again replaces the class key as a whole.
    r.SetString(Root::ClassesRoot, key + "\\Stale", "", "x");
    RegisterClass(r, Scope::Machine, Sample("/lib/thing2.so"));
    EXPECT_FALSE(r.KeyExists(Root::ClassesRoot, key + "\\Stale"));
    EXPECT_EQ(InprocServerOf(r, kClass), "/lib/thing2.so");

    // A per-user registration wins over the machine's.
    RegisterClass(r, Scope::User, Sample("/home/u/thing.so"));
    EXPECT_EQ(InprocServerOf(r, kClass), "/home/u/thing.so");
    UnregisterClass(r, Scope::User, Sample(""));
    EXPECT_EQ(InprocServerOf(r, kClass), "/lib/thing2.so");

    UnregisterClass(r, Scope::Machine, Sample(""));
    EXPECT_FALSE(ClassIdOfProgId(r, "plgTest.Thing"));
    EXPECT_FALSE(InprocServerOf(r, kClass));
    EXPECT_TRUE(r.KeyExists(Root::ClassesRoot, "CLSID"));

    // A CurVer loop ends without an answer.
    r.SetString(Root::ClassesRoot, "a.b\\CurVer", "", "a.c");
    r.SetString(Root::ClassesRoot, "a.c\\CurVer", "", "a.b");
    EXPECT_FALSE(ClassIdOfProgId(r, "a.b"));
}
