// What the strong search's tests share: one engine per test suite, its table
// emptied and one thread before each test, positions from FEN, and limits
// of a fixed depth.
#pragma once
#include <gtest/gtest.h>

#include "common/limits.h"
#include "strong/search.h"

inline SearchLimits to_depth(int depth) {
    SearchLimits limits;
    limits.depth = depth;
    return limits;
}

// The engine is large: one for the suite, made and freed around it.
class StrongEngineTest : public testing::Test {
protected:
    static void SetUpTestSuite() { engine_ = new strong::Engine; }
    static void TearDownTestSuite() {
        delete engine_;
        engine_ = nullptr;
    }
    void SetUp() override {
        strong::clear_hash(*engine_);
        strong::set_threads(*engine_, 1);
    }
    static strong::Position from_fen(const char* fen) {
        strong::Position pos;
        EXPECT_TRUE(strong::set_fen(pos, fen)) << fen;
        return pos;
    }
    static strong::Result search(const char* fen, const SearchLimits& limits, const strong::Hooks& hooks = {}) {
        return strong::think(*engine_, from_fen(fen), limits, hooks);
    }
    static inline strong::Engine* engine_ = nullptr;
};
