// The campaign info files go to the current working folder and are written
// byte for byte, with no translation.
#include "maintenance/info_files.h"

#include <string>
#include <string_view>

#include "console/console.h"
#include "format/fields.h"
#include "format/layout_detection.h"

namespace campdb {

namespace {

std::string CampInfoBytes(const tCampaignObject& campaign, Layout layout) {
  ByteWriter out;
  FieldWriter writer(out, FieldWriter::Form::InfoFile);
  WalkFields(campaign, writer, layout);
  return out.TakeBuffer();
}

std::string FailureLine(const std::string& name) { return Cat("Unable to produce matching ", name, " file"); }

}  // namespace

void InfoFiles::Add(const std::string& name, std::string bytes, Console& console) {
  if (withheld_) {
    console.WriteLine(FailureLine(name));
    if (!withheldSaid_) console.Diagnostic(Cat("camp.info and version.info not written: ", *withheld_));
    withheldSaid_ = true;
    return;
  }
  const OutputTarget target = TargetOf(name, input_);
  if (target == OutputTarget::New || target == OutputTarget::Regular) {
    console.WriteLine(Cat("Producing an updated ", name, " file"));
    kept_.push_back(Kept{name, std::move(bytes)});
    return;
  }
  // Nothing here can be replaced: a device is written now, whatever becomes
  // of the database; a folder or the input database is refused.
  OutputFile file;
  if (!file.OpenInPlace(name, input_)) {
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
    const bool written =
        file.OpenReplacing(kept.name, input_) && file.Put(kept.bytes.data(), kept.bytes.size());
    if (!file.Finish() || !written) {
      console.WriteLine(FailureLine(kept.name));
      console.Diagnostic(file.Reason());
    }
  }
  kept_.clear();
}

void AddInfoFiles(const tCampaignObject& campaign, Layout layout, InfoFiles& files, Console& console) {
  files.Add("camp.info", CampInfoBytes(campaign, layout), console);
  files.Add("version.info", std::string(campaign.version) + '\n', console);
}

std::optional<std::string> InfoFilesWithheldByInput(const Database& db, std::string_view name) {
  if (CampaignReadWhole(db.source.Bytes(), db.layout)) return std::nullopt;
  return Cat("the campaign record of ", name, " was not read whole in the ", LayoutName(db.layout), " layout");
}

std::optional<std::string> InfoFilesWithheldByRecords(const Database& db) {
  ByteWriter out;
  WriteRecord(out, db.header, db.layout);
  WriteRecord(out, db.campaign, db.layout);
  const std::string bytes = out.TakeBuffer();
  if (CampaignReadWhole({reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()}, db.layout)) {
    return std::nullopt;
  }
  return "the campaign record does not end where its declared size says";
}

}  // namespace campdb
