// The bearing and gear-pair calculators without widgets: factors against
// published and hand-made values, the bands planned, the faults, and the
// bands added to a folder.

#include <gtest/gtest.h>
#include <json-c/json.h>

#include <cmath>

#include "ui/rules/kinrules.h"

using namespace kinrules;

namespace {

// A deep-groove bearing of a published table: 9 balls of 7.94 mm on a
// 39.04 mm pitch circle.
Bearing TableBearing(bool outerTurns = false) {
    return Bearing{9, 7.94, 39.04, 0.0, outerTurns};
}

std::vector<std::string> Names(const Plan& p) {
    std::vector<std::string> out;
    for (const PlannedBand& b : p.bands) out.push_back(b.name);
    return out;
}

const PlannedBand* Find(const Plan& p, const std::string& name) {
    for (const PlannedBand& b : p.bands)
        if (b.name == name) return &b;
    return nullptr;
}

const Target kShaft{7, "Вал", ""};

}  // namespace

TEST(BearingFactors, MatchThePublishedTableAndFollowTheTurningRing) {
    const BearingFactors in = FactorsOf(TableBearing());
    EXPECT_NEAR(in.bpfo, 3.585, 5e-4);
    EXPECT_NEAR(in.bpfi, 5.415, 5e-4);
    EXPECT_NEAR(in.ftf, 0.398, 5e-4);
    EXPECT_NEAR(in.bsf, 2.357, 5e-4);
    // The table doubles its rounded BSF (4.7135 exactly).
    EXPECT_NEAR(2 * in.bsf, 4.714, 1e-3);

    // The race and spin frequencies hang on the rings' relative speed only;
    // the cage follows the turning ring.
    const BearingFactors out = FactorsOf(TableBearing(true));
    EXPECT_DOUBLE_EQ(out.bpfo, in.bpfo);
    EXPECT_DOUBLE_EQ(out.bpfi, in.bpfi);
    EXPECT_DOUBLE_EQ(out.bsf, in.bsf);
    EXPECT_NEAR(out.ftf, 0.602, 5e-4);
    EXPECT_DOUBLE_EQ(in.ftf + out.ftf, 1.0);
    EXPECT_DOUBLE_EQ(in.bpfo + in.bpfi, 9.0);

    // An angular-contact bearing: only d/D * cos(alpha) counts.
    Bearing angled = TableBearing();
    angled.angleDeg = -60.0;
    angled.ballDiameter *= 2;
    const BearingFactors a = FactorsOf(angled);
    EXPECT_DOUBLE_EQ(a.bpfo, in.bpfo);
    EXPECT_NEAR(a.bsf, in.bsf / 2, 1e-12);
}

