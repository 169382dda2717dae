#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "foundation/published/Published.h"

namespace velmora {
namespace {

TEST(Published, ObserversRunBeforeTheValueIsStored) {
    Published<int> count(1);
    std::vector<std::pair<int, int>> seen;  // (argument, get() during the call)
    count.observe([&](const int& next) { seen.emplace_back(next, count.get()); });
    count.observe([&](const int& next) { seen.emplace_back(next * 10, count.get()); });
    count.set(2);
    count.modify([](int& value) { value += 5; });
    EXPECT_EQ(count.get(), 7);
    const std::vector<std::pair<int, int>> expected = {{2, 1}, {20, 1}, {7, 2}, {70, 2}};
    EXPECT_EQ(seen, expected);
}

TEST(Published, ObserverMayAddAnotherObserver) {
    Published<std::string> status("Standart");
    int late = 0;
    status.observe([&](const std::string&) { status.observe([&](const std::string&) { ++late; }); });
    status.set("Standard");  // the copy taken before the call is what runs now
    EXPECT_EQ(late, 0);
    status.set("High Performance");
    EXPECT_EQ(late, 1);
    EXPECT_EQ(status.get(), "High Performance");
}

TEST(Published, SubscribersRunAfterTheValueIsStoredUntilTheirHandleIsDropped) {
    auto mode = std::make_unique<Published<std::string>>("Standart");
    std::vector<std::string> seen;  // "argument/get()" for each call
    Subscription first = mode->subscribe([&](const std::string& now) { seen.push_back("1:" + now + "/" + mode->get()); });
    Subscription second;
    // A subscriber that ends a later one in the same round: that one is not called.
    Subscription ender = mode->subscribe([&](const std::string&) { second.reset(); });
    second = mode->subscribe([&](const std::string& now) { seen.push_back("2:" + now); });
    mode->set("High Performance");
    first.reset();
    mode->set("Standard");
    EXPECT_EQ(seen, std::vector<std::string>{"1:High Performance/High Performance"});

    // Either side may go first.
    Subscription outlives = mode->subscribe([&](const std::string& now) { seen.push_back("3:" + now); });
    mode.reset();
    outlives.reset();
    Published<int> count(0);
    { Subscription brief = count.subscribe([&](const int&) { seen.push_back("4"); }); }
    count.set(1);
    EXPECT_EQ(seen.size(), 1u);
}

TEST(Published, ReadersOnOtherThreadsSeeWholeValues) {
    // Every value written has all elements equal; a torn read would not.
    Published<std::vector<int>> list(std::vector<int>(64, 0));
    std::atomic<bool> done{false};
    std::atomic<int> torn{0};
    std::vector<std::thread> readers;
    for (int r = 0; r < 3; ++r) {
        readers.emplace_back([&] {
            while (!done.load()) {
                const auto snapshot = list.get();
                for (int v : snapshot) {
                    if (v != snapshot.front()) torn.fetch_add(1);
                }
            }
        });
    }
    for (int i = 1; i <= 2000; ++i) list.set(std::vector<int>(64 + i % 7, i));
    done.store(true);
    for (auto& reader : readers) reader.join();
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(list.get().front(), 2000);
}

}  // namespace
}  // namespace velmora
