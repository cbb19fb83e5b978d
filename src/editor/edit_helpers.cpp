#include "console/console.h"
#include "editor/editors.h"

namespace campdb {

void ReplaceText(ObjectHead& head, Text& field, std::string_view bytes, TextStore& store) {
  const int64_t delta = static_cast<int64_t>(bytes.size()) - static_cast<int64_t>(field.size());
  field = store.Keep(bytes);
  head.AdjustDeclaredSize(delta);
}

void WriteRaceCodeLines(Console& console, Layout layout) {
  console.WriteLine("0=Fed,1=Kli,2=Rom,3=Lyr,4=Hyd,5=Gor,6=ISC,7=Mir");
  if (IsOstrel(layout)) console.WriteLine("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam");
}

}  // namespace campdb
