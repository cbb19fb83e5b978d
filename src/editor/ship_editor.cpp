// The ship menu: repair, resupply, fighters, battle point value, hull class,
// type, name and race of one ship, repeated until the operator quits.

#include <algorithm>
#include <cstdint>
#include <string>

#include "console/console.h"
#include "editor/editors.h"

namespace campdb {

namespace {

// A text answer is the line after the one that held the command (or the
// number): the rest of that line is passed over whole first.
constexpr size_t kTextLimit = 254;

uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu); }

// Sets both fighter-type strings of a bay to the same text.
void SetBayFighterType(tShip& ship, FighterBay& bay, std::string_view text, TextStore& store) {
  ReplaceText(ship.head, bay.fighterType, text, store);
  ReplaceText(ship.head, bay.fighterType2, text, store);
}

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

// A ship and its systems block while the editor holds it.
struct ShipUnderEdit {
  tShip& ship;
  std::span<uint8_t> block;

  void SetWorking(SystemIndex system, uint8_t value) { block[static_cast<size_t>(PairOffset(system) + 1)] = value; }
  uint8_t& Byte(int offset) { return block[static_cast<size_t>(offset)]; }
};

// Every system back to its intact strength: the twenty pairs from r. warp to
// armour, the cloak, probes, barracks and the weapons of every hardpoint.
// Shuttles, supplies, drones and fighters are left alone.
void Repair(ShipUnderEdit& edit) {
  const tShip& ship = edit.ship;
  for (int system = kRWarp; system <= kArmour; ++system) {
    const auto index = static_cast<SystemIndex>(system);
    edit.SetWorking(index, ship.System(index).intact);
  }
  edit.Byte(block::kCloak + 1) = ship.At(block::kCloak);
  edit.SetWorking(kProbes, ship.System(kProbes).intact);
  edit.SetWorking(kBarracks, ship.System(kBarracks).intact);
  for (int i = 0; i < block::kHardpointCount; ++i) {
    const int pair = block::kHardpoints + 2 * i;
    edit.Byte(pair + 1) = ship.At(pair);
  }
}

// A full load of shuttles, marines, bombs, parts, drones and fighters.
void Supply(ShipUnderEdit& edit, const CampaignFacts& facts) {
  tShip& ship = edit.ship;
  edit.SetWorking(kShuttles, ship.System(kShuttles).intact);
  for (SupplyLoad* load : {&ship.marines, &ship.bombs, &ship.parts}) {
    load->working = load->intact;
    load->third = load->intact;
  }
  edit.Byte(block::kDroneSpeed) = LowByte(facts.currentEra);
  const auto fullStorage = std::max(static_cast<int8_t>(ship.At(block::kDroneStorageIntact)),
                                    static_cast<int8_t>(ship.At(block::kDroneStorageWorking)));
  edit.Byte(block::kDroneStorageIntact) = static_cast<uint8_t>(fullStorage);
  edit.Byte(block::kDroneStorageWorking) = static_cast<uint8_t>(fullStorage);
  for (FighterBay& bay : ship.bays) {
    if (static_cast<int8_t>(bay.maximum) > 0) bay.current = bay.maximum;
  }
}

// Each command returns false when the input ended while it waited for an
// answer; editing then stops with what has been changed so far.

bool ChangeRace(tShip& ship, EditContext& context) {
  Console& console = context.console;
  console.WriteLine(Cat("Enter the new race (currently:", ship.race, ")"));
  WriteRaceCodeLines(console, context.layout);
  const auto race = console.ReadNumber();
  if (!race) return false;
  ship.race = *race;
  return true;
}

bool ChangeFighters(tShip& ship, EditContext& context) {
  Console& console = context.console;
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
    SetBayFighterType(ship, bay, *type, context.store);
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
bool ChangeType(ShipUnderEdit& edit, EditContext& context, bool& changed) {
  Console& console = context.console;
  tShip& ship = edit.ship;
  console.WriteLine(Cat("Enter the new ship type (currently:", ship.shipType, ")"));
  console.DiscardRestOfLine();
  auto type = console.ReadTextLine(kTextLimit);
  if (!type) return false;
  ReplaceText(ship.head, ship.shipType, *type, context.store);
  changed = true;
  ImportFromShiplist(ship, edit.block, context);
  return !console.Ended();
}

bool ChangeName(tShip& ship, EditContext& context) {
  Console& console = context.console;
  console.Write(Cat("Enter the new ship name (currently:", ship.shipName));
  console.DiscardRestOfLine();
  console.WriteLine(")");
  auto name = console.ReadTextLine(kTextLimit);
  if (!name) return false;
  ReplaceText(ship.head, ship.shipName, *name, context.store);
  return true;
}

}  // namespace

std::span<uint8_t> EditableBlock(tShip& ship, TextStore& store) {
  if (!store.Holds(ship.systemsBlock)) ship.systemsBlock = store.Keep(ship.systemsBlock);
  // The store's bytes are the editor's own; the view only shows them.
  auto* bytes = reinterpret_cast<uint8_t*>(const_cast<char*>(ship.systemsBlock.data()));
  return {bytes, ship.systemsBlock.size()};
}

bool EditShip(tShip& ship, EditContext& context) {
  Console& console = context.console;
  ShipUnderEdit edit{ship, EditableBlock(ship, context.store)};
  bool changed = false;
  while (true) {
    ShowMenu(console);
    const auto command = console.ReadAnswerChar();
    if (!command) return changed;

    bool answered = true;
    switch (*command) {
      case 'R':
      case 'r':
        Repair(edit);
        break;
      case 'S':
      case 's':
        Supply(edit, context.facts);
        break;
      case 'P':
      case 'p':
        answered = ChangeRace(ship, context);
        break;
      case 'F':
      case 'f':
        answered = ChangeFighters(ship, context);
        break;
      case 'B':
      case 'b':
        answered = ChangeBpv(ship, console);
        changed = changed || answered;
        break;
      case 'H':
      case 'h':
        answered = ChangeHullClass(ship, console);
        changed = changed || answered;
        break;
      case 'T':
      case 't':
        answered = ChangeType(edit, context, changed);
        break;
      case 'N':
      case 'n':
        answered = ChangeName(ship, context);
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
    // After every command the block's second copy of the trans pair follows
    // the first; a ship no command reached keeps its copy as read.
    edit.Byte(block::kTransCopy) = ship.At(PairOffset(kTrans));
    edit.Byte(block::kTransCopy + 1) = ship.At(PairOffset(kTrans) + 1);
  }
}

}  // namespace campdb
