// Pieces of dialogue shared by the editors.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "console/console.h"
#include "format/layout.h"

namespace campdb {

// The three kinds of text answer. Campaign texts are handed on as
// zero-terminated text of at most 255 characters; the texts of characters
// and ships keep zero bytes as data; a player name and a file name are
// zero-terminated text of at most 254 characters.
inline constexpr TextRule kCampaignText{255, true};
inline constexpr TextRule kRecordText{254, false};
inline constexpr TextRule kNameText{254, true};

inline constexpr std::string_view kNoUndoWarning = "WARNING: there is no error checking, and no UNDO, so BE CAREFUL!";

// Menu letters select the same command in either case.
inline char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// The lines that print one fixed line for an unknown menu answer.
inline auto Saying(std::string line) {
  return [line = std::move(line)](char) { return std::vector<std::string>{line}; };
}

// "<prompt><current value>)", the way every prompt shows a value.
inline std::string Currently(std::string_view prompt, int32_t value) { return Cat(prompt, value, ")"); }

// Asks the question and stores the answer in the field. False when the
// input has ended; the field is then unchanged.
inline bool AskInto(Console& console, const NumberQuestion& question, int32_t& field) {
  const auto value = console.Ask(question);
  if (!value) return false;
  field = *value;
  return true;
}

// Shows "<prompt><current value>)" and the lines after it, then reads a
// number into the field.
inline bool AskNumber(Console& console, std::string_view prompt, int32_t& field,
                      std::vector<std::string> after = {}) {
  NumberQuestion question;
  question.lines.push_back(Currently(prompt, field));
  question.lines.insert(question.lines.end(), std::make_move_iterator(after.begin()),
                        std::make_move_iterator(after.end()));
  return AskInto(console, question, field);
}

// Shows "<prompt><current text>)" and reads the line after the command's
// line: a new text for a character or a ship, zero bytes kept as data.
inline std::optional<std::string> AskRecordText(Console& console, std::string_view prompt, std::string_view current) {
  return console.Ask(TextQuestion{{Cat(prompt, current, ")")}, kRecordText, true});
}

// The race codes of the eight empires and, in the Ostrel layout, the line of
// the eight cartels as well.
inline std::vector<std::string> RaceCodeLines(Layout layout) {
  std::vector<std::string> lines{"0=Fed,1=Kli,2=Rom,3=Lyr,4=Hyd,5=Gor,6=ISC,7=Mir"};
  if (IsOstrel(layout)) lines.emplace_back("8=Ori,9=Kor,10=Pri,11=Tig,12=Bea,13=Syn,14=Wyl,15=Cam");
  return lines;
}

}  // namespace campdb
