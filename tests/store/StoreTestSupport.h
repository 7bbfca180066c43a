#pragma once

#include "config/TempFolder.h"
#include "store/ShipmentDatabase.h"
#include "support/ScopedEnv.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>
#include <chrono>
#include <csignal>
#include <fstream>
#include <functional>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace parcelo::test {

// Central European time with daylight saving from the last Sunday of March to the last of October.
inline constexpr const char* kBerlinRule = "CET-1CEST,M3.5.0,M10.5.0/3";

inline std::string FileBytes(const std::filesystem::path& path) {
    if (!std::filesystem::is_regular_file(path)) {
        return "(not a file)";
    }
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// "<prefix><i>" as a UTF-16 number.
inline std::u16string Numbered(const std::string& prefix, int64_t i) {
    const std::string text = prefix + std::to_string(i);
    return {text.begin(), text.end()};
}

inline Shipment MakeShipment(const std::u16string& invoice, Instant entry, Instant order, int status = InDelivery) {
    return {3, invoice, u"물품 " + invoice, entry, order, status};
}

inline std::vector<std::u16string> Invoices(CShipmentDatabase& store, const ShipmentQuery& query = {}) {
    std::vector<Shipment> all;
    store.Query(query, all);
    std::vector<std::u16string> invoices;
    for (const Shipment& shipment : all) {
        invoices.push_back(shipment.invoiceNumber);
    }
    return invoices;
}

// Mounts `file` and opens the shipment table in it.
inline bool OpenStore(CShipmentDatabase& store, const std::filesystem::path& file) {
    return store.MountVolume(file.u16string()) && store.Open(u"TRACKDB");
}

// A temporary folder for the suite's volumes, with VELDAN.EDB as the usual one.
class StoreFolderTest : public ::testing::Test {
protected:
    std::filesystem::path PathOf(const std::string& name) const { return m_folder.Path() / name; }
    bool OpenStore(CShipmentDatabase& store, const std::string& name = "VELDAN.EDB") const {
        return test::OpenStore(store, PathOf(name));
    }

    TempFolder m_folder;
};

// The first column of each row `select` gives from `file`.
inline std::vector<std::string> Column(const std::filesystem::path& file, const std::string& select) {
    SQLite::Database raw(file, SQLite::OPEN_READONLY);
    SQLite::Statement statement(raw, select);
    std::vector<std::string> rows;
    while (statement.executeStep()) {
        rows.push_back(statement.getColumn(0).getString());
    }
    return rows;
}

// Runs `body` in a child process that ends with 0 when it returns true.
inline pid_t ForkChild(const std::function<bool()>& body) {
    const pid_t child = fork();
    if (child == 0) {
        _exit(body() ? 0 : 1);
    }
    return child;
}

// Kills children running `body` on a fresh copy of `pristine` at `work` (every file named
// like `work` removed first), `rounds` times at moments spread over a little more than
// the longest of three whole runs; `finished` tells from what the kill left whether the
// work was done. Further kills aim past the end or at the start until both outcomes have
// been seen, however the machine's load moved the kills.
inline void KillAtMoments(const std::filesystem::path& pristine, const std::filesystem::path& work, int rounds,
                          const std::function<bool()>& body, const std::function<bool(int round)>& finished) {
    const auto reset = [&] {
        for (const auto& entry : std::filesystem::directory_iterator(work.parent_path())) {
            if (entry.path().filename().string().starts_with(work.filename().string())) {
                std::filesystem::remove(entry.path());
            }
        }
        std::filesystem::copy_file(pristine, work);
    };
    using std::chrono::microseconds;
    microseconds whole{0};
    for (int run = 0; run < 3; ++run) {
        reset();
        const auto start = std::chrono::steady_clock::now();
        int status = 0;
        waitpid(ForkChild(body), &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a whole run fails";
        whole = std::max(whole, std::chrono::duration_cast<microseconds>(std::chrono::steady_clock::now() - start));
    }
    std::mt19937 random(11);
    int done = 0;
    int undone = 0;
    const auto killAfter = [&](microseconds delay, int round) {
        reset();
        const pid_t child = ForkChild(body);
        std::this_thread::sleep_for(delay);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        (finished(round) ? done : undone)++;
    };
    const int64_t slice = whole.count() * 13 / 10 / rounds;
    for (int round = 0; round < rounds; ++round) {
        killAfter(microseconds(round * slice + std::uniform_int_distribution<int64_t>(0, slice)(random)), round);
    }
    for (int extra = 0; extra < 8 && (done == 0 || undone == 0); ++extra) {
        killAfter(done == 0 ? whole * (extra + 2) : microseconds(0), rounds + extra);
    }
    EXPECT_GT(done, 0);
    EXPECT_GT(undone, 0);
}

} // namespace parcelo::test
