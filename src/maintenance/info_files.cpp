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
#include "format/fields.h"
#include "maintenance/info_files.h"
#include "maintenance/output_file.h"

namespace campdb {

namespace {

std::string CampInfoBytes(const tCampaignObject& campaign, Layout layout) {
  ByteWriter out;
  FieldWriter writer(out, FieldWriter::Form::InfoFile);
  WalkFields(campaign, writer, layout);
  return out.TakeBuffer();
}

// Writes one info file with its console lines. A file that cannot be opened
// (a folder of that name, the input database itself) or whose writing fails
// is reported by its failure line; the run goes on either way.
void WriteInfoFile(const std::string& name, const std::string& bytes, const std::optional<FileIdentity>& input,
                   Console& console) {
  const std::string failure = Cat("Unable to produce matching ", name, " file");
  OutputFile file;
  if (!file.OpenInPlace(name, input)) {
    console.WriteLine(failure);
    return;
  }
  console.WriteLine(Cat("Producing an updated ", name, " file"));
  const bool written = file.Put(bytes.data(), bytes.size());
  if (!file.Finish() || !written) console.WriteLine(failure);
}

}  // namespace

void WriteInfoFiles(const tCampaignObject& campaign, Layout layout, const std::optional<FileIdentity>& input,
                    Console& console) {
  WriteInfoFile("camp.info", CampInfoBytes(campaign, layout), input, console);
  WriteInfoFile("version.info", std::string(campaign.version) + '\n', input, console);
}

}  // namespace campdb
