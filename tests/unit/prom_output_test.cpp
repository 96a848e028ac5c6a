// The exposition's declared fields: each one a field's, so that a misspelt
// selector cannot leave a label empty without a word.
#include <gtest/gtest.h>

#include "cli/prom_output.h"
#include "smbios/fields.h"

namespace tarnlix {
namespace {

TEST(PromOutput, EveryDeclaredFieldIsOneOfItsTypeAndEveryGaugeReadsANumber) {
  std::vector<PromField> fields = PromFields();
  EXPECT_GT(fields.size(), 40u);
  for (const PromField& field : fields) {
    const FieldRow* row = FindField(field.selector);
    ASSERT_NE(row, nullptr) << field.selector;
    EXPECT_FALSE(row->alias) << field.selector;
    if (field.type >= 0) {
      EXPECT_EQ(row->type, field.type) << field.selector;
    }
    if (field.number) {
      EXPECT_EQ(row->kind, FieldKind::Number) << field.selector;
    }
  }
}

}  // namespace
}  // namespace tarnlix
