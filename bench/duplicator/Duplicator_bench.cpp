// TQZDuplicator duplicating and posting 10,000 records of a 10-column table in an SQLite
// database held in memory, against the same 10,000 inserts through one prepared INSERT
// (bind, step, reset). Both sides commit each record on its own (BEGIN/COMMIT per record).
// Then the same over ODBC (Debian's SQLite ODBC driver, on a file in /dev/shm without
// fsync): TQZDuplicator on a TOdbcTable against one prepared INSERT through ODBC
// (execute, commit). After the runs it prints each time divided by its reference's.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "bench/RatioReporter.h"
#include "db/OdbcTable.h"
#include "db/SqliteTable.h"
#include "duplicator/duprec.h"
#include GLINT_ODBC_HEADER

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

// The measured work of both sides: the table's one record duplicated and
// posted kRecords times.
void DuplicateAndPost(benchmark::State& state, TDataSet& table) {
  TQZDuplicator duplicator;
  duplicator.SetDataSet(&table);
  for (int i = 0; i < kRecords; ++i) {
    duplicator.Execute();
    table.Post();
  }
  if (table.RecordCount() != kRecords + 1) state.SkipWithError("wrong record count");
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
    DuplicateAndPost(state, *table);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

// ---- The same through ODBC ----

// A file both sides reach by the driver's full path; no fsync and the journal in memory,
// so the run measures the calls, not the disk.
const std::string kOdbcFile = "/dev/shm/glint-duplicator-bench.db";
const std::string kOdbcConnection = "Driver=" GLINT_SQLITE_ODBC_DRIVER ";Database=" + kOdbcFile +
                                    ";SyncPragma=OFF;JournalMode=MEMORY";

void MakeOdbcDatabase() {
  std::remove(kOdbcFile.c_str());
  TSqliteConnection connection;
  connection.Open(kOdbcFile, TSqliteOpenMode::Create);
  connection.ExecSql(kCreate);
  TStatement insert(connection.Handle(), kInsert);
  Bind(insert.Handle);
  insert.Run();
}

void BM_OdbcPreparedStatements(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    MakeOdbcDatabase();
    state.ResumeTiming();
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    SQLHSTMT insert = SQL_NULL_HSTMT;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    std::string connection = kOdbcConnection;
    if (!SQL_SUCCEEDED(SQLDriverConnect(dbc, nullptr, reinterpret_cast<SQLCHAR*>(connection.data()),
                                        SQL_NTS, nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT))) {
      state.SkipWithError("cannot connect");
      break;
    }
    SQLSetConnectAttr(dbc, SQL_ATTR_AUTOCOMMIT, reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF),
                      0);
    SQLAllocHandle(SQL_HANDLE_STMT, dbc, &insert);
    std::string sql = kInsert;
    SQLPrepare(insert, reinterpret_cast<SQLCHAR*>(sql.data()), SQL_NTS);
    SQLBIGINT item = kItem, quantity = kQuantity;
    double price = kPrice, weight = kWeight;
    SQL_DATE_STRUCT checked{2024, 2, 29};
    SQLLEN lengths[9] = {0,
                         0,
                         0,
                         0,
                         sizeof kName - 1,
                         sizeof kPlace - 1,
                         0,
                         static_cast<SQLLEN>(kLabel.size()),
                         sizeof kNote - 1};
    auto bind = [&](SQLUSMALLINT n, SQLSMALLINT cType, SQLSMALLINT sqlType, const void* data) {
      SQLBindParameter(insert, n, SQL_PARAM_INPUT, cType, sqlType, 255, 0, const_cast<void*>(data),
                       lengths[n - 1], &lengths[n - 1]);
    };
    bind(1, SQL_C_SBIGINT, SQL_BIGINT, &item);
    bind(2, SQL_C_SBIGINT, SQL_BIGINT, &quantity);
    bind(3, SQL_C_DOUBLE, SQL_DOUBLE, &price);
    bind(4, SQL_C_DOUBLE, SQL_DOUBLE, &weight);
    bind(5, SQL_C_CHAR, SQL_VARCHAR, kName);
    bind(6, SQL_C_CHAR, SQL_VARCHAR, kPlace);
    bind(7, SQL_C_TYPE_DATE, SQL_TYPE_DATE, &checked);
    bind(8, SQL_C_BINARY, SQL_LONGVARBINARY, kLabel.data());
    bind(9, SQL_C_CHAR, SQL_VARCHAR, kNote);
    for (int i = 0; i < kRecords; ++i) {
      if (!SQL_SUCCEEDED(SQLExecute(insert)) ||
          !SQL_SUCCEEDED(SQLEndTran(SQL_HANDLE_DBC, dbc, SQL_COMMIT))) {
        state.SkipWithError("insert failed");
        break;
      }
    }
    SQLFreeHandle(SQL_HANDLE_STMT, insert);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
  state.SetItemsProcessed(state.iterations() * kRecords);
}

void BM_OdbcDuplicator(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    MakeOdbcDatabase();
    auto table = std::make_unique<TOdbcTable>();
    state.ResumeTiming();
    table->SetConnectionString(kOdbcConnection);
    table->SetTableName("stock");
    table->Open();
    DuplicateAndPost(state, *table);
    table->Close();
  }
  std::remove(kOdbcFile.c_str());
  state.SetItemsProcessed(state.iterations() * kRecords);
}

BENCHMARK(BM_PreparedStatements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Duplicator)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OdbcPreparedStatements)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OdbcDuplicator)->Unit(benchmark::kMillisecond);

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
    const struct {
      const char *what, *ours, *plain;
    } kLines[] = {{"SQLite", "BM_Duplicator", "BM_PreparedStatements"},
                  {"ODBC", "BM_OdbcDuplicator", "BM_OdbcPreparedStatements"}};
    for (const auto& line : kLines) {
      const double plain = reporter.Time(line.plain);
      const double ours = reporter.Time(line.ours);
      if (plain > 0 && ours > 0)
        std::printf(
            "%s: %d records duplicated and posted, one transaction each: %.1f ms (%.0f "
            "records/s); plain prepared statements %.1f ms; %.2f times the reference (aim: at "
            "most 1.5)\n",
            line.what, glint::kRecords, ours, glint::kRecords / (ours / 1e3), plain, ours / plain);
    }
  });
}
