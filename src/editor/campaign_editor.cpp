// The campaign edit menu: changes the settings of the campaign record in
// place. Nothing entered is checked. Every change that alters the length of
// a string or a list is added to both copies of the declared size at once,
// so the size written always counts the bytes that follow it.
//
// When the input ends while the editor waits for an answer, the read that
// met the end changes nothing and the editor returns straight away, printing
// nothing more (the console prints its end notice).
#include <algorithm>
#include <optional>
#include <string>

#include "console/console.h"
#include "editor/editors.h"
#include "editor/prompts.h"

namespace campdb {

namespace {

// Campaign texts are handed on as zero-terminated text, so an answer ends
// at its first zero byte; at most 255 characters are taken.
constexpr size_t kTextLimit = 255;

// The line that follows, without its line end, up to the first zero byte.
std::optional<std::string> ReadLineAnswer(Console& console) {
  auto line = console.ReadTextLine(kTextLimit);
  if (!line) return std::nullopt;
  return UpToZero(std::move(*line));
}

// A text answer after a command, a number or an answer character: the rest
// of that line is discarded first.
std::optional<std::string> ReadTextAnswer(Console& console) {
  console.DiscardRestOfLine();
  return ReadLineAnswer(console);
}

// Asks until the answer is A, R or C in either case; returns it in upper
// case, or nothing when the input has ended.
std::optional<char> AskAddRemoveCancel(Console& console, std::string_view addLine, std::string_view removeLine) {
  while (true) {
    console.WriteLine(addLine);
    console.WriteLine(removeLine);
    console.WriteLine("   or C to cancel this change");
    const auto answer = console.ReadAnswerChar();
    if (!answer) return std::nullopt;
    const char choice = Upper(*answer);
    if (choice == 'A' || choice == 'R' || choice == 'C') return choice;
  }
}

// Bytes a mission entry takes in the file: its length word and its bytes.
int64_t EntrySize(Text entry) { return 4 + static_cast<int64_t>(entry.size()); }

void EditName(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  console.DiscardRestOfLine();
  console.WriteLine(Cat("Enter the new campaign name (max 255 characters, currently:", c.campaignName, ")"));
  const auto name = ReadLineAnswer(console);
  if (!name) return;
  ReplaceText(c.head, c.campaignName, *name, context.store);
  ReplaceText(c.head, c.campaignNameCopy, *name, context.store);

  console.WriteLine(
      Cat("Enter the new campaign description (max 255 characters, currently:", c.description, ")"));
  const auto description = ReadLineAnswer(console);
  if (!description) return;
  ReplaceText(c.head, c.description, *description, context.store);
}

void EditVersion(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  console.WriteLine(Cat("Enter the new version number (currently:", c.version, ")"));
  const auto version = ReadTextAnswer(console);
  if (!version) return;
  ReplaceText(c.head, c.version, *version, context.store);
  ReplaceText(c.head, c.versionCopy, *version, context.store);
}

void EditTrigger(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  if (!AskNumber(console,
                 "Enter the prestige level at which the special campaign missions will trigger (currently:",
                 c.specialTriggerPrestige)) {
    return;
  }
  console.WriteLine(Cat("Enter the name for the first mission in the special campaign (currently:",
                        c.specialFirstMission, ")"));
  const auto mission = ReadTextAnswer(console);
  if (!mission) return;
  ReplaceText(c.head, c.specialFirstMission, *mission, context.store);
}

void EditCaptain(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  console.WriteLine(Cat("Enter the player race for the single player campaign (currently:", c.captainRace, ")"));
  WriteRaceCodeLines(console, context.layout);
  const auto race = console.ReadNumber();
  if (!race) return;
  c.captainRace = *race;
  if (!AskNumber(console, "Enter the player prestige for the single player campaign (currently:",
                 c.captainPrestige)) {
    return;
  }

  console.WriteLine("If you wish to change the player name, enter Y,");
  console.WriteLine("   or enter anything else to skip this step");
  const auto answer = console.ReadAnswerChar();
  if (!answer) return;
  if (Upper(*answer) == 'Y') {
    console.WriteLine(Cat("Enter the new name (max 255 characters, currently:", c.captainName, ")"));
    const auto name = ReadTextAnswer(console);
    if (!name) return;
    // The captain name published for this run stays as it was read.
    ReplaceText(c.head, c.captainName, *name, context.store);
  }
  console.WriteLine("NOTE: you muast also go to the character edit section and");
  console.WriteLine("      modify the appropriate character information there");
}

void EditRaceList(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  console.WriteLine("Enter the number of the race you wish to alter");
  WriteRaceCodeLines(console, context.layout);
  const auto code = console.ReadNumber();
  if (!code) return;
  const auto choice = AskAddRemoveCancel(console, "Enter A to add the race to the current list (make it playable)",
                                         "   or R to remove the race from the current list");
  if (!choice) return;

  auto& races = c.playableRaces;
  if (*choice == 'R') {
    const auto removed = std::erase(races, *code);
    c.head.AdjustDeclaredSize(-4 * static_cast<int64_t>(removed));
  } else if (*choice == 'A' && std::find(races.begin(), races.end(), *code) == races.end()) {
    races.push_back(*code);
    c.head.AdjustDeclaredSize(4);
  }
}

void EditMissionList(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  console.WriteLine("Enter the filename of the mission you wish to alter (e.g. Met_10Patrol.scr)");
  const auto name = ReadTextAnswer(console);
  if (!name) return;
  const auto choice = AskAddRemoveCancel(console, "Enter A to add the mission to the current list",
                                         "   or R to remove it from the current list");
  if (!choice) return;

  const Text mission = *name;
  auto& missions = c.missionList;
  if (*choice == 'R') {
    int64_t removedBytes = 0;
    std::erase_if(missions, [&](Text entry) {
      if (entry != mission) return false;
      removedBytes += EntrySize(entry);
      return true;
    });
    c.head.AdjustDeclaredSize(-removedBytes);
  } else if (*choice == 'A' && std::find(missions.begin(), missions.end(), mission) == missions.end()) {
    missions.push_back(context.store.Keep(mission));
    c.head.AdjustDeclaredSize(EntrySize(mission));
  }
}

void WriteMenu(Console& console) {
  console.WriteLine("Enter D to modify the difficulty level");
  console.WriteLine("   or Y to modify the number of turns per year");
  console.WriteLine("   or L to modify the length of a turn");
  console.WriteLine("   or E to modify the start dates for eras");
  console.WriteLine("   or A to modify the maximum number of accounts");
  console.WriteLine("   or P to modify the maximum number of people playing");
  console.WriteLine("   or C to modify the campaign name and description");
  console.WriteLine("   or V to modify the save game version");
  console.WriteLine("   or S to modify the single-player captain information");
  console.WriteLine("   or T to modify the single-player trigger mission/prestige");
  console.WriteLine("   or R to modify the race list");
  console.WriteLine("   or M to modify the mission list");
  console.WriteLine("   or Q to quit this edit menu");
  console.WriteLine();
  console.WriteLine("WARNING: there is no error checking, and no UNDO, so BE CAREFUL!");
}

}  // namespace

void EditCampaign(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  if (console.Ended()) return;
  console.WriteLine();
  console.WriteLine("EDITING MAIN CAMPAIGN DETAILS");
  while (!console.Ended()) {
    WriteMenu(console);
    const auto command = console.ReadAnswerChar();
    if (!command) return;
    switch (Upper(*command)) {
      case 'D':
        AskNumber(console, "Enter the difficulty level: 0, 1, or 2 (currently:", c.difficulty);
        break;
      case 'Y':
        AskNumber(console, "Enter the number of turns per year (currently:", c.turnsPerYear);
        break;
      case 'L':
        AskNumber(console, "Enter the length of a turn in milliseconds (currently:", c.turnLengthMs);
        break;
      case 'E':
        if (AskNumber(console, "Enter the start date for mid era (currently:", c.midEraStart)) {
          AskNumber(console, "Enter the start date for late era (currently:", c.lateEraStart);
        }
        break;
      case 'A':
        AskNumber(console, "Enter the maximum permissible number of accounts (currently:", c.maxAccounts);
        break;
      case 'P':
        AskNumber(console, "Enter the maximum number of people allowed on at once (currently:", c.maxOnline);
        break;
      case 'C':
        EditName(c, context);
        break;
      case 'V':
        EditVersion(c, context);
        break;
      case 'S':
        EditCaptain(c, context);
        break;
      case 'T':
        EditTrigger(c, context);
        break;
      case 'R':
        EditRaceList(c, context);
        break;
      case 'M':
        EditMissionList(c, context);
        break;
      case 'Q':
        console.WriteLine("Leaving campaign modification menu");
        return;
      default:
        console.WriteLine("Invalid command entered, please try again");
        break;
    }
  }
}

}  // namespace campdb
