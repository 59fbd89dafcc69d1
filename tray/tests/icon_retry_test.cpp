#include "icon_retry.h"

#include <gtest/gtest.h>

namespace {

TEST(IconRetryTest, SuccessNeedsNoRetry) {
    IconRetry retry;
    EXPECT_FALSE(retry.AfterAttempt(true));
}

TEST(IconRetryTest, RetriesForABoundedTimeThenWaitsForTheShell) {
    IconRetry retry;
    unsigned attempts = 0;
    while (retry.AfterAttempt(false)) {
        ++attempts;
        ASSERT_LT(attempts, 1000u) << "retries never stop";
    }
    // The first attempt plus the retries span about a minute of timer ticks.
    EXPECT_EQ((attempts + 1) * IconRetry::kIntervalMs, 60000u);
    // Further failures (for example a late timer tick) do not restart the round.
    EXPECT_FALSE(retry.AfterAttempt(false));
}

TEST(IconRetryTest, NewShellStartsANewRound) {
    IconRetry retry;
    while (retry.AfterAttempt(false)) {
    }
    retry.Restart();
    EXPECT_TRUE(retry.AfterAttempt(false));
}

TEST(IconRetryTest, SuccessAfterFailuresStartsAFreshRoundForTheNextLoss) {
    IconRetry retry;
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(retry.AfterAttempt(false));
    EXPECT_FALSE(retry.AfterAttempt(true));
    for (unsigned i = 1; i < IconRetry::kMaxFailures; ++i) ASSERT_TRUE(retry.AfterAttempt(false));
    EXPECT_FALSE(retry.AfterAttempt(false));
}

}  // namespace
