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
#include <vector>

#include "console/console.h"
#include "editor/editors.h"
#include "editor/prompts.h"

namespace campdb {

namespace {

// A text answer: the lines shown, then the next line of input. After a
// command, a number or an answer character, the rest of that line is passed
// over first.
std::optional<std::string> AskText(Console& console, std::string prompt, bool afterCommandLine = true) {
  return console.Ask(TextQuestion{{std::move(prompt)}, kCampaignText, afterCommandLine});
}

// Asks until the answer is A, R or C in either case; returns it in upper
// case, or nothing when the input has ended.
std::optional<char> AskAddRemoveCancel(Console& console, std::string addLine, std::string removeLine) {
  const auto answer = console.Ask(ChoiceQuestion{
      {std::move(addLine), std::move(removeLine), "   or C to cancel this change"}, "AaRrCc"});
  if (!answer) return std::nullopt;
  return Upper(*answer);
}

// Bytes a mission entry takes in the file: its length word and its bytes.
int64_t EntrySize(Text entry) { return 4 + static_cast<int64_t>(entry.size()); }

void EditName(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  // The name is the line after the command; the description the line after
  // the name.
  const auto name =
      AskText(console, Cat("Enter the new campaign name (max 255 characters, currently:", c.campaignName, ")"));
  if (!name) return;
  ReplaceText(c.head, c.campaignName, *name, context.store);
  ReplaceText(c.head, c.campaignNameCopy, *name, context.store);

  const auto description = AskText(
      console, Cat("Enter the new campaign description (max 255 characters, currently:", c.description, ")"), false);
  if (!description) return;
  ReplaceText(c.head, c.description, *description, context.store);
}

void EditVersion(tCampaignObject& c, EditContext& context) {
  const auto version = AskText(context.console, Cat("Enter the new version number (currently:", c.version, ")"));
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
  const auto mission = AskText(
      console,
      Cat("Enter the name for the first mission in the special campaign (currently:", c.specialFirstMission, ")"));
  if (!mission) return;
  ReplaceText(c.head, c.specialFirstMission, *mission, context.store);
}

void EditCaptain(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  if (!AskNumber(console, "Enter the player race for the single player campaign (currently:", c.captainRace,
                 RaceCodeLines(context.layout)) ||
      !AskNumber(console, "Enter the player prestige for the single player campaign (currently:",
                 c.captainPrestige)) {
    return;
  }

  // Y changes the name; any other answer skips it.
  const Menu changeName{
      .rows = {Command("Yy", "If you wish to change the player name, enter Y,",
                       [&] {
                         const auto name = AskText(
                             console, Cat("Enter the new name (max 255 characters, currently:", c.captainName, ")"));
                         // The captain name published for this run stays as it was read.
                         if (name) ReplaceText(c.head, c.captainName, *name, context.store);
                       },
                       MenuNext::Leave),
               Line("   or enter anything else to skip this step")},
      .afterUnknown = MenuNext::Leave,
  };
  if (!console.RunMenu(changeName)) return;
  console.WriteLine("NOTE: you muast also go to the character edit section and");
  console.WriteLine("      modify the appropriate character information there");
}

void EditRaceList(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  NumberQuestion question{{"Enter the number of the race you wish to alter"}};
  for (std::string& line : RaceCodeLines(context.layout)) question.lines.push_back(std::move(line));
  const auto code = console.Ask(question);
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
  const auto name = AskText(console, "Enter the filename of the mission you wish to alter (e.g. Met_10Patrol.scr)");
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

}  // namespace

void EditCampaign(tCampaignObject& c, EditContext& context) {
  Console& console = context.console;
  if (console.Ended()) return;
  console.WriteLine();
  console.WriteLine("EDITING MAIN CAMPAIGN DETAILS");

  // A command that asks for one number and stores it in a field.
  const auto number = [&console](const char* prompt, int32_t& field) {
    return [&console, prompt, &field] { AskNumber(console, prompt, field); };
  };
  // A command that runs one of the dialogues above.
  const auto with = [&](void (*edit)(tCampaignObject&, EditContext&)) {
    return [&c, &context, edit] { edit(c, context); };
  };
  const Menu menu{
      .rows =
          {
              Command("Dd", "Enter D to modify the difficulty level",
                      number("Enter the difficulty level: 0, 1, or 2 (currently:", c.difficulty)),
              Command("Yy", "   or Y to modify the number of turns per year",
                      number("Enter the number of turns per year (currently:", c.turnsPerYear)),
              Command("Ll", "   or L to modify the length of a turn",
                      number("Enter the length of a turn in milliseconds (currently:", c.turnLengthMs)),
              Command("Ee", "   or E to modify the start dates for eras",
                      [&] {
                        if (AskNumber(console, "Enter the start date for mid era (currently:", c.midEraStart)) {
                          AskNumber(console, "Enter the start date for late era (currently:", c.lateEraStart);
                        }
                      }),
              Command("Aa", "   or A to modify the maximum number of accounts",
                      number("Enter the maximum permissible number of accounts (currently:", c.maxAccounts)),
              Command("Pp", "   or P to modify the maximum number of people playing",
                      number("Enter the maximum number of people allowed on at once (currently:", c.maxOnline)),
              Command("Cc", "   or C to modify the campaign name and description", with(EditName)),
              Command("Vv", "   or V to modify the save game version", with(EditVersion)),
              Command("Ss", "   or S to modify the single-player captain information", with(EditCaptain)),
              Command("Tt", "   or T to modify the single-player trigger mission/prestige", with(EditTrigger)),
              Command("Rr", "   or R to modify the race list", with(EditRaceList)),
              Command("Mm", "   or M to modify the mission list", with(EditMissionList)),
              Command("Qq", "   or Q to quit this edit menu",
                      [&] { console.WriteLine("Leaving campaign modification menu"); }, MenuNext::Leave),
              Line(),
              Line(std::string(kNoUndoWarning)),
          },
      .unknown = Saying("Invalid command entered, please try again"),
  };
  console.RunMenu(menu);
}

}  // namespace campdb
