#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <string>

#include "form1_layout.h"
#include "layout.h"

namespace carrow {
namespace {

TEST(ScaleToDpi, ScalesInProportionAndRoundsToNearest) {
    EXPECT_EQ(ScaleToDpi(113, 96), 113);
    EXPECT_EQ(ScaleToDpi(113, 120), 141);  // 141.25
    EXPECT_EQ(ScaleToDpi(75, 120), 94);    // 93.75
    EXPECT_EQ(ScaleToDpi(25, 144), 38);    // 37.5 rounds up
    EXPECT_EQ(ScaleToDpi(489, 192), 978);
    EXPECT_EQ(ScaleToDpi(0, 144), 0);
    EXPECT_EQ(ScaleToDpi(-3, 144), -5);  // symmetric around zero
    EXPECT_EQ(ScaleRect({16, 37, 75, 25}, 144), (Rect{24, 56, 113, 38}));
}

TEST(ArrangeAligned, TakesTopBottomLeftThenFill) {
    const Rect area = {0, 0, 400, 300};
    const auto placed = ArrangeAligned(area, {{Align::Fill, {}},
                                              {Align::Left, {0, 0, 100, 5}},
                                              {Align::Bottom, {0, 0, 5, 20}},
                                              {Align::Top, {0, 0, 5, 30}},
                                              {Align::None, {7, 8, 9, 10}}});
    EXPECT_EQ(placed[3], (Rect{0, 0, 400, 30}));
    EXPECT_EQ(placed[2], (Rect{0, 280, 400, 20}));
    EXPECT_EQ(placed[1], (Rect{0, 30, 100, 250}));
    EXPECT_EQ(placed[0], (Rect{100, 30, 300, 250}));
    EXPECT_EQ(placed[4], (Rect{7, 8, 9, 10}));
}

TEST(ArrangeAligned, NeverGoesBelowZeroInATinyArea) {
    const auto placed = ArrangeAligned({0, 0, 50, 10}, {{Align::Left, {0, 0, 113, 0}}, {Align::Fill, {}},
                                                        {Align::Bottom, {0, 0, 0, 19}}});
    EXPECT_EQ(placed[2], (Rect{0, 0, 50, 10}));
    EXPECT_EQ(placed[0], (Rect{0, 0, 50, 0}));
    EXPECT_EQ(placed[1], (Rect{50, 0, 0, 0}));
}

std::map<std::string, Rect> PlacesAt(int width, int height, int dpi) {
    std::map<std::string, Rect> places;
    for (const auto& placement : ArrangeForm(width, height, dpi)) places[LayoutOf(placement.id).name] = placement.rect;
    return places;
}

TEST(ArrangeForm, GivesTheDesignPlacesAtTheDesignSize) {
    const auto places = PlacesAt(kFormClientWidth, kFormClientHeight, 96);
    ASSERT_EQ(places.size(), Form1Layout().size());
    for (const auto& control : Form1Layout()) {
        EXPECT_EQ(places.at(control.name), control.design) << control.name;
    }
}

TEST(ArrangeForm, GrowsTheTextBoxesAndTheListButKeepsPanelsButtonsAndStatusBar) {
    const auto places = PlacesAt(889, 568, 96);  // 400 wider, 300 higher
    EXPECT_EQ(places.at("sPageControl1"), (Rect{0, 0, 889, 549}));
    EXPECT_EQ(places.at("sStatusBar1"), (Rect{0, 549, 889, 19}));
    EXPECT_EQ(places.at("sTabSheet1"), (Rect{4, 24, 881, 521}));
    EXPECT_EQ(places.at("sTabSheet5"), (Rect{4, 24, 881, 521}));
    for (const char* memo : {"sMemo1", "sMemo2", "sMemo3"}) EXPECT_EQ(places.at(memo), (Rect{113, 0, 768, 521}));
    for (const char* panel : {"sPanel1", "sPanel2", "sPanel3"}) EXPECT_EQ(places.at(panel), (Rect{0, 0, 113, 521}));
    EXPECT_EQ(places.at("sPanel4"), (Rect{0, 0, 881, 35}));
    EXPECT_EQ(places.at("sShellListView1"), (Rect{0, 35, 881, 486}));
    EXPECT_EQ(places.at("sButton1"), (Rect{16, 37, 75, 25}));
    EXPECT_EQ(places.at("sButton11"), (Rect{97, 4, 75, 25}));
    EXPECT_EQ(places.at("sColorBox1"), (Rect{0, 0, 113, 22}));
}

TEST(ArrangeForm, ScalesEveryPlaceWithTheDpi) {
    const int dpi = 144;
    const auto places = PlacesAt(ScaleToDpi(kFormClientWidth, dpi), ScaleToDpi(kFormClientHeight, dpi), dpi);
    EXPECT_EQ(places.at("sStatusBar1").height, ScaleToDpi(19, dpi));
    EXPECT_EQ(places.at("sPanel1").width, ScaleToDpi(113, dpi));
    EXPECT_EQ(places.at("sButton3"), ScaleRect({16, 99, 75, 25}, dpi));
    const Rect tabs = places.at("sPageControl1");
    EXPECT_EQ(tabs.height + places.at("sStatusBar1").height, ScaleToDpi(kFormClientHeight, dpi));
    EXPECT_EQ(places.at("sTabSheet4"), (PageArea(tabs.width, tabs.height, dpi)));
    const Rect memo = places.at("sMemo2");
    const Rect page = places.at("sTabSheet4");
    EXPECT_EQ(memo.left + memo.width, page.width);  // the fill reaches the page's edge
}

std::vector<std::string> NamesInCreationOrderUnder(ControlId parent) {
    std::vector<std::string> names;
    for (const auto* control : CreationOrder()) {
        if (control->parent == parent) names.emplace_back(control->name);
    }
    return names;
}

TEST(CreationOrder, CreatesParentsFirstAndSiblingsInKeyboardOrder) {
    std::vector<ControlId> created = {kForm};
    for (const auto* control : CreationOrder()) {
        EXPECT_NE(std::ranges::find(created, control->parent), created.end()) << control->name;
        created.push_back(control->id);
    }
    EXPECT_EQ(created.size(), Form1Layout().size() + 1);
    EXPECT_EQ(NamesInCreationOrderUnder(kTabSheet1), (std::vector<std::string>{"sMemo1", "sPanel1"}));
    EXPECT_EQ(NamesInCreationOrderUnder(kPanel1),
              (std::vector<std::string>{"sButton1", "sButton2", "sButton3", "sColorBox1"}));
    EXPECT_EQ(NamesInCreationOrderUnder(kPageControl1),
              (std::vector<std::string>{"sTabSheet1", "sTabSheet2", "sTabSheet4", "sTabSheet5"}));
    EXPECT_EQ(NamesInCreationOrderUnder(kTabSheet2), (std::vector<std::string>{"sShellListView1", "sPanel4"}));
}

TEST(Form1Layout, KeyboardOrderIsUniqueWithinEachParent) {
    std::map<std::pair<int, int>, std::string> seen;
    for (const auto& control : Form1Layout()) {
        const auto [at, fresh] = seen.emplace(std::pair{control.parent, control.tabOrder}, control.name);
        EXPECT_TRUE(fresh) << control.name << " and " << at->second;
    }
}

}  // namespace
}  // namespace carrow
