// The ship menu: repair, resupply, fighters, battle point value, hull class,
// type, name and race of one ship, repeated until the operator quits.

#include <algorithm>
#include <cstdint>
#include <string>

#include "console/console.h"
#include "editor/race_code_lines.h"
#include "editor/ship_strings.h"
#include "format/run_settings.h"
#include "format/ship.h"

namespace campdb {

namespace {

// A text answer is the line after the one that held the command (or the
// number): the rest of that line is passed over whole first.
constexpr size_t kTextLimit = 254;

uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu); }

void ShowMenu(Console& console) {
  console.WriteLine();
  console.WriteLine("Enter R to repair all ship systems");
  console.WriteLine("   or P to change the player race for the ship");
  console.WriteLine("      (needs to be changed both for the character and the ship)");
  console.WriteLine("   or S to supply full load of parts, marines, t-bombs, drones, and fighters");
  console.WriteLine("   or F to modify the ship fighters");
  console.WriteLine("   or B to edit ship BPV");
  console.WriteLine("   or H to modify ship hull class");
  console.WriteLine("   or T to modify ship type");
  console.WriteLine("   or N to modify ship name");
  console.WriteLine("   or Q to quit editing this ship");
}

// Every system back to its intact strength: the twenty pairs from r. warp to
// armour, the cloak, probes, barracks and the weapons of every hardpoint.
// Shuttles, supplies, drones and fighters are left alone.
void Repair(tShip& ship) {
  for (int system = kRWarp; system <= kArmour; ++system) {
    ship.systems[static_cast<size_t>(system)].working = ship.systems[static_cast<size_t>(system)].intact;
  }
  ship.cloakSecond = ship.cloakCost;
  ship.systems[kProbes].working = ship.systems[kProbes].intact;
  ship.systems[kBarracks].working = ship.systems[kBarracks].intact;
  ship.weaponsWorking = ship.weaponsTotal;
  for (int i = 0; i < block::kHardpointCount; ++i) {
    const auto pair = static_cast<size_t>(block::kHardpoints + 2 * i);
    ship.systemsBlock[pair + 1] = ship.systemsBlock[pair];
  }
}

// A full load of shuttles, marines, bombs, parts, drones and fighters.
void Supply(tShip& ship) {
  ship.systems[kShuttles].working = ship.systems[kShuttles].intact;
  for (SupplyLoad& load : ship.supplies) {
    load.working = load.intact;
    load.third = load.intact;
  }
  ship.droneSpeed = LowByte(Run().currentEra);
  const auto fullStorage = std::max(static_cast<int8_t>(ship.droneStorageIntact),
                                    static_cast<int8_t>(ship.droneStorageWorking));
  ship.droneStorageIntact = static_cast<uint8_t>(fullStorage);
  ship.droneStorageWorking = static_cast<uint8_t>(fullStorage);
  for (FighterBay& bay : ship.bays) {
    if (static_cast<int8_t>(bay.maximum) > 0) bay.current = bay.maximum;
  }
}

// Each command returns false when the input ended while it waited for an
// answer; editing then stops with what has been changed so far.

bool ChangeRace(tShip& ship, Console& console) {
  console.WriteLine(Cat("Enter the new race (currently:", ship.race, ")"));
  WriteRaceCodeLines(console);
  const auto race = console.ReadNumber();
  if (!race) return false;
  ship.race = *race;
  return true;
}

bool ChangeFighters(tShip& ship, Console& console) {
  console.WriteLine();
  console.WriteLine("Updating ship fighter information");
  console.WriteLine();
  for (size_t b = 0; b < ship.bays.size(); ++b) {
    FighterBay& bay = ship.bays[b];
    // The maximum is shown as the server's signed byte widened to a word.
    const auto shown = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(bay.maximum)));
    console.Write(Cat("Enter the maximum number of fighters for bay ", b, " (currently ", shown, "):"));
    const auto count = console.ReadNumber();
    if (!count) return false;
    bay.maximum = LowByte(*count);
    bay.current = bay.maximum;
    console.Write("Enter the type of fighters for the bay (e.g. Hornet.I):");
    console.DiscardRestOfLine();
    const auto type = console.ReadTextLine(kTextLimit);
    if (!type) return false;
    SetBayFighterType(ship, bay, *type);
  }
  return true;
}

bool ChangeBpv(tShip& ship, Console& console) {
  console.WriteLine(Cat("Enter the new BPV (currently:", ship.bpv, ")"));
  const auto bpv = console.ReadNumber();
  if (!bpv) return false;
  ship.bpv = *bpv;
  ship.bpv2 = *bpv;
  return true;
}

bool ChangeHullClass(tShip& ship, Console& console) {
  console.WriteLine(Cat("Enter the new ship hull class (currently:", ship.hullClass, ")"));
  console.Write("(1=PF,2=Frtr,3=FF,4=DD,5=DW,6=CL,7=CA,8=NCA,9=BCH,10=CV,11=DN,");
  console.WriteLine("(12=BB,13=LP,14=BS,15=BATS,16=SB,17=Monster,18=Planet,19=Special");
  const auto hull = console.ReadNumber();
  if (!hull) return false;
  ship.hullClass = *hull;
  return true;
}

// A new type brings the systems of that type from the shiplist. The type
// counts as changed even when the shiplist cannot be used.
bool ChangeType(tShip& ship, Console& console, bool& changed) {
  console.WriteLine(Cat("Enter the new ship type (currently:", ship.shipType, ")"));
  console.DiscardRestOfLine();
  auto type = console.ReadTextLine(kTextLimit);
  if (!type) return false;
  ReplaceShipString(ship, ship.shipType, std::move(*type));
  changed = true;
  ship.ImportFromShiplist(console);
  return !console.Ended();
}

bool ChangeName(tShip& ship, Console& console) {
  console.Write(Cat("Enter the new ship name (currently:", ship.shipName));
  console.DiscardRestOfLine();
  console.WriteLine(")");
  auto name = console.ReadTextLine(kTextLimit);
  if (!name) return false;
  ReplaceShipString(ship, ship.shipName, std::move(*name));
  return true;
}

}  // namespace

bool tShip::Edit(Console& console) {
  bool changed = false;
  while (true) {
    ShowMenu(console);
    const auto command = console.ReadAnswerChar();
    if (!command) return changed;

    bool answered = true;
    switch (*command) {
      case 'R':
      case 'r':
        Repair(*this);
        break;
      case 'S':
      case 's':
        Supply(*this);
        break;
      case 'P':
      case 'p':
        answered = ChangeRace(*this, console);
        break;
      case 'F':
      case 'f':
        answered = ChangeFighters(*this, console);
        break;
      case 'B':
      case 'b':
        answered = ChangeBpv(*this, console);
        changed = changed || answered;
        break;
      case 'H':
      case 'h':
        answered = ChangeHullClass(*this, console);
        changed = changed || answered;
        break;
      case 'T':
      case 't':
        answered = ChangeType(*this, console, changed);
        break;
      case 'N':
      case 'n':
        answered = ChangeName(*this, console);
        changed = changed || answered;
        break;
      case 'E':
      case 'e':
        console.WriteLine("Sorry, command E, editing the individual ship systems, is not supported yet");
        break;
      case 'Q':
      case 'q':
        return changed;
      default:
        console.WriteLine("Invalid command choice entered, please try again");
        break;
    }
    // A command cut short by the end of the input changes nothing more.
    if (!answered) return changed;
    // The named values are folded back into the systems block when the ship
    // is written.
    modified = true;
  }
}

}  // namespace campdb
