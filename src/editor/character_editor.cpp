// The character editor: one pass of the character menu performs one command.
// The caller calls it again until it returns true, which it does for S (the
// end of the character segment) and when the input has ended, so the
// caller's loop always stops.
//
// The name and e-mail address are stored exactly as typed, zero bytes
// included, and their length changes are added to both copies of the
// declared size.
#include <string>
#include <string_view>

#include "console/console.h"
#include "editor/editors.h"
#include "editor/prompts.h"

namespace campdb {

namespace {

// Prints the prompt with the string's current bytes and replaces the string
// with the line that follows the command's line.
void AskText(tServCharacter& character, EditContext& context, std::string_view prompt, Text& field) {
  const auto text = AskRecordText(context.console, prompt, field);
  if (text) ReplaceText(character.head, field, *text, context.store);
}

// A new race, set in both copies, and the homeworld of that race.
void ChangeRace(tServCharacter& c, EditContext& context) {
  Console& console = context.console;
  int32_t race = c.race;
  if (!AskNumber(console, "Enter their new race (currently:", race, RaceCodeLines(context.layout))) return;
  c.race = race;
  c.race2 = race;
  if (!AskInto(console, {{"Enter the hex row and column for the homeworld of their new race, row first"}},
               c.human.homeworldRow) ||
      !AskInto(console, {}, c.human.homeworldColumn)) {
    return;
  }
  console.WriteLine("(Remember to edit their ship(s) to change the race there also)");
}

}  // namespace

bool EditCharacter(tServCharacter& c, EditContext& context) {
  Console& console = context.console;
  if (console.Ended()) return true;

  constexpr MenuNext kDone = MenuNext::Leave;  // one command per pass
  bool segmentEnds = false;
  const Menu menu{
      .rows =
          {
              Command("Hh", "Enter H to modify the hex the character is in",
                      [&] {
                        if (AskNumber(console, "Enter the new row number (currently:", c.hexRow)) {
                          AskNumber(console, "Enter the new column number (currently:", c.hexColumn);
                        }
                      },
                      kDone),
              Command("Rr", "   or R to modify their race", [&] { ChangeRace(c, context); }, kDone),
              Command("Gg", "   or G to modify their glicko",
                      [&] { AskNumber(console, "Enter their new glicko number (currently:", c.glicko); }, kDone),
              Command("Pp", "   or P to modify their prestige",
                      [&] { AskNumber(console, "Enter their new prestige (currently:", c.prestige); }, kDone),
              Command("Ll", "   or L to modify their lifetime prestige",
                      [&] { AskNumber(console, "Enter their new lifetime prestige (currently:", c.lifetimePrestige); },
                      kDone),
              Command("Ee", "   or E to modify their email address",
                      [&] {
                        // An AI character's file holds no e-mail address, so there is
                        // nothing to change and nothing that Write could carry out.
                        if (c.isAI()) {
                          console.WriteUnusable("This character is an AI player and has no email address");
                        } else {
                          AskText(c, context, "Enter their new email address (currently:", c.human.email);
                        }
                      },
                      kDone),
              Command("Nn", "   or N to modify their name",
                      [&] { AskText(c, context, "Enter their new character name (currently:", c.characterName); },
                      kDone),
              Command("Kk", "   or K to modify their rank",
                      [&] {
                        AskNumber(console, "Enter their new rank (currently:", c.rank,
                                  {"0=Ensn,1=Lt,2=LtCmdr,3=Capt,4=Comm,5=R.Adm,6=Adm,7=Flt.Adm"});
                      },
                      kDone),
              Command("Ss", "   or S to end this segment and move on to the player's ships",
                      [&] {
                        console.WriteLine("Ending character modification, moving on to ship modification");
                        segmentEnds = true;
                      },
                      kDone),
              Line(),
              Line(std::string(kNoUndoWarning)),
          },
      .unknown = Saying("Invalid command entered, please try again"),
      .afterUnknown = kDone,
  };
  console.RunMenu(menu);
  return segmentEnds || console.Ended();
}

}  // namespace campdb
