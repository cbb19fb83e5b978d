#include "format/character.h"

namespace campdb {

namespace {

// A multiplayer character with fewer bytes than this after its fixed fields
// cannot hold the human-player section and is an AI player.
constexpr int64_t kHumanMinimum = 24;

// Compares the name with the captain's name over the length of the name,
// the way C strings compare: a zero byte in both ends the comparison, and a
// captain name shorter than the name never matches.
bool MatchesCaptain(Text name, Text captain) {
  for (size_t i = 0; i < name.size(); ++i) {
    const char a = name[i];
    const char b = i < captain.size() ? captain[i] : '\0';
    if (a != b) return false;
    if (a == '\0') return true;
  }
  return true;
}

}  // namespace

bool tServCharacter::IsHumanPlayer(int64_t remaining, const CampaignFacts& facts) const {
  if (facts.singlePlayerCampaign) return MatchesCaptain(characterName, facts.publishedCaptainName);
  return remaining >= kHumanMinimum;
}

}  // namespace campdb
