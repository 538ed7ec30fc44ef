// The graph service's observer and answers as windows change and close; signals' lines.

#include <gtest/gtest.h>

#include "korvex/host.h"
#include "korvex/ylines.h"

using namespace korvex;

namespace {

int Call(GraphService& g, int id, std::vector<plat::Variant> args) {
    plat::Variant r;
    g.Invoke(id, plat::InvokeKind::Method, args, &r);
    return r.AsInt32();
}

}  // namespace

TEST(GraphViews, ObserverHearsEveryChangeAndClosingKeepsTheAnswersSound) {
    auto host = CreateHost();
    auto s = host->NewSignal();
    SignalData d;
    d.samples = {1, 2};
    s->Assign(d);
    ASSERT_TRUE(host->AddSignal("/Signals/a", "x", s));
    GraphService& g = host->Graphs();
    int heard = 0;
    g.SetObserver([&] { ++heard; });

    const int w1 = Call(g, 2, {});
    const int g1 = Call(g, 4, {w1});
    Call(g, 7, {g1, -1, s->Id()});
    Call(g, 7, {g1, -1, s->Id()});  // already shown: no change
    Call(g, 26, {g1});
    EXPECT_EQ(heard, 4);
    EXPECT_EQ(g.Revision(), 4u);
    host->MoveCursor(g1, 0.5);
    EXPECT_EQ(heard, 6);  // the cursor, then the active graph

    const int w2 = g.NewWindow();
    EXPECT_EQ(Call(g, 27, {}), w2);
    // Closing the active window makes the one left active.
    EXPECT_TRUE(g.RemoveWindow(w2));
    EXPECT_EQ(Call(g, 27, {}), w1);
    EXPECT_EQ(Call(g, 60, {w2}), 0);
    EXPECT_FALSE(g.RemoveWindow(w2));

    EXPECT_TRUE(g.RemoveSignal(g1, s->Id()));
    EXPECT_FALSE(g.RemoveSignal(g1, s->Id()));
    EXPECT_EQ(Call(g, 15, {g1}), 0);
    EXPECT_TRUE(g.RemoveWindow(w1));
    EXPECT_EQ(Call(g, 27, {}), 0);
    EXPECT_EQ(g.WindowOfGraph(g1), 0);  // its graphs went with it
    const int before = heard;
    g.SetObserver({});
    g.NewWindow();
    EXPECT_EQ(heard, before);
}

TEST(GraphViews, YLinesReadBackAndDamagedLinesAreLeftOut) {
    const std::vector<YLine> lines = {{4.5, 0xc80000, false, "Авария"},
                                      {-0.25, 0x6a9a6a, true, "A/B"}};
    const std::string text = YLinesText(lines);
    EXPECT_EQ(text, "4.5;#c80000;solid;Авария\n-0.25;#6a9a6a;dash;A/B\n");
    const std::vector<YLine> back =
        ParseYLines(text +
                    "1,5;#000000;solid;comma\nx;#000000;solid;\n2;red;solid;\n"
                    "3;#000000;dotted;\n4;#000000;solid\n7;#00FF00;dash;a;b\r\n");
    ASSERT_EQ(back.size(), 3u);
    EXPECT_EQ(back[0].label, "Авария");
    EXPECT_EQ(back[1].y, -0.25);
    EXPECT_TRUE(back[1].dashed);
    EXPECT_EQ(back[2].rgb, 0x00ff00u);
    EXPECT_EQ(back[2].label, "a;b");
}
