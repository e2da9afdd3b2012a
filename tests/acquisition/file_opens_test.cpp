// A cached pass must read each supply's uevent once and open no single attribute file when
// uevent holds every attribute; inotify counts the opens.
#include "acquisition/supply_cache.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>

#include <sys/inotify.h>
#include <unistd.h>

#include "support/fixture_tree.h"

namespace {

// Opens seen per "supply/file" while the watches were on.
class OpenCounter {
  public:
    OpenCounter() : fd_(inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    OpenCounter(const OpenCounter&) = delete;
    OpenCounter& operator=(const OpenCounter&) = delete;
    ~OpenCounter() { ::close(fd_); }

    bool watch(const std::filesystem::path& dir, const std::string& label) {
        const int wd = inotify_add_watch(fd_, dir.c_str(), IN_OPEN);
        labels_[wd] = label;
        return wd >= 0;
    }

    std::map<std::string, int> drain() {
        std::map<std::string, int> counts;
        alignas(inotify_event) std::array<char, std::size_t{64} * 1024> buffer{};
        for (;;) {
            const ssize_t got = ::read(fd_, buffer.data(), buffer.size());
            if (got <= 0) {
                return counts;
            }
            for (ssize_t at = 0; at < got;) {
                const auto* event = reinterpret_cast<const inotify_event*>(buffer.data() + at);
                const std::string name = event->len > 0 ? event->name : ".";
                ++counts[labels_[event->wd] + "/" + name];
                at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            }
        }
    }

  private:
    int fd_;
    std::map<int, std::string> labels_;
};

const FixtureAttributes kCompleteBattery = {
    {"type", "Battery"},          {"status", "Discharging"},   {"present", "1"},
    {"voltage_now", "12000000"},  {"energy_now", "30000000"},  {"energy_full", "50000000"},
    {"energy_full_design", "57000000"}, {"charge_now", "2500000"}, {"charge_full", "4100000"},
    {"charge_full_design", "4700000"},  {"power_now", "9000000"},  {"current_now", "750000"},
    {"capacity", "60"},           {"cycle_count", "12"},        {"model_name", "M"},
    {"manufacturer", "Maker"},    {"technology", "Li-ion"},     {"scope", "System"},
};

TEST(FileOpens, CachedPassReadsOnlyEachUeventOnce) {
    FixtureTree tree;
    // Single files holding other values too: a pass that opened them would be caught here.
    const FixtureAttributes files = {{"status", "Charging"}, {"capacity", "1"}};
    const std::filesystem::path bat0 = tree.add_supply("BAT0", kCompleteBattery, files);
    const std::filesystem::path bat1 = tree.add_supply("BAT1", kCompleteBattery, files);
    const std::filesystem::path ac =
        tree.add_supply("AC", {{"type", "Mains"}, {"online", "0"}, {"scope", "System"}});

    TreeCache cache(tree.root);
    ASSERT_EQ(run_live_pass(cache).readings.size(), 2U);

    OpenCounter counter;
    ASSERT_TRUE(counter.watch(bat0, "BAT0") && counter.watch(bat1, "BAT1") &&
                counter.watch(ac, "AC") && counter.watch(tree.root, "root"));
    const BatterySnapshot snapshot = run_live_pass(cache);
    ASSERT_EQ(snapshot.readings.size(), 2U);
    EXPECT_DOUBLE_EQ(snapshot.readings[0].capacity_percent.value, 60.0);
    EXPECT_EQ(counter.drain(),
              (std::map<std::string, int>{{"AC/uevent", 1}, {"BAT0/uevent", 1},
                                          {"BAT1/uevent", 1}}));
}

} // namespace
