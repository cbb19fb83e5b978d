// The campaign info files, "camp.info" and "version.info", that describe the
// campaign of every database the tool writes. They belong to that database:
// a regular file of either name (or one that does not exist yet) is only
// replaced once the database is safely in place, and stays as it was when
// the database cannot be written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "format/campaign.h"
#include "format/database.h"
#include "format/layout.h"
#include "maintenance/output_file.h"

namespace campdb {

class Console;

class InfoFiles {
 public:
  // Neither info file may be the file `input` (the input database).
  explicit InfoFiles(std::optional<FileIdentity> input = std::nullopt) : input_(input) {}

  // Writes neither file: each prints its failure line in place of its
  // "Producing ..." line and stays as it was; `why` is said once on the
  // error stream. Used when the campaign record they would copy was not
  // read whole.
  void Withhold(std::string why) { withheld_ = std::move(why); }

  // At the info file's place in the transcript: prints its line and either
  // keeps its bytes for Commit (a regular file, or none yet) or writes them
  // at once (a device or other file that is not a regular one). A folder,
  // the input database, or a device that cannot be written gets its failure
  // line instead.
  void Add(const std::string& name, std::string bytes, Console& console);
  // Once the database is in place (`database`, the file now under its name):
  // replaces each kept file through a temporary file renamed over it. A file
  // that cannot be written, or that is the database itself, gets its failure
  // line; the run goes on either way.
  void Commit(const std::optional<FileIdentity>& database, Console& console);

 private:
  struct Kept {
    std::string name;
    std::string bytes;
  };
  std::optional<FileIdentity> input_;
  std::vector<Kept> kept_;
  std::optional<std::string> withheld_;
  bool withheldSaid_ = false;
};

// Prepares "camp.info" and "version.info" from the campaign record as it is
// being written:
//
//   camp.info     the campaign record in its own layout, except that the
//                 first word is the declared size less 23, the second size
//                 word and the class tag are left out, and so is the tail;
//   version.info  the version text and one line feed.
void AddInfoFiles(const tCampaignObject& campaign, Layout layout, InfoFiles& files, Console& console);

// The info files copy the campaign record, so they are written only when it
// was read whole: it ends where its declared size says and needed no byte
// past the end of the file. These say why they may not be written, or
// nothing when they may: from the input file the database was loaded from
// (`name`), or, for a database built in memory, from its campaign record as
// it will be written.
std::optional<std::string> InfoFilesWithheldByInput(const Database& db, std::string_view name);
std::optional<std::string> InfoFilesWithheldByRecords(const Database& db);

}  // namespace campdb
