// The campaign info files, "camp.info" and "version.info", that describe the
// campaign of every database the tool writes. They belong to that database:
// a regular file of either name (or one that does not exist yet) is only
// replaced once the database is safely in place, and stays as it was when
// the database cannot be written.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "format/campaign.h"
#include "format/layout.h"
#include "maintenance/output_file.h"

namespace campdb {

class Console;

// Where the info files go: a folder ("" for the current one), or nowhere.
struct InfoFolder {
  std::string folder;
  bool none = false;
};

class InfoFiles {
 public:
  // Neither info file may be the file `input` (the input database).
  explicit InfoFiles(std::optional<FileIdentity> input = std::nullopt, InfoFolder where = {})
      : input_(input), where_(std::move(where)) {}

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
  InfoFolder where_;
  std::vector<Kept> kept_;
};

// Prepares "camp.info" and "version.info" from the campaign record as it is
// being written:
//
//   camp.info     the campaign record in its own layout, except that the
//                 first word is the declared size less 23, the second size
//                 word and the class tag are left out, and so is the tail;
//   version.info  the version text and one line feed.
void AddInfoFiles(const tCampaignObject& campaign, Layout layout, InfoFiles& files, Console& console);

}  // namespace campdb
