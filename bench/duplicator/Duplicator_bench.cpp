// TQZDuplicator duplicating and posting 10,000 records of a 10-column table in an SQLite
// database held in memory, against the same 10,000 inserts through one prepared INSERT
// (bind, step, reset). Both sides commit each record on its own (BEGIN/COMMIT per record).
// After the runs it prints our time divided by the reference's (aim: at most 1.5).
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/RatioReporter.h"
#include "db/SqliteTable.h"
#include "duplicator/duprec.h"

namespace glint {
namespace {

constexpr int kRecords = 10'000;

constexpr char kCreate[] =
    "CREATE TABLE stock (id INTEGER PRIMARY KEY, item INTEGER, quantity INTEGER, price REAL, "
    "weight REAL, name TEXT, place TEXT, checked DATE, label BLOB, note TEXT)";
// The source record; the reference inserts these values, the duplicator copies them.
constexpr char kInsert[] =
    "INSERT INTO stock (item, quantity, price, weight, name, place, checked, label, note) "
    "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?)";
constexpr std::int64_t kItem = 120'345, kQuantity = -7;
constexpr double kPrice = 3.25, kWeight = 0.001;
constexpr char kName[] = "Stainless steel hex bolt M8 x 40";
constexpr char kPlace[] = "Warehouse 7, aisle 12, shelf B";
constexpr char kChecked[] = "2024-02-29";
const std::string kLabel(64, '\x5A');
constexpr char kNote[] = "reorder when below 100";

struct TStatement {
  sqlite3_stmt* Handle = nullptr;
  TStatement(sqlite3* db, const char* sql) { sqlite3_prepare_v2(db, sql, -1, &Handle, nullptr); }
  ~TStatement() { sqlite3_finalize(Handle); }
  bool Run() {
    const int rc = sqlite3_step(Handle);
    sqlite3_reset(Handle);
    return rc == SQLITE_DONE;
  }
};

void Bind(sqlite3_stmt* insert) {
  sqlite3_bind_int64(insert, 1, kItem);
  sqlite3_bind_int64(insert, 2, kQuantity);
  sqlite3_bind_double(insert, 3, kPrice);
  sqlite3_bind_double(insert, 4, kWeight);
  sqlite3_bind_text(insert, 5, kName, -1, SQLITE_STATIC);
  sqlite3_bind_text(insert, 6, kPlace, -1, SQLITE_STATIC);
  sqlite3_bind_text(insert, 7, kChecked, -1, SQLITE_STATIC);
  sqlite3_bind_blob(insert, 8, kLabel.data(), static_cast<int>(kLabel.size()), SQLITE_STATIC);
  sqlite3_bind_text(insert, 9, kNote, -1, SQLITE_STATIC);
}

// A new database holding the table and its source record.
void MakeDatabase(TSqliteConnection& connection) {
  connection.Open(":memory:");
  connection.ExecSql(kCreate);
  TStatement insert(connection.Handle(), kInsert);
  Bind(insert.Handle);
  insert.Run();
}

// Each iteration starts on a new database holding only the source record; making it, and
// freeing the one before with its 10,000 records, is not timed.
void BM_PreparedStatements(benchmark::State& state) {
  std::unique_ptr<TSqliteConnection> connection;
  for (auto _ : state) {
    state.PauseTiming();
    connection = std::make_unique<TSqliteConnection>();
    MakeDatabase(*connection);
    sqlite3* db = connection->Handle();
    state.ResumeTiming();
    TStatement begin(db, "BEGIN"), commit(db, "COMMIT"), insert(db, kInsert);
    for (int i = 0; i < kRecords; ++i) {
      begin.Run();
      Bind(insert.Handle);
      if (!insert.Run() || !commit.Run()) state.SkipWithError(sqlite3_errmsg(db));
    }
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_Duplicator(benchmark::State& state) {
  std::unique_ptr<TSqliteTable> table;
  std::unique_ptr<TSqliteConnection> connection;
  for (auto _ : state) {
    state.PauseTiming();
    table.reset();
    connection = std::make_unique<TSqliteConnection>();
    MakeDatabase(*connection);
    table = std::make_unique<TSqliteTable>();
    state.ResumeTiming();
    table->SetConnection(connection.get());
    table->SetTableName("stock");
    table->Open();
    TQZDuplicator duplicator;
    duplicator.SetDataSet(table.get());
    for (int i = 0; i < kRecords; ++i) {
      duplicator.Execute();
      table->Post();
    }
    if (table->RecordCount() != kRecords + 1) state.SkipWithError("wrong record count");
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_PreparedStatements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Duplicator)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace glint

int main(int argc, char** argv) {
  // The dataset caches each posted record, so every iteration first-touches its cache's
  // pages again, which some virtual machines make expensive. GLINT_BENCH_KEEP_MEMORY=1
  // makes the process keep the memory it frees, as a program that has run for a while
  // does; the default measures with glibc's own trimming.
  if (std::getenv("GLINT_BENCH_KEEP_MEMORY")) {
    mallopt(M_TRIM_THRESHOLD, 1 << 30);
    mallopt(M_MMAP_THRESHOLD, 1 << 30);
  }
  return glint::RunBenchmarks(argc, argv, [](const glint::TRatioReporter& reporter) {
    const double plain = reporter.Time("BM_PreparedStatements");
    const double ours = reporter.Time("BM_Duplicator");
    if (plain > 0 && ours > 0)
      std::printf(
          "%d records duplicated and posted, one transaction each: %.1f ms (%.0f records/s); "
          "plain prepared statements %.1f ms; %.2f times the reference (aim: at most 1.5)\n",
          glint::kRecords, ours, glint::kRecords / (ours / 1e3), plain, ours / plain);
  });
}
