#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <iterator>
#include <string>

#include "window/form1_layout.h"
#include "base/layout.h"

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

// The window at its design size (489 x 268 client area, 96 dpi): each
// control's parent, place in that parent and keyboard order.  The pages'
// place inside the tab control is the control's own; their size is given.
struct Designed {
    const char* name;
    const char* parent;
    Rect place;
    int tabOrder;  // -1: not given
};
constexpr Designed kDesign[] = {
    {"sPageControl1", "", {0, 0, 489, 249}, -1},
    {"sStatusBar1", "", {0, 249, 489, 19}, -1},
    {"sMemo1", "sTabSheet1", {113, 0, 368, 221}, 0},
    {"sPanel1", "sTabSheet1", {0, 0, 113, 221}, 1},
    {"sColorBox1", "sPanel1", {0, 0, 113, 22}, 3},
    {"sButton1", "sPanel1", {16, 37, 75, 25}, 0},
    {"sButton2", "sPanel1", {16, 68, 75, 25}, 1},
    {"sButton3", "sPanel1", {16, 99, 75, 25}, 2},
    {"sShellListView1", "sTabSheet2", {0, 35, 481, 186}, 0},
    {"sPanel4", "sTabSheet2", {0, 0, 481, 35}, 1},
    {"sButton9", "sPanel4", {16, 4, 75, 25}, 0},
    {"sButton11", "sPanel4", {97, 4, 75, 25}, 1},
    {"sMemo2", "sTabSheet4", {113, 0, 368, 221}, 0},
    {"sPanel2", "sTabSheet4", {0, 0, 113, 221}, 1},
    {"sButton4", "sPanel2", {16, 16, 75, 25}, 0},
    {"sButton5", "sPanel2", {16, 47, 75, 25}, 1},
    {"sButton8", "sPanel2", {16, 78, 75, 25}, 2},
    {"sMemo3", "sTabSheet5", {113, 0, 368, 221}, 0},
    {"sPanel3", "sTabSheet5", {0, 0, 113, 221}, 1},
    {"sButton6", "sPanel3", {16, 16, 75, 25}, 0},
    {"sButton7", "sPanel3", {16, 47, 75, 25}, 1},
};

TEST(ArrangeForm, GivesTheDesignPlacesAtTheDesignSize) {
    const auto places = PlacesAt(kFormClientWidth, kFormClientHeight, 96);
    ASSERT_EQ(places.size(), std::size(kDesign) + 4) << "the design's controls and the four pages";
    for (const Designed& want : kDesign) {
        ASSERT_TRUE(places.contains(want.name)) << want.name;
        EXPECT_EQ(places.at(want.name), want.place) << want.name;
        const ControlLayout* control = nullptr;
        for (const auto& c : Form1Layout()) {
            if (std::string(c.name) == want.name) control = &c;
        }
        const std::string parent = control->parent == kForm ? "" : LayoutOf(control->parent).name;
        EXPECT_EQ(parent, want.parent) << want.name;
        if (want.tabOrder >= 0) {
            EXPECT_EQ(control->tabOrder, want.tabOrder) << want.name;
        }
    }
    for (const char* page : {"sTabSheet1", "sTabSheet2", "sTabSheet4", "sTabSheet5"}) {
        EXPECT_EQ(places.at(page).width, 481) << page;
        EXPECT_EQ(places.at(page).height, 221) << page;
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
