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
#include <sqlite3.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace parcelo::test {

// Central European time with daylight saving from the last Sunday of March to the last of October.
inline constexpr const char* kBerlinRule = "CET-1CEST,M3.5.0,M10.5.0/3";

inline std::string FileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::filesystem::is_regular_file(path) ? std::string(std::istreambuf_iterator<char>(in), {})
                                                  : "(not a file)";
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

// The first column of each row each of `selects` gives from `file`, one after the other.
template <class... Selects>
std::vector<std::string> Column(const std::filesystem::path& file, const Selects&... selects) {
    SQLite::Database raw(file, SQLite::OPEN_READONLY);
    std::vector<std::string> rows;
    for (const std::string& select : {std::string(selects)...}) {
        for (SQLite::Statement statement(raw, select); statement.executeStep();) {
            rows.push_back(statement.getColumn(0).getString());
        }
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
// a whole run; `finished` tells from what the kill left whether the
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
    reset();
    const auto start = std::chrono::steady_clock::now();
    int status = 0;
    waitpid(ForkChild(body), &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a whole run fails";
    const auto whole = std::chrono::duration_cast<microseconds>(std::chrono::steady_clock::now() - start);
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

inline int64_t TicksOfWallClock(int64_t wallSeconds) {
    return (wallSeconds + 11'644'473'600) * 10'000'000;
}

// A version-1 date-time: the local wall-clock time of the instant, in ticks since 1601.
inline int64_t Version1Ticks(Instant instant) {
    const time_t time = instant;
    std::tm local{};
    localtime_r(&time, &local);
    return TicksOfWallClock(timegm(&local));
}

struct Version1Row {
    int64_t id;
    Shipment shipment;
    int64_t entryTicks, orderTicks; // as version 1 kept the dates
};

// The layouts versions 1 and 2 wrote (the shipment table alone), and the tracking tables
// version 3 added.
inline constexpr const char* kVersion1Schema =
    R"(CREATE TABLE "TRACKDB" ("id" INTEGER PRIMARY KEY, "courier" INTEGER NOT NULL DEFAULT 0, )"
    R"("invoice_number" TEXT NOT NULL DEFAULT '', "item_name" TEXT NOT NULL DEFAULT '', )"
    R"("entry_date" INTEGER NOT NULL DEFAULT 0, "order_date" INTEGER NOT NULL DEFAULT 0, )"
    R"("status" INTEGER NOT NULL DEFAULT 0);)"
    R"(CREATE INDEX "TRACKDB_by_entry_date_desc" ON "TRACKDB" ("entry_date" DESC, "id" DESC);)"
    R"(CREATE INDEX "TRACKDB_by_order_date_desc" ON "TRACKDB" ("order_date" DESC, "id" DESC);)"
    R"(CREATE INDEX "TRACKDB_by_entry_date_asc" ON "TRACKDB" ("entry_date", "id");)"
    R"(CREATE INDEX "TRACKDB_by_order_date_asc" ON "TRACKDB" ("order_date", "id");)"
    "PRAGMA user_version = 1;";
inline constexpr const char* kVersion2Schema =
    R"(CREATE TABLE "TRACKDB" ("id" INTEGER PRIMARY KEY AUTOINCREMENT, "courier" INTEGER NOT NULL DEFAULT 0, )"
    R"("invoice_number" TEXT NOT NULL DEFAULT '', "item_name" TEXT NOT NULL DEFAULT '', )"
    R"("entry_date" INTEGER NOT NULL DEFAULT 0, "order_date" INTEGER NOT NULL DEFAULT 0, )"
    R"("status" INTEGER NOT NULL DEFAULT 0);)"
    R"(CREATE INDEX "TRACKDB_by_entry_date" ON "TRACKDB" ("entry_date", "id");)"
    R"(CREATE INDEX "TRACKDB_by_order_date" ON "TRACKDB" ("order_date", "id");)"
    "PRAGMA user_version = 2;";
inline constexpr const char* kVersion3Tracking =
    R"(CREATE TABLE "TRACKDB_events" ("shipment_id" INTEGER NOT NULL, "time" INTEGER NOT NULL, )"
    R"("status_code" TEXT NOT NULL DEFAULT '', "status_name" TEXT NOT NULL DEFAULT '', )"
    R"("location" TEXT NOT NULL DEFAULT '', "description" TEXT NOT NULL DEFAULT '', )"
    R"(UNIQUE ("shipment_id", "time", "status_code", "location", "description"));)"
    R"(CREATE TABLE "TRACKDB_checks" ("shipment_id" INTEGER PRIMARY KEY, "last_check" INTEGER NOT NULL DEFAULT 0, )"
    R"("done_by" INTEGER);)"
    R"(CREATE TRIGGER "TRACKDB_delete_tracking" AFTER DELETE ON "TRACKDB" BEGIN DELETE FROM "TRACKDB_events" )"
    R"(WHERE "shipment_id" = old."id"; DELETE FROM "TRACKDB_checks" WHERE "shipment_id" = old."id"; END;)"
    "PRAGMA user_version = 3;";

// A volume as `version` wrote it, with `rows`; version 1 kept its dates in ticks and put a
// mark of its own before text that starts with a byte-order mark. As version 3, each of
// the first `checked` rows has four events (two at the same time, the later one stored
// first) and a check.
inline void WriteOldVolume(const std::filesystem::path& file, int version, const std::vector<Version1Row>& rows,
                           int checked = 0) {
    SQLite::Database raw(file, SQLite::OPEN_READWRITE | SQLite::OPEN_CREATE);
    raw.exec("PRAGMA encoding = 'UTF-16le'; PRAGMA journal_mode = WAL");
    raw.exec(version == 1 ? kVersion1Schema : kVersion2Schema);
    SQLite::Transaction transaction(raw);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(raw.getHandle(), "INSERT INTO TRACKDB VALUES (?, ?, ?, ?, ?, ?, ?)", -1, &insert, nullptr);
    const auto bindText = [&](int index, const std::u16string& text) {
        const bool marked = version == 1 && !text.empty() && (text[0] == u'\xFEFF' || text[0] == u'\xFFFE');
        const std::u16string stored = marked ? u'\xFEFF' + text : text;
        sqlite3_bind_text16(insert, index, stored.data(), static_cast<int>(stored.size() * 2), SQLITE_TRANSIENT);
    };
    for (const Version1Row& row : rows) {
        sqlite3_bind_int64(insert, 1, row.id);
        sqlite3_bind_int(insert, 2, row.shipment.courierIndex);
        bindText(3, row.shipment.invoiceNumber);
        bindText(4, row.shipment.itemName);
        sqlite3_bind_int64(insert, 5, version == 1 ? row.entryTicks : row.shipment.entryDate);
        sqlite3_bind_int64(insert, 6, version == 1 ? row.orderTicks : row.shipment.orderDate);
        sqlite3_bind_int(insert, 7, row.shipment.status);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    if (version == 3) {
        const std::string first = "(SELECT id FROM TRACKDB ORDER BY id LIMIT " + std::to_string(checked) + ")";
        raw.exec(kVersion3Tracking);
        raw.exec("INSERT INTO TRACKDB_events SELECT id, e.column1 + id, e.column2, '이름', '장소 ' || id, '' FROM " +
                 first + ", (VALUES (300, 'DELIVERED'), (100, 'AT_PICKUP'), (300, 'OUT_FOR_DELIVERY'), " +
                 "(200, 'IN_TRANSIT')) AS e");
        raw.exec("INSERT INTO TRACKDB_checks SELECT id, 7, NULL FROM " + first);
    }
    transaction.commit();
}

inline void WriteVersion1Volume(const std::filesystem::path& file, const std::vector<Version1Row>& rows) {
    WriteOldVolume(file, 1, rows);
}

} // namespace parcelo::test