TEST(GearFactors, MeshSecondShaftAndHuntingTooth) {
    GearFactors f = FactorsOf(Gear{23, 47, false});
    EXPECT_DOUBLE_EQ(f.mesh, 23.0);
    EXPECT_DOUBLE_EQ(f.shaft2, 23.0 / 47.0);
    EXPECT_EQ(f.lcm, 23 * 47);  // no common factor
    EXPECT_DOUBLE_EQ(f.hunting, 1.0 / 47.0);
    // The tacho item on the second shaft: the same pair seen from there.
    f = FactorsOf(Gear{23, 47, true});
    EXPECT_DOUBLE_EQ(f.shaft1, 47.0 / 23.0);
    EXPECT_DOUBLE_EQ(f.mesh, 47.0);
    EXPECT_DOUBLE_EQ(f.hunting, 1.0 / 23.0);
    // A common factor: 20 and 30 meet again after 60 meshes, not 600.
    f = FactorsOf(Gear{20, 30, false});
    EXPECT_EQ(f.lcm, 60);
    EXPECT_DOUBLE_EQ(f.hunting, 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(f.shaft2, 2.0 / 3.0);
}

TEST(BearingPlan, BandsHarmonicsSidebandsAndDescriptions) {
    const Plan p = PlanBearing(TableBearing(), Series{2, 1}, Target{7, "Вал", "6205"});
    ASSERT_FALSE(p.fault);
    const std::vector<std::string> want = {
        "FTF",       "2xFTF",     "BPFO",      "2xBPFO",    "BPFI",     "BPFI-fr", "BPFI+fr",
        "2xBPFI",    "2xBPFI-fr", "2xBPFI+fr", "BSF",       "BSF-FTF",  "BSF+FTF", "2xBSF",
        "2xBSF-FTF", "2xBSF+FTF", "4xBSF",     "4xBSF-FTF", "4xBSF+FTF"};
    std::vector<std::string> names;
    for (const std::string& n : Names(p)) names.push_back(n.substr(5));  // "6205 "
    EXPECT_EQ(names, want);
    EXPECT_EQ(p.bands[0].name, "6205 FTF");

    const BearingFactors k = FactorsOf(TableBearing());
    EXPECT_DOUBLE_EQ(Find(p, "6205 2xBPFI+fr")->factor, 2 * k.bpfi + 1);
    EXPECT_DOUBLE_EQ(Find(p, "6205 2xBSF-FTF")->factor, 2 * k.bsf - k.ftf);
    EXPECT_DOUBLE_EQ(Find(p, "6205 4xBSF")->factor, 4 * k.bsf);
    EXPECT_EQ(Find(p, "6205 BPFI")->info,
              "BPFI = 5.4152*Вал; BPFI = n/2*(1 + d/D*cos α)*fr; n = 9, d = 7.94 мм, D = 39.04 "
              "мм, α = 0°, вращается внутреннее кольцо, fr = Вал");
    const std::string& side = Find(p, "6205 2xBSF-FTF")->info;
    EXPECT_EQ(side.rfind("2*BSF - FTF = 4.3152*Вал; BSF = D/(2*d)", 0), 0u) << side;
    EXPECT_NE(side.find("обоим кольцам; FTF = (1 - d/D*cos α)/2*fr;"), std::string::npos);

    // The outer ring turning: the outer race carries the shaft sidebands.
    const Plan o = PlanBearing(TableBearing(true), Series{1, 2}, kShaft);
    EXPECT_TRUE(Find(o, "BPFO+2fr"));
    EXPECT_FALSE(Find(o, "BPFI+fr"));
    EXPECT_NE(Find(o, "FTF")->info.find("FTF = (1 + d/D*cos α)/2*fr"), std::string::npos);
    EXPECT_NE(Find(o, "FTF")->info.find("вращается наружное кольцо"), std::string::npos);
}

TEST(GearPlan, MeshSidebandsShaftsAndHuntingTooth) {
    Plan p = PlanGear(Gear{23, 47, false}, Series{2, 1}, kShaft);
    ASSERT_FALSE(p.fault);
    EXPECT_EQ(Names(p), (std::vector<std::string>{"GMF", "GMF-f1", "GMF+f1", "GMF-f2", "GMF+f2",
                                                  "2xGMF", "2xGMF-f1", "2xGMF+f1", "2xGMF-f2",
                                                  "2xGMF+f2", "f2", "HTF"}));
    EXPECT_DOUBLE_EQ(Find(p, "2xGMF-f2")->factor, 46.0 - 23.0 / 47.0);
    EXPECT_EQ(Find(p, "HTF")->info,
              "HTF = 0.0213*Вал; GMF = z1*f1 = z2*f2; HTF = GMF/НОК(z1, z2), НОК(z1, z2) = 1081; "
              "z1 = 23, z2 = 47, f1 = Вал");
    EXPECT_EQ(Find(p, "f2")->info, "f2 = 0.4894*Вал; f2 = f1*z1/z2; z1 = 23, z2 = 47, f1 = Вал");

    // From the second shaft: its partner is shaft 1.
    p = PlanGear(Gear{23, 47, true}, Series{1, 0}, kShaft);
    EXPECT_EQ(Names(p), (std::vector<std::string>{"GMF", "f1", "HTF"}));
    EXPECT_DOUBLE_EQ(p.bands[1].factor, 47.0 / 23.0);
    EXPECT_NE(p.bands[1].info.find("f1 = f2*z2/z1; z1 = 23, z2 = 47, f2 = Вал"), std::string::npos);

    // Equal wheels give one set of shaft sidebands; none at zero or below.
    p = PlanGear(Gear{2, 2, false}, Series{1, 3}, kShaft);
    EXPECT_EQ(Names(p), (std::vector<std::string>{"GMF", "GMF-f1", "GMF+f1", "GMF+2f1", "GMF+3f1",
                                                  "f2", "HTF"}));
}

TEST(KinematicChecks, BadInputNamesTheFieldAndPlansNothing) {
    struct Case {
        Bearing b;
        Series s;
        int tacho;
        Field field;
        std::string text;
    };
    const Bearing ok = TableBearing();
    auto with = [&](auto change) {
        Bearing b = ok;
        change(b);
        return b;
    };
    const Case cases[] = {
        {with([](Bearing& b) { b.balls = 0; }),
         {},
         7,
         Field::kBalls,
         "Поле 'Число тел качения n': нужно целое число больше нуля."},
        {with([](Bearing& b) { b.balls = -3; }), {}, 7, Field::kBalls, ""},
        {with([](Bearing& b) { b.ballDiameter = 0; }),
         {},
         7,
         Field::kBallDiameter,
         "Поле 'Диаметр тела качения d, мм': нужно число больше нуля."},
        {with([](Bearing& b) { b.pitchDiameter = -39; }), {}, 7, Field::kPitchDiameter, ""},
        {with([](Bearing& b) { b.ballDiameter = b.pitchDiameter; }),
         {},
         7,
         Field::kBallDiameter,
         "Поле 'Диаметр тела качения d, мм' должно быть меньше поля 'Средний диаметр D, мм'."},
        {with([](Bearing& b) { b.angleDeg = 90; }),
         {},
         7,
         Field::kAngle,
         "Поле 'Угол контакта α, град': угол должен быть больше -90 и меньше 90 градусов."},
        {with([](Bearing& b) { b.angleDeg = -90; }), {}, 7, Field::kAngle, ""},
        {with([](Bearing& b) { b.angleDeg = NAN; }), {}, 7, Field::kAngle, ""},
        {ok, {0, 0}, 7, Field::kHarmonics, "Поле 'Гармоники 1..k': нужно целое число от 1 до 20."},
        {ok, {21, 0}, 7, Field::kHarmonics, ""},
        {ok, {1, -1}, 7, Field::kSidebands, "Поле 'Боковые ±1..m': нужно целое число от 0 до 10."},
        {ok, {1, 0}, -1, Field::kTacho, "Поле 'Тахо вала': не выбран тахо-элемент вала."},
    };
    for (const Case& c : cases) {
        const Plan p = PlanBearing(c.b, c.s, Target{c.tacho, "Вал", ""});
        ASSERT_TRUE(p.fault) << c.text;
        EXPECT_EQ(p.fault->field, c.field) << c.text;
        if (!c.text.empty()) {
            EXPECT_EQ(p.fault->text, c.text);
        }
        EXPECT_TRUE(p.bands.empty());
    }
    const Plan g = PlanGear(Gear{23, 0, false}, Series{}, kShaft);
    ASSERT_TRUE(g.fault);
    EXPECT_EQ(g.fault->text, "Поле 'Число зубьев z2': нужно целое число больше нуля.");
    EXPECT_TRUE(g.bands.empty());

    CfgBandWidth bw;
    EXPECT_FALSE(Check(bw));
    bw.percentValue = 0;
    EXPECT_EQ(Check(bw)->field, Field::kWidth);
    bw = {};
    bw.physicalValue = -1;
    bw.inFftBins = false;
    EXPECT_EQ(Check(bw)->field, Field::kMinWidth);
    bw.relativeBorders = false;
    EXPECT_EQ(Check(bw)->field, Field::kWidth);
}

TEST(KinematicChecks, FieldsAreReadWholeOrNamed) {
    Bearing b;
    EXPECT_FALSE(Read(BearingText{" 9 ", "7,94", "39.04", "+0", true}, b));
    EXPECT_EQ(b.balls, 9);
    EXPECT_EQ(b.ballDiameter, 7.94);
    EXPECT_TRUE(b.outerTurns);
    for (const char* balls : {"9.5", "1e1", "9x", "", "x9", "99999999999"}) {
        const auto f = Read(BearingText{balls, "7.94", "39.04", "0"}, b);
        ASSERT_TRUE(f) << balls;
        EXPECT_EQ(f->field, Field::kBalls);
        EXPECT_EQ(f->text, "Поле 'Число тел качения n': нужно целое число.");
    }
    const auto mm = Read(BearingText{"9", "7.94mm", "39.04", "0"}, b);
    ASSERT_TRUE(mm);
    EXPECT_EQ(mm->text, "Поле 'Диаметр тела качения d, мм': нужно число.");
    EXPECT_EQ(Read(BearingText{"9", "7.94", "39.04", "5 град"}, b)->field, Field::kAngle);
    EXPECT_EQ(Read(BearingText{"9", "7.94", "inf", "0"}, b)->field, Field::kPitchDiameter);

    Gear g;
    EXPECT_EQ(Read(GearText{"23.7", "47"}, g)->field, Field::kTeeth1);
    EXPECT_EQ(Read(GearText{"23", "47,0"}, g)->field, Field::kTeeth2);
    Series s;
    EXPECT_EQ(Read(SeriesText{"2.5", "0"}, s)->field, Field::kHarmonics);
    EXPECT_EQ(Read(SeriesText{"2", "1x"}, s)->field, Field::kSidebands);

    CfgBandWidth bw;  // 3 %, at least 2 lines
    bw.inFftBins = true;
    EXPECT_FALSE(ReadWidth(bw, "3", "2"));
    EXPECT_EQ(ReadWidth(bw, "3", "2.5")->field, Field::kMinWidth);
    EXPECT_EQ(ReadWidth(bw, "3%", "2")->field, Field::kWidth);
    bw.relativeBorders = false;  // a width in lines; the minimum is not shown
    EXPECT_FALSE(ReadWidth(bw, "4", ""));
    EXPECT_EQ(ReadWidth(bw, "4.5", "")->field, Field::kWidth);
}

TEST(KinematicBands, AddedAsTrackingBandsWithUniqueNamesAndTheWidthRule) {
    CCfgProcSection section;
    section.name = "Привод";
    auto* tacho = static_cast<CCfgProcTaho*>(section.Append(CreateItem(CfgItemTacho)));
    tacho->name = "Вал";
    auto* folder = static_cast<CCfgProcFolder*>(section.Append(CreateItem(CfgItemFolder)));
    folder->name = "Подшипник";
    folder->Append(CreateItem(CfgItemFixedBand))->name = "gmf";
    const Target t{tacho->id, "Вал", ""};
    const Plan p = PlanGear(Gear{23, 47, false}, Series{1, 0}, t);
    CfgBandWidth width;
    width.relativeBorders = false;
    width.inFftBins = false;
    width.physicalValue = 2.5;

    auto added = AddBands(*folder, p.bands, t, width);
    added = AddBands(*folder, p.bands, t, width);  // the same again
    ASSERT_EQ(added.size(), 3u);
    EXPECT_EQ(added[0]->name, "GMF (3)");  // past "gmf" and the first call's "GMF (2)"
    EXPECT_EQ(folder->children.size(), 7u);
    EXPECT_EQ(folder->children[1]->name, "GMF (2)");
    EXPECT_EQ(added[2]->name, "HTF (2)");
    EXPECT_EQ(added[1]->components, (std::vector<CfgBandComponent>{{"Вал", tacho->id, 23.0 / 47}}));
    EXPECT_EQ(added[1]->info, p.bands[1].info);
    EXPECT_EQ(added[1]->parent, folder);
    EXPECT_EQ(added[1]->bandWidth.physicalValue, 2.5);
    EXPECT_EQ(added[1]->bandWidth.tachoRefId, tacho->id);
    EXPECT_EQ(added[1]->bandWidth.tachoRef, "Вал");

    // Saved and read back like any band, names kept apart in the file.
    json_object* obj = nullptr;
    ASSERT_TRUE(section.ToJson(&obj));
    CCfgProcSection back;
    ASSERT_TRUE(back.FromJson(obj));
    json_object_put(obj);
    const auto& again = static_cast<const CCfgProcFolder&>(*back.children[1]);
    ASSERT_EQ(again.children.size(), 7u);
    const auto* f2 = static_cast<const CCfgProcBandTrack*>(again.children[2].get());
    EXPECT_EQ(f2->name, "f2");
    EXPECT_DOUBLE_EQ(f2->components.at(0).factor, 23.0 / 47);
    EXPECT_EQ(f2->info, p.bands[1].info);
}

TEST(KinematicBands, TheFolderSectionsOwnTachoItemIsOfferedFirst) {
    CCfgProc cfg;
    for (const char* name : {"A", "B"}) {
        cfg.sections.push_back(std::make_unique<CCfgProcSection>());
        cfg.sections.back()->name = name;
        cfg.sections.back()->Append(CreateItem(CfgItemTacho))->name = std::string("T") + name;
    }
    CCfgProcItem* folder = cfg.sections[1]->Append(CreateItem(CfgItemFolder));
    const freqrules::TachoList list = freqrules::CollectTachoList(cfg);
    EXPECT_EQ(DefaultTacho(list, cfg, folder), 1);
    EXPECT_EQ(DefaultTacho(list, cfg, cfg.sections[0].get()), 0);
    EXPECT_EQ(DefaultTacho({}, cfg, folder), -1);
    EXPECT_EQ(FactorText(1.0 / 47), "0.0213");
    EXPECT_EQ(FactorText(23.0), "23");
}
