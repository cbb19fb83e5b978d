// The campaign info files, refreshed whenever an output database is written.
// Both go to the current working folder and are written byte for byte, with
// no translation:
//
//   camp.info     the campaign record in its own layout, except that the
//                 first word is the declared size less 23, the second size
//                 word and the class tag are left out, and so is the tail;
//   version.info  the version text and one line feed.
#include "report/info_files.h"

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

std::string FailureLine(const std::string& name) { return Cat("Unable to produce matching ", name, " file"); }

}  // namespace

void InfoFiles::Add(const std::string& name, std::string bytes, Console& console) {
  const OutputTarget target = TargetOf(name);
  if (target == OutputTarget::New || target == OutputTarget::Regular) {
    console.WriteLine(Cat("Producing an updated ", name, " file"));
    kept_.push_back(Kept{name, std::move(bytes)});
    return;
  }
  // Nothing here can be replaced: a device is written now, whatever becomes
  // of the database; a folder or the input database is refused.
  OutputFile file;
  if (!file.OpenInPlace(name)) {
    console.WriteLine(FailureLine(name));
    console.Diagnostic(file.Reason());
    return;
  }
  console.WriteLine(Cat("Producing an updated ", name, " file"));
  const bool written = file.Put(bytes.data(), bytes.size());
  if (!file.Finish() || !written) {
    console.WriteLine(FailureLine(name));
    console.Diagnostic(file.Reason());
  }
}

void InfoFiles::Commit(const std::optional<FileIdentity>& database, Console& console) {
  for (const Kept& kept : kept_) {
    // A database written under an info file's name is not then overwritten
    // by the info file.
    if (database && IdentityOf(kept.name) == database) {
      console.WriteLine(FailureLine(kept.name));
      console.Diagnostic(Cat(kept.name, ": is the output database just written"));
      continue;
    }
    OutputFile file;
    const bool written = file.OpenReplacing(kept.name) && file.Put(kept.bytes.data(), kept.bytes.size());
    if (!file.Finish() || !written) {
      console.WriteLine(FailureLine(kept.name));
      console.Diagnostic(file.Reason());
    }
  }
  kept_.clear();
}

void tCampaignObject::WriteInfoFiles(Console& console, InfoFiles& files) const {
  files.Add("camp.info", CampInfoBytes(*this), console);
  files.Add("version.info", version.bytes + '\n', console);
}

}  // namespace campdb
