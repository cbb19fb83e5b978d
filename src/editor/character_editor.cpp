// The character editor: one pass of the character menu performs one command.
// The caller calls it again until it returns true, which it does for S (the
// end of the character segment) and when the input has ended, so the
// caller's loop always stops.
//
// The name and e-mail address are stored exactly as typed, zero bytes
// included, and their length changes are added to both copies of the
// declared size.
#include <optional>
#include <string>

#include "console/console.h"
#include "editor/editors.h"
#include "editor/prompts.h"

namespace campdb {

namespace {

constexpr size_t kTextLimit = 254;

// Prints the prompt with the string's current bytes and replaces the string
// with the line that follows the command's line. False when the input ended.
bool AskText(tServCharacter& character, EditContext& context, std::string_view prompt, Text& field) {
  Console& console = context.console;
  console.WriteLine(Cat(prompt, field, ")"));
  console.DiscardRestOfLine();
  auto text = console.ReadTextLine(kTextLimit);
  if (!text) return false;
  ReplaceText(character.head, field, *text, context.store);
  return true;
}

void WriteMenu(Console& console) {
  console.WriteLine("Enter H to modify the hex the character is in");
  console.WriteLine("   or R to modify their race");
  console.WriteLine("   or G to modify their glicko");
  console.WriteLine("   or P to modify their prestige");
  console.WriteLine("   or L to modify their lifetime prestige");
  console.WriteLine("   or E to modify their email address");
  console.WriteLine("   or N to modify their name");
  console.WriteLine("   or K to modify their rank");
  console.WriteLine("   or S to end this segment and move on to the player's ships");
  console.WriteLine();
  console.WriteLine("WARNING: there is no error checking, and no UNDO, so BE CAREFUL!");
}

}  // namespace

bool EditCharacter(tServCharacter& c, EditContext& context) {
  Console& console = context.console;
  if (console.Ended()) return true;
  WriteMenu(console);
  const auto command = console.ReadAnswerChar();
  if (!command) return true;

  bool answered = true;
  switch (Upper(*command)) {
    case 'H':
      answered = AskNumber(console, "Enter the new row number (currently:", c.hexRow) &&
                 AskNumber(console, "Enter the new column number (currently:", c.hexColumn);
      break;
    case 'R': {
      console.WriteLine(Cat("Enter their new race (currently:", c.race, ")"));
      WriteRaceCodeLines(console, context.layout);
      const auto newRace = console.ReadNumber();
      if (!newRace) return true;
      c.race = *newRace;
      c.race2 = *newRace;
      console.WriteLine("Enter the hex row and column for the homeworld of their new race, row first");
      const auto row = console.ReadNumber();
      if (!row) return true;
      c.human.homeworldRow = *row;
      const auto column = console.ReadNumber();
      if (!column) return true;
      c.human.homeworldColumn = *column;
      console.WriteLine("(Remember to edit their ship(s) to change the race there also)");
      break;
    }
    case 'G':
      answered = AskNumber(console, "Enter their new glicko number (currently:", c.glicko);
      break;
    case 'P':
      answered = AskNumber(console, "Enter their new prestige (currently:", c.prestige);
      break;
    case 'L':
      answered = AskNumber(console, "Enter their new lifetime prestige (currently:", c.lifetimePrestige);
      break;
    case 'K':
      console.WriteLine(Cat("Enter their new rank (currently:", c.rank, ")"));
      console.WriteLine("0=Ensn,1=Lt,2=LtCmdr,3=Capt,4=Comm,5=R.Adm,6=Adm,7=Flt.Adm");
      if (const auto newRank = console.ReadNumber()) {
        c.rank = *newRank;
      } else {
        answered = false;
      }
      break;
    case 'E':
      // An AI character's file holds no e-mail address, so there is nothing
      // to change and nothing that Write could carry out.
      if (c.isAI()) {
        console.WriteLine("This character is an AI player and has no email address");
        break;
      }
      answered = AskText(c, context, "Enter their new email address (currently:", c.human.email);
      break;
    case 'N':
      answered = AskText(c, context, "Enter their new character name (currently:", c.characterName);
      break;
    case 'S':
      console.WriteLine("Ending character modification, moving on to ship modification");
      return true;
    default:
      console.WriteLine("Invalid command entered, please try again");
      break;
  }
  return !answered;
}

}  // namespace campdb
