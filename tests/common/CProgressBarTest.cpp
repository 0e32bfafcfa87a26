#include "common/CProgressBar.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Shown {
    std::int64_t position, low, high;
};

class RecordingDisplay : public IProgressDisplay {
public:
    explicit RecordingDisplay(std::vector<Shown>& log) : m_log(log) {}
    void Show(std::int64_t position, std::int64_t low, std::int64_t high) override {
        m_log.push_back({position, low, high});
    }

private:
    std::vector<Shown>& m_log;
};

class ProgressBarTest : public ::testing::Test {
protected:
    void TearDown() override { CProgressBar::Destroy(); }
    std::vector<Shown> log;
};

} // namespace

TEST_F(ProgressBarTest, WithoutDisplayNothingHappens) {
    CProgressBar& bar = CProgressBar::Instance();
    bar.SetRange(0, 10, 1);
    EXPECT_FALSE(bar.StepBy(5));
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_FALSE(bar.HasDisplay());
}

TEST_F(ProgressBarTest, StepsAreClampedToTheRange) {
    CProgressBar& bar = CProgressBar::Instance();
    bar.Create(std::make_unique<RecordingDisplay>(log));
    bar.SetRange(0, 100, 1);
    bar.StepBy(30);
    EXPECT_EQ(bar.Position(), 30);
    bar.StepBy(500);
    EXPECT_EQ(bar.Position(), 100);
    bar.StepBy(std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(bar.Position(), 100);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back().position, 100);
    EXPECT_EQ(log.back().high, 100);
}

TEST_F(ProgressBarTest, RangeBeyond32BitsIsKept) {
    CProgressBar& bar = CProgressBar::Instance();
    bar.Create(std::make_unique<RecordingDisplay>(log));
    const std::int64_t big = std::int64_t{5} << 32;
    bar.SetRange(0, big, 1);
    bar.StepBy(big - 1);
    EXPECT_EQ(bar.Position(), big - 1);
}

TEST_F(ProgressBarTest, SetRangeResetsThePositionAndDestroyGivesAFreshReporter) {
    CProgressBar& bar = CProgressBar::Instance();
    bar.Create(std::make_unique<RecordingDisplay>(log));
    bar.SetRange(0, 10, 1);
    bar.StepBy(7);
    bar.SetRange(0, 4, 1);
    EXPECT_EQ(bar.Position(), 0);
    bar.Cancel();
    EXPECT_TRUE(bar.StepBy(1));
    CProgressBar::Destroy();
    CProgressBar::Destroy();
    EXPECT_FALSE(CProgressBar::Instance().HasDisplay());
    EXPECT_FALSE(CProgressBar::Instance().StepBy(1));
}
