// RTF items as written: control words, escaped cp1251 text, manipulators, table rows.

#include <gtest/gtest.h>

#include <sstream>

#include "report/rtf/rtf.h"

namespace {

template <class T>
std::string Out(const T& it) {
    std::ostringstream os;
    EXPECT_TRUE(it.write(os));
    return os.str();
}

TEST(RtfItems, ControlWordsAndNumbers) {
    EXPECT_EQ(Out(rtf::fontsize(12)), "\\fs24");
    EXPECT_EQ(Out(rtf::fontsize(-3)), "\\fs-6");
    EXPECT_EQ(Out(rtf::fontsize(INT32_MAX)), "\\fs4294967294");  // no overflow
    EXPECT_EQ(Out(rtf::fontbold(false)) + Out(rtf::fontitalic(false)), "\\b0\\i0");
    EXPECT_EQ(Out(rtf::indentswitch(-200, 0, 1500)), "\\fi-200\\li0\\ri1500");
    EXPECT_EQ(Out(rtf::alignmentswitch(rtf::kAlignRight)) + Out(rtf::alignmentswitch(2)),
              "\\qr\\qj");
    EXPECT_EQ(Out(rtf::alignmentswitch(7)), "");
    EXPECT_EQ(Out(rtf::alignmentswitch(-1)), "");
    EXPECT_EQ(Out(rtf::landscape()), "\\landscape\\paperw16840\\paperh11907\\psz9");

    // Digit grouping of the stream's locale must not reach the file.
    struct Grouping : std::numpunct<char> {
        char do_thousands_sep() const override { return ' '; }
        std::string do_grouping() const override { return "\3"; }
    };
    std::ostringstream os;
    os.imbue(std::locale(os.getloc(), new Grouping));
    rtf::indentswitch(12345, 0, 0).write(os);
    EXPECT_EQ(os.str(), "\\fi12345\\li0\\ri0");
}

TEST(RtfItems, TextIsEscapedAndWrittenInCp1251) {
    rtf::cell c;
    c << "A{B}\\C";
    EXPECT_EQ(Out(c), "{\nA\\{B\\}\\\\C\\cell }");

    // Cyrillic, "№" and "€" have 1251 bytes and are not escaped; a character
    // 1251 lacks becomes "?".
    EXPECT_EQ(Out(rtf::rtfstring("Дата № €, 日")), "\n\xC4\xE0\xF2\xE0 \xB9 \x88, ?");
    // A term is raw RTF: converted, never escaped, no line break.
    EXPECT_EQ(Out(rtf::term("{\\b Ж}")), "{\\b \xC6}");
}

TEST(RtfItems, ChainingManipulatorsAndTexts) {
    rtf::itemslist list;
    std::string date = "01.02.2024";
    list << rtf::bold << "Дата"
         << " " << date << rtf::par;
    list.apply(rtf::italic).apply(rtf::colorAuto).apply(rtf::colorBlue);
    list.apply(rtf::font0).apply(rtf::alignLeft).apply(rtf::alignCenter);
    list.apply([](rtf::itemslist& l) { l.add(rtf::fontsize(10)); });
    list << static_cast<const char*>(nullptr);
    list.add(std::unique_ptr<rtf::item>());  // ignored
    EXPECT_EQ(Out(list),
              "\\b\n\xC4\xE0\xF2\xE0\n \n01.02.2024\\par\\i\\cf0\\cf13\\f0\\ql\\qc\\fs20");
    list.clear();
    EXPECT_EQ(Out(list), "");

    // A failed stream stops the writing and is reported.
    std::ostringstream bad;
    bad.setstate(std::ios::badbit);
    list << "x";
    EXPECT_FALSE(list.write(bad));
}

const std::string kAllBorders =
    "\\clbrdrt\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
    "\\clbrdrl\\brdrs\\brdrw10\\clbrdrr\\brdrs\\brdrw10";

TEST(RtfTables, RowOfDefaultCells) {
    rtf::row r(3);
    for (int i = 0; i < 3; ++i) r.cellAt(i)->setWidth(2592);
    r.cellAt(1)->add(rtf::term("x"));
    const std::string def = kAllBorders + "\\cltxlrtb\\clshdrawnil\\cellx";
    EXPECT_EQ(Out(r), "{\\trowd\\trgaph" + def + "2592" + def + "5184" + def + "7776" +
                          "\\pard\\ql\\intbl{\\cell }{x\\cell }{\\cell }\\row}");
    EXPECT_EQ(r.cellAt(3), nullptr);
    EXPECT_EQ(r.cellAt(-1), nullptr);
}

TEST(RtfTables, RowAndCellOptions) {
    rtf::row r;
    rtf::cell c(1000);
    c.setVerticalAlignment(rtf::kVAlignCenter);
    c.setBorders(rtf::kBorderTop | rtf::kBorderLeft);
    c.setMergeMask(rtf::kMergeFirst | rtf::kMergeVPrevious);
    r.add(std::move(c)).add(std::make_unique<rtf::cell>(500));
    r.cellAt(1)->setBorders(0);
    r.cellAt(1)->setVerticalAlignment(rtf::kVAlignBottom);
    r.setRowGap(108);
    r.setRowHeight(-300);
    r.setRowFlags(rtf::kRowHeader | rtf::kRowKeep | rtf::kRowRight | rtf::kRowCenter);
    EXPECT_EQ(Out(r),
              "{\\trowd\\trgaph108\\trleft-108\\trqr\\trrh-300\\trhdr\\trkeep"
              "\\clvertalc\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clmgf\\clvmrg"
              "\\cltxlrtb\\clshdrawnil\\cellx1000"
              "\\clvertalb\\cltxlrtb\\clshdrawnil\\cellx1500"
              "\\pard\\ql\\intbl{\\cell }{\\cell }\\row}");

    // Centred only without the right flag; a negative gap stays a valid word.
    r.setRowFlags(rtf::kRowCenter);
    r.setRowGap(-20);
    r.setRowHeight(0);
    r.clear();
    EXPECT_EQ(Out(r), "{\\trowd\\trgaph-20\\trleft20\\trqc\\pard\\ql\\intbl\\row}");
}

TEST(RtfTables, TableWideSetters) {
    rtf::table t(2, 2);
    t.add(rtf::row(1));  // a short row is left alone by column setters
    t.rowAt(0)->setCellBorders(0);
    t.setAllBorders();
    t.setColumnWidth(1, 3000);
    t.setColumnIndent(1, 10, 20, 30);
    t.setTableGap(50);
    t.setTableRowFlags(rtf::kRowKeep);
    ASSERT_EQ(t.rowCount(), 3);
    EXPECT_EQ(t.rowAt(3), nullptr);

    const std::string def = kAllBorders + "\\cltxlrtb\\clshdrawnil\\cellx";
    const std::string head = "{\\trowd\\trgaph50\\trleft-50\\trkeep";
    const std::string full = head + def + "1200" + def + "4200" +
                             "\\pard\\ql\\intbl{\\cell }{\\fi10\\li20\\ri30\\cell }\\row}";
    EXPECT_EQ(Out(t), "\\par\\pard" + full + full + head + def + "1200" +
                          "\\pard\\ql\\intbl{\\cell }\\row}");
    t.clear();
    EXPECT_EQ(Out(t), "\\par\\pard");
}

}  // namespace
