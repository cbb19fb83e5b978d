// The ship menu: repair, resupply, fighters, battle point value, hull class,
// type, name and race of one ship, repeated until the operator quits.

#include <algorithm>
#include <cstdint>
#include <string>

#include "console/console.h"
#include "editor/editors.h"
#include "editor/prompts.h"

namespace campdb {

namespace {

uint8_t LowByte(int32_t value) { return static_cast<uint8_t>(static_cast<uint32_t>(value) & 0xFFu); }

// Sets both fighter-type strings of a bay to the same text.
void SetBayFighterType(tShip& ship, FighterBay& bay, std::string_view text, TextStore& store) {
  ReplaceText(ship.head, bay.fighterType, text, store);
  ReplaceText(ship.head, bay.fighterType2, text, store);
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

// The commands that ask for answers. When the input ends while one waits,
// the command changes nothing more and the menu returns.

void ChangeRace(tShip& ship, EditContext& context) {
  AskNumber(context.console, "Enter the new race (currently:", ship.race, RaceCodeLines(context.layout));
}

void ChangeFighters(tShip& ship, EditContext& context) {
  Console& console = context.console;
  console.WriteLine();
  console.WriteLine("Updating ship fighter information");
  console.WriteLine();
  for (size_t b = 0; b < ship.bays.size(); ++b) {
    FighterBay& bay = ship.bays[b];
    // The maximum is shown as the server's signed byte widened to a word,
    // and the prompts end no line: the answers follow them.
    const auto shown = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(bay.maximum)));
    console.Write(Cat("Enter the maximum number of fighters for bay ", b, " (currently ", shown, "):"));
    const auto count = console.Ask(NumberQuestion{});
    if (!count) return;
    bay.maximum = LowByte(*count);
    bay.current = bay.maximum;
    console.Write("Enter the type of fighters for the bay (e.g. Hornet.I):");
    const auto type = console.Ask(TextQuestion{{}, kRecordText, true});
    if (!type) return;
    SetBayFighterType(ship, bay, *type, context.store);
  }
}

// True when the battle point value was changed.
bool ChangeBpv(tShip& ship, Console& console) {
  if (!AskNumber(console, "Enter the new BPV (currently:", ship.bpv)) return false;
  ship.bpv2 = ship.bpv;
  return true;
}

// True when the hull class was changed.
bool ChangeHullClass(tShip& ship, Console& console) {
  return AskNumber(console, "Enter the new ship hull class (currently:", ship.hullClass,
                   {"(1=PF,2=Frtr,3=FF,4=DD,5=DW,6=CL,7=CA,8=NCA,9=BCH,10=CV,11=DN,"
                    "(12=BB,13=LP,14=BS,15=BATS,16=SB,17=Monster,18=Planet,19=Special"});
}

// A new type brings the systems of that type from the shiplist. The type
// counts as changed even when the shiplist cannot be used.
bool ChangeType(ShipUnderEdit& edit, EditContext& context) {
  tShip& ship = edit.ship;
  const auto type = AskRecordText(context.console, "Enter the new ship type (currently:", ship.shipType);
  if (!type) return false;
  ReplaceText(ship.head, ship.shipType, *type, context.store);
  ImportFromShiplist(ship, edit.block, context);
  return true;
}

// True when the name was changed.
bool ChangeName(tShip& ship, EditContext& context) {
  const auto name = AskRecordText(context.console, "Enter the new ship name (currently:", ship.shipName);
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
  // Whether an identity field that the captain's ship entry mirrors changed.
  bool changed = false;
  const auto identity = [&changed](bool done) { changed = changed || done; };
  const Menu menu{
      .rows =
          {
              Line(),
              Command("Rr", "Enter R to repair all ship systems", [&] { Repair(edit); }),
              Command("Pp", "   or P to change the player race for the ship", [&] { ChangeRace(ship, context); }),
              Line("      (needs to be changed both for the character and the ship)"),
              Command("Ss", "   or S to supply full load of parts, marines, t-bombs, drones, and fighters",
                      [&] { Supply(edit, context.facts); }),
              Command("Ff", "   or F to modify the ship fighters", [&] { ChangeFighters(ship, context); }),
              Command("Bb", "   or B to edit ship BPV", [&] { identity(ChangeBpv(ship, console)); }),
              Command("Hh", "   or H to modify ship hull class", [&] { identity(ChangeHullClass(ship, console)); }),
              Command("Tt", "   or T to modify ship type", [&] { identity(ChangeType(edit, context)); }),
              Command("Nn", "   or N to modify ship name", [&] { identity(ChangeName(ship, context)); }),
              Command("Qq", "   or Q to quit editing this ship", nullptr, MenuNext::Leave),
              Unlisted("Ee",
                       [&] {
                         console.WriteLine(
                             "Sorry, command E, editing the individual ship systems, is not supported yet");
                       }),
          },
      .unknown = Saying("Invalid command choice entered, please try again"),
      // After every command answered but Q, an unknown one included, the
      // block's second copy of the trans pair follows the first; a ship no
      // command reached keeps its copy as read.
      .afterAnswer =
          [&] {
            edit.Byte(block::kTransCopy) = ship.At(PairOffset(kTrans));
            edit.Byte(block::kTransCopy + 1) = ship.At(PairOffset(kTrans) + 1);
          },
  };
  console.RunMenu(menu);
  return changed;
}

}  // namespace campdb
