#include "editor/editors.h"

namespace campdb {

void ReplaceText(ObjectHead& head, Text& field, std::string_view bytes, TextStore& store) {
  const int64_t delta = static_cast<int64_t>(bytes.size()) - static_cast<int64_t>(field.size());
  field = store.Keep(bytes);
  head.AdjustDeclaredSize(delta);
}

}  // namespace campdb
