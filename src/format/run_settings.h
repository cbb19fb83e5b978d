// Process-wide settings of one run: the layout variant and the mode, fixed by
// the two opening questions before loading, and the values the campaign
// record derives while it is read, which later readers and editors consult.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace campdb {

// The database comes in two layouts. The Ostrel layout stores extra words per
// hex (the cartel in the hex and its defences), one more era start in the
// campaign record, and uses a race table of 24 codes instead of 16.
enum class Variant { Base, Ostrel };

enum class RunMode { None, Clean, Edit, Report };

// Where a file lives: its device and inode. Two names of one file (links,
// "./x" and "x") have the same identity.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

struct RunSettings {
  Variant variant = Variant::Base;
  RunMode mode = RunMode::None;
  // Derived once from the campaign record as read; edits never recompute them.
  int32_t currentEra = 0;
  bool singlePlayerCampaign = false;
  // Copy of the single-player captain's name, present only in a
  // single-player campaign. The character reader compares names against it
  // the way C strings compare (a zero byte ends the comparison).
  std::optional<std::string> publishedCaptainName;
  // The input database, which no file the tool writes may replace. Set by
  // the driver once the input is open; absent when there is none.
  std::optional<FileIdentity> inputFile;

  bool Ostrel() const { return variant == Variant::Ostrel; }
};

// The settings of the current run.
RunSettings& Run();
// Back to the start-of-run state: base variant, no mode, no captain.
void ResetRunSettings();

}  // namespace campdb
