// The campaign info files, refreshed whenever an output database is written.
// Both go to the current working folder and are written byte for byte, with
// no translation:
//
//   camp.info     the campaign record in its own layout, except that the
//                 first word is the declared size less 23, the second size
//                 word and the class tag are left out, and so is the tail;
//   version.info  the version text and one line feed.
#include <string>
#include <string_view>

#include "console/console.h"
#include "format/campaign.h"
#include "maintenance/output_file.h"

namespace campdb {

namespace {

std::string CampInfoBytes(const tCampaignObject& c) {
  ByteWriter out;
  WriteInt32(out, static_cast<int32_t>(static_cast<uint32_t>(c.declaredSize) - 23u));
  c.WriteFields(out);
  return out.TakeBuffer();
}

// Writes one info file with its console lines. A file that cannot be opened
// (a folder of that name, the input database itself) or whose writing fails
// is reported by its failure line; the run goes on either way.
void WriteInfoFile(const std::string& name, const std::string& bytes, Console& console) {
  const std::string failure = Cat("Unable to produce matching ", name, " file");
  OutputFile file;
  if (!file.OpenInPlace(name)) {
    console.WriteLine(failure);
    return;
  }
  console.WriteLine(Cat("Producing an updated ", name, " file"));
  const bool written = file.Put(bytes.data(), bytes.size());
  if (!file.Finish() || !written) console.WriteLine(failure);
}

}  // namespace

void tCampaignObject::WriteInfoFiles(Console& console) const {
  WriteInfoFile("camp.info", CampInfoBytes(*this), console);
  WriteInfoFile("version.info", version.bytes + '\n', console);
}

}  // namespace campdb
