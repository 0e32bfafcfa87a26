#include "common/ChunkPipeline.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string Piece(int job, int place) {
    return std::to_string(job) + "." + std::to_string(place) + ",";
}

// A job that writes `count` pieces, each naming the job and its place, now and then after a
// short pause: any piece out of its place shows.
class NumberJob : public ChunkPipeline::Job {
public:
    NumberJob(int number, int count, bool fail) : m_number(number), m_count(count), m_fail(fail) {}
    void Run(ITextSink& out) override {
        for (int i = 0; i < m_count; ++i) {
            const std::string text = Piece(m_number, i);
            if (i % 7 == m_number % 7)
                std::this_thread::sleep_for(std::chrono::microseconds(50));
            if (!out.Write(text.data(), text.size()))
                return;
        }
        if (m_fail)
            throw std::runtime_error("job failed");
    }
    [[nodiscard]] int number() const { return m_number; }

private:
    int m_number;
    int m_count;
    bool m_fail;
};

struct PipelineRun {
    std::string written;
    std::vector<int> done;
    bool ok = false;
};

PipelineRun RunNumbers(int jobs, std::size_t stopAfterBytes, int failing = -1, unsigned threads = 3) {
    PipelineRun run;
    int made = 0;
    ChunkPipeline pipeline(threads, 16); // little room: jobs ahead of their turn wait
    run.ok = pipeline.Run(
        [&]() -> std::unique_ptr<ChunkPipeline::Job> {
            if (made == jobs)
                return nullptr;
            const int number = made++;
            return std::make_unique<NumberJob>(number, 1 + number * 13 % 40, number == failing);
        },
        [&](std::string_view bytes) {
            run.written += bytes;
            return run.written.size() < stopAfterBytes;
        },
        [&](ChunkPipeline::Job& job) {
            run.done.push_back(static_cast<NumberJob&>(job).number());
            return true;
        });
    return run;
}

TEST(ChunkPipeline, HandsOnBytesAndJobsInTheOrderTheJobsWereMade) {
    std::string expected;
    std::vector<int> order;
    for (int number = 0; number < 60; ++number) {
        for (int i = 0; i < 1 + number * 13 % 40; ++i)
            expected += Piece(number, i);
        order.push_back(number);
    }
    for (const unsigned threads : {1u, 3u}) {
        SCOPED_TRACE(threads);
        const PipelineRun run = RunNumbers(60, std::string::npos, -1, threads);
        EXPECT_TRUE(run.ok);
        EXPECT_EQ(run.written, expected);
        EXPECT_EQ(run.done, order);
    }
}

TEST(ChunkPipeline, StopsWhenTheWriterFailsAndPassesOnAJobsException) {
    const PipelineRun stopped = RunNumbers(60, 100);
    EXPECT_FALSE(stopped.ok);
    EXPECT_LT(stopped.done.size(), 60u);

    EXPECT_THROW(RunNumbers(30, std::string::npos, 12), std::runtime_error);
    EXPECT_THROW(RunNumbers(30, std::string::npos, 12, 1), std::runtime_error);
}

} // namespace
