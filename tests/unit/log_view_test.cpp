#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>
#include <string>

#include "log/log_view_rules.h"

namespace carrow {
namespace {

struct Ticks {
    TickGate gate;
    int refreshes = 0;
    int reports = 0;
    int openReports = 0;
    int mostOpenAtOnce = 0;
    bool failing = true;

    // One tick; `whileOpen` runs while its report is open, as a modal loop
    // would deliver later ticks.
    void Tick(const std::function<void()>& whileOpen = {}) {
        gate.Run(
            [&] {
                ++refreshes;
                if (failing) throw std::runtime_error("Cannot open file");
            },
            [&] {
                ++reports;
                mostOpenAtOnce = std::max(mostOpenAtOnce, ++openReports);
                if (whileOpen) whileOpen();
                --openReports;
            });
    }
};

TEST(TickGate, KeepsAtMostOneReportOpenAndRetriesAfterItCloses) {
    Ticks t;
    t.Tick([&] {
        for (int i = 0; i < 5; ++i) t.Tick();
    });
    EXPECT_EQ(t.reports, 1);
    EXPECT_EQ(t.mostOpenAtOnce, 1);
    EXPECT_EQ(t.refreshes, 1) << "ticks while the report is open wait for it";

    t.Tick();
    EXPECT_EQ(t.reports, 2) << "the first tick after the report closed tries again";
    EXPECT_FALSE(t.gate.Running());

    t.failing = false;
    t.Tick();
    EXPECT_EQ(t.refreshes, 3);
    EXPECT_EQ(t.reports, 2);
}

TEST(TickGate, ATickDueInsideARunningTickIsSkipped) {
    TickGate gate;
    int inner = 0;
    gate.Run([&] { gate.Run([&] { ++inner; }, [] {}); },
             [] { FAIL() << "nothing failed"; });
    EXPECT_EQ(inner, 0);
    gate.Run([&] { ++inner; }, [] {});
    EXPECT_EQ(inner, 1);
}

TEST(TickGate, ReopensWhenTheReportItselfThrows) {
    TickGate gate;
    EXPECT_THROW(gate.Run([] { throw 1; }, [] { throw 2; }), int);
    EXPECT_FALSE(gate.Running());
}

}  // namespace
}  // namespace carrow
