// db/MemDataSet.h: TMemDataSet, a dataset whose records live in memory, for programs and
// tests that need a dataset without a database.
//
// The fields are declared with AddFieldDef while the dataset is closed. A read-only
// Integer field is the auto key: an inserted record gets the next number (1, 2, ...). The
// records outlive Close: opening again shows every posted record in the order of
// insertion.
#pragma once

#include <vector>

#include "db/DataSet.h"

namespace glint {

class GLINT_DUP_API TMemDataSet : public TDataSet {
 public:
  explicit TMemDataSet(TComponent* owner = nullptr);
  ~TMemDataSet() override;

  // Raises EDatabaseError while open.
  void AddFieldDef(TFieldDef def);

 protected:
  void InternalOpen(std::vector<TFieldDef>& defs, std::vector<TRecord>& records) override;
  void InternalPost(TRecord& record, bool inserting) override;
  bool CanFetch() const override { return true; }
  bool InternalFetch(TRecord& record) const override;

 private:
  std::vector<TFieldDef> FDefs;
  std::vector<TRecord> FStore;  // in Id order
  std::int64_t FLastId = 0;
};

}  // namespace glint
