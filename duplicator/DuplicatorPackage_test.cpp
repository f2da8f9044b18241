// The component used through the Duplicator package as a program using the package would:
// linked against the shared library only, errors caught across its boundary.
#include <gtest/gtest.h>

#include "db/MemDataSet.h"
#include "duplicator/duprec.h"

namespace glint {
namespace {

// At run time the component and its dataset live on the user's form, which frees them.
TEST(DuplicatorPackage, DuplicatesOnAFormThroughThePackage) {
  Register();  // the palette itself lives inside the package
  TComponent form(nullptr);
  auto* data = new TMemDataSet(&form);
  data->SetName("Orders");
  data->AddFieldDef({"id", TFieldType::Integer, true});
  data->AddFieldDef({"item", TFieldType::Text});
  data->Open();
  auto* dup = new TQZDuplicator(&form);
  dup->SetName("Duplicator1");
  dup->SetDataSet(data);
  EXPECT_EQ(form.FindComponent("Duplicator1"), dup);

  EXPECT_THROW(dup->Execute(), EDatabaseError);  // empty
  data->Append();
  data->FieldByName("item").SetAsString("tea");
  data->Post();
  dup->Execute();
  data->Post();
  EXPECT_EQ(data->RecordCount(), 2);
  EXPECT_EQ(data->FieldByName("id").AsString(), "2");
  EXPECT_EQ(data->FieldByName("item").AsString(), "tea");

  delete data;
  EXPECT_EQ(dup->DataSet(), nullptr);
  form.DestroyComponents();
  EXPECT_EQ(form.ComponentCount(), 0);
}

}  // namespace
}  // namespace glint
