#include "editor/race_code_lines.h"

#include "console/console.h"
#include "format/run_settings.h"

namespace campdb {

void WriteRaceCodeLines(Console& console) {
  console.WriteLine("0=Fed,1=Kli,2=Rom,3=Lyr,4=Hyd,5=Gor,6=ISC,7=Mir");
  if (Run().Ostrel()) console.WriteLine("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam");
}

}  // namespace campdb
