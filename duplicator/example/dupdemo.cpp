// duplicator/example/dupdemo.cpp: dupdemo, TQZDuplicator at work on a table of an SQLite
// file or of any ODBC data source: find a record by its key, duplicate it, change one field
// of the copy and post it.
//
// Failures print one line naming the cause and exit 1 (2 for a usage error); the table is
// then left as it was, since nothing is written before the final post.
#include <algorithm>
#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "db/OdbcTable.h"
#include "db/SqliteTable.h"
#include "duplicator/duprec.h"

namespace glint {
namespace {

constexpr char kHelp[] =
    R"(dupdemo - duplicate a record of a database table with TQZDuplicator

Usage:
  dupdemo [--fields NAME,NAME...] DATABASE TABLE KEY FIELD=VALUE
  dupdemo [--fields NAME,NAME...] --odbc CONNECTION TABLE KEY FIELD=VALUE
  dupdemo --help

Opens TABLE of the SQLite file DATABASE, or of the ODBC data source that the
connection string CONNECTION names (for example "DSN=orders" or
"Driver=SQLite3;Database=/data/orders.db"), moves to the record whose key is KEY, and
duplicates it: every field but the key, or only the fields named by --fields. The key
is the column the database assigns: an INTEGER PRIMARY KEY in SQLite, an
auto-increment (identity) primary key through ODBC. In the copy it sets FIELD to VALUE
(a date as YYYY-MM-DD; an empty VALUE makes a number, date or blob null), then posts
the copy, which the database gives a new key. It prints the record it copied and the
one it added.

Exit status: 0 on success, 1 when the work fails (a missing file, table, key or
field, a value that does not fit, a constraint of the table), 2 for a usage error.
)";

struct TUsageError {
  std::string Message;
};

struct TOptions {
  std::string Fields, Database, Odbc, Table, Key, Field, Value;
};

TOptions Parse(const std::vector<std::string_view>& args) {
  TOptions options;
  std::vector<std::string_view> words;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--fields") {
      if (++i == args.size()) throw TUsageError{"--fields needs a list of names"};
      options.Fields = args[i];
    } else if (args[i] == "--odbc") {
      if (++i == args.size()) throw TUsageError{"--odbc needs a connection string"};
      options.Odbc = args[i];
    } else if (args[i].starts_with("--")) {
      throw TUsageError{"unknown option " + std::string(args[i])};
    } else {
      words.push_back(args[i]);
    }
  }
  // With --odbc the connection string stands for DATABASE.
  if (options.Odbc.empty()) {
    if (words.size() != 4) throw TUsageError{"expected DATABASE TABLE KEY FIELD=VALUE"};
    options.Database = words[0];
    words.erase(words.begin());
  } else if (words.size() != 3) {
    throw TUsageError{"expected --odbc CONNECTION TABLE KEY FIELD=VALUE"};
  }
  const std::size_t equals = words[2].find('=');
  if (equals == std::string_view::npos)
    throw TUsageError{"expected FIELD=VALUE, not " + std::string(words[2])};
  options.Table = words[0];
  options.Key = words[1];
  options.Field = words[2].substr(0, equals);
  options.Value = words[2].substr(equals + 1);
  return options;
}

// Text quoted, blobs by their size, whether the field's own or a value as stored.
std::string Describe(const TField& field) {
  const TValue& value = field.Value();
  const auto* stored = std::get_if<TStoredValue>(&value);
  const bool bytes = std::holds_alternative<std::string>(value) ||
                     (stored && std::holds_alternative<std::string>(stored->Value));
  const bool blob = stored ? stored->Blob : field.DataType() == TFieldType::Blob;
  if (field.IsNull()) return "null";
  if (bytes && blob) return "(" + std::to_string(field.AsString().size()) + " bytes)";
  if (bytes) return "'" + field.AsString() + "'";
  return field.AsString();
}

std::string Describe(const TDataSet& table) {
  std::string text;
  for (int i = 0; i < table.FieldCount(); ++i)
    text += (i ? ", " : "") + table.Fields(i).FieldName() + "=" + Describe(table.Fields(i));
  return text;
}

// The table the options name, open.
std::unique_ptr<TDataSet> OpenTable(const TOptions& options) {
  if (!options.Odbc.empty()) {
    auto table = std::make_unique<TOdbcTable>();
    table->SetConnectionString(options.Odbc);
    table->SetTableName(options.Table);
    table->Open();
    return table;
  }
  auto table = std::make_unique<TSqliteTable>();
  table->SetDatabaseName(options.Database);
  table->SetTableName(options.Table);
  table->Open();
  return table;
}

int Run(const TOptions& options) {
  const std::unique_ptr<TDataSet> opened = OpenTable(options);
  TDataSet& table = *opened;
  TField* key = nullptr;
  for (int i = 0; i < table.FieldCount() && !key; ++i)
    if (table.Fields(i).ReadOnly()) key = &table.Fields(i);
  if (!key) throw EDatabaseError("Table '" + options.Table + "' has no key the database assigns");
  std::int64_t wanted = 0;
  const char* end = options.Key.data() + options.Key.size();
  if (std::from_chars(options.Key.data(), end, wanted).ptr != end || options.Key.empty())
    throw TUsageError{"KEY must be an integer, not '" + options.Key + "'"};
  if (!table.Locate(key->FieldName(), wanted))
    throw EDatabaseError("Table '" + options.Table + "' has no record with " + key->FieldName() +
                         " = " + options.Key);
  std::printf("Copying  %s\n", Describe(table).c_str());

  TQZDuplicator duplicator;
  duplicator.SetDataSet(&table);
  for (std::size_t start = 0; start < options.Fields.size();) {
    const std::size_t comma = std::min(options.Fields.find(',', start), options.Fields.size());
    duplicator.Fields().Add(options.Fields.substr(start, comma - start));
    start = comma + 1;
  }
  duplicator.Execute();
  table.FieldByName(options.Field).SetAsString(options.Value);
  table.Post();
  std::printf("Added    %s\n", Describe(table).c_str());
  return 0;
}

}  // namespace
}  // namespace glint

int main(int argc, char** argv) {
  std::vector<std::string_view> args(argv + 1, argv + argc);
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h")) {
    std::fputs(glint::kHelp, stdout);
    return 0;
  }
  try {
    return glint::Run(glint::Parse(args));
  } catch (const glint::TUsageError& e) {
    std::fprintf(stderr, "dupdemo: %s (see dupdemo --help)\n", e.Message.c_str());
    return 2;
  } catch (const glint::Exception& e) {
    std::fprintf(stderr, "dupdemo: %s\n", e.Message().c_str());
    return 1;
  }
}
